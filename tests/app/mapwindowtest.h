#ifndef MAPWINDOWTEST_H
#define MAPWINDOWTEST_H

#include "pageserver.h"

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>

class GeoLocation;
class LogCapture;
class MainWindow;
class QAction;

// What the main window's tests share: starting a window on the real page, the
// snippets it sent, the page's own account of what it shows, the menu entries.
namespace MapWindowTest {

// The base of a suite that drives the main window: one page server for the
// run; before each test an empty settings store whose hosts name that server
// and a new log; after it, the window and the log go and no replay is set.
class Suite : public QObject
{
    Q_OBJECT
protected:
    explicit Suite(const QStringList &hostKeys = {"Servers/MapHost"});
    // m_window, shown on the loaded page; a failure when the page does not load.
    void startWindow();

    PageServer m_server;
    MainWindow *m_window = nullptr;
    LogCapture *m_log = nullptr;

protected slots:
    void initTestCase();
    void init();
    void cleanup();

private:
    const QStringList m_hostKeys;
};

// A shown 800 x 480 window whose page has loaded (null after 20 s without),
// starting from empty web storage.
MainWindow *start(LogCapture &log);
// The snippets in the log that start with `prefix`, as they were sent.
QStringList snippets(const LogCapture &log, const QString &prefix = QString());
QJsonObject pageState(MainWindow *window);
QAction *menuEntry(MainWindow *window, const QString &text);
// The position source behind the page's "pelmark"; fixes go in at its slot.
GeoLocation *pageSource(MainWindow *window);
// An NMEA sentence with its checksum, and an angle as NMEA writes it
// (degrees in `digits` places, then minutes), for logs that a test replays.
QByteArray nmeaSentence(const QByteArray &body);
QByteArray nmeaAngle(double degrees, int digits);

}

#endif
