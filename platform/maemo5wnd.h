#ifndef MAEMO5WND_H
#define MAEMO5WND_H

#include <QMainWindow>

// What the main window needs from the handheld platform: orientation,
// fullscreen and the grab of the hardware zoom keys.
class Maemo5Wnd : public QMainWindow
{
    Q_OBJECT
public:
    explicit Maemo5Wnd(QWidget *parent = nullptr);
    ~Maemo5Wnd();

    void grabZoomKeys(bool grab);
    bool isLandscape();
    bool isAutoRotate();
    void setAutoRotate(bool on);
    void setLandscapeOrPortrait(bool landscape);

protected slots:
    void onFullscreen();
};

#endif
