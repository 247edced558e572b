#include "logcapture.h"
#include "mapwindowtest.h"
#include "pageserver.h"
#include "testmain.h"

#include "app/mainwindow.h"
#include "app/mousesuppressor.h"
#include "app/toolbutton.h"

#include <QGeoCoordinate>
#include <QGeoPositionInfo>
#include <QLabel>
#include <QMenuBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTimer>
#include <QWebFrame>
#include <QWebView>
#include <QWheelEvent>

namespace {
// Under two seconds: Qt keeps such single-shot timers precise, and in order.
const int HideDelayMs = 1500;
}

// Moving the map without the menu: arrows that come and go, keys, drags, and
// the layout, driven through the window as a user would.
class TestNavigation : public MapWindowTest::Suite
{
    Q_OBJECT
private slots:
    void init();
    void suppressorTurnsLeftPressReleaseIntoOneClick();
    void toolButtonShowsOnlyItsIcon();
    void tapShowsArrowsAndArrowClickPans();
    void dragPansByDistanceSincePreviousMove();
    void lastUseKeepsArrowsUntilDelayAfterIt();
    void tapWhileHiddenRestartsTheCount();
    void arrowKeyWhileHiddenPansAndEndsFollowMode();
    void keys_data();
    void keys();
    void escapeAndF11LeaveFullscreen();
    void layoutFollowsOddWindowSizes();
    void keysReachTheWindowWhereverTheFocusIs();
    void doubleClickZoomsThePageIn();
    void wheelOverTheMapZoomsThePage();

private:
    void startWindow();
    QStringList snippets() const;
    ToolButton *arrow(int index) const;
    bool arrowsVisible() const;
    void tap(const QPoint &pos);
    struct ArrowProbe
    {
        bool done = false;
        bool visible = false;
    };
    const ArrowProbe *probeArrows();
};

void TestNavigation::init()
{
    MapWindowTest::Suite::init();
    MainWindow::setHideButtonsDelay(HideDelayMs);
}

void TestNavigation::startWindow()
{
    m_window = MapWindowTest::start(*m_log);
    QVERIFY(m_window);
    m_log->clear();
}

QStringList TestNavigation::snippets() const
{
    return MapWindowTest::snippets(*m_log, "map.");
}

// The arrows in creation order: west, north, east, south.
ToolButton *TestNavigation::arrow(int index) const
{
    return m_window->findChildren<ToolButton *>().value(index);
}

bool TestNavigation::arrowsVisible() const
{
    const auto arrows = m_window->findChildren<ToolButton *>();
    const int shown = std::count_if(arrows.begin(), arrows.end(), [](QWidget *w) { return w->isVisible(); });
    if (shown != 0 && shown != arrows.size())
        qWarning("only some arrows are shown");
    return shown == arrows.size();
}

// Whether the arrows show once every hide timer started so far has run,
// whatever the machine's load: timers of one delay run in the order they
// were started, so a probe of that delay started now runs right after them.
const TestNavigation::ArrowProbe *TestNavigation::probeArrows()
{
    auto *probe = new ArrowProbe;
    connect(m_window, &QObject::destroyed, [probe] { delete probe; });
    QTimer::singleShot(HideDelayMs, Qt::PreciseTimer, m_window, [this, probe] {
        probe->visible = arrowsVisible();
        probe->done = true;
    });
    return probe;
}

void TestNavigation::tap(const QPoint &pos)
{
    QTest::mouseClick(m_window->windowHandle(), Qt::LeftButton, {}, pos);
}

