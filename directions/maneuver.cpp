#include "maneuver.h"

#include "directions/step.h"

#include <QHash>
#include <QLocale>
#include <QRegularExpression>

namespace {

const QRegularExpression::PatternOptions Caseless = QRegularExpression::CaseInsensitiveOption;

bool isDirection(const QString &word)
{
    static const QStringList words{"left", "right", "u-turn", "north", "south", "east", "west", "northeast",
                                   "northwest", "southeast", "southwest"};
    return words.contains(word.toLower());
}

bool isCompass(const QString &word)
{
    return isDirection(word) && word.compare("left", Qt::CaseInsensitive) && word.compare("right", Qt::CaseInsensitive)
           && word.compare("u-turn", Qt::CaseInsensitive);
}

struct Words
{
    const char *bare;
    const char *onto;
    const char *toward;
};

// Templates per maneuver word of the service. %1 is the street (or the
// place the way leads toward).
const QHash<QString, Words> &templates()
{
    static const QHash<QString, Words> words{
        {"turn-left", {QT_TRANSLATE_NOOP("Maneuver", "Turn left"), QT_TRANSLATE_NOOP("Maneuver", "Turn left onto %1"),
                       QT_TRANSLATE_NOOP("Maneuver", "Turn left toward %1")}},
        {"turn-right", {QT_TRANSLATE_NOOP("Maneuver", "Turn right"), QT_TRANSLATE_NOOP("Maneuver", "Turn right onto %1"),
                        QT_TRANSLATE_NOOP("Maneuver", "Turn right toward %1")}},
        {"turn-slight-left", {QT_TRANSLATE_NOOP("Maneuver", "Bear left"), QT_TRANSLATE_NOOP("Maneuver", "Bear left onto %1"),
                              QT_TRANSLATE_NOOP("Maneuver", "Bear left toward %1")}},
        {"turn-slight-right", {QT_TRANSLATE_NOOP("Maneuver", "Bear right"), QT_TRANSLATE_NOOP("Maneuver", "Bear right onto %1"),
                               QT_TRANSLATE_NOOP("Maneuver", "Bear right toward %1")}},
        {"turn-sharp-left", {QT_TRANSLATE_NOOP("Maneuver", "Turn sharp left"), QT_TRANSLATE_NOOP("Maneuver", "Turn sharp left onto %1"),
                             QT_TRANSLATE_NOOP("Maneuver", "Turn sharp left toward %1")}},
        {"turn-sharp-right", {QT_TRANSLATE_NOOP("Maneuver", "Turn sharp right"), QT_TRANSLATE_NOOP("Maneuver", "Turn sharp right onto %1"),
                              QT_TRANSLATE_NOOP("Maneuver", "Turn sharp right toward %1")}},
        {"uturn-left", {QT_TRANSLATE_NOOP("Maneuver", "Make a U-turn"), QT_TRANSLATE_NOOP("Maneuver", "Make a U-turn onto %1"),
                        QT_TRANSLATE_NOOP("Maneuver", "Make a U-turn toward %1")}},
        {"uturn-right", {QT_TRANSLATE_NOOP("Maneuver", "Make a U-turn"), QT_TRANSLATE_NOOP("Maneuver", "Make a U-turn onto %1"),
                         QT_TRANSLATE_NOOP("Maneuver", "Make a U-turn toward %1")}},
        {"keep-left", {QT_TRANSLATE_NOOP("Maneuver", "Keep left"), QT_TRANSLATE_NOOP("Maneuver", "Keep left onto %1"),
                       QT_TRANSLATE_NOOP("Maneuver", "Keep left toward %1")}},
        {"keep-right", {QT_TRANSLATE_NOOP("Maneuver", "Keep right"), QT_TRANSLATE_NOOP("Maneuver", "Keep right onto %1"),
                        QT_TRANSLATE_NOOP("Maneuver", "Keep right toward %1")}},
        {"fork-left", {QT_TRANSLATE_NOOP("Maneuver", "Keep left at the fork"), QT_TRANSLATE_NOOP("Maneuver", "Keep left at the fork onto %1"),
                       QT_TRANSLATE_NOOP("Maneuver", "Keep left at the fork toward %1")}},
        {"fork-right", {QT_TRANSLATE_NOOP("Maneuver", "Keep right at the fork"), QT_TRANSLATE_NOOP("Maneuver", "Keep right at the fork onto %1"),
                        QT_TRANSLATE_NOOP("Maneuver", "Keep right at the fork toward %1")}},
        {"ramp-left", {QT_TRANSLATE_NOOP("Maneuver", "Take the ramp on the left"), QT_TRANSLATE_NOOP("Maneuver", "Take the ramp on the left onto %1"),
                       QT_TRANSLATE_NOOP("Maneuver", "Take the ramp on the left toward %1")}},
        {"ramp-right", {QT_TRANSLATE_NOOP("Maneuver", "Take the ramp on the right"), QT_TRANSLATE_NOOP("Maneuver", "Take the ramp on the right onto %1"),
                        QT_TRANSLATE_NOOP("Maneuver", "Take the ramp on the right toward %1")}},
        {"merge", {QT_TRANSLATE_NOOP("Maneuver", "Merge"), QT_TRANSLATE_NOOP("Maneuver", "Merge onto %1"),
                   QT_TRANSLATE_NOOP("Maneuver", "Merge toward %1")}},
        {"straight", {QT_TRANSLATE_NOOP("Maneuver", "Continue straight"), QT_TRANSLATE_NOOP("Maneuver", "Continue on %1"),
                      QT_TRANSLATE_NOOP("Maneuver", "Continue straight toward %1")}},
    };
    return words;
}

} // namespace

