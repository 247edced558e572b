#include "nmeareplayfactory.h"

#include "nmeapositionsource.h"
#include "nmeasatellitesource.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <cmath>

namespace {
const char ReplayFileVariable[] = "MARLU_NMEA_FILE";
const char ReplaySpeedVariable[] = "MARLU_NMEA_SPEED";
// Set (to anything but 0): the log is followed as a receiver writes it.
const char ReplayFollowVariable[] = "MARLU_NMEA_FOLLOW";
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

double NmeaReplayFactory::replaySpeed(bool warn)
{
    const QByteArray value = qgetenv(ReplaySpeedVariable);
    if (value.isEmpty())
        return 1.0;
    bool ok = false;
    const double speed = value.trimmed().toDouble(&ok);
    if (ok && std::isfinite(speed) && speed > 0)
        return speed;
    if (warn) {
        // Shown as typed, but short and on one line.
        QByteArray shown = value.left(40);
        for (char &c : shown) {
            if (static_cast<uchar>(c) < 0x20 || c == 0x7f)
                c = '?';
        }
        qCWarning(lcNmeaReplay, "%s must be a number above 0, not \"%s\": replaying at the log's own pace",
                  ReplaySpeedVariable, shown.constData());
    }
    return 1.0;
}

QGeoPositionInfoSource *NmeaReplayFactory::positionInfoSource(QObject *parent)
{
    const QString fileName = replayFileName();
    if (fileName.isEmpty())
        return nullptr;

    auto *file = new QFile(fileName);
    // Opened here so that a file that vanished or cannot be opened still
    // leaves the platform's source in charge.
    if (!file->open(QIODevice::ReadOnly)) {
        qCWarning(lcNmeaReplay) << "cannot open" << fileName << ':' << file->errorString();
        delete file;
        return nullptr;
    }
    const QByteArray follow = qgetenv(ReplayFollowVariable).trimmed();
    auto *source = new NmeaPositionSource(file, replaySpeed(true), !follow.isEmpty() && follow != "0",
                                          parent);
    source->setUserEquivalentRangeError(UserEquivalentRangeError);
    return source;
}

QGeoSatelliteInfoSource *NmeaReplayFactory::satelliteInfoSource(QObject *parent)
{
    const QString fileName = replayFileName();
    if (fileName.isEmpty())
        return nullptr;

    // The position source, created with it, warns about a bad speed.
    auto *source = new NmeaSatelliteSource(fileName, replaySpeed(false), parent);
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
