#include <QtPositioning/QGeoPositionInfoSource>
#include <QtPositioning/QGeoSatelliteInfoSource>
#include <QtPositioning/QNmeaPositionInfoSource>
#include "testmain.h"

#include <QtTest>

#include <memory>

namespace {

const char ReplayVariable[] = "MARLU_NMEA_FILE";
const char SpeedVariable[] = "MARLU_NMEA_SPEED";
const char FollowVariable[] = "MARLU_NMEA_FOLLOW";
const double Uere = 5.0; // the user equivalent range error the plugin documents

QString fixture(const char *name)
{
    const QString dir = qEnvironmentVariable("MARLU_FIXTURES");
    return dir.isEmpty() ? QString() : dir + QStringLiteral("/nmea/") + QLatin1String(name);
}

QByteArray nmea(const QByteArray &body)
{
    char sum = 0;
    for (char c : body)
        sum ^= c;
    return '$' + body + '*' + QByteArray::number(static_cast<uchar>(sum), 16).rightJustified(2, '0').toUpper();
}

// The same sentence with a checksum that does not match.
QByteArray corrupt(const QByteArray &sentence)
{
    return sentence.left(sentence.size() - 2) + (sentence.endsWith("00") ? "01" : "00");
}

QGeoSatelliteInfo sat(int id, int elevation = -1, int azimuth = -1, int snr = -1)
{
    QGeoSatelliteInfo info;
    info.setSatelliteIdentifier(id);
    info.setSatelliteSystem(id <= 32 ? QGeoSatelliteInfo::GPS : QGeoSatelliteInfo::GLONASS);
    info.setSignalStrength(snr);
    if (elevation >= 0) {
        info.setAttribute(QGeoSatelliteInfo::Elevation, elevation);
        info.setAttribute(QGeoSatelliteInfo::Azimuth, azimuth);
    }
    return info;
}

QList<int> ids(const QList<QGeoSatelliteInfo> &satellites)
{
    QList<int> result;
    for (const QGeoSatelliteInfo &s : satellites)
        result.append(s.satelliteIdentifier());
    return result;
}

struct Fixes
{
    explicit Fixes(QGeoPositionInfoSource *source)
    {
        QObject::connect(source, &QGeoPositionInfoSource::positionUpdated,
                         [this](const QGeoPositionInfo &info) { list.append(info); });
    }
    QList<QGeoPositionInfo> list;
};

struct Sky
{
    QList<QGeoSatelliteInfo> inView;
    QList<QGeoSatelliteInfo> inUse;
};

// One entry per replayed epoch; in-view comes first, in-use completes it.
struct Skies
{
    explicit Skies(QGeoSatelliteInfoSource *source)
    {
        QObject::connect(source, &QGeoSatelliteInfoSource::satellitesInViewUpdated,
                         [this](const QList<QGeoSatelliteInfo> &s) { list.append({s, {}}); });
        QObject::connect(source, &QGeoSatelliteInfoSource::satellitesInUseUpdated,
                         [this](const QList<QGeoSatelliteInfo> &s) { list.last().inUse = s; });
    }
    QList<Sky> list;
};

} // namespace

class TestNmeaReplay : public QObject
{
    Q_OBJECT

private:
    QString writeLog(const QList<QByteArray> &lines)
    {
        QFile file(m_dir.filePath(QStringLiteral("log%1.nmea").arg(++m_logs)));
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        for (const QByteArray &line : lines)
            file.write(line + "\r\n");
        return file.fileName();
    }

