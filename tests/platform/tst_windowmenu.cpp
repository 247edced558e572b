#include "logcapture.h"
#include "testmain.h"

#include "platform/applicationmenu.h"
#include "platform/fullscreenexitbutton.h"
#include "platform/maemo5attributes.h"
#include "platform/maemo5wnd.h"
#include "platform/pickselectoraction.h"

#include <QActionGroup>
#include <QFrame>
#include <QListWidget>
#include <QMenuBar>
#include <QSignalSpy>
#include <QToolButton>

// The base window's menu entries (orientation picker, fullscreen with its exit
// button) and the application menu panel that shows every entry.
class TestWindowMenu : public QObject
{
    Q_OBJECT
private slots:
    void orientationEntryStartsAuto();
    void pickingOrientationsLogsAndMovesPicker();
    void orientationIndexOutsideListChangesNothing();
    void fixedOrientationBeforeEntryTouchesNoPicker();
    void exitButtonFollowsFullscreen();
    void panelReachesEveryEntryByMouseAndKeyboard();
    void panelClosesOnTapOutside();
};

static PickSelectorAction *orientationPicker(Maemo5Wnd &wnd)
{
    for (QAction *a : wnd.menuBar()->actions()) {
        if (a->text() == "Orientation")
            return qobject_cast<PickSelectorAction *>(a);
    }
    return nullptr;
}

static bool attr(Maemo5Wnd &wnd, Maemo5Attributes::Attribute a)
{
    return Maemo5Attributes::testAttribute(&wnd, a);
}

void TestWindowMenu::orientationEntryStartsAuto()
{
    Maemo5Wnd wnd;
    LogCapture log;
    wnd.addOrientationToMenu();
    QCOMPARE(log.lines(), (QStringList{"Maemo5Wnd::addOrientationToMenu", "Maemo5Wnd::setAutoRotate",
                                       "set autorotate: on"}));
    PickSelectorAction *picker = orientationPicker(wnd);
    QVERIFY(picker);
    QCOMPARE(picker->parent(), &wnd);
    QCOMPARE(picker->items(), (QStringList{"Auto", "Landscape", "Portrait"}));
    QCOMPARE(picker->selectedIndex(), 0);
    QVERIFY(attr(wnd, Maemo5Attributes::AutoOrientation));
}

void TestWindowMenu::pickingOrientationsLogsAndMovesPicker()
{
    Maemo5Wnd wnd;
    wnd.addOrientationToMenu();
    PickSelectorAction *picker = orientationPicker(wnd);

    LogCapture log;
    picker->optionSelected("Landscape");
    QCOMPARE(log.lines(), (QStringList{"Item Selected:  \"Landscape\" , index= \"1\"",
                                       "Maemo5Wnd::onOrientationChanged", "Maemo5Wnd::setAutoRotate",
                                       "set autorotate: off", "Maemo5Wnd::setLandscapeOrPortrait",
                                       ">> set Landscape"}));
    QVERIFY(!attr(wnd, Maemo5Attributes::AutoOrientation));
    QVERIFY(attr(wnd, Maemo5Attributes::LandscapeOrientation));
    QCOMPARE(picker->selectedIndex(), 1);

    picker->optionSelected("Portrait");
    QVERIFY(attr(wnd, Maemo5Attributes::PortraitOrientation));
    QVERIFY(!attr(wnd, Maemo5Attributes::LandscapeOrientation));
    QCOMPARE(picker->selectedIndex(), 2);

    log.clear();
    picker->optionSelected("Auto");
    QCOMPARE(log.lines().mid(1), (QStringList{"Maemo5Wnd::onOrientationChanged", "Maemo5Wnd::setAutoRotate",
                                              "set autorotate: on"}));
    QVERIFY(attr(wnd, Maemo5Attributes::AutoOrientation));
    QCOMPARE(picker->selectedIndex(), 0);

    // Code that fixes the orientation moves the picker too, without calling back.
    log.clear();
    wnd.setLandscapeOrPortrait(false);
    QCOMPARE(picker->selectedIndex(), 2);
    QVERIFY(!log.lines().contains("Maemo5Wnd::onOrientationChanged"));
}

