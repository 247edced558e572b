#include "mousesuppressor.h"

#include <QMouseEvent>
#include <QWebView>

MouseSuppressor::MouseSuppressor(QWebView *view)
    : QObject(view)
{
    view->installEventFilter(this);
}

bool MouseSuppressor::eventFilter(QObject *obj, QEvent *event)
{
    Q_UNUSED(obj);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            m_pressed = true;
        return true;
    case QEvent::MouseButtonRelease:
        if (m_pressed) {
            emit click(static_cast<QMouseEvent *>(event));
            m_pressed = false;
        }
        return true;
    case QEvent::MouseMove:
        return true;
    default:
        return false;
    }
}
