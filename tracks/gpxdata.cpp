#include "gpxdata.h"

#include <cmath>

double GpxLine::length() const
{
    const double r = 6371008.8, rad = M_PI / 180;
    double sum = 0;
    for (int i = 1; i < points.size(); ++i) {
        const GpxPoint &a = points[i - 1], &b = points[i];
        const double dLat = (b.latitude - a.latitude) * rad, dLng = (b.longitude - a.longitude) * rad;
        const double h = std::sin(dLat / 2) * std::sin(dLat / 2)
            + std::cos(a.latitude * rad) * std::cos(b.latitude * rad) * std::sin(dLng / 2) * std::sin(dLng / 2);
        sum += 2 * r * std::asin(std::min(1.0, std::sqrt(h)));
    }
    return sum;
}

qint64 GpxLine::duration() const
{
    QDateTime first, last;
    for (const GpxPoint &point : points) {
        if (!point.time.isValid())
            continue;
        if (!first.isValid())
            first = point.time;
        last = point.time;
    }
    return first.isValid() ? qMax<qint64>(0, first.secsTo(last)) : 0;
}
