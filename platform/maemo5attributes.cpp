#include "maemo5attributes.h"

#include <QProgressBar>
#include <QVariant>
#include <QWidget>

namespace {
const char *const kFlagsProperty = "_marlu_maemo5_attributes";
const char *const kBusyName = "maemo5ProgressIndicator";
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
        // No orientation sensor on a desktop: the window keeps its shape.
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
    const QSize size = widget->size();
    const bool wide = size.width() > size.height();
    if (landscape != wide && size.width() != size.height())
        widget->resize(size.height(), size.width());
}
