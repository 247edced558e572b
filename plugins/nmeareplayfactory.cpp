#include "nmeareplayfactory.h"

#include "nmeasatellitesource.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QtPositioning/QNmeaPositionInfoSource>

Q_LOGGING_CATEGORY(lcNmeaReplay, "marlu.position.nmeareplay")

namespace {
const char ReplayFileVariable[] = "MARLU_NMEA_FILE";
}

NmeaReplayFactory::NmeaReplayFactory(QObject *parent)
    : QObject(parent)
{
}

QString NmeaReplayFactory::replayFileName()
{
    const QString fileName = qEnvironmentVariable(ReplayFileVariable);
    if (fileName.isEmpty())
        return QString();

    const QFileInfo info(fileName);
    if (!info.isFile() || !info.isReadable()) {
        qCWarning(lcNmeaReplay) << ReplayFileVariable << "names no readable file:" << fileName;
        return QString();
    }
    return fileName;
}

QGeoPositionInfoSource *NmeaReplayFactory::positionInfoSource(QObject *parent)
{
    const QString fileName = replayFileName();
    if (fileName.isEmpty())
        return nullptr;

    auto *source = new QNmeaPositionInfoSource(QNmeaPositionInfoSource::SimulationMode, parent);
    auto *file = new QFile(fileName, source);
    // Opened here so that a file that vanished or cannot be opened still
    // leaves the platform's source in charge.
    if (!file->open(QIODevice::ReadOnly)) {
        qCWarning(lcNmeaReplay) << "cannot open" << fileName << ':' << file->errorString();
        delete source;
        return nullptr;
    }
    source->setUserEquivalentRangeError(UserEquivalentRangeError);
    source->setDevice(file);
    return source;
}

QGeoSatelliteInfoSource *NmeaReplayFactory::satelliteInfoSource(QObject *parent)
{
    const QString fileName = replayFileName();
    if (fileName.isEmpty())
        return nullptr;

    auto *source = new NmeaSatelliteSource(fileName, parent);
    if (source->error() != QGeoSatelliteInfoSource::NoError) {
        qCWarning(lcNmeaReplay) << "cannot read" << fileName;
        delete source;
        return nullptr;
    }
    return source;
}

QGeoAreaMonitorSource *NmeaReplayFactory::areaMonitor(QObject *parent)
{
    Q_UNUSED(parent)
    return nullptr;
}
