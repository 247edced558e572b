#ifndef GPXDATA_H
#define GPXDATA_H

#include <QDateTime>
#include <QList>
#include <QString>

// What a GPX file holds that Marlu shows: points with their time where given,
// routes and tracks as lines (a track's segments one after the other), waypoints.
struct GpxPoint
{
    double latitude = 0;
    double longitude = 0;
    QDateTime time;   // invalid when the file gives none
};

struct GpxLine
{
    QString name;
    QList<GpxPoint> points;
    // Metres along the points, and seconds from the first timed point to the last (0 without times).
    double length() const;
    qint64 duration() const;
};

struct GpxWaypoint
{
    QString name;
    double latitude = 0;
    double longitude = 0;
};

struct GpxData
{
    QList<GpxWaypoint> waypoints;
    QList<GpxLine> routes;
    QList<GpxLine> tracks;

    bool isEmpty() const { return waypoints.isEmpty() && routes.isEmpty() && tracks.isEmpty(); }
};

#endif
