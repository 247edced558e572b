#include "tripfigures.h"

#include "directions/directions.h"

#include <QLocale>
#include <QStringList>

#include <cmath>

QString TripFigures::distance(qint64 metres, bool imperial)
{
    if (imperial) {
        const double miles = metres / 1609.344;
        if (miles < 0.1)
            return tr("%1 ft").arg(qRound64(metres / 0.3048));
        if (miles < 10)
            return tr("%1 mi").arg(decimal(miles, 1));
        return tr("%1 mi").arg(qRound64(miles));
    }
    if (metres < 1000)
        return tr("%1 m").arg(metres);
    if (metres < 10000)
        return tr("%1 km").arg(decimal(metres / 1000.0, 1));
    return tr("%1 km").arg((metres + 500) / 1000);
}

QString TripFigures::duration(qint64 seconds)
{
    // A short step still takes time: under half a minute is not "0 min".
    const qint64 minutes = seconds > 0 ? qMax<qint64>(1, (seconds + 30) / 60) : 0;
    if (minutes < 60)
        return tr("%1 min").arg(minutes);
    if (minutes % 60 == 0)
        return tr("%1 h").arg(minutes / 60);
    return tr("%1 h %2 min").arg(minutes / 60).arg(minutes % 60);
}

QString TripFigures::routeLine(const Directions &route, bool imperial)
{
    // Values that did not convert were read as 0; a negative one is nonsense.
    qint64 metres = 0;
    qint64 seconds = 0;
    for (const Step &step : route.steps) {
        metres += qMax(0, step.m_distance);
        seconds += qMax(0, step.m_duration);
    }
    QStringList parts;
    if (!route.summary.isEmpty())
        parts << tr("via %1").arg(route.summary);
    if (metres > 0)
        parts << distance(metres, imperial);
    if (seconds > 0)
        parts << duration(seconds);
    return parts.join(QStringLiteral(", "));
}

QString TripFigures::decimal(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(value * scale) / scale;
    return QLocale().toString(rounded, 'f', rounded == std::round(rounded) ? 0 : decimals);
}

QString TripFigures::stepDuration(qint64 seconds)
{
    if (seconds >= 60 || seconds <= 0)
        return duration(seconds);
    return tr("%1 s").arg(qMax<qint64>(5, (seconds + 2) / 5 * 5));
}

QString TripFigures::stepLine(const Step &step, bool imperial)
{
    QStringList parts;
    if (step.m_distance > 0)
        parts << distance(step.m_distance, imperial);
    else if (!step.m_distanceText.isEmpty())
        parts << step.m_distanceText;
    if (step.m_duration > 0)
        parts << stepDuration(step.m_duration);
    else if (!step.m_durationText.isEmpty())
        parts << step.m_durationText;
    return parts.join(QStringLiteral(" · "));
}
