#ifndef POSITIONBRIDGE_H
#define POSITIONBRIDGE_H

#include <QObject>
#include <QPointer>

class GeoLocation;

// What the map page sees as "pelmark": the fix's three read-only numbers and
// updated(), nothing else of the application. The page comes over plain HTTP,
// so it may delete or rename this object at will (QObject's public slots such
// as deleteLater() are reachable from script); the window never owns it and
// the source it reads is held by a guarded pointer.
class PositionBridge : public QObject
{
    Q_OBJECT
    Q_PROPERTY(double latitude READ latitude NOTIFY updated)
    Q_PROPERTY(double longitude READ longitude NOTIFY updated)
    Q_PROPERTY(double horizontalAccuracy READ horizontalAccuracy NOTIFY updated)
public:
    PositionBridge(GeoLocation *source, QObject *parent);

    double latitude() const;
    double longitude() const;
    double horizontalAccuracy() const;
    GeoLocation *source() const { return m_source; }

signals:
    void updated();

private:
    QPointer<GeoLocation> m_source;
};

#endif