QString Maneuver::plain(const QString &html)
{
    static const QRegularExpression tag("<[^>]*>");
    QString text = html;
    text.replace(tag, " ");
    return text.simplified();
}

Maneuver::Maneuver(const Step &step)
    : m_type(step.m_maneuver)
{
    // The notes (the destination's side) are sentences of their own.
    static const QRegularExpression note("<div[^>]*>(.*?)</div>", Caseless | QRegularExpression::DotMatchesEverythingOption);
    const QString html = step.description();
    QString main = html;
    main.remove(note);
    m_fallback = plain(main);

    static const QRegularExpression side("destination\\b[^.<]*?\\bon the (left|right)", Caseless);
    const QRegularExpressionMatch onSide = side.match(plain(html));
    if (onSide.hasMatch())
        m_destinationSide = onSide.captured(1).toLower();

    static const QRegularExpression exitNumber("\\b(\\d{1,2})(?:st|nd|rd|th)?\\s+exit\\b", Caseless);
    const QRegularExpressionMatch exitMatch = exitNumber.match(m_fallback);
    if (exitMatch.hasMatch())
        m_exit = exitMatch.captured(1).toInt();

    // Streets are in bold in the offline router's and the online service's
    // sentences; what stands before each bold text tells what it names.
    static const QRegularExpression bold("<b>(.*?)</b>", Caseless);
    static const QRegularExpression ordinalWord("^\\d+(?:st|nd|rd|th)?$", Caseless);
    int at = 0;
    auto it = bold.globalMatch(main);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const QString before = plain(main.mid(at, m.capturedStart() - at)).toLower();
        const QString text = plain(m.captured(1));
        at = m.capturedEnd();
        if (text.isEmpty() || ordinalWord.match(text).hasMatch())
            continue;
        if (isDirection(text)) {
            if (isCompass(text) && before.endsWith("head"))
                m_heading = text.toLower();
            continue;
        }
        if (before.endsWith("toward") || before.endsWith("towards")) {
            if (m_toward.isEmpty())
                m_toward = text;
        } else if (m_street.isEmpty()) {
            m_street = text;
        }
    }
    // Sentences without markup ("Turn right onto Landstrasse").
    if (m_street.isEmpty() && m_toward.isEmpty()) {
        static const QRegularExpression onto("\\b(?:onto|to stay on)\\s+(.+?)(?:\\s+toward\\s+.*)?$", Caseless);
        const QRegularExpressionMatch m = onto.match(m_fallback);
        if (m.hasMatch())
            m_street = m.captured(1);
    }
}

QString Maneuver::iconFile() const
{
    return iconFile(m_type);
}

