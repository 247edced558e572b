#ifndef POLYLINE_H
#define POLYLINE_H

#include <QPointF>
#include <QString>
#include <QVector>

// The encoded polyline format of directions replies (1e-5 degrees, deltas in
// printable characters). Points are held as QPointF with x the latitude and
// y the longitude, in degrees.
class Polyline
{
public:
    // Every point of `encoded`, or an empty list with *ok false when the text
    // is not a polyline (a character outside the alphabet, a cut-off value, a
    // point off the globe) or holds more than maxPoints points.
    static QVector<QPointF> decode(const QString &encoded, int maxPoints, bool *ok = nullptr);
    static QString encode(const QVector<QPointF> &points);
};

#endif
