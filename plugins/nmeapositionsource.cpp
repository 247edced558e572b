#include "nmeapositionsource.h"

#include "nmeareplay.h"

#include <QFileDevice>

namespace {

const int DefaultRequestTimeout = 5 * 60 * 1000; // ms, as Qt's NMEA source
const qint64 LongestLag = 1000;                  // ms
const int FollowPollMs = 250;                    // how often a followed log is looked at

const QGeoPositionInfo::Attribute Attributes[] = {
    QGeoPositionInfo::Direction,          QGeoPositionInfo::GroundSpeed,
    QGeoPositionInfo::VerticalSpeed,      QGeoPositionInfo::MagneticVariation,
    QGeoPositionInfo::HorizontalAccuracy, QGeoPositionInfo::VerticalAccuracy,
};

// Adds what one more sentence of the same epoch knows.
void merge(QGeoPositionInfo *into, const QGeoPositionInfo &from)
{
    QGeoCoordinate coordinate = into->coordinate();
    const QGeoCoordinate known = from.coordinate();
    if (!qIsNaN(known.latitude()))
        coordinate.setLatitude(known.latitude());
    if (!qIsNaN(known.longitude()))
        coordinate.setLongitude(known.longitude());
    if (!qIsNaN(known.altitude()))
        coordinate.setAltitude(known.altitude());
    into->setCoordinate(coordinate);
    if (!into->timestamp().date().isValid() && from.timestamp().isValid())
        into->setTimestamp(from.timestamp());
    for (QGeoPositionInfo::Attribute attribute : Attributes) {
        if (from.hasAttribute(attribute))
            into->setAttribute(attribute, from.attribute(attribute));
    }
}

// Receivers send the accuracy (GGA, GSA) less often than the position.
void carry(QGeoPositionInfo *info, QGeoPositionInfo::Attribute attribute, double *last)
{
    if (info->hasAttribute(attribute))
        *last = info->attribute(attribute);
    else if (!qIsNaN(*last))
        info->setAttribute(attribute, *last);
}

} // namespace

NmeaPositionSource::NmeaPositionSource(QFileDevice *log, double speed, bool follow,
                                       QObject *parent)
    : QNmeaPositionInfoSource(SimulationMode, parent)
    , m_log(log)
    , m_speed(speed)
    , m_follow(follow)
{
    // The base class's own reader never starts: every slot that would start
    // it is replaced here. Only its parser is used.
    log->setParent(this);
    setDevice(log);

    m_paceTimer.setSingleShot(true);
    connect(&m_paceTimer, &QTimer::timeout, this, &NmeaPositionSource::onPaceTimer);
    m_intervalTimer.setSingleShot(true);
    connect(&m_intervalTimer, &QTimer::timeout, this, &NmeaPositionSource::onIntervalTimer);
    m_requestTimer.setSingleShot(true);
    connect(&m_requestTimer, &QTimer::timeout, this, &NmeaPositionSource::onRequestTimer);
}

void NmeaPositionSource::setUpdateInterval(int msec)
{
    QGeoPositionInfoSource::setUpdateInterval(msec > 0 ? qMax(msec, minimumUpdateInterval()) : 0);
}

QGeoPositionInfo NmeaPositionSource::lastKnownPosition(bool fromSatellitePositioningMethodsOnly) const
{
    Q_UNUSED(fromSatellitePositioningMethodsOnly) // satellites are all there is
    return m_last;
}

QGeoPositionInfoSource::Error NmeaPositionSource::error() const
{
    return m_error;
}

void NmeaPositionSource::startUpdates()
{
    if (m_running)
        return;
    m_running = true;
    resume();
}

void NmeaPositionSource::stopUpdates()
{
    m_running = false;
    m_intervalTimer.stop();
    m_pending = QGeoPositionInfo();
    if (!m_requested)
        m_paceTimer.stop();
}

void NmeaPositionSource::requestUpdate(int timeout)
{
    if (m_requestTimer.isActive())
        return;
    if (timeout < 0 || (timeout > 0 && timeout < minimumUpdateInterval())) {
        emit updateTimeout();
        return;
    }
    m_requested = true;
    m_requestTimer.start(timeout > 0 ? timeout : DefaultRequestTimeout);
    resume();
}

