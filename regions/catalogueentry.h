#ifndef CATALOGUEENTRY_H
#define CATALOGUEENTRY_H

#include <QJsonObject>
#include <QList>
#include <QRectF>
#include <QString>
#include <QUrl>

// One extract offered by the service's catalogue (continent, country or state).
struct CatalogueEntry
{
    QString id;
    QString name;
    QString parent;       // id, or empty at the top
    QUrl pbf;
    qint64 size = -1;     // bytes; -1 when the catalogue does not say
    QRectF bbox;          // null when unknown
    bool imported = false;

    // The usable entries of a /marlu/catalogue answer (an https or http pbf URL, an id).
    static QList<CatalogueEntry> listFrom(const QJsonObject &answer);
    // The id of the smallest entry whose box holds the point, or empty.
    static QString covering(const QList<CatalogueEntry> &entries, double lat, double lng);
};

#endif
