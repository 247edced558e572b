#ifndef MAPWINDOWTEST_H
#define MAPWINDOWTEST_H

#include <QJsonObject>
#include <QString>
#include <QStringList>

class GeoLocation;
class LogCapture;
class MainWindow;
class QAction;

// What the main window's tests share: starting a window on the real page, the
// snippets it sent, the page's own account of what it shows, the menu entries.
namespace MapWindowTest {

// A shown 800 x 480 window whose page has loaded (null after 20 s without),
// starting from empty web storage.
MainWindow *start(LogCapture &log);
// The snippets in the log that start with `prefix`, as they were sent.
QStringList snippets(const LogCapture &log, const QString &prefix = QString());
QJsonObject pageState(MainWindow *window);
QAction *menuEntry(MainWindow *window, const QString &text);
// The position source behind the page's "pelmark"; fixes go in at its slot.
GeoLocation *pageSource(MainWindow *window);

}

#endif
