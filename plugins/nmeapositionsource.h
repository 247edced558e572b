#ifndef NMEAPOSITIONSOURCE_H
#define NMEAPOSITIONSOURCE_H

#include "nmeareplay.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtPositioning/QGeoPositionInfo>
#include <QtPositioning/QNmeaPositionInfoSource>

class QFileDevice;

// Replays the fixes of an NMEA log at the pace of their time stamps, times
// the replay speed, reading one sentence at a time: memory stays flat
// whatever the size of the log. Sentences are parsed by Qt's NMEA parser
// (with the range error set on the source); those of one time stamp make one
// fix. A gap longer than a minute is no pace and costs a second.
//
// At speed 1 an update interval passes at most one fix per interval, the
// newest, as a receiver would. At any other speed every fix is passed, each
// after its gap divided by the speed, whatever the interval: a fast replay
// is there to push a whole log through the application.
//
// Stopping pauses the replay; starting again goes on where it stopped.
// Following, the end of the log is waited at for what a receiver still
// writes to it, as "tail -f" does; a line not yet complete is read once it is.
class NmeaPositionSource : public QNmeaPositionInfoSource
{
    Q_OBJECT

public:
    // Reads the opened log, which it takes as its child and device.
    NmeaPositionSource(QFileDevice *log, double speed, bool follow = false,
                       QObject *parent = nullptr);

    void setUpdateInterval(int msec) override;
    QGeoPositionInfo lastKnownPosition(bool fromSatellitePositioningMethodsOnly = false) const override;
    Error error() const override;

public Q_SLOTS:
    void startUpdates() override;
    void stopUpdates() override;
    void requestUpdate(int timeout = 0) override;

private:
    struct Epoch
    {
        QGeoPositionInfo info;
        bool hasFix = false;
    };

    NmeaReplay::Read readEpoch(Epoch *epoch);
    void complete(Epoch *epoch);
    void resume();
    void onPaceTimer();
    void onIntervalTimer();
    void onRequestTimer();
    void present(const QGeoPositionInfo &fix);
    void deliver(QGeoPositionInfo fix); // a copy: m_pending is cleared here
    void endOfLog();

    QFileDevice *m_log;
    double m_speed;
    bool m_follow;

    // Reading: the epoch in progress, and the next one to replay.
    Epoch m_reading;
    bool m_hasReading = false;
    Epoch m_due;
    bool m_hasDue = false;
    QDate m_date;         // RMC and ZDA carry the date, GGA does not
    double m_horizontalAccuracy = qQNaN();
    double m_verticalAccuracy = qQNaN();

    // Replaying.
    bool m_running = false;
    bool m_requested = false;
    Error m_error = NoError;
    QElapsedTimer m_clock; // since the replay (re)started
    qint64 m_dueAt = 0;    // when the epoch replayed last was due, on m_clock
    bool m_resumed = false;
    QTime m_lastTime;      // of the epoch replayed last
    QTimer m_paceTimer;
    QTimer m_intervalTimer;
    QTimer m_requestTimer;
    QElapsedTimer m_sinceDelivery;
    QGeoPositionInfo m_pending; // held back by the update interval
    QGeoPositionInfo m_last;
};

#endif // NMEAPOSITIONSOURCE_H
