#include "logcapture.h"
#include "mapwindowtest.h"
#include "modalscript.h"
#include "pageserver.h"
#include "testmain.h"

#include "app/mainwindow.h"
#include "platform/applicationmenu.h"
#include "platform/maemo5attributes.h"
#include "platform/pickselectoraction.h"

#include <QActionGroup>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QMessageBox>
#include <QMenuBar>
#include <QSettings>
#include <QToolButton>
#include <QWebFrame>
#include <QWebView>

// The application menu: built once after the first load with the saved
// choices applied in order, and every entry usable by mouse.
class TestMenu : public MapWindowTest::Suite
{
    Q_OBJECT
private slots:
    void firstStartAppliesDefaults();
    void savedChoicesAreAppliedInOrder();
    void invalidSavedValues_data();
    void invalidSavedValues();
    void togglingLayersWritesSettingsAndChangesPage();
    void everyEntryWorksThroughThePanel();
    void aboutNamesVersionLicenceAndCredits();
    void keysReachSearchDirectionsAndQuit();

private:
    QStringList texts() const;
    QAction *action(const QString &text) const { return MapWindowTest::menuEntry(m_window, text); }
    QJsonObject pageState() const { return MapWindowTest::pageState(m_window); }
    QAbstractButton *panelButton(const QString &text);
    void openPanel();
};

QStringList TestMenu::texts() const
{
    QStringList out;
    for (QAction *a : m_window->menuBar()->actions())
        out << a->text();
    return out;
}

void TestMenu::openPanel()
{
    auto *menu = qobject_cast<ApplicationMenu *>(m_window->menuBar());
    QVERIFY(menu);
    if (!menu->isPanelOpen())
        QTest::mouseClick(menu->menuButton(), Qt::LeftButton);
    QVERIFY(menu->isPanelOpen());
}

QAbstractButton *TestMenu::panelButton(const QString &text)
{
    openPanel();
    auto *menu = qobject_cast<ApplicationMenu *>(m_window->menuBar());
    for (auto *b : menu->panel()->findChildren<QAbstractButton *>())
        if (b->isVisible() && b->text().split('\n').first() == text)
            return b;
    return nullptr;
}

void TestMenu::firstStartAppliesDefaults()
{
    startWindow();
    QCOMPARE(texts(), (QStringList{"Hybrid", "Road Map", "Satellite", "Terrain", "Directions", "Find Address",
                                   "Traffic Layer", "Bicycling Layer", "Show Accuracy", "Auto Rotate",
                                   "Fullscreen", "Orientation", "Position Updates", "Clear Marks", "About",
                                   "Map Regions", "Map Services", "Voice Guidance", "Places", "Save Place...", "Record Track",
                                   "Tracks", "Open GPX..."}));
    QVERIFY(action("Road Map")->isChecked());
    QVERIFY(action("Road Map")->actionGroup()->isExclusive());
    QCOMPARE(action("Road Map")->actionGroup()->actions().size(), 4);
    for (const QString &t : {"Traffic Layer", "Bicycling Layer", "Show Accuracy", "Auto Rotate"}) {
        QVERIFY(action(t)->isCheckable());
        QVERIFY(!action(t)->isChecked());
    }
    auto *updates = qobject_cast<PickSelectorAction *>(action("Position Updates"));
    QVERIFY(updates);
    QCOMPARE(updates->items(), (QStringList{"Off", "every second", "every 2 seconds", "every 5 seconds",
                                            "every 10 seconds", "every 15 seconds", "every 30 seconds"}));
    QCOMPARE(updates->selectedIndex(), 0);

    const QStringList lines = m_log->lines();
    const int loaded = lines.indexOf("loaded html page");
    QCOMPARE(lines.mid(loaded + 1),
             (QStringList{"\"map.setMapTypeId(google.maps.MapTypeId.ROADMAP);\"", "Maemo5Wnd::addFullscreenToMenu",
                          "Maemo5Wnd::addOrientationToMenu", "Maemo5Wnd::setAutoRotate", "set autorotate: on",
                          "GeoLocation::setUpdatesPerHour: 0"}));
    QSettings settings;
    QCOMPARE(settings.value("Mode").toInt(), 1);
    QCOMPARE(settings.value("UpdateMode").toInt(), 0);
    QVERIFY(!settings.contains("TrafficLayer"));
    QCOMPARE(pageState()["mapTypeId"].toString(), QString("roadmap"));
}