    QTemporaryDir m_dir;
    int m_logs = 0;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!fixture("").isEmpty(), "MARLU_FIXTURES is not set");
        QVERIFY(m_dir.isValid());
    }

    void cleanup()
    {
        qunsetenv(ReplayVariable);
        qunsetenv(SpeedVariable);
        qunsetenv(FollowVariable);
    }

    void withoutLogThePlatformServes_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::newRow("unset") << QString();
        QTest::newRow("missing file") << m_dir.filePath(QStringLiteral("missing.nmea"));
        QTest::newRow("directory") << m_dir.path();
    }

    void withoutLogThePlatformServes()
    {
        QFETCH(QString, fileName);
        QVERIFY(QGeoPositionInfoSource::availableSources().contains(QStringLiteral("nmeareplay")));
        QVERIFY(QGeoSatelliteInfoSource::availableSources().contains(QStringLiteral("nmeareplay")));
        if (!fileName.isEmpty()) {
            qputenv(ReplayVariable, fileName.toLocal8Bit());
            const QRegularExpression warning(QStringLiteral("MARLU_NMEA_FILE names no readable file"));
            for (int i = 0; i < 3; ++i)
                QTest::ignoreMessage(QtWarningMsg, warning);
        }
        // QtTest hides the system's plugins, so nothing else steps in.
        QCOMPARE(QGeoPositionInfoSource::createDefaultSource(nullptr), nullptr);
        QCOMPARE(QGeoPositionInfoSource::createSource(QStringLiteral("nmeareplay"), nullptr), nullptr);
        QCOMPARE(QGeoSatelliteInfoSource::createDefaultSource(nullptr), nullptr);
    }

    void stationaryLogGivesAccurateFixes()
    {
        qputenv(ReplayVariable, fixture("bu353s4-stationary-hamilton.log").toLocal8Bit());
        std::unique_ptr<QGeoPositionInfoSource> source(QGeoPositionInfoSource::createDefaultSource(nullptr));
        QVERIFY(source);
        QCOMPARE(source->sourceName(), QStringLiteral("nmeareplay"));
        auto *nmea = qobject_cast<QNmeaPositionInfoSource *>(source.get());
        QVERIFY(nmea);
        QCOMPARE(nmea->updateMode(), QNmeaPositionInfoSource::SimulationMode);
        QCOMPARE(source->error(), QGeoPositionInfoSource::NoError); // Qt's own says UnknownSourceError

        Fixes fixes(source.get());
        source->startUpdates();
        QTRY_VERIFY_WITH_TIMEOUT(fixes.list.size() >= 3, 5000);
        const QGeoCoordinate hamilton(-37.78479, 175.31490);
        for (const QGeoPositionInfo &fix : qAsConst(fixes.list)) {
            QVERIFY2(fix.coordinate().distanceTo(hamilton) < 10, qPrintable(fix.coordinate().toString()));
            QCOMPARE(fix.attribute(QGeoPositionInfo::HorizontalAccuracy), 2 * 1.1 * Uere);
            QCOMPARE(fix.timestamp().date(), QDate(2014, 12, 31));
        }
        QCOMPARE(fixes.list.at(0).timestamp().secsTo(fixes.list.at(2).timestamp()), 2);
    }

    void movingLogWithOtherTalkersHeadsSouthWest()
    {
        qputenv(ReplayVariable, fixture("bundg-zeus9-moving-ijsselmeer.log").toLocal8Bit());
        std::unique_ptr<QGeoPositionInfoSource> source(QGeoPositionInfoSource::createDefaultSource(nullptr));
        QVERIFY(source);
        Fixes fixes(source.get());
        source->startUpdates();
        QTRY_VERIFY_WITH_TIMEOUT(fixes.list.size() >= 3, 6000);

        const QGeoCoordinate first = fixes.list.first().coordinate();
        const QGeoCoordinate last = fixes.list.last().coordinate();
        QVERIFY(first.distanceTo(QGeoCoordinate(52.85, 5.31)) < 1000);
        // About 5.5 knots for two seconds.
        QVERIFY2(first.distanceTo(last) > 3 && first.distanceTo(last) < 12, qPrintable(last.toString()));
        QVERIFY2(first.azimuthTo(last) > 200 && first.azimuthTo(last) < 260, qPrintable(last.toString()));
        QVERIFY(qAbs(fixes.list.last().attribute(QGeoPositionInfo::GroundSpeed) - 5.5 * 1852 / 3600) < 0.6);
    }

    void badSentencesAreSkipped_data()
    {
        QTest::addColumn<QByteArray>("bad");
        QTest::addColumn<bool>("logged");
        QTest::newRow("corrupted checksum")
            << corrupt(nmea("GPRMC,120001.00,A,4000.0000,S,03000.0000,W,0.0,0.0,010320,,,A")) << false;
        // Checksums right, positions off the earth: Qt's parser would wrap them around.
        QTest::newRow("latitude past 90")
            << nmea("GPRMC,120001.00,A,9100.0000,S,01320.0000,E,0.0,0.0,010320,,,A") << true;
        QTest::newRow("longitude past 180")
            << nmea("GPGGA,120001.00,5230.0000,N,18100.0000,W,1,08,1.0,10.0,M,0.0,M,,") << true;
        QTest::newRow("sixty minutes") << nmea("GPGLL,5260.0000,N,01320.0000,E,120001.00,A,A") << true;
        QTest::newRow("a sign") << nmea("GPRMC,120001.00,A,-5230.0000,N,01320.0000,E,0.0,0.0,010320,,,A")
                                << true;
    }

    void badSentencesAreSkipped()
    {
        QFETCH(QByteArray, bad);
        QFETCH(bool, logged);
        qputenv(ReplayVariable, writeLog({
            nmea("GPRMC,120000.00,A,5230.0000,N,01320.0000,E,0.0,0.0,010320,,,A"),
            bad,
            nmea("GPRMC,120002.00,A,5230.0010,N,01320.0000,E,0.0,0.0,010320,,,A"),
        }).toLocal8Bit());
        if (logged)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("dropped a sentence whose position is off the earth: \\$GP"));
        std::unique_ptr<QGeoPositionInfoSource> source(QGeoPositionInfoSource::createDefaultSource(nullptr));
        QVERIFY(source);
        Fixes fixes(source.get());
        source->startUpdates();
        QTRY_COMPARE_WITH_TIMEOUT(fixes.list.size(), 2, 4000);
        QCOMPARE(fixes.list.at(0).coordinate().latitude(), 52.5);
        QCOMPARE(fixes.list.at(1).timestamp().time(), QTime(12, 0, 2));
    }

    void aFollowedLogIsReadAsItGrows()
    {
        const QString name = writeLog({nmea("GPRMC,120000.00,A,5230.0000,N,01320.0000,E,0.0,0.0,010320,,,A")});
        qputenv(ReplayVariable, name.toLocal8Bit());
        qputenv(FollowVariable, "1");
        qputenv(SpeedVariable, "50");
        std::unique_ptr<QGeoPositionInfoSource> source(QGeoPositionInfoSource::createDefaultSource(nullptr));
        QVERIFY(source);
        Fixes fixes(source.get());
        QSignalSpy ended(source.get(), &QGeoPositionInfoSource::updateTimeout);
        source->startUpdates();
        QFile log(name);
        QVERIFY(log.open(QIODevice::Append));
        // As a receiver writes: sentences, and one in two pieces.
        for (int i = 1; i <= 20; ++i) {
            const QByteArray line = nmea("GPRMC,1200" + QByteArray::number(i).rightJustified(2, '0')
                                         + ".00,A,5230.0000,N,01320.0000,E,0.0,0.0,010320,,,A") + "\r\n";
            log.write(line.left(20));
            log.flush();
            // An epoch is complete once the next one begins.
            if (i % 5 == 0)
                QTRY_COMPARE_WITH_TIMEOUT(fixes.list.size(), i - 1, 10000);
            log.write(line.mid(20));
            log.flush();
        }
        QTRY_COMPARE_WITH_TIMEOUT(fixes.list.size(), 20, 10000);
        QCOMPARE(fixes.list.last().timestamp().time(), QTime(12, 0, 19));
        QCOMPARE(ended.size(), 0);
    }

    void logIsReadAsTheReplayGoes()
    {
        // Over a megabyte: the stationary session, then copies of it.
        QFile session(fixture("bu353s4-stationary-hamilton.log"));
        QVERIFY(session.open(QIODevice::ReadOnly));
        const QByteArray sentences = session.readAll();
        QFile log(m_dir.filePath(QStringLiteral("long.nmea")));
        QVERIFY(log.open(QIODevice::WriteOnly));
        while (log.size() < 1024 * 1024)
            log.write(sentences);
        log.close();
        qputenv(ReplayVariable, log.fileName().toLocal8Bit());

        std::unique_ptr<QGeoSatelliteInfoSource> satellites(QGeoSatelliteInfoSource::createDefaultSource(nullptr));
        std::unique_ptr<QGeoPositionInfoSource> source(QGeoPositionInfoSource::createDefaultSource(nullptr));
        QVERIFY(source && satellites);
        Fixes fixes(source.get());
        Skies skies(satellites.get());
        source->startUpdates();
        satellites->startUpdates();
        QTRY_VERIFY(fixes.list.size() >= 2 && skies.list.size() >= 2);

        // Each source has read only up to a few sentences past the one replayed.
        const qint64 near = 4096;
        QVERIFY(qobject_cast<QNmeaPositionInfoSource *>(source.get())->device()->pos() < near);
        const auto *satelliteLog = satellites->findChild<QFile *>();
        QVERIFY(satelliteLog);
        QVERIFY(satelliteLog->pos() < near);
    }

    void longGapsDoNotStopTheReplay_data()
    {
        QTest::addColumn<QList<QByteArray>>("stamps"); // of the fixes, in log order
        QTest::newRow("second session four hours later")
            << QList<QByteArray>{"120000.000", "120000.200", "120000.400", "160000.000", "160000.200"};
        QTest::newRow("corrupt stamp ahead")
            << QList<QByteArray>{"120000.000", "120000.200", "160000.000", "120000.400", "120000.600"};
    }

    void longGapsDoNotStopTheReplay()
    {
        QFETCH(QList<QByteArray>, stamps);
        QList<QByteArray> lines;
        for (const QByteArray &stamp : stamps)
            lines << nmea("GPRMC," + stamp + ",A,5230.0000,N,01320.0000,E,0.0,0.0,010320,,,A");
        qputenv(ReplayVariable, writeLog(lines).toLocal8Bit());
        std::unique_ptr<QGeoPositionInfoSource> source(QGeoPositionInfoSource::createDefaultSource(nullptr));
        QVERIFY(source);
        Fixes fixes(source.get());
        source->startUpdates();

        // Paced by the stamps alone, the replay would wait four hours.
        QTRY_COMPARE_WITH_TIMEOUT(fixes.list.size(), stamps.size(), 15000);
        for (int i = 0; i < stamps.size(); ++i)
            QCOMPARE(fixes.list.at(i).timestamp().time(), QTime::fromString(stamps.at(i), "hhmmss.zzz"));
    }

    void speedFactorDeliversEveryFix()
    {
        const QString log = fixture("bundg-zeus9-moving-ijsselmeer.log");
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QSet<QTime> logged;
        while (!file.atEnd()) {
            const QByteArray line = file.readLine();
            if (line.startsWith("$GPRMC"))
                logged.insert(QTime::fromString(line.split(',').at(1), "hhmmss"));
        }
        QVERIFY(logged.size() > 100);
        qputenv(ReplayVariable, log.toLocal8Bit());

        qputenv(SpeedVariable, "fast");
        QTest::ignoreMessage(QtWarningMsg, "MARLU_NMEA_SPEED must be a number above 0, not \"fast\": "
                                           "replaying at the log's own pace");
        QVERIFY(std::unique_ptr<QGeoPositionInfoSource>(QGeoPositionInfoSource::createDefaultSource(nullptr)));

        qputenv(SpeedVariable, "50");
        std::unique_ptr<QGeoPositionInfoSource> source(QGeoPositionInfoSource::createDefaultSource(nullptr));
        QVERIFY(source);
        Fixes fixes(source.get());
        QSignalSpy logEnded(source.get(), &QGeoPositionInfoSource::updateTimeout);
        source->setUpdateInterval(1000); // the application's fastest rate
        source->startUpdates();
        QTRY_COMPARE_WITH_TIMEOUT(logEnded.size(), 1, 60000);

        QSet<QTime> delivered;
        for (int i = 0; i < fixes.list.size(); ++i) {
            const QTime time = fixes.list.at(i).timestamp().time();
            QVERIFY(i == 0 || fixes.list.at(i - 1).timestamp().time() < time);
            delivered.insert(time);
        }
        QVERIFY(delivered.contains(logged));
        QCOMPARE(source->lastKnownPosition(), fixes.list.last());
    }

    void updateIntervalPassesTheNewestFix()
    {
        // Five fixes a second, heading north; the application asks for one a second.
        QList<QByteArray> lines;
        for (int i = 0; i < 12; ++i) {
            const QByteArray time = "1200" + QByteArray::number(i / 5).rightJustified(2, '0') + '.'
                + QByteArray::number(i % 5 * 200).rightJustified(3, '0');
            lines << nmea("GPRMC," + time + ",A,5230." + QByteArray::number(1000 + i)
                          + ",N,01320.0000,E,10.0,0.0,010320,,,A");
        }
        qputenv(ReplayVariable, writeLog(lines).toLocal8Bit());
        std::unique_ptr<QGeoPositionInfoSource> source(QGeoPositionInfoSource::createDefaultSource(nullptr));
        QVERIFY(source);
        Fixes fixes(source.get());
        source->setUpdateInterval(1000);
        source->startUpdates();

        QTRY_VERIFY_WITH_TIMEOUT(!fixes.list.isEmpty() && fixes.list.last().timestamp().time() == QTime(12, 0, 2, 200),
                                 15000);
        for (int i = 0; i < fixes.list.size(); ++i) {
            QVERIFY(fixes.list.at(i).isValid());
            QVERIFY(i == 0 || fixes.list.at(i - 1).timestamp() < fixes.list.at(i).timestamp());
        }
        QCOMPARE(fixes.list.last().coordinate().latitude(), 52.5 + 0.1011 / 60);
    }

    void satellitesFollowStationaryLog()
    {
        qputenv(ReplayVariable, fixture("bu353s4-stationary-hamilton.log").toLocal8Bit());
        std::unique_ptr<QGeoSatelliteInfoSource> source(QGeoSatelliteInfoSource::createDefaultSource(nullptr));
        QVERIFY(source);
        QCOMPARE(source->sourceName(), QStringLiteral("nmeareplay"));
        Skies skies(source.get());
        source->setUpdateInterval(100);
        source->startUpdates();
        QTRY_VERIFY_WITH_TIMEOUT(skies.list.size() >= 12, 4000);

        // The log's first GSV comes with the third fix: until then only the
        // satellites in use are known, without their position in the sky.
        QVERIFY(skies.list.at(0).inView.isEmpty());
        QCOMPARE(skies.list.at(0).inUse, (QList<QGeoSatelliteInfo>{sat(17), sat(28), sat(6), sat(1), sat(30),
                                                                   sat(20), sat(26), sat(13)}));
        const Sky &third = skies.list.at(2);
        QCOMPARE(third.inView.size(), 12);
        QCOMPARE(third.inView.first(), sat(17, 72, 207, 32));
        QCOMPARE(third.inView.at(9), sat(8, 38, 8, -1)); // in view, not tracked
        QCOMPARE(third.inView.last(), sat(3, 14, 91, -1));
        QCOMPARE(ids(third.inUse), (QList<int>{17, 28, 6, 1, 30, 20, 26, 13}));
        QCOMPARE(third.inUse.at(7), sat(13, 7, 304, 10));
        // Later epochs without GSV keep the sky; at 03:07:30 satellite 13 leaves the fix.
        QCOMPARE(skies.list.at(3).inView, third.inView);
        QCOMPARE(ids(skies.list.at(10).inUse), ids(third.inUse));
        QCOMPARE(ids(skies.list.at(11).inUse), ids(third.inUse).mid(0, 7));
    }

    void satelliteSentencesAreFiltered()
    {
        qputenv(ReplayVariable, writeLog({
            "# logged by hand; " + nmea("GPGSA,A,3,31,,,,,,,,,,,,1.0,1.0,1.0"),
            nmea("GPGGA,101500.00,5230.0,N,01320.0,E,1,05,1.2,40.0,M,45.0,M,,"),
            nmea("GPGSA,A,3,05,07,,,,,,,,,,,2.0,1.2,1.6"),
            nmea("GLGSA,A,3,70,71,,,,,,,,,,,2.0,1.2,1.6"),
            nmea("GPGSV,2,1,05,05,40,100,41,07,30,200,35,09,20,300,22,11,10,010,"),
            nmea("GPGSV,2,2,05,13,05,050,"),
            nmea("GLGSV,1,1,02,70,45,120,30,71,12,240,20"),
            nmea("SDDPT,5.3,0.4,"),
            nmea("GPGGA,101501.00,5230.0,N,01320.0,E,1,05,1.2,40.0,M,45.0,M,,"),
            corrupt(nmea("GPGSA,A,3,11,13,,,,,,,,,,,2.0,1.2,1.6")),
            nmea("GPGSA,A,3,05,09,,,,,,,,,,,2.0,1.2,1.6"),
            nmea("GPGSV,2,1,05,05,40,100,44,07,30,200,36,09,20,300,25,11,10,010,"),
            corrupt(nmea("GPGSV,2,2,05,13,05,050,30")),
            nmea("GNGGA,101502.00,5230.0,N,01320.0,E,1,05,1.2,40.0,M,45.0,M,,"),
            nmea("GNGSA,A,3,05,07,09,,,,,,,,,,2.0,1.2,1.6"),
            nmea("GNGSA,A,3,70,,,,,,,,,,,,2.0,1.2,1.6"),
            nmea("GPGSV,1,1,02,05,41,101,40,09,21,301,28"),
            nmea("GPGGA,101503.00,5230.0,N,01320.0,E,0,00,,,M,,M,,"),
            nmea("GPGSA,A,1,,,,,,,,,,,,,99.9,99.9,99.9"),
        }).toLocal8Bit());
        std::unique_ptr<QGeoSatelliteInfoSource> source(QGeoSatelliteInfoSource::createDefaultSource(nullptr));
        QVERIFY(source);
        Skies skies(source.get());
        source->setUpdateInterval(100);
        source->startUpdates();
        QTRY_COMPARE_WITH_TIMEOUT(skies.list.size(), 4, 2000);

        const QList<QGeoSatelliteInfo> sky{sat(5, 40, 100, 41), sat(7, 30, 200, 35), sat(9, 20, 300, 22),
                                           sat(11, 10, 10, -1), sat(13, 5, 50, -1)};
        QCOMPARE(skies.list.at(0).inView, sky);
        QCOMPARE(skies.list.at(0).inUse, sky.mid(0, 2));
        // The bad GSA and the broken GSV round leave the previous epoch standing.
        QCOMPARE(skies.list.at(1).inView, sky);
        QCOMPARE(skies.list.at(1).inUse, (QList<QGeoSatelliteInfo>{sky.at(0), sky.at(2)}));
        // GSA sentences of one epoch add up; satellites out of view keep their identity.
        QCOMPARE(skies.list.at(2).inView, (QList<QGeoSatelliteInfo>{sat(5, 41, 101, 40), sat(9, 21, 301, 28)}));
        QCOMPARE(skies.list.at(2).inUse, (QList<QGeoSatelliteInfo>{sat(5, 41, 101, 40), sat(7),
                                                                   sat(9, 21, 301, 28), sat(70)}));
        QCOMPARE(skies.list.at(3).inView, skies.list.at(2).inView);
        QVERIFY(skies.list.at(3).inUse.isEmpty());
        QTest::qWait(250);
        QCOMPARE(skies.list.size(), 4);
    }

    void satelliteReplayIsControlled()
    {
        // Five epochs 300 ms apart, each with one distinct satellite in use.
        QList<QByteArray> lines;
        for (int i = 0; i < 5; ++i) {
            lines << nmea(QByteArray("GPRMC,0800") + QByteArray::number(10 + i * 3 / 10) + '.'
                          + QByteArray::number(i * 3 % 10) + "0,A,5230.0,N,01320.0,E,0.0,0.0,010320,,,A")
                  << nmea("GPGSA,A,3," + QByteArray::number(i + 1) + ",,,,,,,,,,,,1.0,1.0,1.0");
        }
        qputenv(ReplayVariable, writeLog(lines).toLocal8Bit());
        std::unique_ptr<QGeoSatelliteInfoSource> source(QGeoSatelliteInfoSource::createDefaultSource(nullptr));
        QVERIFY(source);
        source->setUpdateInterval(1);
        QCOMPARE(source->updateInterval(), source->minimumUpdateInterval());
        source->setUpdateInterval(0);

        Skies skies(source.get());
        QSignalSpy timeouts(source.get(), &QGeoSatelliteInfoSource::requestTimeout);
        QElapsedTimer clock;
        clock.start();
        source->startUpdates();
        QTRY_COMPARE(skies.list.size(), 2);
        // Without an interval the replay keeps the log's own pace: the second
        // epoch cannot come sooner (a busy machine may make it later).
        QVERIFY2(clock.elapsed() >= 250, qPrintable(QString::number(clock.elapsed())));
        source->stopUpdates();
        QTest::qWait(400);
        QCOMPARE(skies.list.size(), 2);

        source->requestUpdate();
        QTRY_COMPARE(skies.list.size(), 3);
        source->requestUpdate(10); // shorter than the source can answer
        QTRY_COMPARE(timeouts.size(), 1);
        source->startUpdates(); // goes on where it stopped
        QTRY_COMPARE(skies.list.size(), 5);
        QCOMPARE(ids(skies.list.at(2).inUse), QList<int>{3});
        QCOMPARE(ids(skies.list.at(4).inUse), QList<int>{5});
        source->requestUpdate(); // past the end of the log
        QTRY_COMPARE(timeouts.size(), 2);
        QCOMPARE(source->error(), QGeoSatelliteInfoSource::NoError);
    }

    void shippedTrackReplays()
    {
        const QString track = qEnvironmentVariable("MARLU_SOURCE_DIR") + QStringLiteral("/data/tracks/cary-drive.nmea");
        qputenv(ReplayVariable, track.toLocal8Bit());
        std::unique_ptr<QGeoPositionInfoSource> source(QGeoPositionInfoSource::createDefaultSource(nullptr));
        std::unique_ptr<QGeoSatelliteInfoSource> satellites(QGeoSatelliteInfoSource::createDefaultSource(nullptr));
        QVERIFY(source && satellites);

        // Every sentence of the shipped file must pass a receiver's checks.
        QFile file(track);
        QVERIFY(file.open(QIODevice::ReadOnly));
        int rmcCount = 0;
        while (!file.atEnd()) {
            const QByteArray line = file.readLine().trimmed();
            if (line.startsWith('#'))
                continue;
            QCOMPARE(nmea(line.mid(1, line.lastIndexOf('*') - 1)), line);
            if (line.startsWith("$GPRMC")) {
                ++rmcCount;
                QVERIFY(line.split(',').at(7).toDouble() * 1.852 <= 60.0); // knots to km/h
            }
        }
        QVERIFY(rmcCount >= 540); // nine minutes and more at 1 Hz

        Fixes fixes(source.get());
        Skies skies(satellites.get());
        source->startUpdates();
        satellites->requestUpdate();
        QTRY_VERIFY_WITH_TIMEOUT(fixes.list.size() >= 2 && skies.list.size() == 1, 4000);

        for (const QGeoPositionInfo &fix : qAsConst(fixes.list)) {
            QVERIFY(fix.coordinate().distanceTo(QGeoCoordinate(35.8185, -78.8641)) < 15);
            const double accuracy = fix.attribute(QGeoPositionInfo::HorizontalAccuracy);
            QVERIFY(accuracy >= 2 * 0.8 * Uere && accuracy <= 2 * 2.5 * Uere);
            QCOMPARE(fix.timestamp().date(), QDate(2023, 10, 14));
        }
        const Sky &sky = skies.list.first();
        QVERIFY(sky.inUse.size() >= 5 && sky.inView.size() >= sky.inUse.size());
        for (const QGeoSatelliteInfo &used : sky.inUse)
            QVERIFY(sky.inView.contains(used));
    }
};

MARLU_TEST_MAIN(TestNmeaReplay)
#include "tst_nmeareplay.moc"
