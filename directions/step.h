#ifndef STEP_H
#define STEP_H

#include "geocoding/location.h"

#include <QPointF>
#include <QString>
#include <QVector>

// One step of a route: where it starts, its instruction (HTML as the service
// sent it), how long and far it goes, as numbers and as display texts, and the
// service's maneuver word ("turn-left", ...; empty when it sent none), where
// it ends and the line it follows (latitude in x, longitude in y; empty when
// the reply had none or an unreadable one).
class Step : public Location
{
public:
    QString toString() const;

    int m_duration = 0;
    QString m_durationText;
    int m_distance = 0;
    QString m_distanceText;
    QString m_maneuver;
    double m_endLatitude = 0.0;
    double m_endLongitude = 0.0;
    bool m_hasEnd = false;
    QVector<QPointF> m_path;
};

#endif
