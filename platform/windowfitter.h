#ifndef WINDOWFITTER_H
#define WINDOWFITTER_H

#include <QObject>

class QWidget;

// Keeps every top-level window of the application, frame and title bar
// included, inside the work area of its screen: when it is shown, and again
// once the window manager has framed and placed it (only then is its frame
// known). Fullscreen and maximised windows are the manager's to place.
class WindowFitter : public QObject
{
    Q_OBJECT
public:
    // Installs the one fitter on the application; later calls do nothing.
    static void install();
    // Installs it and fits a window being shown now, whose Show event it missed.
    static void fitShown(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit WindowFitter(QObject *parent);
    static WindowFitter *instance();
    void shown(QWidget *window);
    void fitLater(QWidget *window);
    void waitForFrame(QWidget *window, int checksLeft);
};

#endif
