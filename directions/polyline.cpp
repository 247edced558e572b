#include "polyline.h"

#include <cmath>

QVector<QPointF> Polyline::decode(const QString &encoded, int maxPoints, bool *ok)
{
    QVector<QPointF> points;
    const auto fail = [&] {
        if (ok)
            *ok = false;
        return QVector<QPointF>();
    };
    qint64 lat = 0, lng = 0;
    qint64 values[2];
    int index = 0;
    const int size = encoded.size();
    while (index < size) {
        for (qint64 &value : values) {
            qint64 result = 0;
            int shift = 0;
            int chunk;
            do {
                if (index >= size || shift > 30)
                    return fail();
                chunk = encoded.at(index++).unicode() - 63;
                if (chunk < 0 || chunk > 63)
                    return fail();
                result |= qint64(chunk & 0x1f) << shift;
                shift += 5;
            } while (chunk >= 0x20);
            value = (result & 1) ? ~(result >> 1) : (result >> 1);
        }
        lat += values[0];
        lng += values[1];
        if (std::llabs(lat) > 9000000 || std::llabs(lng) > 18000000 || points.size() >= maxPoints)
            return fail();
        points.append(QPointF(lat / 1e5, lng / 1e5));
    }
    if (ok)
        *ok = true;
    return points;
}

QString Polyline::encode(const QVector<QPointF> &points)
{
    QString out;
    qint64 lastLat = 0, lastLng = 0;
    const auto put = [&out](qint64 value) {
        quint64 v = value < 0 ? ~(quint64(value) << 1) : quint64(value) << 1;
        while (v >= 0x20) {
            out += QChar(char((0x20 | (v & 0x1f)) + 63));
            v >>= 5;
        }
        out += QChar(char(v + 63));
    };
    for (const QPointF &p : points) {
        const qint64 lat = std::llround(p.x() * 1e5);
        const qint64 lng = std::llround(p.y() * 1e5);
        put(lat - lastLat);
        put(lng - lastLng);
        lastLat = lat;
        lastLng = lng;
    }
    return out;
}
