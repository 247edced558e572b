#ifndef SAVEPLACEDLG_H
#define SAVEPLACEDLG_H

#include "places/favourite.h"

#include <QDialog>
#include <QList>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;

// "Save Place": which place (the one found, the own position, the map's
// centre, a point of the map), under which name, and whether it is Home or Work.
class SavePlaceDlg : public QDialog
{
    Q_OBJECT
public:
    // choices: the places that can be saved, each with the text naming it.
    SavePlaceDlg(const QList<Favourite> &choices, const QStringList &labels, QWidget *parent = nullptr);

    Favourite place() const;

private:
    void onChoice(int index);
    void onKind(int index);

    QList<Favourite> m_choices;
    QComboBox *m_whichCombo = nullptr;
    QComboBox *m_kindCombo = nullptr;
    QLineEdit *m_nameEdit = nullptr;
    QLabel *m_addressLbl = nullptr;
    QString m_suggested;   // the name last filled in, replaced while the user keeps it
};

#endif
