#include "region.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace {

QString text(const QJsonObject &o, const char *key, int max = 300)
{
    return o.value(key).toString().simplified().left(max);
}

qint64 count(const QJsonObject &o, const char *key, qint64 fallback)
{
    const QJsonValue v = o.value(key);
    if (!v.isDouble() || v.toDouble() < 0 || v.toDouble() > 9e15)
        return fallback;
    return qint64(v.toDouble());
}

}

QRectF Region::boxFrom(const QJsonValue &value)
{
    const QJsonArray a = value.toArray();
    if (a.size() != 4)
        return QRectF();
    for (const QJsonValue &v : a)
        if (!v.isDouble())
            return QRectF();
    const double w = a[0].toDouble(), s = a[1].toDouble(), e = a[2].toDouble(), n = a[3].toDouble();
    if (w < -180 || e > 180 || s < -90 || n > 90 || w >= e || s >= n)
        return QRectF();
    return QRectF(w, s, e - w, n - s);
}

QList<Region> Region::listFrom(const QJsonObject &answer, int *skipped)
{
    static const QRegularExpression usableName("^[A-Za-z0-9_-][A-Za-z0-9_ -]{0,63}$");
    static const QStringList states = {"ready", "importing", "downloading", "failed"};
    QList<Region> regions;
    *skipped = 0;
    for (const QJsonValue &value : answer.value("regions").toArray()) {
        const QJsonObject o = value.toObject();
        Region r;
        r.name = o.value("name").toString();
        r.state = o.value("state").toString();
        if (!usableName.match(r.name).hasMatch() || !states.contains(r.state)) {
            ++*skipped;
            continue;
        }
        r.bbox = boxFrom(o.value("bbox"));
        r.size = count(o, "size", 0);
        r.date = text(o, "date", 40);
        r.progress = int(qBound<qint64>(0, count(o, "progress", 0), 100));
        r.stage = text(o, "stage", 20);
        r.error = text(o, "error");
        r.job = text(o, "job", 100);
        r.bytes = count(o, "bytes", -1);
        r.total = count(o, "total", -1);
        r.speed = count(o, "speed", -1);
        r.eta = count(o, "eta", -1);
        regions << r;
    }
    return regions;
}
