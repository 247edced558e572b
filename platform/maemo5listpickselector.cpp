#include "maemo5listpickselector.h"

#include <QAbstractItemModel>
#include <QDialog>
#include <QListWidget>
#include <QPointer>
#include <QVBoxLayout>

Maemo5ListPickSelector::Maemo5ListPickSelector(QObject *parent)
    : QObject(parent)
{
}

void Maemo5ListPickSelector::setModel(QAbstractItemModel *model)
{
    m_model = model;
}

void Maemo5ListPickSelector::setCurrentIndex(int index)
{
    m_currentIndex = index;
}

QString Maemo5ListPickSelector::currentValueText() const
{
    if (!m_model || m_currentIndex < 0 || m_currentIndex >= m_model->rowCount())
        return QString();
    return m_model->index(m_currentIndex, 0).data().toString();
}

QWidget *Maemo5ListPickSelector::widget(QWidget *parent)
{
    auto *dialog = new QDialog(parent);
    dialog->setObjectName("maemo5PickerDialog");
    auto *layout = new QVBoxLayout(dialog);
    auto *list = new QListWidget(dialog);
    list->setObjectName("maemo5PickerList");
    // A copy of the rows as they are now: the model may be replaced while the
    // dialog is open.
    const int rows = m_model ? m_model->rowCount() : 0;
    for (int row = 0; row < rows; ++row)
        list->addItem(m_model->index(row, 0).data().toString());
    if (m_currentIndex >= 0 && m_currentIndex < rows)
        list->setCurrentRow(m_currentIndex);
    layout->addWidget(list);

    QPointer<QDialog> guard(dialog);
    auto choose = [this, guard](int row) {
        // One pick per dialog: a click may also count as activation.
        if (!guard || !guard->isVisible())
            return;
        // Close first: a receiver of selected() may open windows of its own.
        guard->accept();
        pick(row);
    };
    connect(list, &QListWidget::itemClicked, dialog, [list, choose](QListWidgetItem *item) { choose(list->row(item)); });
    // Return on the highlighted row picks it too.
    connect(list, &QListWidget::activated, dialog, [choose](const QModelIndex &index) { choose(index.row()); });
    return dialog;
}

void Maemo5ListPickSelector::pick(int row)
{
    if (!m_model || row < 0 || row >= m_model->rowCount())
        return;
    m_currentIndex = row;
    emit selected(m_model->index(row, 0).data().toString());
}
