#ifndef GEOCODEADDRESS_H
#define GEOCODEADDRESS_H

#include "geocoding/location.h"

#include <QStringList>

// One candidate of a geocoding answer: a place plus the service's types for it.
class GeocodeAddress : public Location
{
public:
    QStringList m_types;
    QString m_locationType;
};

#endif
