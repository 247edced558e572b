#include "nmeasatellitesource.h"

#include <QFile>

namespace {
const int FallbackInterval = 1000; // ms, the usual 1 Hz of a receiver
const int LongestLogGap = 60000;   // ms; longer gaps are log restarts, not pace
}

NmeaSatelliteSource::NmeaSatelliteSource(const QString &fileName, QObject *parent)
    : QGeoSatelliteInfoSource(parent)
{
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly))
        m_epochs = NmeaSatelliteLog::read(&file);
    else
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
    // Past the end of the log nothing more can come.
    if (failed || !emitNextEpoch())
        emit requestTimeout();
}

void NmeaSatelliteSource::onUpdateTimer()
{
    if (!m_running)
        return;
    const int emitted = m_next;
    if (!emitNextEpoch())
        return;
    if (m_next < m_epochs.size())
        m_updateTimer.start(updateInterval() > 0 ? updateInterval() : delayAfter(emitted));
}

bool NmeaSatelliteSource::emitNextEpoch()
{
    if (m_next >= m_epochs.size())
        return false;
    const NmeaSatelliteLog::Epoch &epoch = m_epochs.at(m_next++);
    emit satellitesInViewUpdated(epoch.inView);
    emit satellitesInUseUpdated(epoch.inUse);
    return true;
}

int NmeaSatelliteSource::delayAfter(int epoch) const
{
    if (epoch + 1 >= m_epochs.size())
        return FallbackInterval;
    const QTime from = m_epochs.at(epoch).time;
    const QTime to = m_epochs.at(epoch + 1).time;
    if (!from.isValid() || !to.isValid())
        return FallbackInterval;
    const int gap = from.msecsTo(to);
    return gap > 0 && gap <= LongestLogGap ? gap : FallbackInterval;
}

void NmeaSatelliteSource::reportError(Error code)
{
    m_error = code;
    emit QGeoSatelliteInfoSource::error(code);
}
