#include "savedplaces.h"

QList<GeocodeAddress> &SavedPlaces::places()
{
    static QList<GeocodeAddress> list;
    return list;
}

void SavedPlaces::set(const QList<GeocodeAddress> &list)
{
    places() = list;
}

QStringList SavedPlaces::names()
{
    QStringList out;
    for (const GeocodeAddress &place : places())
        out << place.description();
    return out;
}

const GeocodeAddress *SavedPlaces::find(const QString &text)
{
    const QString wanted = text.simplified();
    for (const GeocodeAddress &place : places()) {
        if (!wanted.isEmpty() && place.description().compare(wanted, Qt::CaseInsensitive) == 0)
            return &place;
    }
    return nullptr;
}
