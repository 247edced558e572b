#ifndef STEP_H
#define STEP_H

#include "geocoding/location.h"

#include <QString>

// One step of a route: where it starts, its instruction (HTML as the service
// sent it), how long and far it goes, as numbers and as display texts, and the
// service's maneuver word ("turn-left", ...; empty when it sent none).
class Step : public Location
{
public:
    QString toString() const;

    int m_duration = 0;
    QString m_durationText;
    int m_distance = 0;
    QString m_distanceText;
    QString m_maneuver;
};

#endif