void TestWindowMenu::orientationIndexOutsideListChangesNothing()
{
    Maemo5Wnd wnd;
    wnd.addOrientationToMenu();
    PickSelectorAction *picker = orientationPicker(wnd);
    for (int index : {3, -1}) {
        LogCapture log;
        QMetaObject::invokeMethod(&wnd, "onOrientationChanged", Q_ARG(int, index));
        QCOMPARE(log.lines(), QStringList{"Maemo5Wnd::onOrientationChanged"});
        QVERIFY(attr(wnd, Maemo5Attributes::AutoOrientation));
        QVERIFY(!attr(wnd, Maemo5Attributes::LandscapeOrientation));
        QVERIFY(!attr(wnd, Maemo5Attributes::PortraitOrientation));
        QCOMPARE(picker->selectedIndex(), 0);
    }
}

void TestWindowMenu::fixedOrientationBeforeEntryTouchesNoPicker()
{
    Maemo5Wnd wnd;
    wnd.setLandscapeOrPortrait(false);
    QVERIFY(attr(wnd, Maemo5Attributes::PortraitOrientation));
    QVERIFY(!orientationPicker(wnd));
}

void TestWindowMenu::exitButtonFollowsFullscreen()
{
    Maemo5Wnd wnd;
    wnd.resize(640, 400);
    wnd.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wnd));
    LogCapture log;
    wnd.addFullscreenToMenu();
    QCOMPARE(log.lines(), QStringList{"Maemo5Wnd::addFullscreenToMenu"});
    auto buttons = wnd.findChildren<FullScreenExitButton *>();
    QCOMPARE(buttons.size(), 1);
    FullScreenExitButton *button = buttons.first();
    QVERIFY(!button->isVisible());
    QCOMPARE(button->palette().color(button->backgroundRole()).alpha(), 128);
    QVERIFY(button->autoFillBackground());
    QVERIFY(button->width() >= 48 && button->height() >= 48);
    QVERIFY(!button->toolTip().isEmpty());

    // Resizing a normal window leaves the hidden button where it is.
    const QPoint before = button->pos();
    wnd.resize(700, 420);
    QTRY_COMPARE(wnd.size(), QSize(700, 420));
    QCOMPARE(button->pos(), before);

    QAction *fullscreen = nullptr;
    for (QAction *a : wnd.menuBar()->actions())
        if (a->text() == "Fullscreen")
            fullscreen = a;
    QVERIFY(fullscreen && !fullscreen->isCheckable());
    fullscreen->trigger();
    fullscreen->trigger();   // not a toggle
    QTRY_VERIFY(wnd.windowState() & Qt::WindowFullScreen);
    QTRY_VERIFY(button->isVisible());
    QTRY_COMPARE(button->geometry().bottomRight(), QPoint(wnd.width() - 1, wnd.height() - 1));
    QCOMPARE(wnd.findChildren<FullScreenExitButton *>().size(), 1);

    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_VERIFY(!(wnd.windowState() & Qt::WindowFullScreen));
    QTRY_VERIFY(!button->isVisible());
}

