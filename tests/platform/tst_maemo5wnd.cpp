#include "logcapture.h"
#include "testmain.h"
#include "windowframe.h"

#include "platform/maemo5attributes.h"
#include "platform/maemo5wnd.h"

#include <QProgressBar>

class TestMaemo5Wnd : public QObject
{
    Q_OBJECT
private slots:
    void constructionLogsAndSetsNothing();
    void autoRotateOffThenLandscapeLogsInOrder();
    void portraitAndAutoExcludeEachOther();
    void isLandscape_data();
    void isLandscape();
    void fullscreenIsNotAToggle();
    void zoomKeysWithoutX11OnlyWarn();
    void progressIndicatorShowsBusyState();
    void fixedOrientationReshapesWindow();
};

void TestMaemo5Wnd::constructionLogsAndSetsNothing()
{
    LogCapture log;
    Maemo5Wnd wnd;
    QCOMPARE(log.lines(), QStringList{"Maemo5Wnd::Maemo5Wnd"});
    for (auto a : {Maemo5Attributes::StackedWindow, Maemo5Attributes::PortraitOrientation,
                   Maemo5Attributes::LandscapeOrientation, Maemo5Attributes::AutoOrientation,
                   Maemo5Attributes::ShowProgressIndicator})
        QVERIFY(!Maemo5Attributes::testAttribute(&wnd, a));
    // Exactly the two protected slots of this class, in order, no signals.
    const QMetaObject *mo = wnd.metaObject();
    QCOMPARE(mo->methodCount() - mo->methodOffset(), 2);
    QCOMPARE(mo->method(mo->methodOffset()).methodSignature(), QByteArray("onFullscreen()"));
    QCOMPARE(mo->method(mo->methodOffset() + 1).methodSignature(), QByteArray("onOrientationChanged(int)"));
    for (int i = mo->methodOffset(); i < mo->methodCount(); ++i)
        QCOMPARE(mo->method(i).access(), QMetaMethod::Protected);
}

void TestMaemo5Wnd::autoRotateOffThenLandscapeLogsInOrder()
{
    Maemo5Wnd wnd;
    wnd.setAutoRotate(true);
    QVERIFY(wnd.isAutoRotate());

    LogCapture log;
    wnd.setAutoRotate(false);
    wnd.setLandscapeOrPortrait(true);
    QCOMPARE(log.lines(), (QStringList{"Maemo5Wnd::setAutoRotate", "set autorotate: off",
                                       "Maemo5Wnd::setLandscapeOrPortrait", ">> set Landscape"}));
    QVERIFY(!Maemo5Attributes::testAttribute(&wnd, Maemo5Attributes::AutoOrientation));
    QVERIFY(Maemo5Attributes::testAttribute(&wnd, Maemo5Attributes::LandscapeOrientation));
    log.clear();
    QVERIFY(!wnd.isAutoRotate());
    QCOMPARE(log.lines(), QStringList{"Maemo5Wnd::isAutoRotate"});
}

void TestMaemo5Wnd::portraitAndAutoExcludeEachOther()
{
    Maemo5Wnd wnd;
    LogCapture log;
    wnd.setLandscapeOrPortrait(false);
    QCOMPARE(log.lines(), (QStringList{"Maemo5Wnd::setLandscapeOrPortrait", ">> set Portrait"}));
    QVERIFY(Maemo5Attributes::testAttribute(&wnd, Maemo5Attributes::PortraitOrientation));

    wnd.setLandscapeOrPortrait(true);
    QVERIFY(Maemo5Attributes::testAttribute(&wnd, Maemo5Attributes::LandscapeOrientation));
    QVERIFY(!Maemo5Attributes::testAttribute(&wnd, Maemo5Attributes::PortraitOrientation));

    log.clear();
    wnd.setAutoRotate(true);
    QCOMPARE(log.lines(), (QStringList{"Maemo5Wnd::setAutoRotate", "set autorotate: on"}));
    QVERIFY(wnd.isAutoRotate());
    QVERIFY(!Maemo5Attributes::testAttribute(&wnd, Maemo5Attributes::LandscapeOrientation));
}

