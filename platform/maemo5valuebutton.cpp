#include "maemo5valuebutton.h"

#include "platform/maemo5listpickselector.h"

#include <QPointer>

Maemo5ValueButton::Maemo5ValueButton(const QString &text, QWidget *parent)
    : QPushButton(parent)
    , m_title(text)
{
    connect(this, &QPushButton::clicked, this, &Maemo5ValueButton::openPicker);
    refresh();
}

void Maemo5ValueButton::setValueLayout(ValueLayout layout)
{
    m_layout = layout;
    refresh();
}

void Maemo5ValueButton::setPickSelector(Maemo5ListPickSelector *selector)
{
    m_selector = selector;
    if (selector)
        connect(selector, &Maemo5ListPickSelector::selected, this, &Maemo5ValueButton::refresh);
    refresh();
}

QString Maemo5ValueButton::valueText() const
{
    return m_selector ? m_selector->currentValueText() : QString();
}

void Maemo5ValueButton::openPicker()
{
    if (!m_selector)
        return;
    QPointer<QWidget> picker = m_selector->widget(this);
    picker->setWindowTitle(m_title);
    picker->setWindowModality(Qt::ApplicationModal);
    picker->setAttribute(Qt::WA_DeleteOnClose);
    // Not a nested loop: the button may be released while the picker is open.
    picker->show();
}

void Maemo5ValueButton::refresh()
{
    const QString value = valueText();
    if (value.isEmpty())
        setText(m_title);
    else if (m_layout == ValueBesideText)
        setText(m_title + "  " + value);
    else
        setText(m_title + "\n" + value);
    setStyleSheet(m_layout == ValueUnderTextCentered ? QString() : "text-align: left;");
}
