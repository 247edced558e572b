#ifndef REGION_H
#define REGION_H

#include <QJsonObject>
#include <QList>
#include <QRectF>
#include <QString>

// One entry of the service's region list: a region on disk, or a job making one.
struct Region
{
    QString name;
    QRectF bbox;          // x: west, y: south, width/height in degrees; null when unknown
    qint64 size = 0;      // bytes on disk
    QString date;         // of the data, ISO-8601
    QString state;        // "ready", "importing", "downloading", "failed"
    int progress = 0;     // 0-100
    QString stage;        // "download", "routing", "streets", "map" or ""
    QString error;
    QString job;
    qint64 bytes = -1, total = -1, speed = -1, eta = -1;   // while downloading; -1: not said

    bool running() const { return state == "importing" || state == "downloading"; }

    // The regions of a /marlu/regions answer; entries without a usable name
    // are left out and counted in *skipped.
    static QList<Region> listFrom(const QJsonObject &answer, int *skipped);
    // [w, s, e, n] within the world's bounds, else a null rectangle.
    static QRectF boxFrom(const QJsonValue &value);
};

#endif
