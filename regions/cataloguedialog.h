#ifndef CATALOGUEDIALOG_H
#define CATALOGUEDIALOG_H

#include "regions/catalogueentry.h"

#include <QDialog>
#include <QList>

class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The catalogue of extracts as a tree (continent, country, state), searchable
// by name, with each download's size and whether it is imported already.
class CatalogueDialog : public QDialog
{
    Q_OBJECT
public:
    // selectId: the entry to show chosen at first (e.g. the one covering the view).
    CatalogueDialog(const QList<CatalogueEntry> &entries, const QString &selectId, QWidget *parent);

    // The entry chosen when the dialog was accepted.
    CatalogueEntry chosen() const;

private:
    void filter(const QString &text);
    bool filterItem(QTreeWidgetItem *item, const QString &text);

    QList<CatalogueEntry> m_entries;
    QLineEdit *m_search;
    QTreeWidget *m_tree;
    QPushButton *m_download;
};

#endif