void TestMenu::savedChoicesAreAppliedInOrder()
{
    QSettings settings;
    settings.setValue("Mode", 2);
    settings.setValue("TrafficLayer", true);
    settings.setValue("BicyclingLayer", true);
    settings.setValue("UpdateMode", 3);
    startWindow();

    QVERIFY(action("Satellite")->isChecked());
    QVERIFY(action("Traffic Layer")->isChecked());
    QVERIFY(action("Bicycling Layer")->isChecked());
    QCOMPARE(qobject_cast<PickSelectorAction *>(action("Position Updates"))->selectedIndex(), 3);

    const QStringList lines = m_log->lines();
    const int type = lines.indexOf("\"map.setMapTypeId(google.maps.MapTypeId.SATELLITE);\"");
    const int traffic = lines.indexOf("\"trafficLayer = new google.maps.TrafficLayer(); trafficLayer.setMap(map);\"");
    const int bike = lines.indexOf("\"bikeLayer = new google.maps.BicyclingLayer(); bikeLayer.setMap(map);\"");
    const int fullscreen = lines.indexOf("Maemo5Wnd::addFullscreenToMenu");
    const int rate = lines.indexOf("GeoLocation::setUpdatesPerHour: 720");
    QVERIFY(type > 0);
    QVERIFY(type < traffic && traffic < bike && bike < fullscreen && fullscreen < rate);

    QCOMPARE(settings.value("Mode").toInt(), 2);
    QCOMPARE(settings.value("TrafficLayer").toBool(), true);
    QCOMPARE(settings.value("BicyclingLayer").toBool(), true);
    QCOMPARE(settings.value("UpdateMode").toInt(), 3);
    const QJsonObject state = pageState();
    QCOMPARE(state["mapTypeId"].toString(), QString("satellite"));
    QCOMPARE(state["layers"].toObject()["traffic"].toBool(), true);
    QCOMPARE(state["layers"].toObject()["bicycling"].toBool(), true);
}

void TestMenu::invalidSavedValues_data()
{
    QTest::addColumn<QString>("saved");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("kept");
    QTest::newRow("ten minutes: slowest entry") << "9" << 6 << "GeoLocation::setUpdatesPerHour: 120" << "6";
    QTest::newRow("past the table: off") << "13" << 0 << "GeoLocation::setUpdatesPerHour: 0" << "13";
    QTest::newRow("negative: off") << "-3" << 0 << "GeoLocation::setUpdatesPerHour: 0" << "-3";
    QTest::newRow("text: off") << "fast" << 0 << "GeoLocation::setUpdatesPerHour: 0" << "fast";
}

void TestMenu::invalidSavedValues()
{
    QFETCH(QString, saved);
    QFETCH(int, shown);
    QFETCH(QString, rate);
    QFile file(QSettings().fileName());   // as a hand or an older version wrote it
    QVERIFY(file.open(QIODevice::Append));
    file.write("\n[General]\nMode=7\nUpdateMode=" + saved.toUtf8() + "\n");
    file.close();
    startWindow();
    QSettings settings;

    for (QAction *a : action("Hybrid")->actionGroup()->actions())
        QVERIFY(!a->isChecked());
    QVERIFY(m_log->lines().filter("setMapTypeId").isEmpty());
    QCOMPARE(settings.value("Mode").toInt(), 7);
    // A rate in the table the picker cannot show is brought to its nearest entry;
    // anything else leaves the receiver off and the saved value as it is.
    QCOMPARE(qobject_cast<PickSelectorAction *>(action("Position Updates"))->selectedIndex(), shown);
    QCOMPARE(m_log->lines().filter("setUpdatesPerHour"), QStringList{rate});
    QTEST(settings.value("UpdateMode").toString(), "kept");
}

void TestMenu::togglingLayersWritesSettingsAndChangesPage()
{
    startWindow();
    QSettings settings;
    m_log->clear();
    action("Traffic Layer")->trigger();
    QCOMPARE(settings.value("TrafficLayer").toBool(), true);
    QCOMPARE(pageState()["layers"].toObject()["traffic"].toBool(), true);
    action("Traffic Layer")->trigger();
    QCOMPARE(settings.value("TrafficLayer").toBool(), false);
    QCOMPARE(pageState()["layers"].toObject()["traffic"].toBool(), false);
    action("Traffic Layer")->trigger();   // a new layer object each time
    QCOMPARE(pageState()["layers"].toObject()["traffic"].toBool(), true);

    action("Bicycling Layer")->trigger();
    QCOMPARE(settings.value("BicyclingLayer").toBool(), true);
    action("Bicycling Layer")->trigger();
    QCOMPARE(settings.value("BicyclingLayer").toBool(), false);
    QCOMPARE(pageState()["layers"].toObject()["bicycling"].toBool(), false);
    QCOMPARE(pageState()["layers"].toObject()["traffic"].toBool(), true);   // independent

    QStringList sent;
    for (const QString &line : m_log->lines())
        if (line.startsWith('"'))
            sent << line;
    QCOMPARE(sent, (QStringList{"\"trafficLayer = new google.maps.TrafficLayer(); trafficLayer.setMap(map);\"",
                                "\"if (trafficLayer) { trafficLayer.setMap(null); trafficLayer=null; }\"",
                                "\"trafficLayer = new google.maps.TrafficLayer(); trafficLayer.setMap(map);\"",
                                "\"bikeLayer = new google.maps.BicyclingLayer(); bikeLayer.setMap(map);\"",
                                "\"if (bikeLayer) { bikeLayer.setMap(null); bikeLayer=null; }\""}));
}

