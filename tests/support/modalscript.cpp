#include "modalscript.h"

#include <QApplication>

ModalScript::ModalScript(QObject *parent)
    : QObject(parent)
{
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &ModalScript::poll);
    m_timer.start();
}

ModalScript &ModalScript::then(Step step)
{
    m_steps << std::move(step);
    return *this;
}

void ModalScript::poll()
{
    if (m_current && !m_current->isVisible())
        m_current = nullptr;
    QWidget *w = QApplication::activeModalWidget();
    if (!w || !w->isVisible() || w == m_current || m_steps.isEmpty())
        return;
    m_current = w;
    m_seen << QString("%1: %2").arg(w->metaObject()->className(), w->windowTitle());
    // Run outside this timer's own call: the step may open further windows
    // (nested loops), and Qt does not fire a timer inside its own timeout.
    const Step step = m_steps.takeFirst();
    QPointer<QWidget> target = w;
    QTimer::singleShot(0, this, [step, target] {
        if (target)
            step(target);
    });
}
