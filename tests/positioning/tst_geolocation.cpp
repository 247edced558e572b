#include "logcapture.h"
#include "testmain.h"

#include "positioning/geolocation.h"

#include <QGeoPositionInfoSource>
#include <QGeoSatelliteInfoSource>
#include <QMetaProperty>
#include <QSignalSpy>

#include <cmath>

// The position plugin built with the project replays the file named here.
static QString hamiltonLog()
{
    return qEnvironmentVariable("MARLU_FIXTURES") + "/nmea/bu353s4-stationary-hamilton.log";
}

class TestGeoLocation : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void metaObjectIsWhatThePageSees();
    void beforeAnyFix();
    void stopOnNewObjectCreatesNothing();
    void withoutPlatformSourceNothingIsCalled();
    void sourcesAreCreatedOnceAndRetimed();
    void replayedFixReachesProperties();
    void stopKeepsLastFix();
    void everyFixIsAppliedAndAnnounced();
};

void TestGeoLocation::init()
{
    qputenv("MARLU_NMEA_FILE", hamiltonLog().toLocal8Bit());
}

void TestGeoLocation::metaObjectIsWhatThePageSees()
{
    const QMetaObject &mo = GeoLocation::staticMetaObject;
    QCOMPARE(mo.methodCount() - mo.methodOffset(), 2);
    QCOMPARE(mo.method(mo.methodOffset()).methodSignature(), QByteArray("updated()"));
    QCOMPARE(mo.method(mo.methodOffset()).methodType(), QMetaMethod::Signal);
    const QMetaMethod slot = mo.method(mo.methodOffset() + 1);
    QCOMPARE(slot.methodSignature(), QByteArray("positionUpdated(QGeoPositionInfo)"));
    QCOMPARE(slot.parameterNames(), QList<QByteArray>{"update"});
    QCOMPARE(mo.propertyCount() - mo.propertyOffset(), 3);
    const char *names[] = {"latitude", "longitude", "horizontalAccuracy"};
    for (int i = 0; i < 3; ++i) {
        const QMetaProperty p = mo.property(mo.propertyOffset() + i);
        QCOMPARE(p.name(), names[i]);
        QCOMPARE(p.type(), QVariant::Double);
        QVERIFY(!p.isWritable());
        QVERIFY(!p.hasNotifySignal());
    }
}

void TestGeoLocation::beforeAnyFix()
{
    GeoLocation geo;
    QVERIFY(std::isnan(geo.latitude()));
    QVERIFY(std::isnan(geo.longitude()));
    QCOMPARE(geo.horizontalAccuracy(), -1.0);
    QVERIFY(!geo.isUpdating());
    QCOMPARE(geo.property("horizontalAccuracy").toDouble(), -1.0);
}

void TestGeoLocation::stopOnNewObjectCreatesNothing()
{
    GeoLocation geo;
    LogCapture log;
    geo.setUpdatesPerHour(0);
    QCOMPARE(log.lines(), QStringList{"GeoLocation::setUpdatesPerHour: 0"});
    QVERIFY(geo.findChildren<QObject *>().isEmpty());
    QVERIFY(!geo.isUpdating());
}

void TestGeoLocation::withoutPlatformSourceNothingIsCalled()
{
    // No file to replay: the plugin offers no source, and inside QtTest the
    // platform's untestable plugins are hidden, so there is no default source.
    qunsetenv("MARLU_NMEA_FILE");
    GeoLocation geo;
    LogCapture log;
    geo.setUpdatesPerHour(3600);
    geo.setUpdatesPerHour(0);
    QVERIFY(geo.findChildren<QGeoPositionInfoSource *>().isEmpty());
    QVERIFY(!geo.isUpdating());

    // A later start tries again and succeeds once a source can be had.
    qputenv("MARLU_NMEA_FILE", hamiltonLog().toLocal8Bit());
    log.clear();
    geo.setUpdatesPerHour(3600);
    QCOMPARE(geo.findChildren<QGeoPositionInfoSource *>().size(), 1);
    QVERIFY(geo.isUpdating());
    QCOMPARE(log.lines(), (QStringList{"GeoLocation::setUpdatesPerHour: 3600", "Satellite",
                                       "Create Default Source"}));
}

