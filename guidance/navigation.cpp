#include "navigation.h"

#include "guidance/guidance.h"
#include "guidance/routeprogress.h"
#include "positioning/geolocation.h"

#include <QDebug>
#include <QGeoPositionInfo>

#include <cmath>
#include <limits>

namespace {
// Without the receiver's speed: this share of the speed between the last two
// fixes goes into the speed the zoom is chosen from.
const double SpeedShare = 0.3;
// A move shorter than this between two fixes says nothing of the heading.
const double HeadingMetres = 5;
}

Navigation::Navigation(GeoLocation *source, QObject *parent)
    : QObject(parent)
    , m_source(source)
    , m_guidance(new Guidance(this))
{
    connect(m_source, &GeoLocation::updated, this, &Navigation::onFix);
}

void Navigation::start(const Directions &route, bool imperial)
{
    m_guidance->start(route, imperial);
    m_guiding = m_guidance->isActive();
    // A new route is shown whole until the car moves along it.
    m_following = false;
    m_underWay = false;
    m_startAlong = -1;
    endDriveView();
}

void Navigation::stop()
{
    m_guidance->stop();
    m_guiding = false;
    endDriveView();
}

void Navigation::rerouteFinished(bool success, const Directions &route)
{
    // The drive view stays as it is: a reroute must not make the map jump.
    m_guidance->rerouteFinished(success, route);
}

void Navigation::setFollowing(bool on)
{
    m_following = on;
}

void Navigation::setAutoRotate(bool on)
{
    m_autoRotate = on;
    m_rotated = m_rotated && on;
}

void Navigation::setMap(const QSize &size, int topInset)
{
    m_view.setMap(size, topInset);
}

bool Navigation::drivesView() const
{
    return m_guiding && m_following;
}

int Navigation::rotation() const
{
    return m_rotated ? ((m_rotationSent % 360) + 360) % 360 : 0;
}

void Navigation::onFix()
{
    const QGeoPositionInfo info = m_source->positionInfo();
    if (!info.isValid())
        return;
    Guidance::Fix fix;
    fix.latitude = info.coordinate().latitude();
    fix.longitude = info.coordinate().longitude();
    if (!std::isfinite(fix.latitude) || !std::isfinite(fix.longitude))
        return;
    if (info.hasAttribute(QGeoPositionInfo::HorizontalAccuracy))
        fix.accuracy = info.attribute(QGeoPositionInfo::HorizontalAccuracy);
    if (info.hasAttribute(QGeoPositionInfo::GroundSpeed))
        fix.speed = info.attribute(QGeoPositionInfo::GroundSpeed);
    fix.time = info.timestamp();

    const qint64 ms = fix.time.isValid() ? fix.time.toMSecsSinceEpoch() : m_lastMs + 1000;
    const double moved = std::isfinite(m_lastLat)
                             ? RouteProgress::distance(m_lastLat, m_lastLon, fix.latitude, fix.longitude) : 0;
    if (std::isfinite(fix.speed) && fix.speed >= 0)
        m_speed = fix.speed;
    else if (std::isfinite(m_lastLat) && ms > m_lastMs)
        m_speed += SpeedShare * (moved / ((ms - m_lastMs) / 1000.0) - m_speed);
    if (moved > HeadingMetres)
        m_heading = RouteProgress::bearing(m_lastLat, m_lastLon, fix.latitude, fix.longitude);
    m_lastLat = fix.latitude;
    m_lastLon = fix.longitude;
    m_lastMs = ms;

    if (!m_guiding)
        return;
    if (m_guidance->isActive())
        m_guidance->addFix(fix);

    const RouteProgress::State &state = m_guidance->state();
    const bool onRoute = m_guidance->isActive() && !m_guidance->hasArrived() && state.matched
                         && state.offRoute <= Guidance::OffRouteMetres;
    if (!m_underWay && onRoute) {
        if (m_startAlong < 0) {
            m_startAlong = state.along;
        } else if (state.along - m_startAlong >= UnderWayMetres && m_speed >= UnderWaySpeed) {
            m_underWay = true;
            m_following = true;
            qDebug() << "Guidance: under way, following the car";
            emit followStarted();
        }
    }
    // After arrival the map goes on following for as long as fixes come.
    if (drivesView())
        placeMap(fix.latitude, m_speed,
                 onRoute ? m_guidance->smoothedToManeuver() : std::numeric_limits<double>::infinity(),
                 onRoute && state.roadBearing >= 0 ? state.roadBearing : m_heading, ms);
}

void Navigation::placeMap(double latitude, double speed, double toManeuver, double bearing, qint64 timeMs)
{
    m_view.update(latitude, speed, toManeuver, bearing, timeMs);
    if (m_autoRotate) {
        // Turned back by the way ahead, so that it points up.
        const int angle = -m_view.bearing();
        if (!m_rotated || angle != m_rotationSent) {
            m_rotated = true;
            m_rotationSent = angle;
            emit javascript(QString("document.getElementById(\"map_canvas\").style[\"WebkitTransform\"] = "
                                    "\"rotate(%1deg)\";").arg(angle));
        }
    }
    const QString snippet = QString("driveView(%1, %2, %3);")
                                .arg(m_view.zoom())
                                .arg(m_view.ahead())
                                .arg(m_autoRotate ? m_view.bearing() : 0);
    if (snippet != m_sent) {
        m_sent = snippet;
        emit javascript(snippet);
    }
}

void Navigation::endDriveView()
{
    m_view.reset();
    if (!m_sent.isEmpty())
        emit javascript("driveView(null);");
    m_sent.clear();
}
