#include "logcapture.h"
#include "testmain.h"

#include "platform/maemo5wnd.h"

#include <QX11Info>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

// Reads the zoom-key property back from the X server, as the window manager would.
static long zoomKeyProperty(WId window, bool *present)
{
    Display *display = QX11Info::display();
    XSync(display, False);
    const Atom atom = XInternAtom(display, "_HILDON_ZOOM_KEY_ATOM", True);
    *present = false;
    if (!atom)
        return -1;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    long value = -1;
    if (XGetWindowProperty(display, window, atom, 0, 1, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) == Success && data) {
        *present = type == XA_INTEGER && format == 32 && count == 1;
        value = *reinterpret_cast<long *>(data);
        XFree(data);
    }
    return value;
}

class TestZoomKeys : public QObject
{
    Q_OBJECT
private slots:
    void grabSetsPropertyOnTheXServer();
};

void TestZoomKeys::grabSetsPropertyOnTheXServer()
{
    QVERIFY2(QX11Info::isPlatformX11(), "this suite needs an X display");
    Maemo5Wnd wnd;
    wnd.show();
    bool present = true;
    zoomKeyProperty(wnd.winId(), &present);
    QVERIFY(!present);

    LogCapture log;
    wnd.grabZoomKeys(true);
    QCOMPARE(zoomKeyProperty(wnd.winId(), &present), 1L);
    QVERIFY(present);

    wnd.grabZoomKeys(false);
    QCOMPARE(zoomKeyProperty(wnd.winId(), &present), 0L);
    QVERIFY(present);
    QCOMPARE(log.lines(), (QStringList{"Maemo5Wnd::grabZoomKeys", "Maemo5Wnd::grabZoomKeys"}));
}

MARLU_TEST_MAIN(TestZoomKeys)
#include "tst_zoomkeys.moc"
