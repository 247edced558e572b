#include "pickselectoraction.h"

#include "platform/maemo5listpickselector.h"
#include "platform/maemo5valuebutton.h"

#include <QDebug>
#include <QStringListModel>

PickSelectorAction::PickSelectorAction(QObject *parent)
    : QWidgetAction(parent)
{
}

PickSelectorAction::PickSelectorAction(QStringList items, int selectedIndex, QObject *parent)
    : QWidgetAction(parent)
    , m_selectedIndex(selectedIndex)
    , m_items(items)
{
}

PickSelectorAction::~PickSelectorAction()
{
    delete m_model;
}

void PickSelectorAction::setSelectedIndex(int index)
{
    if (index >= 0 && index < m_items.size())
        m_selectedIndex = index;
}

QWidget *PickSelectorAction::createWidget(QWidget *parent)
{
    if (m_model) {
        delete m_model;
        m_model = nullptr;
    }
    m_model = new QStringListModel(this);
    m_model->setStringList(m_items);

    auto *selector = new Maemo5ListPickSelector(parent);
    selector->setModel(m_model);
    selector->setCurrentIndex(m_selectedIndex);

    auto *button = new Maemo5ValueButton(text(), parent);
    button->setValueLayout(Maemo5ValueButton::ValueUnderTextCentered);
    button->setPickSelector(selector);

    // The row says which entry was picked: translated texts need not be unique.
    connect(selector, &Maemo5ListPickSelector::selected, this,
            [this, selector]() { choose(selector->currentIndex()); });
    return button;
}

void PickSelectorAction::optionSelected(const QString &text)
{
    const int index = m_items.indexOf(text);
    if (index < 0) {
        qDebug() << "Not find item...how?";
        return;
    }
    choose(index);
}

void PickSelectorAction::choose(int index)
{
    if (index < 0 || index >= m_items.size())
        return;
    qDebug() << "Item Selected: " << m_items.at(index) << ", index=" << QString::number(index);
    m_selectedIndex = index;
    emit selectionChanged(index);
}
