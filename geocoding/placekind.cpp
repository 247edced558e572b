#include "placekind.h"

#include <QRegularExpression>

namespace {

struct Kind {
    const char *type;
    const char *text;
};

// Most telling first: a pharmacy is also a point of interest and an establishment.
const Kind Kinds[] = {
    {"pharmacy", QT_TRANSLATE_NOOP("PlaceKind", "Pharmacy")},
    {"restaurant", QT_TRANSLATE_NOOP("PlaceKind", "Restaurant")},
    {"cafe", QT_TRANSLATE_NOOP("PlaceKind", "Café")},
    {"bar", QT_TRANSLATE_NOOP("PlaceKind", "Bar")},
    {"lodging", QT_TRANSLATE_NOOP("PlaceKind", "Hotel")},
    {"gas_station", QT_TRANSLATE_NOOP("PlaceKind", "Fuel")},
    {"supermarket", QT_TRANSLATE_NOOP("PlaceKind", "Supermarket")},
    {"parking", QT_TRANSLATE_NOOP("PlaceKind", "Parking")},
    {"toilets", QT_TRANSLATE_NOOP("PlaceKind", "Toilets")},
    {"casino", QT_TRANSLATE_NOOP("PlaceKind", "Casino")},
    {"administrative_area_level_1", QT_TRANSLATE_NOOP("PlaceKind", "Region")},
    {"administrative_area_level_2", QT_TRANSLATE_NOOP("PlaceKind", "Region")},
    {"sublocality", QT_TRANSLATE_NOOP("PlaceKind", "District")},
    {"neighborhood", QT_TRANSLATE_NOOP("PlaceKind", "District")},
    {"postal_code", QT_TRANSLATE_NOOP("PlaceKind", "Postcode")},
};

// Types that say nothing of their own beside a more telling one, and towns and
// countries, which their names tell.
const char *const Plain[] = {"street_address", "premise", "route", "intersection", "political",
                             "point_of_interest", "establishment", "geocode", "locality",
                             "country"};

bool isPlain(const QString &type)
{
    for (const char *plain : Plain)
        if (type == QLatin1String(plain))
            return true;
    return false;
}

}

QString PlaceKind::of(const QStringList &types)
{
    if (types.contains("street_address") || types.contains("premise") || types.contains("route")
        || types.contains("locality") || types.contains("country"))
        return QString();
    for (const Kind &kind : Kinds)
        if (types.contains(QLatin1String(kind.type)))
            return tr(kind.text);
    // A kind this list does not know, as the reply words it ("car_wash": "Car wash").
    static const QRegularExpression word("^[a-z][a-z0-9_]{1,40}$");
    for (const QString &type : types) {
        if (isPlain(type) || !word.match(type).hasMatch())
            continue;
        QString text = type;
        text.replace('_', ' ');
        text[0] = text[0].toUpper();
        return text;
    }
    if (types.contains("point_of_interest") || types.contains("establishment"))
        return tr("Place of interest");
    return QString();
}

QString PlaceKind::row(const QString &description, const QStringList &types)
{
    const QString kind = of(types);
    return kind.isEmpty() ? description : kind + QString::fromUtf8(" · ") + description;
}
