#include "gpxreader.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <cmath>

namespace {
const QString Gpx10 = "http://www.topografix.com/GPX/1/0";
const QString Gpx11 = "http://www.topografix.com/GPX/1/1";
}

bool GpxReader::read(const QString &path, GpxData *data)
{
    // A device or a pipe would be read for ever.
    if (!QFileInfo(path).isFile()) {
        m_error = tr("%1 is not a file that can be shown.").arg(path);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = tr("The file %1 could not be opened: %2.").arg(path, file.errorString());
        return false;
    }
    if (file.size() > MaxFileSize) {
        m_error = tr("The file %1 is too large to show (%2 MB; at most %3 MB).")
                      .arg(path).arg(file.size() >> 20).arg(MaxFileSize >> 20);
        return false;
    }
    return read(&file, data);
}

bool GpxReader::read(QIODevice *device, GpxData *data)
{
    *data = GpxData();
    m_error.clear();
    m_points = 0;
    QXmlStreamReader xml(device);
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD:
            return fail(xml, tr("it declares a document type, which GPX files do not"));
        case QXmlStreamReader::StartElement:
            // Some programs leave the namespace out; another one is another format.
            if (xml.name() != QLatin1String("gpx")
                || (xml.namespaceUri() != Gpx10 && xml.namespaceUri() != Gpx11 && !xml.namespaceUri().isEmpty()))
                return fail(xml, tr("it is not a GPX 1.0 or 1.1 file"));
            m_namespace = xml.namespaceUri().toString();
            if (!readGpx(xml, data))
                return false;
            // Whatever follows the root is not read.
            return true;
        default:
            break;
        }
    }
    return fail(xml, xml.hasError() ? xml.errorString() : tr("it is empty"));
}

bool GpxReader::fail(QXmlStreamReader &xml, const QString &why)
{
    if (m_error.isEmpty())
        m_error = tr("The GPX file cannot be shown: %1 (line %2).").arg(why).arg(xml.lineNumber());
    return false;
}

// Skips the element just started and what it holds, within the depth limit.
bool GpxReader::skip(QXmlStreamReader &xml)
{
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > MaxDepth)
            return fail(xml, tr("its elements are nested too deeply"));
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    return !xml.hasError() || fail(xml, xml.errorString());
}

bool GpxReader::readGpx(QXmlStreamReader &xml, GpxData *data)
{
    while (xml.readNextStartElement()) {
        if (xml.namespaceUri() != m_namespace) {
            if (!skip(xml))
                return false;
            continue;
        }
        const QStringRef name = xml.name();
        if (name == QLatin1String("wpt")) {
            GpxPoint point;
            GpxWaypoint waypoint;
            if (!readPoint(xml, &point, &waypoint.name))
                return false;
            waypoint.latitude = point.latitude;
            waypoint.longitude = point.longitude;
            data->waypoints << waypoint;
        } else if (name == QLatin1String("rte")) {
            GpxLine line;
            if (!readLine(xml, "rtept", &line))
                return false;
            data->routes << line;
        } else if (name == QLatin1String("trk")) {
            GpxLine line;
            if (!readLine(xml, "trkpt", &line))
                return false;
            data->tracks << line;
        } else if (!skip(xml)) {
            return false;
        }
    }
    if (xml.hasError())
        return fail(xml, xml.errorString());
    return true;
}

// rte holds rtept; trk holds trkseg, which hold trkpt.
bool GpxReader::readLine(QXmlStreamReader &xml, const QString &pointTag, GpxLine *line)
{
    while (xml.readNextStartElement()) {
        const QStringRef name = xml.name();
        if (xml.namespaceUri() != m_namespace) {
            if (!skip(xml))
                return false;
        } else if (name == QLatin1String("name")) {
            line->name = xml.readElementText(QXmlStreamReader::SkipChildElements).simplified().left(MaxNameLength);
        } else if (name == pointTag) {
            GpxPoint point;
            QString ignored;
            if (!readPoint(xml, &point, &ignored))
                return false;
            line->points << point;
        } else if (name == QLatin1String("trkseg") && pointTag == QLatin1String("trkpt")) {
            while (xml.readNextStartElement()) {
                if (xml.namespaceUri() == m_namespace && xml.name() == QLatin1String("trkpt")) {
                    GpxPoint point;
                    QString ignored;
                    if (!readPoint(xml, &point, &ignored))
                        return false;
                    line->points << point;
                } else if (!skip(xml)) {
                    return false;
                }
            }
        } else if (!skip(xml)) {
            return false;
        }
    }
    return !xml.hasError() || fail(xml, xml.errorString());
}

bool GpxReader::readPoint(QXmlStreamReader &xml, GpxPoint *point, QString *name)
{
    if (++m_points > MaxPoints)
        return fail(xml, tr("it holds more than %1 points").arg(MaxPoints));
    bool latOk = false, lngOk = false;
    point->latitude = xml.attributes().value("lat").toDouble(&latOk);
    point->longitude = xml.attributes().value("lon").toDouble(&lngOk);
    if (!latOk || !lngOk || !std::isfinite(point->latitude) || !std::isfinite(point->longitude)
        || std::fabs(point->latitude) > 90 || std::fabs(point->longitude) > 180)
        return fail(xml, tr("a point has no valid position"));
    while (xml.readNextStartElement()) {
        if (xml.namespaceUri() == m_namespace && xml.name() == QLatin1String("time")) {
            point->time = QDateTime::fromString(xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed(),
                                                Qt::ISODateWithMs);
        } else if (xml.namespaceUri() == m_namespace && xml.name() == QLatin1String("name")) {
            *name = xml.readElementText(QXmlStreamReader::SkipChildElements).simplified().left(MaxNameLength);
        } else if (!skip(xml)) {
            return false;
        }
    }
    return !xml.hasError() || fail(xml, xml.errorString());
}
