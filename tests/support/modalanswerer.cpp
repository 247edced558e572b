#include "modalanswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>

ModalAnswerer::ModalAnswerer(QMessageBox::StandardButton answer, QObject *parent)
    : QObject(parent)
    , m_answer(answer)
{
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    m_timer.start();
}

void ModalAnswerer::poll()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    ++m_answered;
    m_lastTitle = box->windowTitle();
    m_lastText = box->text();
    m_lastTextFormat = box->textFormat();
    QPushButton *def = box->defaultButton();
    m_lastDefault = def ? box->standardButton(def) : QMessageBox::NoButton;
    if (m_beforeAnswer)
        m_beforeAnswer();
    if (QAbstractButton *b = box->button(m_answer))
        b->click();
    else
        box->reject();
}
