#ifndef GPXTRACKWRITER_H
#define GPXTRACKWRITER_H

#include <QDateTime>
#include <QFile>
#include <QString>

// One recorded track as a GPX 1.1 file that is whole after every point: each
// point goes in before the closing tags, which are written again behind it.
// So a crash or a kill loses only what the system had not yet written.
class GpxTrackWriter
{
public:
    ~GpxTrackWriter();

    // Creates the file (never replacing one); false with error().
    bool open(const QString &path, const QString &name);
    // speed in m/s and accuracy in m, negative when unknown.
    bool add(double latitude, double longitude, const QDateTime &time, double speed, double accuracy);
    void close();
    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }
    QString error() const { return m_error; }

private:
    QFile m_file;
    qint64 m_tailAt = 0;   // where the closing tags start
    QString m_error;
};

#endif
