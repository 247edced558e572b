#include "cataloguedialog.h"

#include "regions/sizetext.h"

#include <QDialogButtonBox>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

CatalogueDialog::CatalogueDialog(const QList<CatalogueEntry> &entries, const QString &selectId,
                                 QWidget *parent)
    : QDialog(parent)
    , m_entries(entries)
    , m_search(new QLineEdit(this))
    , m_tree(new QTreeWidget(this))
{
    setWindowTitle(tr("Download Map Data"));
    m_search->setObjectName("catalogueSearch");
    m_search->setPlaceholderText(tr("Search by name"));
    m_search->setClearButtonEnabled(true);
    m_tree->setObjectName("catalogueTree");
    m_tree->setHeaderLabels({tr("Area"), tr("Download"), tr("Imported")});
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_tree->header()->setStretchLastSection(false);

    QHash<QString, QTreeWidgetItem *> items;
    for (int i = 0; i < entries.size(); ++i) {
        const CatalogueEntry &e = entries[i];
        auto *item = new QTreeWidgetItem({e.name, e.size >= 0 ? SizeText::of(e.size) : tr("unknown"),
                                          e.imported ? tr("imported") : QString()});
        item->setData(0, Qt::UserRole, i);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        items.insert(e.id, item);
    }
    // Parents may come after their children, and an id may name itself as its parent.
    for (int i = 0; i < entries.size(); ++i) {
        QTreeWidgetItem *item = items.value(entries[i].id);
        if (item->data(0, Qt::UserRole).toInt() != i)
            continue;   // a repeated id: the first one counts
        QTreeWidgetItem *parentItem = items.value(entries[i].parent);
        for (QTreeWidgetItem *up = parentItem; up; up = up->parent())
            if (up == item)
                parentItem = nullptr;   // a cycle would hide both
        if (parentItem)
            parentItem->addChild(item);
        else
            m_tree->addTopLevelItem(item);
    }
    m_tree->sortItems(0, Qt::AscendingOrder);

    auto *buttons = new QDialogButtonBox(this);
    m_download = buttons->addButton(tr("Download"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    m_download->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        m_download->setEnabled(item && !item->isHidden());
    });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(m_search, &QLineEdit::textChanged, this, &CatalogueDialog::filter);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_search);
    layout->addWidget(m_tree);
    auto *note = new QLabel(tr("The extracts come from the catalogue configured in the map "
                               "service; the download needs the disk space of the extract and "
                               "about three times as much for the import."), this);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addWidget(buttons);
    resize(640, 480);

    if (QTreeWidgetItem *chosen = items.value(selectId)) {
        m_tree->setCurrentItem(chosen);
        m_tree->scrollToItem(chosen);
    }
}

CatalogueEntry CatalogueDialog::chosen() const
{
    const QTreeWidgetItem *item = m_tree->currentItem();
    return item ? m_entries.value(item->data(0, Qt::UserRole).toInt()) : CatalogueEntry();
}

void CatalogueDialog::filter(const QString &text)
{
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
        filterItem(m_tree->topLevelItem(i), text.trimmed());
    if (m_tree->currentItem())
        m_download->setEnabled(!m_tree->currentItem()->isHidden());
}

// Shows an item when its name holds the text or a descendant's does; opens the way to matches.
bool CatalogueDialog::filterItem(QTreeWidgetItem *item, const QString &text)
{
    bool below = false;
    for (int i = 0; i < item->childCount(); ++i)
        below |= filterItem(item->child(i), text);
    const bool match = text.isEmpty() || item->text(0).contains(text, Qt::CaseInsensitive);
    item->setHidden(!match && !below);
    item->setExpanded(!text.isEmpty() && below);
    return match || below;
}
