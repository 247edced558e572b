#include "maemo5wnd.h"

#include "platform/applicationmenu.h"
#include "platform/fullscreenexitbutton.h"
#include "platform/maemo5attributes.h"
#include "platform/pickselectoraction.h"
#include "platform/windowfitter.h"

#include <QDebug>
#include <QX11Info>

// Xlib last: its macros (None, Bool, Status, ...) clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

Maemo5Wnd::Maemo5Wnd(QWidget *parent)
    : QMainWindow(parent)
{
    qDebug() << "Maemo5Wnd::Maemo5Wnd";
    setMenuBar(new ApplicationMenu(this));
    // This window and the dialogs stacked over it stay on the screen.
    WindowFitter::install();
}

Maemo5Wnd::~Maemo5Wnd() = default;

void Maemo5Wnd::grabZoomKeys(bool grab)
{
    qDebug() << "Maemo5Wnd::grabZoomKeys";
    const WId id = winId();
    if (!id) {
        qWarning("Can't grab keys unless we have a window id");
        return;
    }

    Display *display = QX11Info::isPlatformX11() ? QX11Info::display() : nullptr;
    const Atom atom = display ? XInternAtom(display, "_HILDON_ZOOM_KEY_ATOM", False) : 0;
    if (!atom) {
        qWarning("Unable to obtain _HILDON_ZOOM_KEY_ATOM. This example will only work on a Maemo 5 device!");
        return;
    }

    // Format-32 property data travels as an array of long, whatever its width.
    long value = grab ? 1 : 0;
    XChangeProperty(display, id, atom, XA_INTEGER, 32, PropModeReplace,
                    reinterpret_cast<unsigned char *>(&value), 1);
}

void Maemo5Wnd::onFullscreen()
{
    qDebug() << "Maemo5Wnd::onFullscreen";
    showFullScreen();
}

bool Maemo5Wnd::isLandscape()
{
    qDebug() << "Maemo5Wnd::isLandscape";
    return height() < width();
}

bool Maemo5Wnd::isAutoRotate()
{
    qDebug() << "Maemo5Wnd::isAutoRotate";
    return Maemo5Attributes::testAttribute(this, Maemo5Attributes::AutoOrientation);
}

void Maemo5Wnd::setAutoRotate(bool on)
{
    qDebug() << "Maemo5Wnd::setAutoRotate";
    if (on) {
        qDebug() << "set autorotate: on";
        Maemo5Attributes::setAttribute(this, Maemo5Attributes::AutoOrientation, true);
        if (m_orientationAction)
            m_orientationAction->setSelectedIndex(0);
    } else {
        qDebug() << "set autorotate: off";
        Maemo5Attributes::setAttribute(this, Maemo5Attributes::AutoOrientation, false);
    }
}

void Maemo5Wnd::setLandscapeOrPortrait(bool landscape)
{
    qDebug() << "Maemo5Wnd::setLandscapeOrPortrait";
    const int index = landscape ? 1 : 2;
    if (m_orientationAction)
        m_orientationAction->setSelectedIndex(index);
    if (landscape) {
        qDebug() << ">> set Landscape";
        Maemo5Attributes::setAttribute(this, Maemo5Attributes::LandscapeOrientation, true);
    } else {
        qDebug() << ">> set Portrait";
        Maemo5Attributes::setAttribute(this, Maemo5Attributes::PortraitOrientation, true);
    }
    if (m_orientationAction)
        m_orientationAction->setSelectedIndex(index);
}

void Maemo5Wnd::onOrientationChanged(int index)
{
    qDebug() << "Maemo5Wnd::onOrientationChanged";
    if (index == 1) {
        setAutoRotate(false);
        setLandscapeOrPortrait(true);
    } else if (index == 2) {
        setAutoRotate(false);
        setLandscapeOrPortrait(false);
    } else if (index == 0) {
        setAutoRotate(true);
    }
}

void Maemo5Wnd::addOrientationToMenu()
{
    qDebug() << "Maemo5Wnd::addOrientationToMenu";
    m_orientationAction = new PickSelectorAction(this);
    m_orientationAction->setText(tr("Orientation"));
    m_orientationAction->items() << tr("Auto") << tr("Landscape") << tr("Portrait");
    connect(m_orientationAction, &PickSelectorAction::selectionChanged,
            this, &Maemo5Wnd::onOrientationChanged);
    menuBar()->addAction(m_orientationAction);
    setAutoRotate(true);
}

void Maemo5Wnd::addFullscreenToMenu()
{
    qDebug() << "Maemo5Wnd::addFullscreenToMenu";
    new FullScreenExitButton(this);
    menuBar()->addAction(tr("Fullscreen"), this, &Maemo5Wnd::onFullscreen);
}
