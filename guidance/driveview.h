#ifndef DRIVEVIEW_H
#define DRIVEVIEW_H

#include <QSize>
#include <QtGlobal>

// How the map follows the car while guiding: a zoom at which the road the
// driver needs to see (more on fast roads, less before a turn) fits between
// the car and the banner, the car low on the map so that the road ahead
// shows, and with Auto Rotate the way ahead turned up in fine steps. The zoom
// moves one level at a time and holds for a while, so noise in the speed
// does not pump the map.
class DriveView
{
public:
    static constexpr int MinZoom = 12;
    static constexpr int MaxZoom = 17;
    static constexpr double LookAheadSeconds = 20;
    static constexpr double MinLookAhead = 150;   // metres
    static constexpr double MaxLookAhead = 3000;
    static constexpr qint64 HoldMs = 6000;        // between two zoom changes
    static constexpr double CarHeight = 0.7;      // of the map's height, from its top
    static constexpr int BottomMargin = 80;       // the pan arrow at the bottom edge
    static constexpr int RotationStep = 5;        // degrees
    static constexpr int MaxTurnPerFix = 30;

    // The road a driver needs to see, in metres: what the speed covers in
    // LookAheadSeconds, or a little beyond a maneuver that comes sooner.
    static double lookAhead(double speed, double toManeuver);
    // The (fractional) zoom at which `metres` span `pixels` at `latitude`.
    static double fittingZoom(double metres, double pixels, double latitude);

    void reset();   // a new drive: the next fix chooses afresh
    // The map's size and how much of its top the banner covers.
    void setMap(const QSize &size, int topInset);
    // A fix: its latitude, speed (m/s), the metres to the next maneuver
    // (infinite when none), the way ahead (degrees, negative when unknown)
    // and its time. True when zoom, car offset or bearing changed.
    bool update(double latitude, double speed, double toManeuver, double bearing, qint64 timeMs);

    int zoom() const { return m_zoom; }
    int ahead() const;   // pixels from the map's centre down to the car
    // The way ahead in whole steps, unwrapped (it may pass 360 or go below
    // 0), so that the map turns the short way.
    int bearing() const { return m_bearing; }

private:
    QSize m_size = QSize(800, 480);
    int m_topInset = 0;
    int m_zoom = -1;
    qint64 m_changedMs = 0;
    int m_bearing = 0;
    bool m_hasBearing = false;
};

#endif
