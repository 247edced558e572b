#include "app/mainwindow.h"
#include "app/mapservicelauncher.h"
#include "logcapture.h"
#include "modalanswerer.h"
#include "servicestandin.h"
#include "testmain.h"

#include <QSettings>
#include <QSignalSpy>
#include <QWebView>

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
    void onlyMarlusOwnServiceIsShared();
    void aStrangerOnThePortIsReportedAndYesStartsTheService();
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
        // start() returns before the service answers; ready() says when it does.
        MapServiceLauncher launcher;
        QSignalSpy ready(&launcher, &MapServiceLauncher::ready);
        QSignalSpy failed(&launcher, &MapServiceLauncher::failed);
        launcher.start(url, MARLU_SOURCE_DIR "/services/mapservice.py",
                       dir.filePath("service.log"), 60000);
        QVERIFY(launcher.isStarting());
        QCOMPARE(ready.count(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(ready.count() + failed.count() > 0, 60000);
        QVERIFY2(ready.count() == 1, qPrintable(launcher.failure()));
        QVERIFY(!launcher.isStarting());
        QVERIFY(launcher.startedService());
        QVERIFY(MapServiceLauncher::answers(url));
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

    // Started beside the window, which asks the same question once it knows.
    QSettings().setValue("Servers/MapHost", url.authority());
    ModalAnswerer answerer(QMessageBox::No);
    launcher.start(url, broken, dir.filePath("c.log"), 60000);
    MainWindow window(nullptr, &launcher);
    window.show();
    QTRY_COMPARE_WITH_TIMEOUT(answerer.answered(), 1, 60000);
    QCOMPARE(answerer.lastTitle(), QString("Failed to Load Map"));
    QCOMPARE(answerer.lastText(),
             QString("The map page %1 could not be loaded.\nThe map service could not start: "
                     "the map service exited with code 1: cannot listen: address in use.\n"
                     "Would you like to try again?").arg(url.toDisplayString()));
    QTRY_VERIFY(!window.isVisible());
    QSettings().remove("Servers/MapHost");
}

void TestMapServiceLauncher::onlyMarlusOwnServiceIsShared()
{
    // A service that knows this user's key is used instead of starting another.
    ServiceStandIn own;
    MapServiceLauncher second;
    QVERIFY2(second.ensureRunning(own.url(), "/nonexistent/mapservice.py", "/dev/null"),
             qPrintable(second.failure()));
    QVERIFY(!second.startedService());
    QVERIFY(!second.strangerOnPort());

    CannedHttpServer stranger;
    stranger.setBody("<html>someone else's page</html>");
    MapServiceLauncher third;
    QVERIFY(!third.ensureRunning(QUrl("http://" + stranger.hostPort() + "/gps2.html"),
                                 "/nonexistent/mapservice.py", "/dev/null"));
    QVERIFY(third.strangerOnPort());
    QCOMPARE(third.failure(), QString("Port %1 on this computer is taken by another program, not "
                                      "Marlu's map service: it answered HTTP 200 instead of naming itself")
                                  .arg(stranger.serverPort()));
}

void TestMapServiceLauncher::aStrangerOnThePortIsReportedAndYesStartsTheService()
{
    CannedHttpServer stranger;
    stranger.setBody("<html>someone else's page</html>");
    QSettings().setValue("Servers/MapHost", stranger.hostPort());
    QTemporaryDir dir;
    MapServiceLauncher launcher;
    const QUrl page = QUrl("http://" + stranger.hostPort() + "/gps2.html");
    QVERIFY(!launcher.ensureRunning(page, MARLU_SOURCE_DIR "/services/mapservice.py",
                                    dir.filePath("service.log"), 60000));

    ModalAnswerer answerer(QMessageBox::Yes);
    LogCapture log;
    MainWindow window(nullptr, &launcher);
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(log.lines().contains("loaded html page"), 90000);
    QCOMPARE(answerer.answered(), 1);
    QCOMPARE(answerer.lastTitle(), QString("Failed to Load Map"));
    QCOMPARE(answerer.lastText(), launcher.failure().isEmpty()
             ? QString("Port %1 on this computer is taken by another program, not Marlu's map "
                       "service: it answered HTTP 200 instead of naming itself.\n"
                       "Trying again starts Marlu's map service on another port for this session.\n"
                       "Would you like to try again?").arg(stranger.serverPort())
             : launcher.failure());
    // The stranger's page was never shown; ours came from the port of this session.
    QVERIFY(!stranger.targets().contains("/gps2.html"));
    QVERIFY(launcher.startedService());
    const QUrl shown = window.findChild<QWebView *>("webView")->url();
    QCOMPARE(shown.port(), launcher.url().port());
    QVERIFY(shown.port() != stranger.serverPort());
    QSettings().remove("Servers/MapHost");
}

MARLU_TEST_MAIN(TestMapServiceLauncher)
#include "tst_mapservicelauncher.moc"
