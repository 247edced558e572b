#ifndef NMEASATELLITESOURCE_H
#define NMEASATELLITESOURCE_H

#include "nmeasatellitelog.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QtPositioning/QGeoSatelliteInfoSource>

// Replays the satellites of an NMEA log, one epoch per update, reading the
// log as it goes. With no update interval set it keeps the pace of the log's
// fix times (1 s when the log has none), sped up by the replay speed, like
// the position replay, so both stay roughly in step. Each update or request
// moves the replay on by one epoch; at the end of the log updates stop and
// requests time out.
class NmeaSatelliteSource : public QGeoSatelliteInfoSource
{
    Q_OBJECT

public:
    static constexpr int MinimumInterval = 100; // ms

    NmeaSatelliteSource(const QString &fileName, double speed, QObject *parent = nullptr);

    void setUpdateInterval(int msec) override;
    int minimumUpdateInterval() const override;
    Error error() const override;

public Q_SLOTS:
    void startUpdates() override;
    void stopUpdates() override;
    void requestUpdate(int timeout = 0) override;

private:
    void onUpdateTimer();
    void onRequestTimer();
    NmeaReplay::Read readUpcoming();
    void emitUpcoming();
    void reportError(Error code);

    QFile *m_file;
    NmeaSatelliteLog m_log;
    double m_speed;
    bool m_hasUpcoming = false;
    NmeaSatelliteLog::Epoch m_upcoming; // the next epoch to replay
    QTime m_lastTime;                   // of the epoch replayed last
    QElapsedTimer m_sinceLast;          // since it was replayed
    bool m_running = false;
    bool m_requestFailed = false;
    Error m_error = NoError;
    QTimer m_updateTimer;
    QTimer m_requestTimer;
};

#endif // NMEASATELLITESOURCE_H
