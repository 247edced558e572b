#include "maneuvertext.h"

#include "directions/maneuver.h"
#include "directions/step.h"
#include "directions/tripfigures.h"

#include <QLocale>

#include <cmath>

QString ManeuverText::action(const Step &step)
{
    return Maneuver(step).words();
}

QString ManeuverText::arrivalAhead()
{
    return tr("You reach your destination");
}

QString ManeuverText::distance(double metres, bool imperial)
{
    if (!std::isfinite(metres) || metres < 15)
        return tr("now");
    const auto rounded = [](double value, double unit) { return qMax(unit, std::round(value / unit) * unit); };
    if (imperial) {
        const double feet = metres / 0.3048;
        if (feet < 528)
            return tr("%1 ft").arg(rounded(feet, 50));
        const double miles = metres / 1609.344;
        return tr("%1 mi").arg(TripFigures::decimal(miles, miles < 10 ? 1 : 0));
    }
    const double shown = metres < 100 ? rounded(metres, 10) : metres < 500 ? rounded(metres, 50) : rounded(metres, 100);
    if (shown < 1000)
        return tr("%1 m").arg(shown);
    return tr("%1 km").arg(TripFigures::decimal(metres / 1000, metres < 9950 ? 1 : 0));
}

// As people say them: "In 800 metres", "In 1 kilometre", "In 1.5 kilometres".
QString ManeuverText::early(double metres, bool imperial, const QString &action)
{
    const QString what = lowerFirst(action);
    if (imperial) {
        const double feet = metres / 0.3048;
        if (feet < 1000)
            return tr("In %1 feet, %2").arg(qMax(100.0, std::round(feet / 100) * 100)).arg(what);
        return tr("In %1 miles, %2").arg(TripFigures::decimal(metres / 1609.344, 1), what);
    }
    const double shown = metres < 300 ? qMax(50.0, std::round(metres / 50) * 50) : std::round(metres / 100) * 100;
    if (shown < 1000)
        return tr("In %1 metres, %2").arg(shown).arg(what);
    const double km = metres < 10000 ? qMax(1.0, std::round(metres / 500) / 2) : std::round(metres / 1000);
    if (km == 1)
        return tr("In 1 kilometre, %1").arg(what);
    return tr("In %1 kilometres, %2").arg(TripFigures::decimal(km, 1), what);
}

QString ManeuverText::then(const QString &action)
{
    return tr("then %1").arg(lowerFirst(action));
}

QString ManeuverText::duration(double seconds)
{
    // The sheet's figure: at the start the banner says what the sheet says.
    return TripFigures::duration(qRound64(qMax(0.0, seconds)));
}

QString ManeuverText::youHaveArrived()
{
    return tr("You have arrived");
}

QString ManeuverText::rerouting()
{
    return tr("Rerouting");
}

QString ManeuverText::turnAround()
{
    return tr("Turn around when possible");
}

// Where the action follows a distance: "turn left", not "Turn left". A
// street name never starts an action, so only the verb changes.
QString ManeuverText::lowerFirst(const QString &text)
{
    if (text.isEmpty())
        return text;
    return text.left(1).toLower() + text.mid(1);
}