void TestNavigation::suppressorTurnsLeftPressReleaseIntoOneClick()
{
    QWebView view;
    // Installed first, so it sees only what the suppressor lets through.
    struct Seen : QObject {
        QList<QEvent::Type> types;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() >= QEvent::MouseButtonPress && e->type() <= QEvent::MouseMove)
                types << e->type();
            return false;
        }
    } seen;
    view.installEventFilter(&seen);
    MouseSuppressor suppressor(&view);
    QCOMPARE(suppressor.parent(), &view);
    QSignalSpy clicks(&suppressor, &MouseSuppressor::click);

    QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(&view, QPoint(20, 20));
    QTest::mouseMove(&view, QPoint(30, 30));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(30, 30));
    QCOMPARE(clicks.count(), 1);

    QTest::mousePress(&view, Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseRelease(&view, Qt::RightButton, {}, QPoint(10, 10));
    QCOMPARE(clicks.count(), 1);

    QTest::mouseDClick(&view, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(seen.types, QList<QEvent::Type>{QEvent::MouseButtonDblClick});
}

void TestNavigation::toolButtonShowsOnlyItsIcon()
{
    QWidget parent;
    ToolButton button(QIcon(":/images/north.png"), 0, &parent);
    QCOMPARE(button.parent(), &parent);
    QCOMPARE(button.palette().color(QPalette::Active, button.backgroundRole()).alpha(), 0);
    QVERIFY(button.autoFillBackground());
    QCOMPARE(button.minimumSize(), button.maximumSize());
    QCOMPARE(button.size(), button.sizeHint());
    QVERIFY(button.size().width() >= 70 && button.size().height() >= 70);
    QVERIFY(button.icon().pixmap(70, 70).toImage().pixelColor(35, 35).alpha() > 200);   // the badge is drawn
}

void TestNavigation::tapShowsArrowsAndArrowClickPans()
{
    startWindow();
    QVERIFY(!arrowsVisible());
    tap(QPoint(300, 250));
    QVERIFY(arrowsVisible());
    QVERIFY(snippets().isEmpty());   // a tap only shows the arrows

    auto *view = m_window->findChild<QWebView *>("webView");
    ToolButton *east = arrow(2);
    tap(east->geometry().center());
    QCOMPARE(snippets(), QStringList{QString("map.panBy(%1,0);").arg(view->width() / 2)});
    ToolButton *north = arrow(1);
    tap(north->geometry().center());
    QCOMPARE(snippets().last(), QString("map.panBy(0,%1);").arg(-(view->height() / 2)));
}

void TestNavigation::dragPansByDistanceSincePreviousMove()
{
    startWindow();
    QWindow *window = m_window->windowHandle();
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(200, 200));
    QTest::mouseMove(window, QPoint(210, 205));
    QTest::mouseMove(window, QPoint(230, 215));
    QTest::mouseMove(window, QPoint(225, 240));
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(225, 240));
    QCOMPARE(snippets(), (QStringList{"map.panBy(-20,-10);", "map.panBy(5,-25);"}));

    // A recorded point with x = 0 only records; the move after it pans again.
    m_log->clear();
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(0, 200));
    QTest::mouseMove(window, QPoint(0, 200));
    QTest::mouseMove(window, QPoint(10, 210));
    QTest::mouseMove(window, QPoint(20, 230));
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(20, 230));
    QCOMPARE(snippets(), QStringList{"map.panBy(-10,-20);"});

    // After a release the next move starts a new drag.
    m_log->clear();
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(300, 300));
    QTest::mouseMove(window, QPoint(310, 300));
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(310, 300));
    QVERIFY(snippets().isEmpty());
}

void TestNavigation::lastUseKeepsArrowsUntilDelayAfterIt()
{
    startWindow();
    QVERIFY(!(m_window->windowState() & Qt::WindowFullScreen));
    tap(QPoint(300, 250));
    const ArrowProbe *afterFirst = probeArrows();
    tap(QPoint(300, 250));
    QTRY_VERIFY_WITH_TIMEOUT(afterFirst->done, 20000);
    QVERIFY(afterFirst->visible);   // the first tap's timer has run
    QTRY_VERIFY_WITH_TIMEOUT(!arrowsVisible(), 20000);
    QVERIFY(m_window->windowState() & Qt::WindowFullScreen);
}

