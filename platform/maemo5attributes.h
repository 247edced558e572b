#ifndef MAEMO5ATTRIBUTES_H
#define MAEMO5ATTRIBUTES_H

class QWidget;

// The Maemo 5 widget attributes that Qt 5 lacks (their raw values name other
// attributes there), kept per widget and rendered as a desktop can.
class Maemo5Attributes
{
public:
    enum Attribute {
        StackedWindow = 0x1,
        PortraitOrientation = 0x2,
        LandscapeOrientation = 0x4,
        AutoOrientation = 0x8,
        ShowProgressIndicator = 0x10
    };

    static void setAttribute(QWidget *widget, Attribute attribute, bool on = true);
    static bool testAttribute(const QWidget *widget, Attribute attribute);

private:
    static int flags(const QWidget *widget);
    static void render(QWidget *widget, Attribute attribute, bool on);
    static void showBusy(QWidget *widget, bool on);
    static void reshape(QWidget *widget, bool landscape);
};

#endif
