#ifndef NMEASATELLITESOURCE_H
#define NMEASATELLITESOURCE_H

#include "nmeasatellitelog.h"

#include <QTimer>
#include <QVector>
#include <QtPositioning/QGeoSatelliteInfoSource>

// Replays the satellites of an NMEA log, one epoch per update. With no
// update interval set it keeps the pace of the log's fix times (1 s when the
// log has none), like QNmeaPositionInfoSource in simulation mode, so both
// stay roughly in step. Each update or request moves the replay on by one
// epoch; at the end of the log updates stop and requests time out.
class NmeaSatelliteSource : public QGeoSatelliteInfoSource
{
    Q_OBJECT

public:
    static constexpr int MinimumInterval = 100; // ms

    explicit NmeaSatelliteSource(const QString &fileName, QObject *parent = nullptr);

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
    bool emitNextEpoch();
    int delayAfter(int epoch) const;
    void reportError(Error code);

    QVector<NmeaSatelliteLog::Epoch> m_epochs;
    int m_next = 0;
    bool m_running = false;
    bool m_requestFailed = false;
    Error m_error = NoError;
    QTimer m_updateTimer;
    QTimer m_requestTimer;
};

#endif // NMEASATELLITESOURCE_H
