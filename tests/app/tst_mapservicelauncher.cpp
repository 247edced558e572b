#include "app/mapservicelauncher.h"
#include "testmain.h"

#include <QTcpServer>
#include <QTemporaryDir>

// Starting the real map service, and the failures the user must hear about.
class TestMapServiceLauncher : public QObject
{
    Q_OBJECT
private slots:
    void onlyTheLocalDefaultHostIsStarted();
    void startsTheServiceAndStopsItOnExit();
    void aServiceThatCannotStartIsReportedWithItsReason();
};

static QUrl freePortUrl()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return QUrl(QString("http://127.0.0.1:%1/gps2.html").arg(probe.serverPort()));
}

void TestMapServiceLauncher::onlyTheLocalDefaultHostIsStarted()
{
    QVERIFY(MapServiceLauncher::isLocalDefault(QUrl("http://localhost:8717/gps2.html")));
    QVERIFY(MapServiceLauncher::isLocalDefault(QUrl("http://127.0.0.1:8717/gps2.html")));
    QVERIFY(!MapServiceLauncher::isLocalDefault(QUrl("http://localhost:9000/gps2.html")));
    QVERIFY(!MapServiceLauncher::isLocalDefault(QUrl("https://localhost:8717/gps2.html")));
    QVERIFY(!MapServiceLauncher::isLocalDefault(QUrl("http://maps.example.org:8717/")));
}

void TestMapServiceLauncher::startsTheServiceAndStopsItOnExit()
{
    QTemporaryDir dir;
    const QUrl url = freePortUrl();
    {
        MapServiceLauncher launcher;
        QVERIFY2(launcher.ensureRunning(url, MARLU_SOURCE_DIR "/services/mapservice.py",
                                        dir.filePath("service.log"), 60000),
                 qPrintable(launcher.failure()));
        QVERIFY(launcher.startedService());
        QVERIFY(MapServiceLauncher::answers(url));

        // A second instance shares it instead of starting another.
        MapServiceLauncher second;
        QVERIFY(second.ensureRunning(url, "/nonexistent/mapservice.py", dir.filePath("2.log")));
        QVERIFY(!second.startedService());
    }
    QVERIFY(!MapServiceLauncher::answers(url));
}

void TestMapServiceLauncher::aServiceThatCannotStartIsReportedWithItsReason()
{
    QTemporaryDir dir;
    const QUrl url = freePortUrl();
    MapServiceLauncher launcher;
    QVERIFY(!launcher.ensureRunning(url, dir.filePath("missing.py"), dir.filePath("a.log")));
    QVERIFY(launcher.failure().contains("no map service at"));

    const QString broken = dir.filePath("broken.py");
    QFile script(broken);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("import sys\nsys.exit('cannot listen: address in use')\n");
    script.close();
    QVERIFY(!launcher.ensureRunning(url, broken, dir.filePath("b.log"), 60000));
    QCOMPARE(launcher.failure(),
             QString("the map service exited with code 1: cannot listen: address in use"));
    QVERIFY(!launcher.startedService());
}

MARLU_TEST_MAIN(TestMapServiceLauncher)
#include "tst_mapservicelauncher.moc"
