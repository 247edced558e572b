#ifndef PLACESDLG_H
#define PLACESDLG_H

#include "places/favourite.h"

#include <QDialog>

class FavouriteStore;
class QComboBox;
class QListWidget;
class QPushButton;

// "Places": the saved places with Home and Work first, by name or by
// distance from the own position, and what can be done with one.
class PlacesDlg : public QDialog
{
    Q_OBJECT
public:
    enum Action { None, Show, RouteHere };

    // here: the own position, when known (distances and the distance order need it).
    PlacesDlg(FavouriteStore *store, bool hasHere, double hereLat, double hereLng, QWidget *parent = nullptr);

    // After exec() returned Accepted: what to do, and with which place.
    Action m_action = None;
    Favourite m_chosen;

private:
    void fill();
    int selectedIndex() const;   // in the store, -1 for none or an unset entry
    void updateButtons();
    void choose(Action action);
    void onRename();
    void onDelete();

    FavouriteStore *m_store;
    bool m_hasHere;
    double m_hereLat, m_hereLng;
    QComboBox *m_sortCombo = nullptr;
    QListWidget *m_list = nullptr;
    QPushButton *m_showBtt = nullptr;
    QPushButton *m_routeBtt = nullptr;
    QPushButton *m_renameBtt = nullptr;
    QPushButton *m_deleteBtt = nullptr;
};

#endif
