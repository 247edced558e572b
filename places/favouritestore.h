#ifndef FAVOURITESTORE_H
#define FAVOURITESTORE_H

#include "places/favourite.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// The saved places, kept in one JSON file in the user's data folder. Every
// change is written at once, atomically; a file that cannot be read is moved
// aside (never overwritten) and the list starts empty.
class FavouriteStore : public QObject
{
    Q_OBJECT
public:
    static const int MaxPlaces = 1000;
    static const int MaxNameLength = 200;
    static const qint64 MaxFileSize = 4 * 1024 * 1024;

    // path: the file; empty for "marlu/favourites.json" in the data folder.
    explicit FavouriteStore(const QString &path = QString(), QObject *parent = nullptr);

    QString path() const { return m_path; }
    // Reads the file again. False when it was damaged: problem() says what
    // happened in one sentence, and where the file now is.
    bool load();
    QString problem() const { return m_problem; }

    const QList<Favourite> &favourites() const { return m_places; }
    // The Home or Work entry, or -1.
    int indexOf(Favourite::Kind kind) const;
    // The entry whose name is `text` (whatever its case), or -1.
    int indexOfName(const QString &text) const;
    QStringList names() const;

    // Adds a place (Home or Work replace the one before); a name taken by
    // another place gets a number. False with lastError() when not saved.
    bool add(Favourite place);
    bool rename(int index, const QString &name);
    bool remove(int index);
    QString lastError() const { return m_lastError; }

    static QString cleanName(const QString &name);

signals:
    void changed();

private:
    bool save(const QList<Favourite> &places);
    QString uniqueName(const QString &name, int except) const;
    void setAside(const QString &why);

    QString m_path;
    QList<Favourite> m_places;
    QString m_problem;
    QString m_lastError;
};

#endif
