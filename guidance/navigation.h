#ifndef NAVIGATION_H
#define NAVIGATION_H

#include "directions/directions.h"
#include "guidance/driveview.h"

#include <QObject>
#include <QSize>

class GeoLocation;
class Guidance;

// Guiding a drive: takes each fix from the position source, feeds it to the
// guidance along the route (whose signals drive the banner and the voice)
// and makes the map follow the car (the drive view) through snippets for the
// page. A new route is first shown whole; following starts once the car
// moves along it, or when the window's follow mode is switched on. A reroute
// keeps the view as it is.
class Navigation : public QObject
{
    Q_OBJECT
public:
    // Moved this far along a new route at this speed (m/s), the car is
    // under way: a parked receiver's noise moves it too, but slowly.
    static constexpr double UnderWayMetres = 30;
    static constexpr double UnderWaySpeed = 2;

    Navigation(GeoLocation *source, QObject *parent);

    Guidance *guidance() const { return m_guidance; }
    void start(const Directions &route, bool imperial);
    void stop();
    void rerouteFinished(bool success, const Directions &route = Directions());

    // The window's follow mode: while on and guiding, the drive view places the map.
    void setFollowing(bool on);
    void setAutoRotate(bool on);
    void setMap(const QSize &size, int topInset);
    bool drivesView() const;
    // The map's turn in degrees clockwise while the drive view turns it.
    int rotation() const;

signals:
    // A snippet for the map page.
    void javascript(const QString &snippet);
    // The car is under way on a new route: follow it.
    void followStarted();

private slots:
    void onFix();

private:
    void placeMap(double latitude, double speed, double toManeuver, double bearing, qint64 timeMs);
    void endDriveView();

    GeoLocation *m_source;
    Guidance *m_guidance;
    DriveView m_view;
    bool m_following = false;
    bool m_autoRotate = false;
    bool m_guiding = false;          // from start() until stop(), arrival included
    bool m_underWay = false;
    double m_startAlong = -1;
    QString m_sent;                  // the drive view the page has
    int m_rotationSent = 0;
    bool m_rotated = false;
    double m_lastLat = qQNaN(), m_lastLon = qQNaN();
    qint64 m_lastMs = 0;
    double m_speed = 0;
    double m_heading = -1;
};

#endif
