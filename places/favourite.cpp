#include "favourite.h"

#include <cmath>

QString Favourite::coordinates() const
{
    return QString("%1,%2").arg(QString::number(latitude, 'f', 6), QString::number(longitude, 'f', 6));
}

double Favourite::distanceTo(double lat, double lng) const
{
    const double r = 6371008.8, rad = M_PI / 180;
    const double dLat = (lat - latitude) * rad, dLng = (lng - longitude) * rad;
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2)
        + std::cos(latitude * rad) * std::cos(lat * rad) * std::sin(dLng / 2) * std::sin(dLng / 2);
    return 2 * r * std::asin(std::min(1.0, std::sqrt(a)));
}

bool Favourite::validCoordinates(double lat, double lng)
{
    return std::isfinite(lat) && std::isfinite(lng) && std::fabs(lat) <= 90 && std::fabs(lng) <= 180;
}
