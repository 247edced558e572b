#include "windowframe.h"

#include <QVector>
#include <QWidget>
#include <QX11Info>

// Xlib last: its macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

QVector<long> cardinals(Window window, const char *name, int count)
{
    Display *display = QX11Info::display();
    if (!display)
        return {};
    const Atom atom = XInternAtom(display, name, True);
    if (atom == 0)
        return {};
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    QVector<long> values;
    if (XGetWindowProperty(display, window, atom, 0, count, False, XA_CARDINAL, &type, &format,
                           &items, &after, &data) == Success && data) {
        if (format == 32 && int(items) >= count) {
            const long *longs = reinterpret_cast<const long *>(data);
            values = QVector<long>(longs, longs + count);
        }
        XFree(data);
    }
    return values;
}

}

QRect WindowFrame::of(const QWidget *window)
{
    Display *display = QX11Info::display();
    if (!display || !window->isVisible())
        return QRect();
    const Window id = Window(window->winId());
    // left, right, top, bottom
    const QVector<long> extents = cardinals(id, "_NET_FRAME_EXTENTS", 4);
    if (extents.size() != 4)
        return QRect();
    int x = 0;
    int y = 0;
    Window child = 0;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, id, &attributes)
        || !XTranslateCoordinates(display, id, DefaultRootWindow(display), 0, 0, &x, &y, &child))
        return QRect();
    return QRect(QPoint(int(x - extents[0]), int(y - extents[2])),
                 QPoint(int(x + attributes.width + extents[1] - 1),
                        int(y + attributes.height + extents[3] - 1)));
}

QRect WindowFrame::workArea()
{
    Display *display = QX11Info::display();
    if (!display)
        return QRect();
    const QVector<long> area = cardinals(DefaultRootWindow(display), "_NET_WORKAREA", 4);
    return area.size() == 4 ? QRect(int(area[0]), int(area[1]), int(area[2]), int(area[3])) : QRect();
}

QString WindowFrame::misfit(const QWidget *window)
{
    const QRect frame = of(window);
    const QRect area = workArea();
    if (frame.isNull())
        return QString("%1 is not framed").arg(window->windowTitle());
    if (frame.top() >= window->mapToGlobal(QPoint(0, 0)).y())
        return QString("%1 has no title bar").arg(window->windowTitle());
    if (!area.contains(frame)) {
        return QString("%1: frame %2,%3 %4x%5 outside the work area %6,%7 %8x%9")
            .arg(window->windowTitle()).arg(frame.x()).arg(frame.y()).arg(frame.width())
            .arg(frame.height()).arg(area.x()).arg(area.y()).arg(area.width()).arg(area.height());
    }
    return QString();
}
