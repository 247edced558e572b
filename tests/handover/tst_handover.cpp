#include "testmain.h"

#include "handover/geouri.h"
#include "handover/instancebus.h"

#include "pageserver.h"

#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

// geo: links as other programs write them, and a second start handing its
// links to the running Marlu over a real session bus.
class TestHandover : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void geoLinks_data();
    void geoLinks();
    void secondStartHandsOverAndEnds();
    void runningWindowTakesTheLink();

private:
    QProcess m_bus;
};

void TestHandover::initTestCase()
{
    // A bus of the test's own: the desktop's, if any, is never touched.
    m_bus.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
    QVERIFY2(m_bus.waitForStarted(10000), "dbus-daemon (Debian package dbus-daemon) is needed");
    QTRY_VERIFY_WITH_TIMEOUT(m_bus.canReadLine(), 10000);
    const QByteArray address = m_bus.readLine().trimmed();
    QVERIFY(address.startsWith("unix:"));
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
}

void TestHandover::cleanupTestCase()
{
    m_bus.terminate();
    m_bus.waitForFinished(5000);
}

void TestHandover::geoLinks_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<bool>("point");
    QTest::addColumn<double>("lat");
    QTest::addColumn<double>("lng");
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("error");   // not empty: refused with this
    QTest::newRow("point") << "geo:47.14,9.52" << true << 47.14 << 9.52 << "" << -1 << "" << "";
    QTest::newRow("altitude, uncertainty, upper case") << "GEO:-33.8570,151.2150,12;u=35" << true << -33.857 << 151.215
                                                       << "" << -1 << "" << "";
    QTest::newRow("zoom") << "geo:47.14,9.52?z=15" << true << 47.14 << 9.52 << "" << 15 << "" << "";
    QTest::newRow("zoom past the map") << "geo:47.14,9.52?z=40" << true << 47.14 << 9.52 << "" << 18 << "" << "";
    QTest::newRow("search") << "geo:0,0?q=Vaduz" << false << 0.0 << 0.0 << "Vaduz" << -1 << "" << "";
    QTest::newRow("search, encoded") << "geo:0,0?q=Bahnhofstra%C3%9Fe+15%2C+Schaan" << false << 0.0 << 0.0
                                     << QString::fromUtf8("Bahnhofstraße 15, Schaan") << -1 << "" << "";
    QTest::newRow("labelled point") << "geo:0,0?q=47.1410,9.5209(Town%20hall)&z=17" << true << 47.141 << 9.5209 << ""
                                    << 17 << "Town hall" << "";
    QTest::newRow("markup in the label") << "geo:0,0?q=1,2(%3Cb%3Ex%3C/b%3E)" << true << 1.0 << 2.0 << "" << -1
                                         << "<b>x</b>" << "";
    QTest::newRow("latitude off the Earth") << "geo:91,9" << false << 0.0 << 0.0 << "" << -1 << ""
                                            << "does not name a place";
    QTest::newRow("one number") << "geo:47.14" << false << 0.0 << 0.0 << "" << -1 << "" << "does not name a place";
    QTest::newRow("not a number") << "geo:4e1,9" << false << 0.0 << 0.0 << "" << -1 << "" << "does not name a place";
    QTest::newRow("other datum") << "geo:47,9;crs=osgb36" << false << 0.0 << 0.0 << "" << -1 << ""
                                 << "coordinate system";
    QTest::newRow("too long") << "geo:1,2?q=" + QString(5000, 'a') << false << 0.0 << 0.0 << "" << -1 << ""
                              << "too long";
    QTest::newRow("other scheme") << "http://example.com/geo:1,2" << false << 0.0 << 0.0 << "" << -1 << ""
                                  << "not a geo: link";
}

void TestHandover::geoLinks()
{
    QFETCH(QString, link);
    QFETCH(bool, point);
    QFETCH(double, lat);
    QFETCH(double, lng);
    QFETCH(QString, query);
    QFETCH(int, zoom);
    QFETCH(QString, label);
    QFETCH(QString, error);
    GeoUri uri;
    QCOMPARE(uri.parse(link), error.isEmpty());
    QVERIFY2(uri.error().contains(error), qPrintable(uri.error()));
    QCOMPARE(uri.hasPoint(), point);
    if (point) {
        QCOMPARE(uri.latitude(), lat);
        QCOMPARE(uri.longitude(), lng);
    }
    QCOMPARE(uri.query(), query);
    QCOMPARE(uri.zoom(), zoom);
    QCOMPARE(uri.label(), label);
}

void TestHandover::secondStartHandsOverAndEnds()
{
    InstanceBus running;
    QVERIFY(running.claim());
    QSignalSpy opened(&running, &InstanceBus::opened);

    QTemporaryDir dir;
    QProcess second;
    second.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    // Were it to open a window, it would find no page here.
    env.insert("XDG_CONFIG_HOME", dir.path());
    second.setProcessEnvironment(env);
    second.start(MARLU_BINARY, {"geo:47.14,9.52?z=15", "trip.gpx"});
    QVERIFY(second.waitForStarted());
    // The call arrives while the second start waits for its answer.
    QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 1, 30000);
    // The event loop may already have seen it end.
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 30000);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(opened.first().first().toStringList(), (QStringList{"geo:47.14,9.52?z=15", dir.path() + "/trip.gpx"}));
    const QByteArray log = second.readAllStandardError();
    QVERIFY2(log.contains("handed over") && !log.contains("window shown"), log.constData());
}

// Two real starts on the bus: the first shows the page from the map service,
// the second gives it a link and ends; the first marks the place.
void TestHandover::runningWindowTakesTheLink()
{
    PageServer server;
    QVERIFY(server.start());
    QSettings().setValue("Servers/MapHost", server.hostPort());
    QSettings().sync();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess first;
    first.setProcessEnvironment(env);
    first.setProcessChannelMode(QProcess::MergedChannels);
    QByteArray firstLog;
    connect(&first, &QProcess::readyRead, this, [&] { firstLog += first.readAll(); });
    first.start(MARLU_BINARY, QStringList());
    QTRY_VERIFY2_WITH_TIMEOUT(firstLog.contains("loaded html page"), firstLog.constData(), 60000);

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(MARLU_BINARY, {"geo:43.7393,7.4278?z=16"});
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 30000);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QTRY_VERIFY2_WITH_TIMEOUT(firstLog.contains("\"addMark(43.7393, 7.4278, \\\"43.7393, 7.4278\\\");\""),
                              firstLog.right(2000).constData(), 20000);
    QVERIFY(firstLog.contains("\"map.setZoom(16);\""));
    first.terminate();
    QVERIFY(first.waitForFinished(20000));
}

MARLU_TEST_MAIN(TestHandover)
#include "tst_handover.moc"
