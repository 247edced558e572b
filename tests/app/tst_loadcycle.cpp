#include "logcapture.h"
#include "modalanswerer.h"
#include "pageserver.h"
#include "testmain.h"

#include "app/mainwindow.h"

#include <QMenuBar>
#include <QSettings>
#include <QSignalSpy>
#include <QWebView>

// What happens when the map page cannot be loaded, at start and later.
// The menu is built once: its "Directions" entry exists exactly once.
static int directionsEntries(MainWindow &w)
{
    int n = 0;
    for (QAction *a : w.menuBar()->actions())
        n += a->text() == "Directions";
    return n;
}

class TestLoadCycle : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void retryAfterFailureBuildsMenuOnce();
    void noClosesTheWindowWithoutMenu();
    void everyFailedRetryAsksAgain();
    void laterFailingReloadAsksNothing();
    void closingWhileLoadingAsksNothing();

private:
    int m_port = 0;
};

void TestLoadCycle::init()
{
    // A port where nothing listens: take a free one from the service, then stop it.
    PageServer probe;
    QVERIFY(probe.start());
    m_port = probe.port();
    probe.stop();
    QSettings().setValue("Servers/MapHost", QString("127.0.0.1:%1").arg(m_port));
}

void TestLoadCycle::retryAfterFailureBuildsMenuOnce()
{
    PageServer server;
    ModalAnswerer answerer(QMessageBox::Yes);
    // First question: answer Yes after bringing the service up; a second would
    // mean the retry failed.
    answerer.setBeforeAnswer([&] {
        if (!server.isRunning())
            QVERIFY(server.start(m_port));
    });

    LogCapture log;
    MainWindow w;
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(log.lines().contains("loaded html page"), 20000);
    QCOMPARE(answerer.answered(), 1);
    QCOMPARE(answerer.lastTitle(), QString("Failed to Load Map"));
    QCOMPARE(answerer.lastText(), QString("The map page http://127.0.0.1:%1/gps2.html could not be loaded.\n"
                                          "Would you like to try again?").arg(m_port));
    QCOMPARE(answerer.lastDefault(), QMessageBox::No);
    QCOMPARE(log.lines().count("loaded html page"), 1);
    QCOMPARE(directionsEntries(w), 1);
    QVERIFY(w.isVisible());
}

void TestLoadCycle::noClosesTheWindowWithoutMenu()
{
    ModalAnswerer answerer(QMessageBox::No);
    LogCapture log;
    MainWindow w;
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(answerer.answered() == 1, 10000);
    QTRY_VERIFY(!w.isVisible());
    QVERIFY(w.menuBar()->actions().isEmpty());
    QVERIFY(!log.lines().contains("loaded html page"));
}

void TestLoadCycle::everyFailedRetryAsksAgain()
{
    ModalAnswerer answerer(QMessageBox::Yes);
    answerer.setBeforeAnswer([&] {
        if (answerer.answered() == 3)
            answerer.setAnswer(QMessageBox::No);
    });
    LogCapture log;
    MainWindow w;
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 15000);
    QCOMPARE(answerer.answered(), 3);
    QVERIFY(w.menuBar()->actions().isEmpty());
    QVERIFY(!log.lines().contains("loaded html page"));
}

void TestLoadCycle::laterFailingReloadAsksNothing()
{
    PageServer server;
    QVERIFY(server.start(m_port));
    ModalAnswerer answerer(QMessageBox::Yes);
    LogCapture log;
    MainWindow w;
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(log.lines().contains("loaded html page"), 15000);

    server.stop();
    auto *view = w.findChild<QWebView *>("webView");
    QSignalSpy loaded(view, &QWebView::loadFinished);
    QMetaObject::invokeMethod(&w, "reload");
    QVERIFY(loaded.wait(10000));
    QCOMPARE(loaded.first().first().toBool(), false);
    QTest::qWait(300);
    QCOMPARE(answerer.answered(), 0);
    QVERIFY(w.isVisible());
    QCOMPARE(directionsEntries(w), 1);
    QCOMPARE(log.lines().count("loaded html page"), 1);
}

void TestLoadCycle::closingWhileLoadingAsksNothing()
{
    // Destroying the window aborts the load under way, which the view reports as
    // a failure; the window being destroyed must neither ask nor crash.
    PageServer server;
    QVERIFY(server.start(m_port));
    ModalAnswerer answerer(QMessageBox::Yes);
    LogCapture log;
    {
        MainWindow w;
        w.show();
    }
    QTest::qWait(200);
    QCOMPARE(answerer.answered(), 0);
    QVERIFY(!log.lines().contains("loaded html page"));
}

MARLU_TEST_MAIN(TestLoadCycle)
#include "tst_loadcycle.moc"