void TestMaemo5Wnd::isLandscape_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("landscape");
    QTest::newRow("square") << QSize(480, 480) << false;
    QTest::newRow("wide") << QSize(800, 424) << true;
    QTest::newRow("tall") << QSize(480, 800) << false;
}

void TestMaemo5Wnd::isLandscape()
{
    QFETCH(QSize, size);
    QFETCH(bool, landscape);
    Maemo5Wnd wnd;
    wnd.resize(size);
    LogCapture log;
    QCOMPARE(wnd.isLandscape(), landscape);
    QCOMPARE(log.lines(), QStringList{"Maemo5Wnd::isLandscape"});
}

void TestMaemo5Wnd::fullscreenIsNotAToggle()
{
    Maemo5Wnd wnd;
    wnd.show();
    LogCapture log;
    QMetaObject::invokeMethod(&wnd, "onFullscreen");
    QMetaObject::invokeMethod(&wnd, "onFullscreen");
    QTRY_VERIFY(wnd.windowState() & Qt::WindowFullScreen);
    QCOMPARE(log.lines(), (QStringList{"Maemo5Wnd::onFullscreen", "Maemo5Wnd::onFullscreen"}));
}

void TestMaemo5Wnd::zoomKeysWithoutX11OnlyWarn()
{
    // This suite runs offscreen: no X display, so no atom.
    Maemo5Wnd wnd;
    LogCapture log;
    wnd.grabZoomKeys(true);
    QCOMPARE(log.lines(QtDebugMsg), QStringList{"Maemo5Wnd::grabZoomKeys"});
    QCOMPARE(log.lines(QtWarningMsg),
             QStringList{"Unable to obtain _HILDON_ZOOM_KEY_ATOM. This example will only work on a Maemo 5 device!"});
}

void TestMaemo5Wnd::progressIndicatorShowsBusyState()
{
    Maemo5Wnd wnd;
    wnd.resize(800, 480);
    wnd.show();
    Maemo5Attributes::setAttribute(&wnd, Maemo5Attributes::ShowProgressIndicator, true);
    auto *bar = wnd.findChild<QProgressBar *>("maemo5ProgressIndicator");
    QVERIFY(bar);
    QVERIFY(bar->isVisible());
    QCOMPARE(wnd.cursor().shape(), Qt::BusyCursor);
    QVERIFY(bar->geometry().right() < wnd.width());

    Maemo5Attributes::setAttribute(&wnd, Maemo5Attributes::ShowProgressIndicator, false);
    QVERIFY(!bar->isVisible());
    QCOMPARE(wnd.cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!Maemo5Attributes::testAttribute(&wnd, Maemo5Attributes::ShowProgressIndicator));
}

// On the handheld's landscape screen: portrait squeezes the window into the
// room there is, and Auto turns it back as the screen is.
void TestMaemo5Wnd::fixedOrientationReshapesWindow()
{
    MARLU_REQUIRE_HANDHELD_SCREEN();
    const QRect area(0, 56, 800, 424);
    Maemo5Wnd wnd;
    wnd.setGeometry(area);
    wnd.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wnd));
    // As the window manager frames it: the title bar takes its share of the area.
    QTRY_COMPARE(WindowFrame::misfit(&wnd), QString());
    for (int i = 0; i < 2; ++i) {
        wnd.setLandscapeOrPortrait(false);
        QVERIFY(wnd.height() > wnd.width());
        QTRY_COMPARE(WindowFrame::misfit(&wnd), QString());
    }
    wnd.setAutoRotate(true);
    QTRY_COMPARE(WindowFrame::of(&wnd).size(), area.size());
    QTRY_COMPARE(WindowFrame::misfit(&wnd), QString());
}

MARLU_TEST_MAIN(TestMaemo5Wnd)
#include "tst_maemo5wnd.moc"
