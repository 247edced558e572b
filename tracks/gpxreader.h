#ifndef GPXREADER_H
#define GPXREADER_H

#include "tracks/gpxdata.h"

#include <QCoreApplication>
#include <QString>

class QIODevice;
class QXmlStreamReader;

// Reads a GPX 1.0 or 1.1 file, whoever wrote it. Anything else, and files
// too large, too deep or with a document type, are refused with one sentence.
class GpxReader
{
    Q_DECLARE_TR_FUNCTIONS(GpxReader)
public:
    static const qint64 MaxFileSize = 64 * 1024 * 1024;
    static const int MaxDepth = 32;
    static const int MaxPoints = 2000000;
    static const int MaxNameLength = 200;

    bool read(const QString &path, GpxData *data);
    bool read(QIODevice *device, GpxData *data);
    QString error() const { return m_error; }

private:
    bool readGpx(QXmlStreamReader &xml, GpxData *data);
    bool readPoint(QXmlStreamReader &xml, GpxPoint *point, QString *name);
    bool readLine(QXmlStreamReader &xml, const QString &pointTag, GpxLine *line);
    bool skip(QXmlStreamReader &xml);
    bool fail(QXmlStreamReader &xml, const QString &why);

    QString m_error;
    QString m_namespace;
    int m_points = 0;
};

#endif
