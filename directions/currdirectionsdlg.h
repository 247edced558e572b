#ifndef CURRDIRECTIONSDLG_H
#define CURRDIRECTIONSDLG_H

#include "directions/directions.h"

#include <QDialog>
#include <QList>

class Ui_CurrDirectionsDlg;

// The route sheet: the steps of the selected route alternative, and the user's
// choice of what to do with the route, left in m_action for the main window.
class CurrDirectionsDlg : public QDialog
{
    Q_OBJECT
public:
    CurrDirectionsDlg(QList<Directions> routes, QWidget *parent);
    ~CurrDirectionsDlg();

    int selectedIndex() const;

private:
    Ui_CurrDirectionsDlg *ui;

public:
    QList<Directions> m_routes;
    // 0 none (closed without a button), 1 clear, 2 recalculate, 3 new
    int m_action;

private slots:
    void on_clearBtt_clicked();
    void on_newBtt_clicked();
    void on_recalculateBtt_clicked();
    void on_routesCombo_currentIndexChanged(int index);
};

#endif