QString Maneuver::iconFile(const QString &type)
{
    static const QStringList drawn{
        "straight", "merge",
        "turn-left", "turn-right", "turn-slight-left", "turn-slight-right",
        "turn-sharp-left", "turn-sharp-right", "uturn-left", "uturn-right",
        "roundabout-left", "roundabout-right", "ramp-left", "ramp-right"};
    // Keeping to a side and taking a fork read as a slight turn; other words
    // (a ferry) have no icon.
    static const QHash<QString, QString> alike{
        {"keep-left", "turn-slight-left"}, {"fork-left", "turn-slight-left"},
        {"keep-right", "turn-slight-right"}, {"fork-right", "turn-slight-right"}};
    const QString name = alike.value(type, type);
    return drawn.contains(name) ? ":/images/" + name + ".png" : QString();
}

QString Maneuver::ordinal(int n)
{
    //: How an ordinal number is written: "%1st" for 1, 21, 31... Languages that write "1." translate every form so.
    const char *forms[] = {QT_TR_NOOP("%1th"), QT_TR_NOOP("%1st"), QT_TR_NOOP("%1nd"), QT_TR_NOOP("%1rd")};
    const int last = n % 10;
    const int form = (n % 100 >= 11 && n % 100 <= 13) || last > 3 ? 0 : last;
    return tr(forms[form]).arg(n);
}

QString Maneuver::build(bool rich) const
{
    const auto fill = [rich](const QString &pattern, const QString &value) {
        if (!rich)
            return pattern.arg(value);
        return pattern.toHtmlEscaped().arg("<b>" + value.toHtmlEscaped() + "</b>");
    };
    const QString target = m_street.isEmpty() ? m_toward : m_street;
    if (m_type.startsWith("roundabout") && m_exit > 0) {
        const QString exit = ordinal(m_exit);
        QString text;
        if (!m_street.isEmpty())
            text = tr("At the roundabout, take the %1 exit onto %2").arg(exit, "\x01");
        else
            text = tr("At the roundabout, take the %1 exit").arg(exit);
        if (rich)
            text = text.toHtmlEscaped();
        return text.replace("\x01", rich ? "<b>" + m_street.toHtmlEscaped() + "</b>" : m_street);
    }
    if (m_type.startsWith("roundabout") && !target.isEmpty())
        return fill(tr("Enter the roundabout and leave it onto %1"), target);
    if (m_type.startsWith("roundabout"))
        return rich ? tr("Enter the roundabout").toHtmlEscaped() : tr("Enter the roundabout");
    const auto found = templates().constFind(m_type);
    if (found != templates().constEnd()) {
        if (!m_street.isEmpty())
            return fill(tr(found->onto), m_street);
        if (!m_toward.isEmpty())
            return fill(tr(found->toward), m_toward);
        const QString bare = tr(found->bare);
        return rich ? bare.toHtmlEscaped() : bare;
    }
    if (m_type.isEmpty() && !m_heading.isEmpty()) {
        static const QHash<QString, const char *> headings{
            {"north", QT_TR_NOOP("Head north")}, {"northeast", QT_TR_NOOP("Head northeast")},
            {"east", QT_TR_NOOP("Head east")}, {"southeast", QT_TR_NOOP("Head southeast")},
            {"south", QT_TR_NOOP("Head south")}, {"southwest", QT_TR_NOOP("Head southwest")},
            {"west", QT_TR_NOOP("Head west")}, {"northwest", QT_TR_NOOP("Head northwest")}};
        const QString head = tr(headings.value(m_heading));
        if (m_street.isEmpty())
            return rich ? head.toHtmlEscaped() : head;
        return fill(tr("%1 on %2").arg(head, "%1"), m_street);
    }
    if (m_type.isEmpty() && m_fallback.startsWith("Continue", Qt::CaseInsensitive) && !m_street.isEmpty())
        return fill(tr("Continue on %1"), m_street);
    return QString();
}

bool Maneuver::fits() const
{
    return !build(false).isEmpty();
}

// Where no template fits, the route's own sentence.
QString Maneuver::words() const
{
    const QString text = build(false);
    return text.isEmpty() ? m_fallback : text;
}

QString Maneuver::richWords() const
{
    const QString text = build(true);
    return text.isEmpty() ? m_fallback.toHtmlEscaped() : text;
}

QString Maneuver::destinationSentence() const
{
    if (m_destinationSide == "left")
        return tr("Your destination is on the left");
    if (m_destinationSide == "right")
        return tr("Your destination is on the right");
    return QString();
}

QString Maneuver::sheetText() const
{
    const QString side = destinationSentence();
    return side.isEmpty() ? words() : tr("%1. %2").arg(words(), side);
}
