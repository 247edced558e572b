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

private:
    static QStringList cleaned(const QStringList &entries);
};

#endif
