#include "screenfit.h"

#include <QGuiApplication>
#include <QMargins>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace {

QScreen *screenOf(const QWidget *window)
{
    QScreen *screen = window->screen();
    return screen ? screen : QGuiApplication::primaryScreen();
}

// Until the window manager has framed a window (it does so a moment after the
// window is shown), its parent's decorations are the best guess of what the
// manager will put around it.
QMargins frameOf(const QWidget *window)
{
    for (const QWidget *w = window; w; w = w->parentWidget() ? w->parentWidget()->window() : nullptr) {
        const QRect frame = w->frameGeometry();
        const QRect client = w->geometry();
        const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                               frame.right() - client.right(), frame.bottom() - client.bottom());
        if (!margins.isNull())
            return margins;
    }
    return {};
}

} // namespace

QSize ScreenFit::room(const QWidget *window)
{
    QScreen *screen = screenOf(window);
    if (!screen)
        return window->size();
    const QMargins frame = frameOf(window);
    return screen->availableGeometry().size()
           - QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
}

void ScreenFit::fit(QWidget *window)
{
    if (!window || !window->isWindow())
        return;
    QScreen *screen = screenOf(window);
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QMargins frame = frameOf(window);
    const QSize room = ScreenFit::room(window);

    // A minimum larger than the screen would keep the window sticking out.
    window->setMinimumSize(window->minimumSize().boundedTo(room));
    const QSize size = window->size().boundedTo(room);
    if (size != window->size())
        window->resize(size);

    // pos() is where the frame starts.
    const QSize outer = size + QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    QPoint at = window->pos();
    at.setX(qBound(area.left(), at.x(), area.right() + 1 - outer.width()));
    at.setY(qBound(area.top(), at.y(), area.bottom() + 1 - outer.height()));
    if (at != window->pos())
        window->move(at);
}