void TestGeoLocation::sourcesAreCreatedOnceAndRetimed()
{
    GeoLocation geo;
    LogCapture log;
    geo.setUpdatesPerHour(3600);
    const auto sources = geo.findChildren<QGeoPositionInfoSource *>();
    QCOMPARE(sources.size(), 1);
    QCOMPARE(sources.first()->sourceName(), QString("nmeareplay"));
    QCOMPARE(sources.first()->updateInterval(), 1000);
    QCOMPARE(geo.findChildren<QGeoSatelliteInfoSource *>().size(), 1);

    geo.setUpdatesPerHour(720);
    QCOMPARE(geo.findChildren<QGeoPositionInfoSource *>(), sources);
    QCOMPARE(geo.findChildren<QGeoSatelliteInfoSource *>().size(), 1);
    QCOMPARE(sources.first()->updateInterval(), 5000);
    QVERIFY(geo.isUpdating());

    // 3,600,000 / 7 truncates toward zero.
    geo.setUpdatesPerHour(7);
    QCOMPARE(sources.first()->updateInterval(), 514285);

    QCOMPARE(log.lines(), (QStringList{"GeoLocation::setUpdatesPerHour: 3600", "Satellite",
                                       "Create Default Source",
                                       "GeoLocation::setUpdatesPerHour: 720",
                                       "GeoLocation::setUpdatesPerHour: 7"}));
}

void TestGeoLocation::replayedFixReachesProperties()
{
    GeoLocation geo;
    QSignalSpy spy(&geo, &GeoLocation::updated);
    geo.setUpdatesPerHour(3600);
    QVERIFY(spy.wait(5000));
    // Hamilton, New Zealand: 37 47.087 S, 175 18.894 E.
    QVERIFY(qAbs(geo.latitude() - (-37.78479)) < 0.001);
    QVERIFY(qAbs(geo.longitude() - 175.31490) < 0.001);
    QVERIFY(geo.horizontalAccuracy() > 0);
    QCOMPARE(geo.property("latitude").toDouble(), geo.latitude());
    QCOMPARE(geo.property("horizontalAccuracy").toDouble(), double(geo.horizontalAccuracy()));
    QCOMPARE(geo.toString(), QString("%1, %2").arg(geo.latitude(), 0, 'g', 6).arg(geo.longitude(), 0, 'g', 6));
}

void TestGeoLocation::stopKeepsLastFix()
{
    GeoLocation geo;
    QSignalSpy spy(&geo, &GeoLocation::updated);
    geo.setUpdatesPerHour(3600);
    QVERIFY(spy.wait(5000));
    geo.setUpdatesPerHour(0);
    QVERIFY(!geo.isUpdating());
    const double lat = geo.latitude();
    const int fixes = spy.count();
    QTest::qWait(1500);
    QCOMPARE(spy.count(), fixes);
    QCOMPARE(geo.latitude(), lat);
    QVERIFY(!std::isnan(lat));
}

void TestGeoLocation::everyFixIsAppliedAndAnnounced()
{
    GeoLocation geo;
    QSignalSpy spy(&geo, &GeoLocation::updated);
    QGeoPositionInfo fix(QGeoCoordinate(35.8185, -78.8641), QDateTime::currentDateTimeUtc());
    geo.positionUpdated(fix);
    geo.positionUpdated(fix);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(geo.latitude(), 35.8185);
    QCOMPARE(geo.longitude(), -78.8641);
    // No accuracy attribute in the fix.
    QCOMPARE(geo.horizontalAccuracy(), -1.0);

    fix.setAttribute(QGeoPositionInfo::HorizontalAccuracy, 12.5);
    geo.positionUpdated(fix);
    QCOMPARE(geo.horizontalAccuracy(), 12.5);
    // Invalid updates are not filtered.
    geo.positionUpdated(QGeoPositionInfo());
    QCOMPARE(spy.count(), 4);
    QVERIFY(std::isnan(geo.latitude()));
}

MARLU_TEST_MAIN(TestGeoLocation)
#include "tst_geolocation.moc"
