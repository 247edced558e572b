#include "catalogueentry.h"

#include "regions/region.h"

#include <QJsonArray>

QList<CatalogueEntry> CatalogueEntry::listFrom(const QJsonObject &answer)
{
    QList<CatalogueEntry> entries;
    for (const QJsonValue &value : answer.value("entries").toArray()) {
        const QJsonObject o = value.toObject();
        CatalogueEntry e;
        e.id = o.value("id").toString().left(200);
        e.name = o.value("name").toString().simplified().left(200);
        e.parent = o.value("parent").toString().left(200);
        e.pbf = QUrl(o.value("pbf").toString(), QUrl::StrictMode);
        const QJsonValue size = o.value("size");
        e.size = size.isDouble() && size.toDouble() >= 0 ? qint64(size.toDouble()) : -1;
        e.bbox = Region::boxFrom(o.value("bbox"));
        e.imported = o.value("imported").toBool();
        if (e.id.isEmpty() || !e.pbf.isValid() || !(e.pbf.scheme() == "https" || e.pbf.scheme() == "http"))
            continue;
        if (e.name.isEmpty())
            e.name = e.id;
        entries << e;
    }
    return entries;
}

QString CatalogueEntry::covering(const QList<CatalogueEntry> &entries, double lat, double lng)
{
    QString best;
    double bestArea = 0;
    for (const CatalogueEntry &e : entries) {
        if (e.bbox.isNull() || lng < e.bbox.left() || lng > e.bbox.right() || lat < e.bbox.top()
            || lat > e.bbox.bottom())
            continue;
        const double area = e.bbox.width() * e.bbox.height();
        if (best.isEmpty() || area < bestArea) {
            best = e.id;
            bestArea = area;
        }
    }
    return best;
}
