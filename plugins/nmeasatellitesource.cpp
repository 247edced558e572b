#include "nmeasatellitesource.h"

#include "nmeareplay.h"

NmeaSatelliteSource::NmeaSatelliteSource(const QString &fileName, double speed, QObject *parent)
    : QGeoSatelliteInfoSource(parent)
    , m_file(new QFile(fileName, this))
    , m_log(m_file)
    , m_speed(speed)
{
    if (!m_file->open(QIODevice::ReadOnly))
        m_error = AccessError;

    m_updateTimer.setSingleShot(true);
    connect(&m_updateTimer, &QTimer::timeout, this, &NmeaSatelliteSource::onUpdateTimer);
    m_requestTimer.setSingleShot(true);
    connect(&m_requestTimer, &QTimer::timeout, this, &NmeaSatelliteSource::onRequestTimer);
}

void NmeaSatelliteSource::setUpdateInterval(int msec)
{
    QGeoSatelliteInfoSource::setUpdateInterval(msec > 0 ? qMax(msec, MinimumInterval) : 0);
}

int NmeaSatelliteSource::minimumUpdateInterval() const
{
    return MinimumInterval;
}

QGeoSatelliteInfoSource::Error NmeaSatelliteSource::error() const
{
    return m_error;
}

void NmeaSatelliteSource::startUpdates()
{
    if (m_error == AccessError) {
        reportError(AccessError);
        return;
    }
    if (m_running)
        return;
    m_running = true;
    m_updateTimer.start(0);
}

void NmeaSatelliteSource::stopUpdates()
{
    m_running = false;
    m_updateTimer.stop();
}

void NmeaSatelliteSource::requestUpdate(int timeout)
{
    if (m_error == AccessError) {
        reportError(AccessError);
        return;
    }
    if (m_requestTimer.isActive())
        return;
    // Answered from the event loop, as a receiver would; a timeout below
    // the minimum interval cannot be met and fails there too.
    m_requestFailed = timeout != 0 && timeout < MinimumInterval;
    m_requestTimer.start(0);
}

void NmeaSatelliteSource::onRequestTimer()
{
    const bool failed = m_requestFailed;
    m_requestFailed = false;
    const NmeaReplay::Read read = failed ? NmeaReplay::Read::Finished : readUpcoming();
    if (read == NmeaReplay::Read::Unfinished) {
        m_requestTimer.start(0);
    } else if (read == NmeaReplay::Read::Ready) {
        emitUpcoming();
    } else {
        // Past the end of the log nothing more can come.
        emit requestTimeout();
    }
}

void NmeaSatelliteSource::onUpdateTimer()
{
    if (!m_running)
        return;
    const NmeaReplay::Read read = readUpcoming();
    if (read == NmeaReplay::Read::Unfinished) {
        m_updateTimer.start(0);
        return;
    }
    if (read == NmeaReplay::Read::Finished)
        return;
    if (m_sinceLast.isValid()) {
        const int pace = updateInterval() > 0 ? updateInterval()
                                              : NmeaReplay::delay(m_lastTime, m_upcoming.time, m_speed);
        const qint64 wait = pace - m_sinceLast.elapsed();
        if (wait > 0) {
            m_updateTimer.start(static_cast<int>(wait));
            return;
        }
    }
    emitUpcoming();
    m_updateTimer.start(0); // reads on to the next epoch
}

NmeaReplay::Read NmeaSatelliteSource::readUpcoming()
{
    if (m_hasUpcoming)
        return NmeaReplay::Read::Ready;
    const NmeaReplay::Read read = m_log.readEpoch(&m_upcoming);
    m_hasUpcoming = read == NmeaReplay::Read::Ready;
    return read;
}

void NmeaSatelliteSource::emitUpcoming()
{
    m_hasUpcoming = false;
    m_lastTime = m_upcoming.time;
    m_sinceLast.start();
    emit satellitesInViewUpdated(m_upcoming.inView);
    emit satellitesInUseUpdated(m_upcoming.inUse);
}

void NmeaSatelliteSource::reportError(Error code)
{
    m_error = code;
    emit QGeoSatelliteInfoSource::error(code);
}
