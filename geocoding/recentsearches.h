#ifndef RECENTSEARCHES_H
#define RECENTSEARCHES_H

#include <QString>
#include <QStringList>

// The last searches typed into the find dialog, newest first, kept in the
// settings under "RecentSearches".
class RecentSearches
{
public:
    static const int Limit = 10;

    static QStringList load();
    // Puts `text` first (once, whatever its case) and returns the new list.
    static QStringList add(const QString &text);
    // `entries` and then the saved places' names that are not among them.
    static QStringList withSavedPlaces(const QStringList &entries);

private:
    static QStringList cleaned(const QStringList &entries);
};

#endif
