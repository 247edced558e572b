#include "positionbridge.h"

#include "geolocation.h"

#include <limits>

PositionBridge::PositionBridge(GeoLocation *source, QObject *parent)
    : QObject(parent)
    , m_source(source)
{
    connect(source, &GeoLocation::updated, this, &PositionBridge::updated);
}

// The source goes before the page at shutdown; until then it answers.
double PositionBridge::latitude() const
{
    return m_source ? m_source->latitude() : std::numeric_limits<double>::quiet_NaN();
}

double PositionBridge::longitude() const
{
    return m_source ? m_source->longitude() : std::numeric_limits<double>::quiet_NaN();
}

double PositionBridge::horizontalAccuracy() const
{
    return m_source ? m_source->horizontalAccuracy() : -1;
}
