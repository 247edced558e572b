#include "routeprogress.h"

#include <QtMath>

#include <cmath>

namespace {
const double EarthRadius = 6371008.8;
const double Rad = M_PI / 180.0;
const double MetresPerDegree = EarthRadius * Rad;
// Where the route passes a place twice, a segment against the travel
// direction counts as this much further away.
const double AgainstPenalty = 30;
// And one far along the route from the last match a little further too.
const double JumpPenalty = 0.02;
// Beyond this a fix is not on the route: it moves no mark of progress.
const double OnRoute = 50;
// How far ahead the way ahead is measured, for a map turned to it.
const double BearingAhead = 30;
// The window never holds more segments than this on either side, however
// short the segments are.
const int MaxWindowSegments = 2000;

bool valid(double lat, double lon)
{
    return std::isfinite(lat) && std::isfinite(lon) && qAbs(lat) <= 90 && qAbs(lon) <= 180;
}

double angleBetween(double a, double b)
{
    const double d = std::fmod(std::fabs(a - b), 360.0);
    return d > 180 ? 360 - d : d;
}
}

double RouteProgress::distance(double lat1, double lon1, double lat2, double lon2)
{
    const double dLat = (lat2 - lat1) * Rad;
    const double dLon = (lon2 - lon1) * Rad;
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2)
                     + std::cos(lat1 * Rad) * std::cos(lat2 * Rad) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * EarthRadius * std::asin(std::min(1.0, std::sqrt(a)));
}

double RouteProgress::bearing(double lat1, double lon1, double lat2, double lon2)
{
    const double phi1 = lat1 * Rad, phi2 = lat2 * Rad, dLambda = (lon2 - lon1) * Rad;
    const double b = std::atan2(std::sin(dLambda) * std::cos(phi2),
                                std::cos(phi1) * std::sin(phi2) - std::sin(phi1) * std::cos(phi2) * std::cos(dLambda));
    return std::fmod(b / Rad + 360.0, 360.0);
}

void RouteProgress::reset()
{
    m_segment = -1;
    m_along = 0;
    m_furthest = 0;
}

void RouteProgress::addPoint(double lat, double lon, int step)
{
    if (!valid(lat, lon))
        return;
    if (!m_points.isEmpty()) {
        Point &last = m_points.last();
        const double d = distance(last.lat, last.lon, lat, lon);
        // A step's line begins where the one before ended: one point, the new step's.
        if (d < 0.5) {
            last.step = step;
            return;
        }
        m_points.append({lat, lon, last.along + d, step});
        return;
    }
    m_points.append({lat, lon, 0, step});
}

void RouteProgress::setRoute(const Directions &route)
{
    m_points.clear();
    m_stepStart.clear();
    m_stepSeconds.clear();
    m_secondsAfter.clear();
    reset();
    const int count = route.steps.size();
    for (int s = 0; s < count; ++s) {
        const Step &step = route.steps.at(s);
        QVector<QPointF> path = step.m_path;
        if (path.size() < 2) {
            // No line: the straight one from this step's start to its end, or to the next start.
            path = {QPointF(step.latitude(), step.longitude())};
            if (step.m_hasEnd)
                path.append(QPointF(step.m_endLatitude, step.m_endLongitude));
            else if (s + 1 < count)
                path.append(QPointF(route.steps.at(s + 1).latitude(), route.steps.at(s + 1).longitude()));
        }
        for (const QPointF &p : qAsConst(path)) {
            addPoint(p.x(), p.y(), s);
            if (m_stepStart.size() == s && !m_points.isEmpty())
                m_stepStart.append(m_points.last().along);
        }
        if (m_stepStart.size() == s)
            m_stepStart.append(m_points.isEmpty() ? 0 : m_points.last().along);
        m_stepSeconds.append(qMax(0, step.m_duration));
    }
    m_secondsAfter.resize(count);
    double after = 0;
    for (int s = count - 1; s >= 0; --s) {
        m_secondsAfter[s] = after;
        after += m_stepSeconds.at(s);
    }
}

double RouteProgress::stepEnd(int step) const
{
    return step + 1 < m_stepStart.size() ? m_stepStart.at(step + 1) : length();
}

