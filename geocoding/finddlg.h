#ifndef FINDDLG_H
#define FINDDLG_H

#include "geocoding/geocodeaddress.h"
#include "geocoding/geocoderequester.h"

#include <QDialog>
#include <QList>
#include <QModelIndex>

class QEvent;
class QNetworkAccessManager;
class QStringListModel;
class Ui_FindDlg;

// The address search window; it doubles as the chooser among the candidates of
// an earlier lookup.
class FindDlg : public QDialog
{
    Q_OBJECT
public:
    FindDlg(QNetworkAccessManager *network, QWidget *parent);
    FindDlg(GeocodeRequester &requester, QString text, QWidget *parent);
    ~FindDlg();

    GeocodeAddress m_selectedAddress;

    // Where the searches of this window look first (see GeocodeRequester::setBias).
    void setBias(const QString &view, const QString &position);

protected:
    void changeEvent(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private slots:
    void on_listWidget_doubleClicked(QModelIndex index);
    void on_listWidget_clicked(QModelIndex index);   // a tap only selects; part of the interface: keep
    void on_pushButton_clicked();
    void onFinish(bool success, QString error);

private:
    void showResults(QList<GeocodeAddress> &results);
    void setUpTyping();

    Ui_FindDlg *ui;
    GeocodeRequester m_requester;
    QList<GeocodeAddress *> m_rows;
    QStringListModel *m_recent = nullptr;
    bool m_sized = false;
};

#endif
