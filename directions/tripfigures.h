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
    // A number in the interface's format with at most `decimals` decimals,
    // none when they are zero: "1", "1,5" in Finnish.
    static QString decimal(double value, int decimals);
    static QString duration(qint64 seconds);
    // "via A6, 465 km, 4 h 32 min": the summary and the sums of the steps'
    // figures; a part the reply did not give is left out.
    static QString routeLine(const Directions &route, bool imperial = false);
    // The step's distance and duration from its numbers, in the units asked
    // for (the service's own texts where it sent no numbers); a step under a
    // minute in seconds ("40 s"), so that the steps add up to the route.
    static QString stepLine(const Step &step, bool imperial = false);
    static QString stepDuration(qint64 seconds);
};

#endif