void TestNavigation::tapWhileHiddenRestartsTheCount()
{
    startWindow();
    QTest::keyClick(m_window, Qt::Key_Left);   // arrows hidden: timer 1 pending
    const ArrowProbe *afterTimer1 = probeArrows();
    tap(QPoint(300, 250));                      // count restarts at 0, timer 2 pending
    const ArrowProbe *afterTimer2 = probeArrows();
    QVERIFY(arrowsVisible());
    // Timer 1 hides the arrows, before the tap's own delay is over; timer 2
    // only takes the count below 0.
    QTRY_VERIFY_WITH_TIMEOUT(afterTimer2->done, 20000);
    QVERIFY(!afterTimer1->visible);
    QVERIFY(!afterTimer2->visible);

    tap(QPoint(300, 250));   // hidden again: restarts at 0, so its timer hides them
    QVERIFY(arrowsVisible());
    const ArrowProbe *afterTimer3 = probeArrows();
    QTRY_VERIFY_WITH_TIMEOUT(afterTimer3->done, 20000);
    QVERIFY(!afterTimer3->visible);
}

void TestNavigation::arrowKeyWhileHiddenPansAndEndsFollowMode()
{
    startWindow();
    auto *view = m_window->findChild<QWebView *>("webView");
    GeoLocation *source = MapWindowTest::pageSource(m_window);
    QVERIFY(source);

    QTest::keyClick(m_window, Qt::Key_Down);
    QCOMPARE(snippets(), QStringList{QString("map.panBy(0,%1);").arg(view->height() / 2)});
    QVERIFY(!arrowsVisible());
    source->positionUpdated(QGeoPositionInfo(QGeoCoordinate(1.5, 2.5), QDateTime::currentDateTimeUtc()));
    QVERIFY(m_log->lines().contains("\"updateCenter(false, 1.5, 2.5, 0);\""));
    QTRY_VERIFY_WITH_TIMEOUT(m_window->windowState() & Qt::WindowFullScreen, 3000);
    QVERIFY(!arrowsVisible());

    // The re-centre key turns follow mode back on and sends the position at once.
    m_log->clear();
    QTest::keyClick(m_window, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(m_log->lines().filter("updateCenter"), QStringList{"\"updateCenter(true, 1.5, 2.5, 0);\""});
}

void TestNavigation::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("sent");
    QTest::newRow("0") << int(Qt::Key_0) << QStringList{"map.setZoom(0);"};
    QTest::newRow("7") << int(Qt::Key_7) << QStringList{"map.setZoom(14);"};
    QTest::newRow("9") << int(Qt::Key_9) << QStringList{"map.setZoom(18);"};
    QTest::newRow("zoom in key") << int(Qt::Key_F7) << QStringList{"map.setZoom(map.getZoom()+1);"};
    QTest::newRow("zoom out key") << int(Qt::Key_F8) << QStringList{"map.setZoom(map.getZoom()-1);"};
    QTest::newRow("left") << int(Qt::Key_Left) << QStringList{"map.panBy(-400,0);"};
    QTest::newRow("up") << int(Qt::Key_Up) << QStringList{"map.panBy(0,-228);"};
    QTest::newRow("right") << int(Qt::Key_Right) << QStringList{"map.panBy(400,0);"};
    QTest::newRow("down") << int(Qt::Key_Down) << QStringList{"map.panBy(0,228);"};
    QTest::newRow("return is not enter") << int(Qt::Key_Return) << QStringList{};
    QTest::newRow("other letter") << int(Qt::Key_A) << QStringList{};
}

void TestNavigation::keys()
{
    QFETCH(int, key);
    QFETCH(QStringList, sent);
    startWindow();
    auto *view = m_window->findChild<QWebView *>("webView");
    // The view fills the window below the menu bar; pans are half of it.
    m_window->resize(800, 456 + m_window->menuBar()->height());
    QTRY_COMPARE(view->size(), QSize(800, 456));
    QTest::keyClick(m_window, Qt::Key(key));
    QCOMPARE(snippets(), sent);
}

