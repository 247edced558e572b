#include "driveview.h"

#include <QtMath>

#include <cmath>

namespace {
// Web Mercator: metres per pixel at zoom 0 on the equator (256-pixel tiles).
const double MetresPerPixelAtZoom0 = 156543.03392;
// A zoom holds while what is wanted lies within this band around it:
// zooming out as soon as the road ahead no longer fits, in only when a
// whole level and a quarter would.
const double OutBelow = 0.15;
const double InAbove = 1.25;
}

double DriveView::lookAhead(double speed, double toManeuver)
{
    double metres = qBound(MinLookAhead, (std::isfinite(speed) ? qMax(0.0, speed) : 0.0) * LookAheadSeconds,
                           MaxLookAhead);
    if (std::isfinite(toManeuver) && toManeuver >= 0 && toManeuver < metres)
        metres = qMax(MinLookAhead, toManeuver * 1.5);
    return metres;
}

double DriveView::fittingZoom(double metres, double pixels, double latitude)
{
    const double cosLat = qMax(0.01, std::cos(qDegreesToRadians(latitude)));
    return std::log2(MetresPerPixelAtZoom0 * cosLat * qMax(1.0, pixels) / qMax(1.0, metres));
}

void DriveView::reset()
{
    m_zoom = -1;
    m_hasBearing = false;
}

void DriveView::setMap(const QSize &size, int topInset)
{
    if (size.isValid() && !size.isEmpty())
        m_size = size;
    m_topInset = qMax(0, topInset);
}

int DriveView::ahead() const
{
    const int h = m_size.height();
    const int carY = qMax(h / 2, qMin(int(h * CarHeight), h - BottomMargin));
    return carY - h / 2;
}

bool DriveView::update(double latitude, double speed, double toManeuver, double bearing, qint64 timeMs)
{
    const int oldZoom = m_zoom, oldBearing = m_bearing;
    const int carY = m_size.height() / 2 + ahead();
    const double wanted = qBound(double(MinZoom),
                                 fittingZoom(lookAhead(speed, toManeuver), carY - m_topInset, latitude),
                                 double(MaxZoom));
    if (m_zoom < 0) {
        m_zoom = int(std::floor(wanted));
        m_changedMs = timeMs;
    } else if (timeMs - m_changedMs >= HoldMs || timeMs < m_changedMs) {
        if (wanted < m_zoom - OutBelow)
            --m_zoom;
        else if (wanted >= m_zoom + InAbove)
            ++m_zoom;
        if (m_zoom != oldZoom)
            m_changedMs = timeMs;
    }

    if (bearing >= 0 && std::isfinite(bearing)) {
        const int step = int(std::lround(bearing / RotationStep)) * RotationStep;
        if (!m_hasBearing) {
            m_bearing = step % 360;
            m_hasBearing = true;
        } else {
            // The short way round from where the map stands, at most a
            // limited turn per fix so that a corner turns the map in steps.
            int diff = ((step - m_bearing) % 360 + 540) % 360 - 180;
            diff = qBound(-MaxTurnPerFix, diff, MaxTurnPerFix);
            m_bearing += diff;
            // Keep the number small without a jump the map would show.
            if (m_bearing >= 720 || m_bearing <= -720)
                m_bearing %= 360;
        }
    }
    return m_zoom != oldZoom || m_bearing != oldBearing;
}
