#include "overlaytaprelay.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

OverlayTapRelay::OverlayTapRelay(QWidget *overlay, QWidget *target)
    : QObject(overlay)
    , m_overlay(overlay)
    , m_target(target)
{
    overlay->installEventFilter(this);
}

bool OverlayTapRelay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_overlay)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        auto *e = static_cast<QMouseEvent *>(event);
        const QPointF local = m_target->mapFromGlobal(e->globalPos()) + (e->localPos() - e->pos());
        QMouseEvent copy(e->type(), local, e->windowPos(), e->screenPos(), e->button(),
                         e->buttons(), e->modifiers(), e->source());
        QCoreApplication::sendEvent(m_target, &copy);
        return false;
    }
    case QEvent::Wheel: {
        auto *e = static_cast<QWheelEvent *>(event);
        const QPointF local = m_target->mapFromGlobal(e->globalPosition().toPoint());
        QWheelEvent copy(local, e->globalPosition(), e->pixelDelta(), e->angleDelta(), e->buttons(),
                         e->modifiers(), e->phase(), e->inverted(), e->source());
        QCoreApplication::sendEvent(m_target, &copy);
        return true;
    }
    default:
        return false;
    }
}