void TestNavigation::escapeAndF11LeaveFullscreen()
{
    startWindow();
    m_log->clear();
    const auto fullscreen = [this] { return bool(m_window->windowState() & Qt::WindowFullScreen); };
    QTest::keyClick(m_window, Qt::Key_F11);
    QTRY_VERIFY(fullscreen());
    QTest::keyClick(m_window, Qt::Key_F11);
    QTRY_VERIFY(!fullscreen());
    QTest::keyClick(m_window, Qt::Key_Escape);   // not a way in
    QVERIFY(!fullscreen());
    QTest::keyClick(m_window, Qt::Key_F);
    QTRY_VERIFY(fullscreen());
    QTest::keyClick(m_window, Qt::Key_Escape);
    QTRY_VERIFY(!fullscreen());
    QVERIFY(snippets().isEmpty());
}

void TestNavigation::layoutFollowsOddWindowSizes()
{
    startWindow();
    const int bar = m_window->menuBar()->height();
    m_window->resize(801, 463 + bar);
    QTRY_COMPARE(m_window->size(), QSize(801, 463 + bar));
    auto *view = m_window->findChild<QWebView *>("webView");
    QCOMPARE(view->size(), QSize(801, 463));
    auto *overlay = m_window->findChild<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(overlay);
    QCOMPARE(overlay->geometry(), QRect(view->mapTo(m_window, QPoint(0, 0)), view->size()));

    m_log->clear();
    QTest::keyClick(m_window, Qt::Key_Down);
    QTest::keyClick(m_window, Qt::Key_Up);
    QTest::keyClick(m_window, Qt::Key_Right);
    QTest::keyClick(m_window, Qt::Key_Left);
    QCOMPARE(snippets(), (QStringList{"map.panBy(0,231);", "map.panBy(0,-231);", "map.panBy(400,0);",
                                      "map.panBy(-400,0);"}));

    const int W = m_window->width();
    const int H = m_window->height();
    ToolButton *west = arrow(0), *north = arrow(1), *east = arrow(2), *south = arrow(3);
    QCOMPARE(west->pos(), QPoint(0, (H - west->height()) / 2));
    QCOMPARE(north->pos(), QPoint((W - north->width()) / 2, 0));
    QCOMPARE(east->pos(), QPoint(W - east->width(), (H - east->height()) / 2));
    QCOMPARE(south->pos(), QPoint((W - south->width()) / 2, H - south->height()));
}

void TestNavigation::keysReachTheWindowWhereverTheFocusIs()
{
    startWindow();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    // A tap on the map and one on an arrow: the keys still pan, every one of them.
    tap(QPoint(300, 250));
    tap(arrow(0)->geometry().center());
    m_log->clear();
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Left, Qt::Key_Down}) {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : m_window;
        QTest::keyClick(target, key);
    }
    const int half = m_window->findChild<QWebView *>("webView")->height() / 2;
    QCOMPARE(snippets(), (QStringList{"map.panBy(400,0);", "map.panBy(400,0);", "map.panBy(-400,0);",
                                      QString("map.panBy(0,%1);").arg(half)}));
}

void TestNavigation::doubleClickZoomsThePageIn()
{
    // The arrows must outlast the zoom, however long a busy machine takes.
    MainWindow::setHideButtonsDelay(600000);
    startWindow();
    const int zoom = MapWindowTest::pageState(m_window)["zoom"].toInt();
    QTest::mouseDClick(m_window->windowHandle(), Qt::LeftButton, {}, QPoint(300, 250));
    QVERIFY(arrowsVisible());        // the clicks were taps as well
    QTRY_COMPARE_WITH_TIMEOUT(MapWindowTest::pageState(m_window)["zoom"].toInt(), zoom + 1, 20000);
    QVERIFY(snippets().isEmpty());   // the page's own doing, no snippet
}

void TestNavigation::wheelOverTheMapZoomsThePage()
{
    startWindow();
    const int zoom = MapWindowTest::pageState(m_window)["zoom"].toInt();
    auto *overlay = m_window->findChild<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
    const QPoint at(300, 200);
    QWheelEvent wheel(at, overlay->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(overlay, &wheel);
    QTRY_VERIFY(MapWindowTest::pageState(m_window)["zoom"].toInt() > zoom);
    QVERIFY(snippets().isEmpty());
}

MARLU_TEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
