#include "mapwindowtest.h"

#include "logcapture.h"

#include "app/mainwindow.h"
#include "positioning/positionbridge.h"

#include <QJsonDocument>
#include <QMenuBar>
#include <QSettings>
#include <QTest>
#include <QWebDatabase>
#include <QWebFrame>
#include <QWebView>

#include <cmath>

namespace MapWindowTest {

Suite::Suite(const QStringList &hostKeys)
    : m_hostKeys(hostKeys)
{
}

void Suite::initTestCase()
{
    QVERIFY(m_server.start());
}

void Suite::init()
{
    QSettings settings;
    settings.clear();
    for (const QString &key : m_hostKeys)
        settings.setValue(key, m_server.hostPort());
    m_log = new LogCapture;
}

void Suite::cleanup()
{
    delete m_window;
    m_window = nullptr;
    delete m_log;
    m_log = nullptr;
    qunsetenv("MARLU_NMEA_FILE");
}

void Suite::startWindow()
{
    m_window = start(*m_log);
    QVERIFY(m_window);
}

MainWindow *start(LogCapture &log)
{
    // The page keeps its last view in a web database, which lives as long as
    // the test's home: without this, each window would open where the
    // previous test's window was left.
    QWebDatabase::removeAllDatabases();
    auto *window = new MainWindow;
    window->resize(800, 480);
    window->show();
    if (!QTest::qWaitForWindowExposed(window)
        || !QTest::qWaitFor([&] { return log.lines().contains("loaded html page"); }, 20000)) {
        delete window;
        return nullptr;
    }
    return window;
}

QStringList snippets(const LogCapture &log, const QString &prefix)
{
    QStringList out;
    for (const QString &line : log.lines()) {
        if (!line.startsWith('"'))
            continue;
        // Undo the debug stream's quoting: \\ and \" stand for \ and ".
        QString snippet;
        for (int i = 1; i < line.size() - 1; ++i) {
            if (line[i] == '\\' && i + 1 < line.size() - 1)
                ++i;
            snippet += line[i];
        }
        if (snippet.startsWith(prefix))
            out << snippet;
    }
    return out;
}

static QWebFrame *frame(MainWindow *window)
{
    return window->findChild<QWebView *>("webView")->page()->mainFrame();
}

QJsonObject pageState(MainWindow *window)
{
    const QString json = frame(window)->evaluateJavaScript("mapState()").toString();
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

QAction *menuEntry(MainWindow *window, const QString &text)
{
    for (QAction *a : window->menuBar()->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

GeoLocation *pageSource(MainWindow *window)
{
    auto *bridge = qobject_cast<PositionBridge *>(frame(window)->evaluateJavaScript("pelmark").value<QObject *>());
    return bridge ? bridge->source() : nullptr;
}

QByteArray nmeaSentence(const QByteArray &body)
{
    quint8 sum = 0;
    for (char c : body)
        sum ^= quint8(c);
    return "$" + body + "*" + QByteArray::number(sum, 16).rightJustified(2, '0').toUpper() + "\r\n";
}

QByteArray nmeaAngle(double degrees, int digits)
{
    const int d = int(std::fabs(degrees));
    return QByteArray::number(d).rightJustified(digits, '0')
           + QByteArray::number((std::fabs(degrees) - d) * 60, 'f', 6).rightJustified(9, '0');
}

}
