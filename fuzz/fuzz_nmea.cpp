// The replay plugin reading one NMEA log: the satellite epochs and the fixes,
// replayed as fast as they can go.
#include "fuzzapp.h"

#include "nmeapositionsource.h"
#include "nmeasatellitelog.h"

#include <QBuffer>
#include <QTemporaryFile>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    startFuzzApplication(argc, argv);
    return 0;
}

static void readSatellites(const QByteArray &log)
{
    QBuffer buffer;
    buffer.setData(log);
    buffer.open(QIODevice::ReadOnly);
    NmeaSatelliteLog satellites(&buffer);
    NmeaSatelliteLog::Epoch epoch;
    while (satellites.readEpoch(&epoch) != NmeaReplay::Read::Finished) {
    }
}

static void replayFixes(const QByteArray &log)
{
    auto *file = new QTemporaryFile;
    if (!file->open() || file->write(log) != log.size() || !file->seek(0)) {
        delete file;
        return;
    }
    NmeaPositionSource source(file, 1e9);
    source.setUpdateInterval(0);
    source.startUpdates();
    // The end of the log stops a running replay with a time-out.
    waitFor(&source, &QGeoPositionInfoSource::updateTimeout);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray log(reinterpret_cast<const char *>(data), int(size));
    readSatellites(log);
    // The replay turns the event loop once per epoch: its share is kept
    // short so that a run tries many inputs; the reading above takes all.
    replayFixes(log.left(64 * 1024));
    return 0;
}
