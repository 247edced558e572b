#include "logcapture.h"
#include "pageserver.h"
#include "testmain.h"

#include "app/mainwindow.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QWebFrame>
#include <QWebView>
#include <QX11Info>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

// The whole start-up on a real X display against the local map service.
class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void firstStartMakesFoldersAndLoadsPage();
    void pageSeesPelmarkBeforeAndAfterReload();
    void zoomKeysAreGrabbedOnTheXServer();
    void titleSurvivesLanguageChange();
    void secondStartFindsFoldersInPlace();
    void unmakeableFolderIsReportedAndStartContinues();
    void unknownOptionEndsCleanlyWithoutDisplay();

private:
    QWebView *webView(MainWindow &w) { return w.findChild<QWebView *>("webView"); }
    QVariant eval(MainWindow &w, const QString &js)
    {
        return webView(w)->page()->mainFrame()->evaluateJavaScript(js);
    }

    PageServer m_server;
    QString m_cache;
};

void TestStartup::initTestCase()
{
    QVERIFY(m_server.start());
    QSettings().setValue("Servers/MapHost", m_server.hostPort());
    m_cache = QDir::homePath() + "/.marlu/cache";
}

void TestStartup::firstStartMakesFoldersAndLoadsPage()
{
    QVERIFY(!QDir(m_cache).exists());
    LogCapture log;
    MainWindow w;
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(log.lines().contains("loaded html page"), 15000);

    for (const QString &sub : {"", "/persistent", "/local", "/offline"})
        QVERIFY2(QDir(m_cache + sub).exists(), qPrintable(m_cache + sub));
    const QStringList debug = log.lines(QtDebugMsg);
    QCOMPARE(debug.at(0), QString("Maemo5Wnd::Maemo5Wnd"));
    QCOMPARE(debug.at(1), QString("cache folder: \"%1\"").arg(m_cache));
    QCOMPARE(debug.at(2), QString("Maemo5Wnd::grabZoomKeys"));
    QVERIFY(log.lines(QtCriticalMsg).isEmpty());

    QCOMPARE(w.size(), QSize(800, 480));
    QCOMPARE(w.windowTitle(), QString("Marlu"));
    QCOMPARE(webView(w)->url().toString(),
             QString("http://%1/gps2.html").arg(m_server.hostPort()));
    QCOMPARE(eval(w, "typeof map.panBy").toString(), QString("function"));
    QCOMPARE(webView(w)->page()->mainFrame()->scrollBarPolicy(Qt::Vertical), Qt::ScrollBarAlwaysOff);
}

void TestStartup::pageSeesPelmarkBeforeAndAfterReload()
{
    LogCapture log;
    MainWindow w;
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(log.lines().contains("loaded html page"), 15000);
    // The page's own script saw the object while it ran.
    QCOMPARE(eval(w, "pelmarkSeen").toBool(), true);
    QCOMPARE(eval(w, "typeof pelmark.updated.connect").toString(), QString("function"));
    QCOMPARE(eval(w, "pelmark.horizontalAccuracy").toDouble(), -1.0);
    QCOMPARE(eval(w, "isNaN(pelmark.latitude)").toBool(), true);

    eval(w, "window.reloadMarker = 1;");
    QSignalSpy loaded(webView(w), &QWebView::loadFinished);
    QMetaObject::invokeMethod(&w, "reload");
    QVERIFY(loaded.wait(15000));
    QCOMPARE(loaded.first().first().toBool(), true);
    QCOMPARE(eval(w, "typeof reloadMarker").toString(), QString("undefined"));
    QCOMPARE(eval(w, "pelmarkSeen").toBool(), true);
    QCOMPARE(log.lines().count("loaded html page"), 1);
}

void TestStartup::zoomKeysAreGrabbedOnTheXServer()
{
    QVERIFY2(QX11Info::isPlatformX11(), "this suite needs an X display");
    LogCapture log;
    MainWindow w;
    Display *display = QX11Info::display();
    XSync(display, False);
    const Atom atom = XInternAtom(display, "_HILDON_ZOOM_KEY_ATOM", True);
    QVERIFY(atom);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    QCOMPARE(XGetWindowProperty(display, w.winId(), atom, 0, 1, False, AnyPropertyType, &type,
                                &format, &count, &after, &data), Success);
    QVERIFY(data);
    const long value = *reinterpret_cast<long *>(data);
    XFree(data);
    QCOMPARE(type, Atom(XA_INTEGER));
    QCOMPARE(value, 1L);
    QVERIFY(log.lines(QtWarningMsg).isEmpty());
}

void TestStartup::titleSurvivesLanguageChange()
{
    MainWindow w;
    w.setWindowTitle("something else");
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(&w, &change);
    QCOMPARE(w.windowTitle(), QString("Marlu"));
}

void TestStartup::secondStartFindsFoldersInPlace()
{
    QVERIFY(QDir(m_cache).exists());
    LogCapture log;
    MainWindow w;
    QVERIFY(log.lines(QtCriticalMsg).isEmpty());
    QVERIFY(log.lines().contains(QString("cache folder: \"%1\"").arg(m_cache)));
}

void TestStartup::unmakeableFolderIsReportedAndStartContinues()
{
    // A plain file where the "local" folder belongs cannot become a folder.
    const QString local = m_cache + "/local";
    QVERIFY(QDir(local).removeRecursively());
    QFile blocker(local);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    LogCapture log;
    MainWindow w;
    w.show();
    QCOMPARE(log.lines(QtCriticalMsg), QStringList{QString("error creating app folder: \"%1\"").arg(local)});
    QTRY_VERIFY_WITH_TIMEOUT(log.lines().contains("loaded html page"), 15000);
    QFile::remove(local);
}

// The program itself, with no display to open: the option is refused and
// nothing that needs a display is made.
void TestStartup::unknownOptionEndsCleanlyWithoutDisplay()
{
    QProcess marlu;
    marlu.setProgram("env");
    marlu.setArguments({"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", MARLU_BINARY, "--bogus"});
    marlu.start();
    QVERIFY(marlu.waitForFinished(30000));
    QCOMPARE(marlu.exitCode(), 2);   // not a crash, nor 0
    QCOMPARE(QString(marlu.readAllStandardError()), QString("marlu: unknown option 'bogus' (see marlu --help)\n"));
}

MARLU_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
