#ifndef TRACKRECORDER_H
#define TRACKRECORDER_H

#include "tracks/gpxtrackwriter.h"

#include <QDateTime>
#include <QObject>
#include <QString>

class QGeoPositionInfo;

// Records fixes into GPX files in the tracks folder, a new file for each day
// and after each pause of more than ten minutes.
class TrackRecorder : public QObject
{
    Q_OBJECT
public:
    static const int MaxGapSeconds = 600;

    // folder: empty for "marlu/tracks" in the user's data folder.
    explicit TrackRecorder(const QString &folder = QString(), QObject *parent = nullptr);

    QString folder() const { return m_folder; }
    static QString defaultFolder();
    // False (and nothing written) for a fix without a valid position or time,
    // or one not later than the last; error() is set when the disk refused.
    bool add(const QGeoPositionInfo &fix);
    // Ends the file being written; the next fix starts a new one.
    void stop();
    QString currentFile() const { return m_writer.isOpen() ? m_writer.path() : QString(); }
    QString error() const { return m_error; }

private:
    bool startFile(const QDateTime &time);

    QString m_folder;
    GpxTrackWriter m_writer;
    QDateTime m_last;
    QDateTime m_dayEnd;   // the local midnight that ends the file's day, in UTC
    QString m_error;
};

#endif