void TestWindowMenu::panelReachesEveryEntryByMouseAndKeyboard()
{
    Maemo5Wnd wnd;
    wnd.resize(800, 480);
    QMenuBar *bar = wnd.menuBar();
    auto *menu = qobject_cast<ApplicationMenu *>(bar);
    QVERIFY(menu);

    auto *group = new QActionGroup(&wnd);
    QAction *first = new QAction("First", group);
    QAction *second = new QAction("Second", group);
    // Four in the row, as the map types are: the arrows must not slip into it.
    for (const char *text : {"Third", "Fourth"})
        new QAction(text, group);
    for (QAction *a : group->actions())
        a->setCheckable(true);
    first->setChecked(true);
    bar->addActions(group->actions());
    QSignalSpy groupSpy(group, &QActionGroup::triggered);
    QAction *plain = bar->addAction("Plain");
    QSignalSpy plainSpy(plain, &QAction::triggered);
    QAction *toggle = bar->addAction("Toggle");
    toggle->setCheckable(true);
    wnd.addFullscreenToMenu();
    wnd.addOrientationToMenu();
    wnd.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wnd));

    // Qt's own bar would show only the plain actions; the bar shows one button.
    QVERIFY(menu->menuButton()->isVisible());
    QVERIFY(menu->menuButton()->text().startsWith(wnd.windowTitle().isEmpty() ? "Menu" : wnd.windowTitle()));

    auto open = [&] {
        QTest::mouseClick(menu->menuButton(), Qt::LeftButton);
        QTRY_VERIFY(menu->isPanelOpen());
    };
    auto buttonFor = [&](const QString &text) -> QAbstractButton * {
        for (auto *b : menu->panel()->findChildren<QAbstractButton *>())
            if (b->isVisible() && b->text().split('\n').first() == text)
                return b;
        return nullptr;
    };

    open();
    for (const QString &text : {"First", "Second", "Third", "Fourth", "Plain", "Toggle", "Fullscreen", "Orientation"})
        QVERIFY2(buttonFor(text), qPrintable(text));

    QTest::mouseClick(buttonFor("Second"), Qt::LeftButton);
    QCOMPARE(groupSpy.count(), 1);
    QVERIFY(second->isChecked() && !first->isChecked());
    QTRY_VERIFY(!menu->isPanelOpen());

    open();
    QTest::mouseClick(buttonFor("Plain"), Qt::LeftButton);
    QCOMPARE(plainSpy.count(), 1);

    open();
    QTest::mouseClick(buttonFor("Toggle"), Qt::LeftButton);
    QVERIFY(toggle->isChecked());

    // The picker's value button opens its list; a tap there picks.
    open();
    QAbstractButton *orientation = buttonFor("Orientation");
    QVERIFY(orientation->text().endsWith("Auto"));
    QTest::mouseClick(orientation, Qt::LeftButton);
    QWidget *picker = QApplication::activeModalWidget();
    QVERIFY(picker);
    auto *list = picker->findChild<QListWidget *>();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QVERIFY(Maemo5Attributes::testAttribute(&wnd, Maemo5Attributes::LandscapeOrientation));
    QTRY_VERIFY(!menu->isPanelOpen());
    QCOMPARE(orientationPicker(wnd)->selectedIndex(), 1);

    // From the keyboard: F10 or Menu, arrows where they point, Return, Escape.
    wnd.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&wnd));
    auto press = [&wnd](Qt::Key key) { QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &wnd, key); };
    auto focused = [] { return static_cast<QAbstractButton *>(QApplication::focusWidget())->text().split('\n')[0]; };
    // Opened by a tap, the panel takes Escape too; F10 then opens it on its first entry,
    // marked by a frame that is seen at arm's length.
    open();
    press(Qt::Key_Escape);
    QVERIFY(!menu->isPanelOpen());
    press(Qt::Key_F10);
    QCOMPARE(focused(), QString("First"));
    auto *mark = menu->panel()->findChild<QFrame *>("applicationMenuFocus");
    QAbstractButton *firstButton = buttonFor("First");
    QVERIFY(mark && mark->isVisible());
    QVERIFY(mark->geometry().contains(QRect(firstButton->mapTo(menu->panel(), QPoint(0, 0)), firstButton->size())));
    press(Qt::Key_Escape);
    QVERIFY(!menu->isPanelOpen());
    QStringList path;
    press(Qt::Key_Menu);
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Right, Qt::Key_Down, Qt::Key_Left, Qt::Key_Up}) {
        press(key);
        path << focused();
    }
    QCOMPARE(path, (QStringList{"Second", "Plain", "Toggle", "Orientation", "Fullscreen", "Plain"}));
    press(Qt::Key_Return);
    QCOMPARE(plainSpy.count(), 2);
    for (Qt::Key key : {Qt::Key_F10, Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Return})
        press(key);
    QTRY_COMPARE(QApplication::activeWindow(), QApplication::activeModalWidget());
    press(Qt::Key_Down);   // Landscape to Portrait
    press(Qt::Key_Return);
    QVERIFY(Maemo5Attributes::testAttribute(&wnd, Maemo5Attributes::PortraitOrientation));

    open();
    QVERIFY(buttonFor("Orientation")->text().endsWith("Portrait"));
    QTest::mouseClick(buttonFor("Fullscreen"), Qt::LeftButton);
    QTRY_VERIFY(wnd.windowState() & Qt::WindowFullScreen);
}

void TestWindowMenu::panelClosesOnTapOutside()
{
    Maemo5Wnd wnd;
    wnd.resize(800, 480);
    wnd.menuBar()->addAction("Only");
    wnd.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wnd));
    auto *menu = qobject_cast<ApplicationMenu *>(wnd.menuBar());
    QTest::mouseClick(menu->menuButton(), Qt::LeftButton);
    QVERIFY(menu->isPanelOpen());
    QVERIFY(menu->panel()->geometry().width() > 0);
    QTest::mouseClick(wnd.windowHandle(), Qt::LeftButton, {}, QPoint(10, 470));
    QTRY_VERIFY(!menu->isPanelOpen());
}

MARLU_TEST_MAIN(TestWindowMenu)
#include "tst_windowmenu.moc"
