#include "maneuvertext.h"

#include "directions/step.h"

#include <QHash>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>

QString ManeuverText::plain(const QString &html)
{
    static const QRegularExpression tag("<[^>]*>");
    QString text = html;
    text.replace(tag, " ");
    return text.simplified();
}

QString ManeuverText::street(const QString &html)
{
    static const QRegularExpression bold("<b>(.*?)</b>", QRegularExpression::CaseInsensitiveOption);
    static const QStringList directions{"left", "right", "north", "south", "east", "west", "northeast",
                                        "northwest", "southeast", "southwest", "u-turn"};
    QString found;
    auto it = bold.globalMatch(html);
    while (it.hasNext()) {
        const QString text = plain(it.next().captured(1));
        if (!text.isEmpty() && !directions.contains(text.toLower()))
            found = text;
    }
    return found;
}

QString ManeuverText::rich(const QString &html)
{
    // Only bold survives: the reply is untrusted, and a label would load
    // images or follow links that it names.
    static const QRegularExpression parts("(<b>.*?</b>)", QRegularExpression::CaseInsensitiveOption);
    QString out;
    int at = 0;
    auto it = parts.globalMatch(html);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += plain(html.mid(at, m.capturedStart() - at)).toHtmlEscaped() + ' ';
        out += "<b>" + plain(m.captured(1)).toHtmlEscaped() + "</b> ";
        at = m.capturedEnd();
    }
    out += plain(html.mid(at)).toHtmlEscaped();
    return out.simplified();
}

QString ManeuverText::action(const Step &step)
{
    const QString road = street(step.description());
    const QString m = step.m_maneuver;
    struct Words
    {
        const char *bare;
        const char *onto;
    };
    static const QHash<QString, Words> words{
        {"turn-left", {QT_TR_NOOP("Turn left"), QT_TR_NOOP("Turn left onto %1")}},
        {"turn-right", {QT_TR_NOOP("Turn right"), QT_TR_NOOP("Turn right onto %1")}},
        {"turn-slight-left", {QT_TR_NOOP("Bear left"), QT_TR_NOOP("Bear left onto %1")}},
        {"turn-slight-right", {QT_TR_NOOP("Bear right"), QT_TR_NOOP("Bear right onto %1")}},
        {"turn-sharp-left", {QT_TR_NOOP("Turn sharp left"), QT_TR_NOOP("Turn sharp left onto %1")}},
        {"turn-sharp-right", {QT_TR_NOOP("Turn sharp right"), QT_TR_NOOP("Turn sharp right onto %1")}},
        {"uturn-left", {QT_TR_NOOP("Make a U-turn"), QT_TR_NOOP("Make a U-turn onto %1")}},
        {"uturn-right", {QT_TR_NOOP("Make a U-turn"), QT_TR_NOOP("Make a U-turn onto %1")}},
        {"keep-left", {QT_TR_NOOP("Keep left"), QT_TR_NOOP("Keep left onto %1")}},
        {"keep-right", {QT_TR_NOOP("Keep right"), QT_TR_NOOP("Keep right onto %1")}},
        {"fork-left", {QT_TR_NOOP("Keep left at the fork"), QT_TR_NOOP("Keep left at the fork onto %1")}},
        {"fork-right", {QT_TR_NOOP("Keep right at the fork"), QT_TR_NOOP("Keep right at the fork onto %1")}},
        {"ramp-left", {QT_TR_NOOP("Take the ramp on the left"), QT_TR_NOOP("Take the ramp on the left onto %1")}},
        {"ramp-right", {QT_TR_NOOP("Take the ramp on the right"), QT_TR_NOOP("Take the ramp on the right onto %1")}},
        {"roundabout-left", {QT_TR_NOOP("Enter the roundabout"), QT_TR_NOOP("Enter the roundabout toward %1")}},
        {"roundabout-right", {QT_TR_NOOP("Enter the roundabout"), QT_TR_NOOP("Enter the roundabout toward %1")}},
        {"merge", {QT_TR_NOOP("Merge"), QT_TR_NOOP("Merge onto %1")}},
        {"straight", {QT_TR_NOOP("Continue straight"), QT_TR_NOOP("Continue on %1")}},
    };
    const auto found = words.constFind(m);
    if (found == words.constEnd())
        return plain(step.description());
    if (road.isEmpty())
        return tr(found->bare);
    return tr(found->onto).arg(road);
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
        return tr("%1 mi").arg(QLocale().toString(miles, 'f', miles < 10 ? 1 : 0));
    }
    if (metres < 100)
        return tr("%1 m").arg(rounded(metres, 10));
    if (metres < 500)
        return tr("%1 m").arg(rounded(metres, 50));
    if (metres < 1000)
        return tr("%1 m").arg(rounded(metres, 100));
    return tr("%1 km").arg(QLocale().toString(metres / 1000, 'f', metres < 10000 ? 1 : 0));
}

QString ManeuverText::early(double metres, bool imperial, const QString &action)
{
    const QString what = lowerFirst(action);
    if (imperial) {
        const double feet = metres / 0.3048;
        if (feet < 1000)
            return tr("In %1 feet, %2").arg(qMax(100.0, std::round(feet / 100) * 100)).arg(what);
        return tr("In %1 miles, %2").arg(QLocale().toString(metres / 1609.344, 'f', 1), what);
    }
    if (metres < 1000)
        return tr("In %1 metres, %2").arg(qMax(50.0, std::round(metres / 50) * 50)).arg(what);
    return tr("In %1 kilometres, %2").arg(QLocale().toString(metres / 1000, 'f', 1), what);
}

QString ManeuverText::then(const QString &action)
{
    return tr("then %1").arg(lowerFirst(action));
}

QString ManeuverText::duration(double seconds)
{
    const int minutes = int(std::ceil(qMax(0.0, seconds) / 60));
    if (minutes < 60)
        return tr("%1 min").arg(minutes);
    return tr("%1 h %2 min").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar('0'));
}

QString ManeuverText::youHaveArrived()
{
    return tr("You have arrived");
}

QString ManeuverText::rerouting()
{
    return tr("Rerouting");
}

// Where the action follows a distance: "turn left", not "Turn left". A
// street name never starts an action, so only the verb changes.
QString ManeuverText::lowerFirst(const QString &text)
{
    if (text.isEmpty())
        return text;
    return text.left(1).toLower() + text.mid(1);
}
