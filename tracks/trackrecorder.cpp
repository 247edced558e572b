#include "trackrecorder.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QGeoPositionInfo>
#include <QLocale>
#include <QStandardPaths>
#include <cmath>

TrackRecorder::TrackRecorder(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_folder(folder.isEmpty() ? defaultFolder() : folder)
{
}

QString TrackRecorder::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/marlu/tracks";
}

bool TrackRecorder::add(const QGeoPositionInfo &fix)
{
    const QGeoCoordinate at = fix.coordinate();
    const QDateTime time = fix.timestamp();
    if (!at.isValid() || !time.isValid() || (m_last.isValid() && time <= m_last))
        return false;
    // The local midnight is worked out once a file: the time zone is looked up anew at each conversion.
    if (!m_writer.isOpen() || time >= m_dayEnd || m_last.secsTo(time) > MaxGapSeconds) {
        if (!startFile(time))
            return false;
        m_dayEnd = QDateTime(time.toLocalTime().date().addDays(1), QTime(0, 0), Qt::LocalTime).toUTC();
    }
    const double speed = fix.hasAttribute(QGeoPositionInfo::GroundSpeed) ? fix.attribute(QGeoPositionInfo::GroundSpeed) : -1;
    const double accuracy = fix.hasAttribute(QGeoPositionInfo::HorizontalAccuracy)
        ? fix.attribute(QGeoPositionInfo::HorizontalAccuracy) : -1;
    if (!m_writer.add(at.latitude(), at.longitude(), time, std::isfinite(speed) ? speed : -1,
                      std::isfinite(accuracy) ? accuracy : -1)) {
        m_error = tr("The track could not be written to %1: %2.").arg(m_writer.path(), m_writer.error());
        qWarning().noquote() << "TrackRecorder::add:" << m_error;
        m_writer.close();
        return false;
    }
    m_last = time;
    return true;
}

bool TrackRecorder::startFile(const QDateTime &time)
{
    m_writer.close();
    QDir().mkpath(m_folder);
    const QString stem = m_folder + "/" + time.toLocalTime().toString("yyyy-MM-dd_HHmmss");
    QString path = stem + ".gpx";
    for (int n = 2; QFile::exists(path); ++n)
        path = QString("%1-%2.gpx").arg(stem).arg(n);
    if (!m_writer.open(path, QLocale().toString(time.toLocalTime(), QLocale::ShortFormat))) {
        m_error = tr("The track could not be written to %1: %2.").arg(path, m_writer.error());
        qWarning().noquote() << "TrackRecorder::startFile:" << m_error;
        return false;
    }
    qDebug().noquote() << "TrackRecorder: recording to" << path;
    m_error.clear();
    return true;
}

void TrackRecorder::stop()
{
    m_writer.close();
    m_last = QDateTime();
}
