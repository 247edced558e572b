#include "mappresswatcher.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

MapPressWatcher::MapPressWatcher(QWidget *watched)
    : QObject(watched)
    , m_hold(new QTimer(this))
{
    m_hold->setSingleShot(true);
    m_hold->setInterval(HoldMs);
    connect(m_hold, &QTimer::timeout, this, [this] { emit pointChosen(m_pressedAt); });
    watched->installEventFilter(this);
}

bool MapPressWatcher::eventFilter(QObject *obj, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ContextMenu: {
        auto *menuEvent = static_cast<QContextMenuEvent *>(event);
        if (menuEvent->reason() == QContextMenuEvent::Mouse) {
            m_hold->stop();
            emit pointChosen(menuEvent->pos());
            return true;
        }
        break;
    }
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton) {
            m_pressedAt = mouse->pos();
            m_hold->start();
        }
        break;
    }
    case QEvent::MouseMove:
        // A drag is no long press.
        if ((static_cast<QMouseEvent *>(event)->pos() - m_pressedAt).manhattanLength() > 12)
            m_hold->stop();
        break;
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        m_hold->stop();
        break;
    default:
        break;
    }
    return QObject::eventFilter(obj, event);
}
