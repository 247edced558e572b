#include "favouritestore.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

const char *const KindNames[] = {"place", "home", "work"};

// One entry, or false when any part of it is not what this program writes.
bool readPlace(const QJsonValue &value, Favourite *place)
{
    if (!value.isObject())
        return false;
    const QJsonObject o = value.toObject();
    const QJsonValue lat = o.value("lat"), lng = o.value("lng"), name = o.value("name");
    if (!lat.isDouble() || !lng.isDouble() || !name.isString())
        return false;
    if (!Favourite::validCoordinates(lat.toDouble(), lng.toDouble()))
        return false;
    const QString cleaned = FavouriteStore::cleanName(name.toString());
    if (cleaned.isEmpty() || cleaned != name.toString())
        return false;
    const QString kind = o.value("kind").toString("place");
    int k = 0;
    while (k < 3 && kind != KindNames[k])
        ++k;
    if (k == 3)
        return false;
    place->name = cleaned;
    place->address = o.value("address").toString().left(1000);
    place->latitude = lat.toDouble();
    place->longitude = lng.toDouble();
    place->kind = Favourite::Kind(k);
    return true;
}

}

FavouriteStore::FavouriteStore(const QString &path, QObject *parent)
    : QObject(parent)
    , m_path(path.isEmpty()
                 ? QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                       + "/marlu/favourites.json"
                 : path)
{
}

QString FavouriteStore::cleanName(const QString &name)
{
    QString text = name.simplified();
    // Control characters would only confuse the list and the labels.
    text.remove(QRegularExpression("[\\x{00}-\\x{1f}\\x{7f}]"));
    return text.left(MaxNameLength);
}

bool FavouriteStore::load()
{
    m_problem.clear();
    m_places.clear();
    QFile file(m_path);
    if (!file.exists()) {
        emit changed();
        return true;
    }
    if (file.size() > MaxFileSize) {
        setAside(tr("it is too large"));
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        // Unreadable is not damaged: leave it where it is, and save nothing over it.
        m_problem = tr("The saved places could not be read: %1.").arg(file.errorString());
        m_path.clear();
        emit changed();
        return false;
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    file.close();
    const QJsonValue list = doc.object().value("places");
    if (error.error != QJsonParseError::NoError || !list.isArray()
        || list.toArray().size() > MaxPlaces) {
        setAside(error.error != QJsonParseError::NoError ? error.errorString() : tr("it holds no list of places"));
        return false;
    }
    QList<Favourite> places;
    for (const QJsonValue &value : list.toArray()) {
        Favourite place;
        if (!readPlace(value, &place)) {
            setAside(tr("entry %1 is not a place").arg(places.size() + 1));
            return false;
        }
        places << place;
    }
    m_places = places;
    emit changed();
    return true;
}

void FavouriteStore::setAside(const QString &why)
{
    QString aside = m_path + ".damaged";
    if (QFile::exists(aside))
        aside = m_path + QDateTime::currentDateTime().toString(".'damaged'-yyyyMMdd-hhmmss");
    if (QFile::rename(m_path, aside)) {
        m_problem = tr("The saved places could not be read (%1); the file was kept as %2.")
                        .arg(why, QDir::toNativeSeparators(aside));
    } else {
        m_problem = tr("The saved places could not be read (%1); the file was left as it is "
                       "and no place will be saved.").arg(why);
        m_path.clear();
    }
    qWarning().noquote() << "FavouriteStore::load:" << m_problem;
    emit changed();
}

int FavouriteStore::indexOf(Favourite::Kind kind) const
{
    for (int i = 0; i < m_places.size(); ++i) {
        if (m_places[i].kind == kind)
            return i;
    }
    return -1;
}

int FavouriteStore::indexOfName(const QString &text) const
{
    const QString wanted = text.simplified();
    for (int i = 0; i < m_places.size(); ++i) {
        if (m_places[i].name.compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QStringList FavouriteStore::names() const
{
    QStringList out;
    for (const Favourite &place : m_places)
        out << place.name;
    return out;
}

QString FavouriteStore::uniqueName(const QString &name, int except) const
{
    QString candidate = name;
    for (int n = 2;; ++n) {
        const int taken = indexOfName(candidate);
        if (taken < 0 || taken == except)
            return candidate;
        candidate = QString("%1 (%2)").arg(name).arg(n);
    }
}

bool FavouriteStore::add(Favourite place)
{
    place.name = cleanName(place.name);
    if (place.name.isEmpty() || !Favourite::validCoordinates(place.latitude, place.longitude)) {
        m_lastError = tr("A place needs a name and a position on the map.");
        return false;
    }
    QList<Favourite> places = m_places;
    const int replaced = place.kind == Favourite::Place ? -1 : indexOf(place.kind);
    if (replaced < 0 && places.size() >= MaxPlaces) {
        m_lastError = tr("There are %1 saved places already; delete some first.").arg(MaxPlaces);
        return false;
    }
    place.name = uniqueName(place.name, replaced);
    if (replaced >= 0)
        places[replaced] = place;
    else
        places << place;
    return save(places);
}

bool FavouriteStore::rename(int index, const QString &name)
{
    const QString cleaned = cleanName(name);
    if (index < 0 || index >= m_places.size() || cleaned.isEmpty()) {
        m_lastError = tr("A place needs a name.");
        return false;
    }
    QList<Favourite> places = m_places;
    places[index].name = uniqueName(cleaned, index);
    return save(places);
}

bool FavouriteStore::remove(int index)
{
    if (index < 0 || index >= m_places.size())
        return false;
    QList<Favourite> places = m_places;
    places.removeAt(index);
    return save(places);
}

// The list changes only once it is on the disk, so what is shown is what is kept.
bool FavouriteStore::save(const QList<Favourite> &places)
{
    if (m_path.isEmpty()) {
        m_lastError = m_problem;
        return false;
    }
    QJsonArray list;
    for (const Favourite &place : places) {
        QJsonObject o{{"name", place.name}, {"address", place.address},
                      {"lat", place.latitude}, {"lng", place.longitude},
                      {"kind", KindNames[place.kind]}};
        list.append(o);
    }
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(QJsonDocument(QJsonObject{{"version", 1}, {"places", list}}).toJson()) < 0
        || !file.commit()) {
        m_lastError = tr("The places could not be saved: %1.").arg(file.errorString());
        qWarning().noquote() << "FavouriteStore::save:" << m_lastError;
        return false;
    }
    m_places = places;
    emit changed();
    return true;
}
