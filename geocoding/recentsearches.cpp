#include "recentsearches.h"

#include "geocoding/savedplaces.h"

#include <QSettings>

static const char *const Key = "RecentSearches";

QStringList RecentSearches::load()
{
    // Whatever the file holds: a single text reads as a list of one, other values as none.
    return cleaned(QSettings().value(Key).toStringList());
}

QStringList RecentSearches::add(const QString &text)
{
    const QStringList entries = cleaned(QStringList{text} + load());
    QSettings().setValue(Key, entries);
    return entries;
}

QStringList RecentSearches::cleaned(const QStringList &entries)
{
    QStringList out;
    for (const QString &entry : entries) {
        const QString text = entry.simplified();
        if (!text.isEmpty() && !out.contains(text, Qt::CaseInsensitive))
            out << text;
        if (out.size() == Limit)
            break;
    }
    return out;
}

QStringList RecentSearches::withSavedPlaces(const QStringList &entries)
{
    QStringList out = entries;
    for (const QString &name : SavedPlaces::names()) {
        if (!out.contains(name, Qt::CaseInsensitive))
            out << name;
    }
    return out;
}
