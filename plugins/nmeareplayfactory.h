#ifndef NMEAREPLAYFACTORY_H
#define NMEAREPLAYFACTORY_H

#include <QObject>
#include <QString>
#include <QtPositioning/QGeoPositionInfoSourceFactory>

// Serves positions and satellites replayed from the NMEA log named by the
// MARLU_NMEA_FILE environment variable, at MARLU_NMEA_SPEED times the pace of
// its time stamps (default 1). Without a readable log it offers nothing, so
// Qt falls back to the platform's own sources.
class NmeaReplayFactory : public QObject, public QGeoPositionInfoSourceFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.qt.position.sourcefactory/5.0" FILE "plugin.json")
    Q_INTERFACES(QGeoPositionInfoSourceFactory)

public:
    // User equivalent range error in metres, for fixes to carry a horizontal
    // accuracy (2 x HDOP x UERE). Consumer GPS receivers are usually quoted
    // at 4-7 m (1 sigma); 5 m gives 11 m at a typical open-sky HDOP of 1.1.
    static constexpr double UserEquivalentRangeError = 5.0;

    explicit NmeaReplayFactory(QObject *parent = nullptr);

    QGeoPositionInfoSource *positionInfoSource(QObject *parent) override;
    QGeoSatelliteInfoSource *satelliteInfoSource(QObject *parent) override;
    QGeoAreaMonitorSource *areaMonitor(QObject *parent) override;

private:
    // The log to replay, or an empty string when there is none to read.
    static QString replayFileName();
    // The replay speed; 1 when unset or not a number above 0.
    static double replaySpeed(bool warn);
};

#endif // NMEAREPLAYFACTORY_H