NmeaReplay::Read NmeaPositionSource::readEpoch(Epoch *epoch)
{
    QByteArray line;
    for (int lines = 0; lines < NmeaReplay::LinesPerTurn; ++lines) {
        const qint64 start = m_log->pos();
        const bool more = NmeaReplay::readLine(m_log, &line);
        if (m_follow && (!more || (!line.endsWith('\n') && m_log->atEnd()))) {
            // The writer is not done: this line again, and the epoch, once it is.
            m_log->seek(start);
            return NmeaReplay::Read::Finished;
        }
        if (!more) {
            if (!m_hasReading)
                return NmeaReplay::Read::Finished;
            m_hasReading = false;
            *epoch = m_reading;
            complete(epoch);
            return NmeaReplay::Read::Ready;
        }
        Epoch sentence;
        if (line.isEmpty() || !parsePosInfoFromNmeaData(line.constData(), line.size(), &sentence.info, &sentence.hasFix))
            continue;
        if (NmeaReplay::hasImpossiblePosition(line)) {
            qCWarning(lcNmeaReplay, "dropped a sentence whose position is off the earth: %s",
                      line.trimmed().left(100).constData());
            continue;
        }
        // An epoch begins with a sentence that carries a time, and takes the
        // sentences that follow up to the next time.
        const QTime time = sentence.info.timestamp().time();
        if (!m_hasReading) {
            m_reading = sentence;
            m_hasReading = time.isValid();
        } else if (time.isValid() && time != m_reading.info.timestamp().time()) {
            *epoch = m_reading;
            m_reading = sentence;
            complete(epoch);
            return NmeaReplay::Read::Ready;
        } else {
            merge(&m_reading.info, sentence.info);
            m_reading.hasFix = m_reading.hasFix || sentence.hasFix;
        }
    }
    return NmeaReplay::Read::Unfinished;
}

void NmeaPositionSource::complete(Epoch *epoch)
{
    const QDateTime stamp = epoch->info.timestamp();
    if (stamp.date().isValid())
        m_date = stamp.date();
    else if (m_date.isValid())
        epoch->info.setTimestamp(QDateTime(m_date, stamp.time(), Qt::UTC));
    carry(&epoch->info, QGeoPositionInfo::HorizontalAccuracy, &m_horizontalAccuracy);
    carry(&epoch->info, QGeoPositionInfo::VerticalAccuracy, &m_verticalAccuracy);
    epoch->hasFix = epoch->hasFix && epoch->info.isValid();
}

void NmeaPositionSource::resume()
{
    if (m_paceTimer.isActive())
        return;
    m_clock.start();
    m_resumed = true;
    m_paceTimer.start(0);
}

void NmeaPositionSource::onPaceTimer()
{
    if (!m_hasDue) {
        const NmeaReplay::Read read = readEpoch(&m_due);
        if (read == NmeaReplay::Read::Unfinished) {
            m_paceTimer.start(0);
            return;
        }
        if (read == NmeaReplay::Read::Finished) {
            if (m_follow) {
                m_paceTimer.start(FollowPollMs);
                return;
            }
            endOfLog();
            return;
        }
        m_hasDue = true;
        if (!m_resumed) {
            // Paced on the clock since the start, so that the time taken to
            // read and deliver does not add up over a long log; after a stall
            // of more than a second the replay goes on from now rather than rush.
            const qint64 elapsed = m_clock.elapsed();
            m_dueAt = qMax(m_dueAt, elapsed - LongestLag)
                + NmeaReplay::delay(m_lastTime, m_due.info.timestamp().time(), m_speed);
            if (m_dueAt > elapsed) {
                m_paceTimer.start(static_cast<int>(m_dueAt - elapsed));
                return;
            }
        }
    }
    if (m_resumed) // the first epoch after a start comes at once
        m_dueAt = m_clock.elapsed();
    m_hasDue = false;
    m_resumed = false;
    m_lastTime = m_due.info.timestamp().time();
    if (m_due.hasFix)
        present(m_due.info);
    if (m_running || m_requested)
        m_paceTimer.start(0); // reads on to the next epoch
}

void NmeaPositionSource::present(const QGeoPositionInfo &fix)
{
    m_last = fix;
    if (m_requested) {
        m_requested = false;
        m_requestTimer.stop();
        deliver(fix);
        return;
    }
    if (!m_running)
        return;
    const int interval = updateInterval();
    if (m_speed == 1.0 && interval > 0 && m_sinceDelivery.isValid() && m_sinceDelivery.elapsed() < interval) {
        m_pending = fix;
        if (!m_intervalTimer.isActive())
            m_intervalTimer.start(static_cast<int>(interval - m_sinceDelivery.elapsed()));
        return;
    }
    deliver(fix);
}

void NmeaPositionSource::deliver(QGeoPositionInfo fix)
{
    m_intervalTimer.stop();
    m_pending = QGeoPositionInfo();
    m_sinceDelivery.start();
    emit positionUpdated(fix);
}

void NmeaPositionSource::onIntervalTimer()
{
    if (m_running && m_pending.isValid())
        deliver(m_pending);
}

void NmeaPositionSource::onRequestTimer()
{
    m_requested = false;
    emit updateTimeout();
    if (!m_running)
        m_paceTimer.stop();
}

void NmeaPositionSource::endOfLog()
{
    if (m_log->error() != QFileDevice::NoError && m_error == NoError) {
        m_error = AccessError;
        emit QGeoPositionInfoSource::error(m_error);
    }
    // Nothing more will come.
    if (m_requested) {
        m_requested = false;
        m_requestTimer.stop();
        emit updateTimeout();
    } else if (m_running) {
        emit updateTimeout();
    }
}
