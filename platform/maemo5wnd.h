#ifndef MAEMO5WND_H
#define MAEMO5WND_H

#include <QMainWindow>

class PickSelectorAction;

// What the main window needs from the handheld platform: orientation,
// fullscreen, the grab of the hardware zoom keys and the application menu.
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
    void addOrientationToMenu();
    void addFullscreenToMenu();

protected slots:
    void onFullscreen();
    void onOrientationChanged(int index);

private:
    PickSelectorAction *m_orientationAction = nullptr;
};

#endif
