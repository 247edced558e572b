#include "gpxtrackwriter.h"

#include <QByteArray>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {
const QByteArray Tail = "</trkseg></trk>\n</gpx>\n";

QByteArray escaped(const QString &text)
{
    return text.toHtmlEscaped().toUtf8();
}
}

GpxTrackWriter::~GpxTrackWriter()
{
    close();
}

bool GpxTrackWriter::open(const QString &path, const QString &name)
{
    close();
    m_error.clear();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        m_error = m_file.errorString();
        return false;
    }
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"Marlu " MARLU_VERSION "\" xmlns=\"http://www.topografix.com/GPX/1/1\""
        " xmlns:marlu=\"urn:pelmark:marlu:gpx:1\">\n<trk><name>" + escaped(name) + "</name><trkseg>\n";
    m_tailAt = head.size();
    if (m_file.write(head + Tail) < 0 || !m_file.flush()) {
        m_error = m_file.errorString();
        m_file.close();
        return false;
    }
    return true;
}

bool GpxTrackWriter::add(double latitude, double longitude, const QDateTime &time, double speed, double accuracy)
{
    if (!m_file.isOpen())
        return false;
    QByteArray point = "<trkpt lat=\"" + QByteArray::number(latitude, 'f', 7) + "\" lon=\""
        + QByteArray::number(longitude, 'f', 7) + "\"><time>"
        + time.toUTC().toString(Qt::ISODateWithMs).toLatin1() + "</time>";
    if (speed >= 0 || accuracy >= 0) {
        point += "<extensions>";
        if (speed >= 0)
            point += "<marlu:speed>" + QByteArray::number(speed, 'f', 2) + "</marlu:speed>";
        if (accuracy >= 0)
            point += "<marlu:accuracy>" + QByteArray::number(accuracy, 'f', 1) + "</marlu:accuracy>";
        point += "</extensions>";
    }
    point += "</trkpt>\n";
    // One write of point and tail at the tail's place: the file is never
    // without its end for long, and one system call is all a fix costs.
    point += Tail;
    if (::pwrite(m_file.handle(), point.constData(), size_t(point.size()), m_tailAt) != point.size()) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    point.chop(Tail.size());
    m_tailAt += point.size();
    return true;
}

void GpxTrackWriter::close()
{
    if (!m_file.isOpen())
        return;
    m_file.flush();
    ::fsync(m_file.handle());
    m_file.close();
}
