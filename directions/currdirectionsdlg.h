#ifndef CURRDIRECTIONSDLG_H
#define CURRDIRECTIONSDLG_H

#include "directions/directions.h"

#include <QDialog>
#include <QList>

class StepDelegate;
class Ui_CurrDirectionsDlg;

// The route sheet: each alternative's summary with its length and duration, the
// steps of the selected one with their figures and turn icons, and the user's
// choice of what to do with the route, left in m_action for the main window.
class CurrDirectionsDlg : public QDialog
{
    Q_OBJECT
public:
    CurrDirectionsDlg(QList<Directions> routes, QWidget *parent);
    ~CurrDirectionsDlg();

    int selectedIndex() const;
    // Shows the alternative at index; false, and nothing changes, when there is none.
    bool selectRoute(int index);
    // The routes' lengths in miles instead of kilometres.
    void setImperial(bool imperial);
    // The travel mode ("driving", "walking", "bicycling") and the two ends, shown
    // above the alternatives.
    void setTrip(const QString &mode, const QString &start, const QString &destination);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showTrips();
    void nameRoutes();

    Ui_CurrDirectionsDlg *ui;
    StepDelegate *m_stepDelegate;
    bool m_imperial = false;
    QString m_tripEnds;

public:
    // What the user chose; None when the sheet was closed without a button.
    enum Action { None = 0, Clear = 1, Recalculate = 2, New = 3 };

    QList<Directions> m_routes;
    Action m_action = None;

private slots:
    void on_clearBtt_clicked();
    void on_newBtt_clicked();
    void on_recalculateBtt_clicked();
    void on_routesCombo_currentIndexChanged(int index);
};

#endif
