#ifndef SCREENFIT_H
#define SCREENFIT_H

#include <QSize>

class QWidget;

// Keeps a top-level window, frame and title bar included, inside the available
// area of the screen it is on: the handheld's screen is 800x480 less its status
// panel, smaller than several of the designed window sizes.
class ScreenFit
{
public:
    // Shrinks the window where it is too large and moves it where it sticks out.
    static void fit(QWidget *window);
    // The room for a window's client area on its screen, its frame taken off.
    static QSize room(const QWidget *window);
};

#endif
