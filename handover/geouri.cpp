#include "geouri.h"

#include <QRegularExpression>
#include <QUrl>
#include <cmath>

namespace {

const QRegularExpression Number("^[-+]?[0-9]{1,3}(\\.[0-9]{1,15})?$");

bool readCoordinate(const QString &text, double limit, double *value)
{
    if (!Number.match(text).hasMatch())
        return false;
    *value = text.toDouble();
    return std::fabs(*value) <= limit;
}

}

bool GeoUri::isGeoUri(const QString &text)
{
    return text.startsWith("geo:", Qt::CaseInsensitive);
}

bool GeoUri::fail(const QString &why)
{
    *this = GeoUri();
    m_error = why;
    return false;
}

bool GeoUri::parse(const QString &text)
{
    *this = GeoUri();
    if (text.size() > MaxLength)
        return fail(tr("The geo: link is too long."));
    if (!isGeoUri(text))
        return fail(tr("This is not a geo: link."));
    const QString rest = text.mid(4);
    const QString path = rest.section('?', 0, 0);
    const QString queryText = rest.contains('?') ? rest.section('?', 1) : QString();

    // coordinates ; parameters
    const QStringList parts = path.split(';');
    const QStringList coordinates = parts.first().split(',');
    if (coordinates.size() < 2 || coordinates.size() > 3
        || !readCoordinate(coordinates[0], 90, &m_latitude)
        || !readCoordinate(coordinates[1], 180, &m_longitude))
        return fail(tr("The geo: link does not name a place on Earth."));
    for (int i = 1; i < parts.size(); ++i) {
        const QString name = parts[i].section('=', 0, 0).toLower();
        const QString value = parts[i].section('=', 1).toLower();
        if (name == "crs" && value != "wgs84")
            return fail(tr("The geo: link uses a coordinate system Marlu does not know."));
    }
    m_hasPoint = true;

    for (const QString &pair : queryText.split('&', Qt::SkipEmptyParts)) {
        const QString name = pair.section('=', 0, 0).toLower();
        // "+" is a space in the query of a link, as browsers write it.
        QString value = pair.section('=', 1);
        value.replace('+', ' ');
        value = QUrl::fromPercentEncoding(value.toUtf8()).simplified();
        if (name == "z") {
            bool ok = false;
            const int zoom = value.toInt(&ok);
            if (ok)
                m_zoom = qBound(0, zoom, 18);
        } else if (name == "q" && !value.isEmpty()) {
            // "lat,lng(label)" is a point; anything else is a text to search.
            const QRegularExpression point("^([-+]?[0-9.]+)\\s*,\\s*([-+]?[0-9.]+)\\s*(?:\\((.*)\\))?$");
            const QRegularExpressionMatch match = point.match(value);
            double lat = 0, lng = 0;
            if (match.hasMatch() && readCoordinate(match.captured(1), 90, &lat)
                && readCoordinate(match.captured(2), 180, &lng)) {
                m_latitude = lat;
                m_longitude = lng;
                m_label = match.captured(3).left(200);
            } else {
                m_query = value.left(200);
            }
        }
    }
    // geo:0,0?q=... is how other programs ask for a search without a point.
    if (!m_query.isEmpty() && m_latitude == 0 && m_longitude == 0)
        m_hasPoint = false;
    return true;
}
