#ifndef GEOLOCATION_H
#define GEOLOCATION_H

#include <QGeoPositionInfo>
#include <QObject>
#include <QString>

class QGeoPositionInfoSource;
class QGeoSatelliteInfoSource;

// The platform's position service at a rate given in updates per hour. The map
// page reads it through a PositionBridge, never this object itself.
class GeoLocation : public QObject
{
    Q_OBJECT
    Q_PROPERTY(double latitude READ latitude)
    Q_PROPERTY(double longitude READ longitude)
    Q_PROPERTY(double horizontalAccuracy READ horizontalAccuracy)
public:
    explicit GeoLocation(QObject *parent = nullptr);
    ~GeoLocation();

    void setUpdatesPerHour(int updatesPerHour);
    bool isUpdating() const;
    double latitude() const;
    double longitude() const;
    qreal horizontalAccuracy() const;
    QGeoPositionInfo positionInfo() const { return m_position; }   // the latest fix, whole
    QString toString() const;   // part of the interface, though nothing calls it: keep

signals:
    void updated();

public slots:
    void positionUpdated(const QGeoPositionInfo &update);

private:
    QGeoPositionInfoSource *m_source = nullptr;
    QGeoSatelliteInfoSource *m_satelliteSource = nullptr;
    bool m_updating = false;
    QGeoPositionInfo m_position;
};

#endif
