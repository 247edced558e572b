#ifndef MAPCONTROLS_H
#define MAPCONTROLS_H

#include <QObject>
#include <QRect>

class QToolButton;
class QWidget;
class NorthArrow;

// Buttons a driver can reach with a finger on the map's corners: zoom in and
// out at the bottom left, "follow my position" at the bottom right (above
// the fullscreen exit button's corner), and, while the map is turned to the
// direction of travel, a north arrow at the top right below the banner.
class MapControls : public QObject
{
    Q_OBJECT
public:
    static constexpr int Side = 56;   // at least a fingertip at 800x480
    static constexpr int Gap = 8;

    explicit MapControls(QWidget *window);

    struct Layout
    {
        QRect map;              // the map's area in the window
        int topInset = 0;       // the banner's height when it is shown
        bool shown = true;      // false in fullscreen while the pan arrows are hidden
        bool rotated = false;   // Auto Rotate turns the map
        int rotation = 0;       // the map's angle, degrees clockwise
    };
    void place(const Layout &layout);

signals:
    void zoomIn();
    void zoomOut();
    void follow();

private:
    QToolButton *m_zoomIn;
    QToolButton *m_zoomOut;
    QToolButton *m_follow;
    NorthArrow *m_north;
};

#endif
