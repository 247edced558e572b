#ifndef TRIPFIGURES_H
#define TRIPFIGURES_H

#include <QCoreApplication>
#include <QString>

class Directions;
class Step;

// How far and how long, as the route sheet writes them: "465 km" (or "289 mi"
// in imperial units), "4 h 32 min".
class TripFigures
{
    Q_DECLARE_TR_FUNCTIONS(TripFigures)
public:
    static QString distance(qint64 metres, bool imperial = false);
    static QString duration(qint64 seconds);
    // "via A6, 465 km, 4 h 32 min": the summary and the sums of the steps'
    // figures; a part the reply did not give is left out.
    static QString routeLine(const Directions &route, bool imperial = false);
    // The step's distance and duration as the service wrote them (in the units
    // asked for), or from its numbers where it sent no text.
    static QString stepLine(const Step &step);
};

#endif
