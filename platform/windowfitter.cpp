#include "windowfitter.h"

#include "platform/screenfit.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {
// A window manager that keeps putting a window back where it wants it is not
// fought: each showing gets this many fits.
const int FitsPerShow = 4;
const char *const FitsLeftProperty = "_marlu_fits_left";
// How long a window shown is watched for its frame: a manager frames it
// within a few hundred milliseconds; without one it never gets a frame.
const int FrameWaitMs = 3000;
const int FrameCheckMs = 50;

bool isFitted(const QWidget *widget)
{
    if (!widget->isWindow() || !widget->isVisible())
        return false;
    const Qt::WindowType type = widget->windowType();
    if (type != Qt::Window && type != Qt::Dialog)
        return false;
    return !(widget->windowState() & (Qt::WindowFullScreen | Qt::WindowMaximized | Qt::WindowMinimized));
}
}

WindowFitter::WindowFitter(QObject *parent)
    : QObject(parent)
{
}

WindowFitter *WindowFitter::instance()
{
    if (!qApp)
        return nullptr;
    auto *fitter = qApp->findChild<WindowFitter *>(QString(), Qt::FindDirectChildrenOnly);
    if (!fitter) {
        fitter = new WindowFitter(qApp);
        // The offscreen platform's screen is no screen anyone sees, and its
        // made-up frame would only shrink the windows drawn there.
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            qApp->installEventFilter(fitter);
    }
    return fitter;
}

void WindowFitter::install()
{
    instance();
}

void WindowFitter::fitShown(QWidget *window)
{
    if (WindowFitter *fitter = instance())
        fitter->shown(window);
}

void WindowFitter::shown(QWidget *window)
{
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return;
    window->setProperty(FitsLeftProperty, FitsPerShow);
    waitForFrame(window, FrameWaitMs / FrameCheckMs);
    fitLater(window);
}

bool WindowFitter::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Move && type != QEvent::Resize)
        return false;
    if (!watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    const Qt::WindowType kind = widget->windowType();
    if (!widget->isWindow() || (kind != Qt::Window && kind != Qt::Dialog))
        return false;
    if (type == QEvent::Show)
        shown(widget);
    else
        fitLater(widget);
    return false;
}

// The manager's frame comes without an event of its own: the window is fitted
// again once it has one.
void WindowFitter::waitForFrame(QWidget *window, int checksLeft)
{
    const QPointer<QWidget> alive(window);
    QTimer::singleShot(FrameCheckMs, this, [this, alive, checksLeft] {
        if (!alive || !alive->isVisible())
            return;
        if (alive->frameGeometry() != alive->geometry())
            fitLater(alive);
        else if (checksLeft > 1)
            waitForFrame(alive, checksLeft - 1);
    });
}

// After the event: the manager's move or frame has then reached the widget.
void WindowFitter::fitLater(QWidget *window)
{
    const int left = window->property(FitsLeftProperty).toInt();
    if (left <= 0)
        return;
    const QPointer<QWidget> alive(window);
    QTimer::singleShot(0, this, [alive] {
        if (!alive || !isFitted(alive))
            return;
        const int left = alive->property(FitsLeftProperty).toInt();
        if (left <= 0)
            return;
        const QRect before = alive->frameGeometry();
        ScreenFit::fit(alive);
        if (alive->frameGeometry() != before)
            alive->setProperty(FitsLeftProperty, left - 1);
    });
}
