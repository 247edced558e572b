#include "maemo5attributes.h"

#include "platform/screenfit.h"

#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QVariant>
#include <QWidget>

namespace {
const char *const kFlagsProperty = "_marlu_maemo5_attributes";
const char *const kBusyName = "maemo5ProgressIndicator";
// The size a window would have had if the screen had room for it: a window
// squeezed into portrait on a landscape screen gets its size back on turning.
const char *const kIntendedSizeProperty = "_marlu_intended_size";
const int kOrientationMask = Maemo5Attributes::PortraitOrientation
                             | Maemo5Attributes::LandscapeOrientation
                             | Maemo5Attributes::AutoOrientation;
}

int Maemo5Attributes::flags(const QWidget *widget)
{
    return widget->property(kFlagsProperty).toInt();
}

void Maemo5Attributes::setAttribute(QWidget *widget, Attribute attribute, bool on)
{
    if (!widget)
        return;
    int value = flags(widget);
    // The three orientations exclude each other, as the device's toolkit has it.
    if (on && (attribute & kOrientationMask))
        value &= ~kOrientationMask;
    value = on ? (value | attribute) : (value & ~attribute);
    widget->setProperty(kFlagsProperty, value);
    render(widget, attribute, on);
}

bool Maemo5Attributes::testAttribute(const QWidget *widget, Attribute attribute)
{
    return widget && (flags(widget) & attribute);
}

void Maemo5Attributes::render(QWidget *widget, Attribute attribute, bool on)
{
    switch (attribute) {
    case StackedWindow:
        // A stacked window is a top-level window of its own on the desktop.
        if (on && !widget->isWindow())
            widget->setWindowFlags(widget->windowFlags() | Qt::Window);
        break;
    case ShowProgressIndicator:
        showBusy(widget, on);
        break;
    case LandscapeOrientation:
    case PortraitOrientation:
        if (on)
            reshape(widget, attribute == LandscapeOrientation);
        break;
    case AutoOrientation:
        // No orientation sensor on a desktop: the screen's own shape says
        // which way the device is held.
        if (on) {
            QScreen *screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
            if (screen) {
                const QSize area = screen->availableGeometry().size();
                if (area.width() != area.height())
                    reshape(widget, area.width() > area.height());
            }
        }
        break;
    }
}

void Maemo5Attributes::showBusy(QWidget *widget, bool on)
{
    auto *bar = widget->findChild<QProgressBar *>(kBusyName, Qt::FindDirectChildrenOnly);
    if (on) {
        if (!bar) {
            bar = new QProgressBar(widget);
            bar->setObjectName(kBusyName);
            bar->setRange(0, 0);   // indeterminate: a running busy bar
            bar->setTextVisible(false);
            bar->setFixedSize(96, 10);
        }
        bar->move(widget->width() - bar->width() - 8, 8);
        bar->raise();
        bar->show();
        widget->setCursor(Qt::BusyCursor);
    } else {
        if (bar)
            bar->hide();
        widget->unsetCursor();
    }
}

void Maemo5Attributes::reshape(QWidget *widget, bool landscape)
{
    if (!widget->isWindow())
        return;
    const QSize intended = widget->property(kIntendedSizeProperty).toSize();
    QSize size = intended.isValid() ? intended : widget->size();
    const bool wide = size.width() > size.height();
    const bool turn = landscape != wide && size.width() != size.height();
    // A window already of the shape asked for is left as the user sized it.
    if (!turn && !intended.isValid())
        return;
    if (turn)
        size.transpose();

    // The shape kept, the size cut down to what the screen can show.
    const QSize room = ScreenFit::room(widget);
    const QSize shown = size.width() <= room.width() && size.height() <= room.height()
                            ? size
                            : size.scaled(room, Qt::KeepAspectRatio);
    widget->setProperty(kIntendedSizeProperty, shown == size ? QVariant() : QVariant(size));
    widget->setMinimumSize(widget->minimumSize().boundedTo(shown));
    widget->resize(shown);
    ScreenFit::fit(widget);
}
