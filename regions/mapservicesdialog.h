#ifndef MAPSERVICESDIALOG_H
#define MAPSERVICESDIALOG_H

#include <QDialog>
#include <QJsonObject>

class QComboBox;
class QLabel;
class QLineEdit;
class QNetworkAccessManager;
class QPushButton;
class ServiceApi;

// Where tiles, searches and routes come from: this computer, or an online
// provider per kind, from presets or a URL of one's own. Written to the map
// service's configuration, which uses it at once.
class MapServicesDialog : public QDialog
{
    Q_OBJECT
public:
    MapServicesDialog(QNetworkAccessManager *network, const QUrl &service, QWidget *parent);

    // The choice as the service's /marlu/services takes it.
    QJsonObject choice() const;

signals:
    // The service took a new choice.
    void changed();

private:
    struct Row {
        QComboBox *preset;
        QLineEdit *url;
        QLabel *note;
    };
    void showState(const QJsonObject &state);
    void presetChosen(const Row &row);
    void save();
    void put(const QJsonObject &chosen);

    ServiceApi *m_api;
    Row m_tiles;
    Row m_search;
    Row m_routes;
    QLabel *m_status;
    QPushButton *m_save;
};

#endif