RouteProgress::Match RouteProgress::project(int segment, double lat, double lon, double heading,
                                            double cosLat) const
{
    const Point &a = m_points.at(segment);
    const Point &b = m_points.at(qMin(segment + 1, m_points.size() - 1));
    const double ax = (a.lon - lon) * cosLat * MetresPerDegree, ay = (a.lat - lat) * MetresPerDegree;
    const double bx = (b.lon - lon) * cosLat * MetresPerDegree, by = (b.lat - lat) * MetresPerDegree;
    const double dx = bx - ax, dy = by - ay;
    const double squared = dx * dx + dy * dy;
    Match m;
    m.segment = segment;
    m.t = squared > 0 ? -(ax * dx + ay * dy) / squared : 0;
    const double t = qBound(0.0, m.t, 1.0);
    m.distance = std::hypot(ax + t * dx, ay + t * dy);
    m.score = m.distance;
    if (heading >= 0 && squared > 1) {
        const double segmentHeading = std::fmod(std::atan2(dx, dy) / Rad + 360.0, 360.0);
        if (angleBetween(heading, segmentHeading) > 100)
            m.score += AgainstPenalty;
    }
    if (m_segment >= 0)
        m.score += JumpPenalty * std::fabs(a.along + t * (b.along - a.along) - m_along);
    return m;
}

RouteProgress::State RouteProgress::update(double latitude, double longitude, double heading)
{
    State state;
    m_lastSearch = 0;
    if (m_points.isEmpty() || !valid(latitude, longitude))
        return state;
    const int segments = qMax(1, m_points.size() - 1);
    int first = 0, last = segments - 1;
    if (m_segment >= 0) {
        first = m_segment;
        while (first > 0 && m_segment - first < MaxWindowSegments
               && m_points.at(first).along > m_along - BehindWindow)
            --first;
        last = m_segment;
        while (last < segments - 1 && last - m_segment < MaxWindowSegments
               && m_points.at(last).along < m_along + AheadWindow)
            ++last;
    }
    const double cosLat = std::cos(latitude * Rad);
    Match best;
    for (int i = first; i <= last; ++i) {
        const Match m = project(i, latitude, longitude, heading, cosLat);
        if (best.segment < 0 || m.score < best.score)
            best = m;
    }
    m_lastSearch = last - first + 1;

    const Point &a = m_points.at(best.segment);
    const Point &b = m_points.at(qMin(best.segment + 1, m_points.size() - 1));
    const double t = qBound(0.0, best.t, 1.0);
    m_segment = best.segment;
    m_along = a.along + t * (b.along - a.along);

    state.matched = true;
    state.step = qBound(0, a.step, m_stepStart.size() - 1);
    state.along = m_along;
    state.offRoute = best.distance;
    const double end = stepEnd(state.step);
    state.toManeuver = qMax(0.0, end - m_along);
    state.remaining = qMax(0.0, length() - m_along);
    const double stepLength = end - m_stepStart.value(state.step);
    const double share = stepLength > 0 ? qBound(0.0, state.toManeuver / stepLength, 1.0) : 0.0;
    state.remainingSeconds = m_stepSeconds.value(state.step) * share + m_secondsAfter.value(state.step);
    const Point &goal = m_points.last();
    state.toDestination = distance(latitude, longitude, goal.lat, goal.lon);
    state.beyondEnd = best.segment == segments - 1 && best.t > 1;
    // Over the next few tens of metres: one short segment of a drawn bend
    // would turn a map that follows it by its own angle.
    const double lat0 = a.lat + t * (b.lat - a.lat), lon0 = a.lon + t * (b.lon - a.lon);
    int ahead = best.segment + 1;
    while (ahead < m_points.size() - 1 && m_points.at(ahead).along < m_along + BearingAhead)
        ++ahead;
    if (ahead < m_points.size() && distance(lat0, lon0, m_points.at(ahead).lat, m_points.at(ahead).lon) > 1)
        state.roadBearing = bearing(lat0, lon0, m_points.at(ahead).lat, m_points.at(ahead).lon);
    if (best.distance <= OnRoute) {
        if (m_along >= m_furthest)
            m_furthest = m_along;
        state.backwards = m_furthest - m_along;
    }
    return state;
}
