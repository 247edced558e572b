#ifndef NMEASATELLITELOG_H
#define NMEASATELLITELOG_H

#include "nmeareplay.h"

#include <QByteArray>
#include <QList>
#include <QQueue>
#include <QSet>
#include <QTime>
#include <QVector>
#include <QtPositioning/QGeoSatelliteInfo>

class QIODevice;

// Turns the GSV/GSA sentences of an NMEA log into a sequence of satellite
// snapshots, one per receiver epoch, read from the log as they are asked
// for: only the epoch in progress is held in memory. Only GPS ($GP) and combined ($GN)
// talkers count; comment lines, other talkers and sentences with a bad or
// missing checksum are skipped.
//
// An epoch ends when the fix time of the RMC/GGA sentences changes, or when
// the receiver starts a new GSA or GSV round within the same time (logs
// without fix sentences). Receivers often send GSV less often than GSA, so a
// snapshot keeps the last satellites in view (and in use) until newer ones
// arrive.
class NmeaSatelliteLog
{
public:
    struct Epoch
    {
        QTime time; // UTC time of the epoch's fix; invalid when the log has none
        QList<QGeoSatelliteInfo> inView;
        QList<QGeoSatelliteInfo> inUse;
    };

    explicit NmeaSatelliteLog(QIODevice *device);

    // Reads on towards the next complete epoch, NmeaReplay::LinesPerTurn
    // lines at most: Ready with it, Unfinished when the lines ran out first,
    // Finished at the end of the log.
    NmeaReplay::Read readEpoch(Epoch *epoch);

    static bool hasValidChecksum(const QByteArray &sentence);

private:
    void addLine(const QByteArray &line);
    void handleFixTime(const QByteArray &field);
    void handleGsa(const QList<QByteArray> &fields);
    void handleGsv(const QByteArray &talker, const QList<QByteArray> &fields);
    void closeEpoch();
    void resetGsvRound();

    QIODevice *m_device;
    bool m_atEnd = false;
    QQueue<Epoch> m_closed; // read, not yet asked for
    QTime m_time;

    // Epoch in progress.
    bool m_hasGsa = false;
    bool m_hasGsv = false;
    QVector<int> m_usedIds;
    QList<QGeoSatelliteInfo> m_viewed;
    QSet<QByteArray> m_completedTalkers;

    // GSV round in progress (a round spans several sentences).
    QByteArray m_gsvTalker;
    int m_gsvTotal = 0;
    int m_gsvNext = 0;
    QList<QGeoSatelliteInfo> m_gsvSatellites;

    // Carried over to epochs that lack GSV or GSA.
    QList<QGeoSatelliteInfo> m_lastInView;
    QVector<int> m_lastUsedIds;
};

#endif // NMEASATELLITELOG_H
