// Cost of replaying a large NMEA log through the position plugin: time from
// creating the sources (as GeoLocation does: satellites, then position) to
// the first fix, and the peak resident memory then and after N fixes.
//   bench/bench_nmeareplay [SIZE_MB [FIXES]]     (defaults 100 and 0)
// The log is generated into a temporary folder and removed afterwards.
// Set MARLU_NMEA_SPEED to replay the N fixes faster than the log's 1 Hz.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGeoPositionInfoSource>
#include <QGeoSatelliteInfoSource>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

QByteArray sentence(const QByteArray &body)
{
    char sum = 0;
    for (char c : body)
        sum ^= c;
    return '$' + body + '*' + QByteArray::number(static_cast<uchar>(sum), 16).rightJustified(2, '0').toUpper()
        + "\r\n";
}

// One receiver epoch a second (GGA, GSA, three GSV, RMC), driving slowly
// north-east from Hamilton, until the file holds the given size.
bool writeLog(const QString &fileName, qint64 bytes)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QDateTime start(QDate(2014, 12, 31), QTime(3, 7, 19), Qt::UTC);
    for (int i = 0; file.size() < bytes; ++i) {
        const QDateTime t = start.addSecs(i);
        const QByteArray time = t.toString("hhmmss.000").toLatin1();
        const QByteArray lat = QByteArray::number(4700.0 - (i % 100000) * 0.001, 'f', 4);
        const QByteArray lon = QByteArray::number(17500.0 + (i % 100000) * 0.001, 'f', 4);
        file.write(sentence("GPGGA," + time + ',' + lat + ",S," + lon + ",E,1,08,1.1,60.0,M,23.7,M,,0000"));
        file.write(sentence("GPGSA,A,3,17,28,06,01,30,20,26,13,,,,,1.8,1.1,1.5"));
        file.write(sentence("GPGSV,3,1,12,17,72,207,32,28,59,095,31,06,35,347,25,01,29,132,23"));
        file.write(sentence("GPGSV,3,2,12,30,23,011,29,20,17,069,20,26,09,293,23,13,07,304,10"));
        file.write(sentence("GPGSV,3,3,12,11,12,132,04,08,38,008,,02,35,348,,03,14,091,"));
        file.write(sentence("GPRMC," + time + ",A," + lat + ",S," + lon + ",E,5.50,45.0,"
                            + t.toString("ddMMyy").toLatin1() + ",,,A"));
    }
    return true;
}

double peakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

bool waitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::addLibraryPath(MARLU_PLUGIN_DIR);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100;
    const int wanted = argc > 2 ? QByteArray(argv[2]).toInt() : 0;

    QTemporaryDir dir;
    const QString log = dir.filePath("big.nmea");
    if (!dir.isValid() || !writeLog(log, megabytes * 1024 * 1024)) {
        std::fprintf(stderr, "cannot write the log in %s\n", qPrintable(dir.path()));
        return 1;
    }
    qputenv("MARLU_NMEA_FILE", QFile::encodeName(log));
    const double before = peakMiB();

    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QGeoSatelliteInfoSource> satellites(QGeoSatelliteInfoSource::createDefaultSource(nullptr));
    std::unique_ptr<QGeoPositionInfoSource> position(QGeoPositionInfoSource::createDefaultSource(nullptr));
    if (!satellites || !position || position->sourceName() != "nmeareplay") {
        std::fprintf(stderr, "the replay plugin offers no source\n");
        return 1;
    }
    const qint64 created = clock.elapsed();
    int fixes = 0;
    QObject::connect(position.get(), &QGeoPositionInfoSource::positionUpdated, [&] { ++fixes; });
    position->setUpdateInterval(1000);
    position->startUpdates();
    satellites->startUpdates();
    if (!waitFor([&] { return fixes > 0; }, 600000)) {
        std::fprintf(stderr, "no fix\n");
        return 1;
    }
    const qint64 firstFix = clock.elapsed();
    std::printf("log %lld MB: sources created after %lld ms, first fix after %lld ms, "
                "peak RSS %.1f MiB (%.1f before the sources)\n",
                megabytes, created, firstFix, peakMiB(), before);
    if (wanted > 0) {
        if (!waitFor([&] { return fixes >= wanted; }, 3600000)) {
            std::fprintf(stderr, "only %d fixes\n", fixes);
            return 1;
        }
        std::printf("%d fixes after %lld ms, peak RSS %.1f MiB\n", fixes, clock.elapsed(), peakMiB());
    }
    return 0;
}
