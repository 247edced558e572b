#include "repaintwaiter.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>

#include <ctime>

RepaintWaiter::RepaintWaiter(QWidget *widget)
    : QObject(widget)
{
    widget->installEventFilter(this);
}

bool RepaintWaiter::settle()
{
    const int before = m_paints;
    auto *dispatcher = QAbstractEventDispatcher::instance();
    // A bound, for a page that keeps its loop busy (tiles still arriving).
    for (int round = 0; round < 500 && dispatcher->processEvents(QEventLoop::AllEvents); ++round) {
    }
    return m_paints > before;
}

bool RepaintWaiter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint)
        ++m_paints;
    return QObject::eventFilter(watched, event);
}

qint64 processCpuNs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

bool waitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}
