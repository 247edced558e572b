#include "geolocation.h"

#include <QDebug>
#include <QGeoPositionInfoSource>
#include <QGeoSatelliteInfoSource>

GeoLocation::GeoLocation(QObject *parent)
    : QObject(parent)
{
}

GeoLocation::~GeoLocation()
{
    if (m_source) {
        m_source->stopUpdates();
        delete m_source;
    }
    if (m_satelliteSource) {
        m_satelliteSource->stopUpdates();
        delete m_satelliteSource;
    }
}

void GeoLocation::setUpdatesPerHour(int updatesPerHour)
{
    qDebug().nospace() << "GeoLocation::setUpdatesPerHour: " << updatesPerHour;
    if (updatesPerHour != 0) {
        // A platform without a default source gives none; the next start tries again.
        if (!m_satelliteSource) {
            qDebug() << "Satellite";
            m_satelliteSource = QGeoSatelliteInfoSource::createDefaultSource(this);
        }
        if (!m_source) {
            qDebug() << "Create Default Source";
            m_source = QGeoPositionInfoSource::createDefaultSource(this);
            if (m_source)
                connect(m_source, &QGeoPositionInfoSource::positionUpdated,
                        this, &GeoLocation::positionUpdated);
        }
        if (m_source) {
            m_source->setUpdateInterval(3600000 / updatesPerHour);
            m_source->startUpdates();
        }
        if (m_satelliteSource)
            m_satelliteSource->startUpdates();
        // Without a position source no fix can come: do not claim to be updating.
        m_updating = m_source != nullptr;
    } else {
        if (m_source)
            m_source->stopUpdates();
        if (m_satelliteSource)
            m_satelliteSource->stopUpdates();
        m_updating = false;
    }
}

bool GeoLocation::isUpdating() const
{
    return m_updating;
}

double GeoLocation::latitude() const
{
    return m_position.coordinate().latitude();
}

double GeoLocation::longitude() const
{
    return m_position.coordinate().longitude();
}

qreal GeoLocation::horizontalAccuracy() const
{
    // Qt 5 answers NaN for a missing attribute; the page and the snippets expect -1.
    if (!m_position.hasAttribute(QGeoPositionInfo::HorizontalAccuracy))
        return -1;
    return m_position.attribute(QGeoPositionInfo::HorizontalAccuracy);
}

QString GeoLocation::toString() const
{
    return QString("%1, %2").arg(latitude()).arg(longitude());
}

void GeoLocation::positionUpdated(const QGeoPositionInfo &update)
{
    m_position = update;
    emit updated();
}
