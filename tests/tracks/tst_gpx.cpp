#include "testmain.h"

#include "tracks/gpxreader.h"
#include "tracks/trackrecorder.h"

#include <QDir>
#include <QFile>
#include <QGeoPositionInfo>
#include <QNmeaPositionInfoSource>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

// Recorded tracks read by two programs that did not write them, GPX files of
// other programs read by ours, and hostile files refused without harm.
class TestGpx : public QObject
{
    Q_OBJECT
private slots:
    void replayedDriveIsReadByOtherProgramsAndSurvivesAKill();
    void newFileEachDayAndAfterAPause();
    void filesOfOtherPrograms_data();
    void filesOfOtherPrograms();
    void hostileFiles_data();
    void hostileFiles();
};

namespace {

class NmeaParser : public QNmeaPositionInfoSource
{
public:
    NmeaParser() : QNmeaPositionInfoSource(QNmeaPositionInfoSource::SimulationMode) {}
    using QNmeaPositionInfoSource::parsePosInfoFromNmeaData;
};

QString fixtures()
{
    const QString dir = qEnvironmentVariable("MARLU_FIXTURES");
    return dir.isEmpty() ? QString(MARLU_SOURCE_DIR "/../shared/fixtures") : dir;
}

// "lat lon time" lines of every track point, as gpxpy reads the file.
QStringList gpxpyPoints(const QString &path)
{
    QProcess python;
    python.start("/usr/bin/python3", {"-c",
        "import sys, gpxpy\n"
        "g = gpxpy.parse(open(sys.argv[1], encoding='utf-8'))\n"
        "for t in g.tracks:\n"
        "  for s in t.segments:\n"
        "    for p in s.points: print('%.6f %.6f %s' % (p.latitude, p.longitude, p.time.strftime('%H:%M:%S')))\n",
        path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return {"gpxpy failed: " + QString::fromUtf8(python.readAllStandardError())};
    return QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

int gpsbabelPoints(const QString &path)
{
    QProcess babel;
    babel.start("gpsbabel", {"-t", "-i", "gpx", "-f", path, "-o", "unicsv", "-F", "-"});
    if (!babel.waitForFinished(60000) || babel.exitCode() != 0)
        return -1;
    // A header line, then one line a point.
    return QString::fromUtf8(babel.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts).size() - 1;
}

QGeoPositionInfo fix(double lat, double lng, const QDateTime &time)
{
    return QGeoPositionInfo(QGeoCoordinate(lat, lng), time);
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

}

void TestGpx::replayedDriveIsReadByOtherProgramsAndSurvivesAKill()
{
    // The receiver's log read by Qt's own NMEA parser, sentence by sentence:
    // the fixes a replay gives, without waiting for their times to pass.
    QFile log(fixtures() + "/nmea/bundg-zeus9-moving-ijsselmeer.log");
    QVERIFY2(log.open(QIODevice::ReadOnly), qPrintable(log.fileName()));
    NmeaParser parser;
    QList<QGeoPositionInfo> fixes;
    while (!log.atEnd()) {
        const QByteArray line = log.readLine();
        QGeoPositionInfo info;
        bool hasFix = false;
        if (parser.parsePosInfoFromNmeaData(line.constData(), line.size(), &info, &hasFix) && hasFix
            && info.timestamp().isValid())
            fixes << info;
    }

    QTemporaryDir dir;
    TrackRecorder recorder(dir.path());
    QStringList expected, atHalf;
    QString file;
    for (int i = 0; i < fixes.size(); ++i) {
        if (recorder.add(fixes[i])) {
            const QGeoCoordinate c = fixes[i].coordinate();
            expected << QString("%1 %2 %3").arg(c.latitude(), 0, 'f', 6).arg(c.longitude(), 0, 'f', 6)
                            .arg(fixes[i].timestamp().toUTC().toString("HH:mm:ss"));
        }
        if (i == fixes.size() / 2) {
            // What a process killed now leaves on the disk: the file as written so far.
            file = recorder.currentFile();
            QVERIFY(QFile::copy(file, dir.path() + "/killed.gpx.copy"));
            atHalf = expected;
        }
    }
    QVERIFY(recorder.error().isEmpty());
    QVERIFY(expected.size() > 100);
    QCOMPARE(QDir(dir.path()).entryList({"*.gpx"}, QDir::Files).size(), 1);
    QCOMPARE(gpxpyPoints(dir.path() + "/killed.gpx.copy"), atHalf);

    recorder.stop();
    QCOMPARE(gpxpyPoints(file), expected);
    QCOMPARE(gpsbabelPoints(file), expected.size());
    GpxData data;
    GpxReader reader;
    QVERIFY2(reader.read(file, &data), qPrintable(reader.error()));
    QCOMPARE(data.tracks.size(), 1);
    QCOMPARE(data.tracks[0].points.size(), expected.size());
    QCOMPARE(data.tracks[0].duration(), fixes.first().timestamp().secsTo(data.tracks[0].points.last().time));
}

void TestGpx::newFileEachDayAndAfterAPause()
{
    QTemporaryDir dir;
    TrackRecorder recorder(dir.path());
    const QDateTime evening(QDate(2026, 3, 7), QTime(23, 40), Qt::LocalTime);
    QVERIFY(recorder.add(fix(43.73, 7.42, evening)));
    QVERIFY(recorder.add(fix(43.731, 7.421, evening.addSecs(540))));   // 9 min: the same track
    QVERIFY(!recorder.add(fix(43.732, 7.422, evening.addSecs(540))));  // not later: dropped
    QVERIFY(!recorder.add(QGeoPositionInfo()));
    const QString first = recorder.currentFile();
    QVERIFY(recorder.add(fix(43.732, 7.422, evening.addSecs(1200))));  // after midnight
    const QString second = recorder.currentFile();
    QVERIFY(recorder.add(fix(43.733, 7.423, evening.addSecs(1200 + 601))));  // a pause over 10 min
    const QString third = recorder.currentFile();
    QCOMPARE(QSet<QString>({first, second, third}).size(), 3);
    QCOMPARE(gpxpyPoints(first).size(), 2);
    QCOMPARE(gpxpyPoints(second).size(), 1);
    QCOMPARE(gpxpyPoints(third).size(), 1);
}

void TestGpx::filesOfOtherPrograms_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("tracks");
    QTest::addColumn<int>("routes");
    QTest::addColumn<int>("waypoints");
    QTest::newRow("car drive, GPX 1.0") << "around-visnjan-with-car.gpx" << 1 << 0 << 0;
    QTest::newRow("hike") << "korita-zbevnica.gpx" << 4 << 0 << 2;
    QTest::newRow("route") << "route.gpx" << 0 << 1 << 0;
    QTest::newRow("every field") << "gpx1.1_with_all_fields.gpx" << -1 << -1 << -1;
    QTest::newRow("byte-order mark, no namespace") << "unicode_with_bom.gpx" << 0 << 0 << 1;
    QTest::newRow("empty segment") << "track-with-empty-segment.gpx" << -1 << -1 << -1;
}

// The counts are gpxpy's where the row gives none.
void TestGpx::filesOfOtherPrograms()
{
    QFETCH(QString, name);
    QFETCH(int, tracks);
    QFETCH(int, routes);
    QFETCH(int, waypoints);
    const QString path = fixtures() + "/gpx/" + name;
    QProcess python;
    python.start("/usr/bin/python3", {"-c",
        "import sys, gpxpy\n"
        "g = gpxpy.parse(open(sys.argv[1], encoding='utf-8-sig'))\n"
        "print(len(g.tracks), len(g.routes), len(g.waypoints),"
        " sum(len(s.points) for t in g.tracks for s in t.segments) + sum(len(r.points) for r in g.routes))\n",
        path});
    QVERIFY(python.waitForFinished(60000));
    const QStringList counts = QString::fromUtf8(python.readAllStandardOutput()).split(' ');
    QCOMPARE(counts.size(), 4);
    GpxData data;
    GpxReader reader;
    QVERIFY2(reader.read(path, &data), qPrintable(reader.error()));
    QCOMPARE(data.tracks.size(), counts[0].toInt());
    QCOMPARE(data.routes.size(), counts[1].toInt());
    QCOMPARE(data.waypoints.size(), counts[2].toInt());
    int points = 0;
    for (const GpxLine &line : data.tracks + data.routes)
        points += line.points.size();
    QCOMPARE(points, counts[3].trimmed().toInt());
    if (tracks >= 0)
        QCOMPARE(data.tracks.size(), tracks);
    if (routes >= 0)
        QCOMPARE(data.routes.size(), routes);
    if (waypoints >= 0)
        QCOMPARE(data.waypoints.size(), waypoints);
}

void TestGpx::hostileFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<qint64>("size");   // a sparse file of this size instead, when given
    QTest::addColumn<QString>("refusal");   // empty: read, with the waypoint's name below
    QTest::addColumn<QString>("name");
    const QByteArray head = "<?xml version=\"1.0\"?><gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">";
    const QByteArray wpt = "<wpt lat=\"43.73\" lon=\"7.42\"><name>&lt;img src=x onerror=alert(1)&gt;</name></wpt>";
    QTest::newRow("markup in a name") << head + wpt + "</gpx>" << qint64(0) << "" << "<img src=x onerror=alert(1)>";
    QTest::newRow("truncated") << head + wpt.left(30) << qint64(0) << "line 1" << "";
    QTest::newRow("deeply nested") << head + "<extensions>" + QByteArray(20000, 'x').replace("x", "<a>") << qint64(0)
                                   << "nested too deeply" << "";
    QTest::newRow("wrong namespace") << QByteArray(head).replace("GPX/1/1", "GPX/9/9") + wpt + "</gpx>" << qint64(0)
                                     << "not a GPX 1.0 or 1.1 file" << "";
    QTest::newRow("entities") << "<?xml version=\"1.0\"?><!DOCTYPE gpx [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
                                 + head.mid(21) + "<wpt lat=\"1\" lon=\"1\"><name>&b;&b;&b;</name></wpt></gpx>"
                              << qint64(0) << "document type" << "";
    QTest::newRow("100 MB") << QByteArray() << qint64(100) * 1024 * 1024 << "too large" << "";
    QTest::newRow("no position") << head + "<wpt lat=\"north\" lon=\"7\"/></gpx>" << qint64(0) << "no valid position" << "";
    QTest::newRow("a device") << QByteArray() << qint64(-1) << "not a file" << "";
    QTest::newRow("not XML") << QByteArray("\x89PNG\r\n\x1a\n", 8) << qint64(0) << "cannot be shown" << "";
}

void TestGpx::hostileFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(qint64, size);
    QFETCH(QString, refusal);
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString path = size < 0 ? QString("/dev/zero") : dir.path() + "/hostile.gpx";
    if (size >= 0)
        writeFile(path, content);
    if (size > 0)
        QVERIFY(QFile(path).resize(size));
    GpxData data;
    GpxReader reader;
    const bool read = reader.read(path, &data);
    if (refusal.isEmpty()) {
        QVERIFY2(read, qPrintable(reader.error()));
        QCOMPARE(data.waypoints.size(), 1);
        QCOMPARE(data.waypoints[0].name, name);
        return;
    }
    QVERIFY(!read);
    QVERIFY(data.isEmpty());
    QVERIFY2(reader.error().contains(refusal), qPrintable(reader.error()));
    // One sentence: no line breaks in what the warning box shows.
    QVERIFY(!reader.error().contains('\n'));
}

MARLU_TEST_MAIN(TestGpx)
#include "tst_gpx.moc"