void TestMenu::everyEntryWorksThroughThePanel()
{
    startWindow();
    QSettings settings;
    auto click = [&](const QString &text) {
        QAbstractButton *b = panelButton(text);
        QVERIFY2(b, qPrintable(text));
        QTest::mouseClick(b, Qt::LeftButton);
    };
    auto pick = [&](const QString &entry, const QString &choice) {
        click(entry);
        QWidget *picker = QApplication::activeModalWidget();
        QVERIFY(picker);
        auto *list = picker->findChild<QListWidget *>();
        const auto items = list->findItems(choice, Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
    };

    click("Terrain");
    QCOMPARE(pageState()["mapTypeId"].toString(), QString("terrain"));
    QCOMPARE(settings.value("Mode").toInt(), 3);
    click("Hybrid");
    QCOMPARE(pageState()["mapTypeId"].toString(), QString("hybrid"));
    QCOMPARE(settings.value("Mode").toInt(), 0);

    click("Traffic Layer");
    QVERIFY(pageState()["layers"].toObject()["traffic"].toBool());
    click("Bicycling Layer");
    QVERIFY(pageState()["layers"].toObject()["bicycling"].toBool());
    click("Show Accuracy");
    QVERIFY(action("Show Accuracy")->isChecked());
    click("Auto Rotate");
    QVERIFY(action("Auto Rotate")->isChecked());
    QVERIFY(pageState()["canvas"].toObject()["width"].toInt() == pageState()["canvas"].toObject()["height"].toInt());

    pick("Position Updates", "every 5 seconds");
    QCOMPARE(settings.value("UpdateMode").toInt(), 3);
    QVERIFY(m_log->lines().contains("GeoLocation::setUpdatesPerHour: 720"));
    QVERIFY(panelButton("Position Updates")->text().endsWith("every 5 seconds"));

    pick("Orientation", "Portrait");
    QVERIFY(Maemo5Attributes::testAttribute(m_window, Maemo5Attributes::PortraitOrientation));

    // The find dialog opens modally; leaving it changes nothing.
    QTimer::singleShot(0, [] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        QApplication::activeModalWidget()->close();
    });
    m_log->clear();
    click("Find Address");
    QVERIFY(m_log->lines().filter("addMark").isEmpty());

    click("Fullscreen");
    QTRY_VERIFY(m_window->windowState() & Qt::WindowFullScreen);
}

void TestMenu::aboutNamesVersionLicenceAndCredits()
{
    startWindow();
    QString shown;
    QTimer::singleShot(0, [&] {
        QTRY_VERIFY(qobject_cast<QMessageBox *>(QApplication::activeModalWidget()));
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QCOMPARE(box->textFormat(), Qt::PlainText);
        shown = box->text() + "\n" + box->informativeText();
        box->close();
    });
    QAbstractButton *about = panelButton("About");
    QVERIFY(about);
    QTest::mouseClick(about, Qt::LeftButton);
    QVERIFY(shown.startsWith(QString("Marlu ") + MARLU_VERSION + "\n"));
    for (const char *credit : {"GNU General Public License, version 3 or later",
                               "OpenStreetMap contributors", "GeoNames", "Natural Earth",
                               "NASA Blue Marble"})
        QVERIFY2(shown.contains(credit), credit);
}

void TestMenu::keysReachSearchDirectionsAndQuit()
{
    startWindow();
    auto press = [this](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        m_window->activateWindow();   // as the desktop does when a dialog closes
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : m_window, key, modifiers);
    };
    ModalScript script;
    script.then([](QWidget *w) { w->close(); }).then([](QWidget *w) { w->close(); });
    press(Qt::Key_F, Qt::ControlModifier);
    press(Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(script.seen(), (QStringList{"FindDlg: Find Address", "DirectionsDlg: Directions"}));
    QVERIFY(!(m_window->windowState() & Qt::WindowFullScreen));
    press(Qt::Key_F, Qt::NoModifier);
    QTRY_VERIFY(m_window->windowState() & Qt::WindowFullScreen);
    press(Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!m_window->isVisible());
}

MARLU_TEST_MAIN(TestMenu)
#include "tst_menu.moc"
