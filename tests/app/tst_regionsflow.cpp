#include "mapwindowtest.h"

#include "cannedhttpserver.h"
#include "logcapture.h"
#include "modalanswerer.h"
#include "modalscript.h"
#include "testmain.h"
#include "windowframe.h"

#include "app/mainwindow.h"
#include "regions/mapregionswindow.h"
#include "regions/serviceapi.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QWebFrame>
#include <QWebView>

// Regions and services through the real map service, as a person manages
// them: from a data folder without any region, a region downloaded from a
// catalogue on this computer is searched and routed in at once, and deleted
// again; online tiles chosen in Map Services are drawn at once.
class TestRegionsFlow : public MapWindowTest::Suite
{
    Q_OBJECT
public:
    TestRegionsFlow() : Suite({"Servers/MapHost", "Servers/GeocodingHost", "Servers/DirectionsHost"}) {}

private slots:
    void initTestCase();
    void downloadedRegionIsSearchedRoutedAndDeleted();
    void servicesDialogSwitchesTilesAtOnce();
    void missingDataIsSaidWithItsFix();
    void windowsFitTheHandheldScreen();

private:
    QVariant page(const QString &snippet) const
    {
        return m_window->findChild<QWebView *>("webView")->page()->mainFrame()->evaluateJavaScript(snippet);
    }
    QString baseTemplate() const
    {
        return page("(function () { var t = map._tiles, l = t.layers[t.shown.base];"
                    " return l ? l._url : ''; })()").toString();
    }
    bool noticeShown() const { return m_window->findChild<QFrame *>("noStreetsNotice")->isVisible(); }
    QStringList findAddress(const QString &text);
    QString regionState(MapRegionsWindow *window) const;

    QTemporaryDir m_data;
    CannedHttpServer m_site;
    QByteArray m_monaco;
};

void TestRegionsFlow::initTestCase()
{
    // A data folder of its own: the world's places, no region at all.
    QVERIFY(m_data.isValid());
    QVERIFY(QFile::link(qEnvironmentVariable("MARLU_DATA") + "/places.sqlite",
                        m_data.filePath("places.sqlite")));
    qputenv("MARLU_DATA", m_data.path().toLocal8Bit());

    QFile monaco(qEnvironmentVariable("MARLU_FIXTURES") + "/osm/monaco.osm.pbf");
    QVERIFY2(monaco.open(QIODevice::ReadOnly), qPrintable(monaco.fileName()));
    m_monaco = monaco.readAll();
    // A catalogue in the download site's format, one country in its continent; no .md5.
    const QString site = "http://" + m_site.hostPort();
    auto feature = [&](const char *id, const char *name, const char *parent, const QString &pbf) {
        return QJsonObject{{"type", "Feature"},
                           {"properties", QJsonObject{{"id", id}, {"name", name}, {"parent", parent},
                                                      {"urls", QJsonObject{{"pbf", pbf}}}}},
                           {"geometry", QJsonObject{{"type", "Polygon"}, {"coordinates", QJsonArray{QJsonArray{
                               QJsonArray{7.40, 43.72}, QJsonArray{7.44, 43.72}, QJsonArray{7.44, 43.76},
                               QJsonArray{7.40, 43.72}}}}}}};
    };
    const QByteArray catalogue = QJsonDocument(QJsonObject{{"type", "FeatureCollection"}, {"features", QJsonArray{
        feature("europe", "Europe", "", site + "/europe-latest.osm.pbf"),
        feature("monaco", "Monaco", "europe", site + "/europe/monaco-latest.osm.pbf")}}}).toJson();
    m_site.setHandler([this, catalogue](const CannedHttpServer::Request &request) {
        CannedHttpServer::Response response;
        if (request.target == "/index.json") {
            response.body = catalogue;
        } else if (request.target == "/europe/monaco-latest.osm.pbf") {
            response.body = m_monaco;
            response.contentType = "application/octet-stream";
        } else {
            response.status = 404;
        }
        return response;
    });
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                           + "/marlu/mapservice.ini";
    QVERIFY(QDir().mkpath(QFileInfo(config).path()));
    QFile ini(config);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("# Written by the test\n[regions]\ncatalogue = " + site.toUtf8() + "/index.json\n");
    ini.close();
    Suite::initTestCase();
}

// Find Address as a person uses it; the candidates listed, or the message shown instead.
QStringList TestRegionsFlow::findAddress(const QString &text)
{
    QStringList found;
    ModalAnswerer ok(QMessageBox::Ok);   // "no match" comes in a box of its own
    ModalScript script;
    script.then([&](QWidget *w) {
        w->findChild<QLineEdit *>("lineEdit")->setText(text);
        QTest::mouseClick(w->findChild<QPushButton *>("pushButton"), Qt::LeftButton);
        auto *list = w->findChild<QListWidget *>("listWidget");
        if (!QTest::qWaitFor([&] { return list->count() > 0 || ok.answered() > 0; }, 30000))
            found << "no answer";
        if (ok.answered())
            found << "message: " + ok.lastText();
        for (int i = 0; i < list->count(); ++i)
            found << list->item(i)->text();
        if (list->count() > 0)   // the first is taken, as a double click does
            QMetaObject::invokeMethod(w, "on_listWidget_doubleClicked", Q_ARG(QModelIndex, list->model()->index(0, 0)));
        else
            w->close();
    });
    MapWindowTest::menuEntry(m_window, "Find Address")->trigger();
    if (!QTest::qWaitFor([&] { return script.done() && !QApplication::activeModalWidget(); }, 40000))
        found << "no answer: the search did not end";
    return found;
}

QString TestRegionsFlow::regionState(MapRegionsWindow *window) const
{
    const auto regions = window->regions();
    return regions.size() == 1 ? regions[0].name + " " + regions[0].state : QString::number(regions.size());
}

void TestRegionsFlow::downloadedRegionIsSearchedRoutedAndDeleted()
{
    startWindow();
    page("map.setCenter(new google.maps.LatLng(43.7397, 7.4271)); map.setZoom(16);");
    QTRY_VERIFY_WITH_TIMEOUT(noticeShown(), 10000);
    const QStringList before = findAddress("Place du Casino");   // answered, but not with the street
    QVERIFY2(!before.isEmpty() && before.filter(QRegularExpression("^(no answer|Place du Casino)")).isEmpty(), qPrintable(before.join(" | ")));

    MapWindowTest::menuEntry(m_window, "Map Regions")->trigger();
    auto *regions = m_window->findChild<MapRegionsWindow *>();
    QVERIFY(regions);
    QTRY_VERIFY(regions->findChild<QLabel *>("status")->text().startsWith("No regions"));
    QStringList listed;
    ModalScript choose;
    choose.then([&](QWidget *w) {
        auto *tree = w->findChild<QTreeWidget *>("catalogueTree");
        w->findChild<QLineEdit *>("catalogueSearch")->setText("mona");
        for (QTreeWidgetItemIterator it(tree, QTreeWidgetItemIterator::NotHidden); *it; ++it)
            listed << (*it)->text(0);
        const auto found = tree->findItems("Monaco", Qt::MatchExactly | Qt::MatchRecursive);
        if (!found.isEmpty())
            tree->setCurrentItem(found.first());
        for (QPushButton *b : w->findChildren<QPushButton *>())
            if (b->text() == "Download")
                QTest::mouseClick(b, Qt::LeftButton);
    });
    for (QPushButton *b : regions->findChildren<QPushButton *>())
        if (b->text() == QString::fromUtf8("Download…"))
            QTest::mouseClick(b, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(choose.done(), 30000);
    QCOMPARE(listed, (QStringList{"Europe", "Monaco"}));   // found inside its continent

    // Downloaded, checked and imported in the background while the window polls.
    // Cancel stops the job under way without a row chosen first.
    auto *list = regions->findChild<QTreeWidget *>("regionList");
    auto *cancel = regions->findChildren<QPushButton *>().value(0);
    for (QPushButton *b : regions->findChildren<QPushButton *>())
        if (b->text() == "Cancel")
            cancel = b;
    bool cancellable = true;
    int highest = -1;
    QTRY_VERIFY_WITH_TIMEOUT((highest = qMax(highest, regions->regions().value(0).progress),
                              cancellable &= !regions->regions().value(0).running() || list->currentItem()
                                             || cancel->isEnabled(),
                              regionState(regions) == "monaco ready"), 240000);
    QVERIFY(cancellable);
    QCOMPARE(highest, 100);
    QCOMPARE(list->topLevelItem(0)->text(4), QString("ready"));
    QCOMPARE(regions->findChild<QLabel *>("status")->text(), QString("monaco is ready."));
    // Chosen in the list, the region is shown on the map.
    list->setCurrentItem(list->topLevelItem(0));
    const QRectF area = regions->regions().value(0).bbox;
    QTRY_VERIFY_WITH_TIMEOUT(page(QString("(function () { var v = map.getViewBox(); return v[0] <= %1 && v[1] <= %2"
                                          " && v[2] >= %3 && v[3] >= %4 && map.getZoom() >= 9; })()")
                                      .arg(area.left()).arg(area.top()).arg(area.right()).arg(area.bottom())).toBool(), 10000);
    QVERIFY(QFile::exists(m_data.filePath("regions/monaco/region.json")));
    QVERIFY(!QDir(m_data.filePath("downloads")).entryList(QDir::Files).size());   // no leftovers

    // Streets at once: the notice goes, tiles are asked anew, search and routes find them.
    QTRY_VERIFY_WITH_TIMEOUT(!noticeShown(), 10000);
    QVERIFY(baseTemplate().contains("?g="));
    const QStringList found = findAddress("Place du Casino");
    QVERIFY2(found.value(0).startsWith("Place du Casino"), qPrintable(found.join(" | ")));
    const QJsonObject mark = MapWindowTest::pageState(m_window)["marks"].toArray().first().toObject();
    QVERIFY(qAbs(mark["lat"].toDouble() - 43.739) < 0.01 && qAbs(mark["lng"].toDouble() - 7.428) < 0.01);

    ModalScript route;
    route.then([](QWidget *w) {
        auto *start = w->findChild<QLineEdit *>("startEdit");
        if (start->isVisible())
            start->setText("\"La Condamine\"");
        w->findChild<QLineEdit *>("destinationEdit")->setText("Fontvieille, Monaco");
        QTest::mouseClick(w->findChild<QPushButton *>("okBtt"), Qt::LeftButton);
    }).then([](QWidget *w) { w->close(); });   // the route's sheet
    MapWindowTest::menuEntry(m_window, "Directions")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(route.done() && !QApplication::activeModalWidget(), 60000);
    QCOMPARE(route.seen().value(1), QString("CurrDirectionsDlg: Fontvieille, Monaco"));
    QTRY_VERIFY_WITH_TIMEOUT(MapWindowTest::pageState(m_window)["directions"].toObject()["pathPoints"].toInt() > 2, 10000);

    // Deleted: its folder, its streets on the map and in search are gone.
    {
        // Gone before the search below, whose "no match" box is another's to answer.
        ModalAnswerer yes(QMessageBox::Yes);
        list->setCurrentItem(list->topLevelItem(0));
        for (QPushButton *b : regions->findChildren<QPushButton *>())
            if (b->text() == "Delete")
                QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(yes.answered(), 1);
    }
    QTRY_VERIFY_WITH_TIMEOUT(regions->regions().isEmpty(), 20000);
    QVERIFY(!QDir(m_data.filePath("regions/monaco")).exists());
    page("map.setCenter(new google.maps.LatLng(43.7397, 7.4271)); map.setZoom(16);");
    QTRY_VERIFY_WITH_TIMEOUT(noticeShown(), 10000);
    const QStringList after = findAddress("Place du Casino");
    QVERIFY2(!after.isEmpty() && after.filter(QRegularExpression("^(no answer|Place du Casino)")).isEmpty(), qPrintable(after.join(" | ")));
}

void TestRegionsFlow::servicesDialogSwitchesTilesAtOnce()
{
    startWindow();
    QTRY_VERIFY_WITH_TIMEOUT(baseTemplate().startsWith("/tiles/"), 10000);
    const QString offline = baseTemplate();
    QString said;   // what the dialog said when it did not close
    auto choose = [&](const QString &preset, const QString &url = QString()) {
        ModalScript script;
        script.then([&](QWidget *w) {
            auto *save = w->findChildren<QPushButton *>().value(0);
            for (QPushButton *b : w->findChildren<QPushButton *>())
                if (b->text().remove('&') == "Save")
                    save = b;
            if (!QTest::qWaitFor([&] { return save->isEnabled(); }, 20000)) {   // the service said what it uses
                said = "not ready: " + w->findChild<QLabel *>("status")->text();
                w->close();
                return;
            }
            auto *tiles = w->findChild<QComboBox *>("tilesPreset");
            tiles->setCurrentIndex(tiles->findText(preset));
            if (!url.isEmpty())
                w->findChild<QLineEdit *>("tilesUrl")->setText(url);
            QTest::mouseClick(save, Qt::LeftButton);
            if (!QTest::qWaitFor([&] { return !w->isVisible(); }, 20000)) {
                said = w->findChild<QLabel *>("status")->text();
                w->close();
            }
        });
        MapWindowTest::menuEntry(m_window, "Map Services")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(script.done() && !QApplication::activeModalWidget(), 30000);
    };

    choose("OpenStreetMap standard layer");
    QFile ini(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/marlu/mapservice.ini");
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(ini.readAll());
    ini.close();
    QVERIFY2(said.isEmpty(), qPrintable(said));
    QVERIFY2(written.contains("url = https://tile.openstreetmap.org/{z}/{x}/{y}.png"), qPrintable(written));
    QVERIFY(written.startsWith("# Written by the test\n[regions]\n"));   // the rest is kept
    QTRY_COMPARE_WITH_TIMEOUT(baseTemplate(), QString("https://tile.openstreetmap.org/{z}/{x}/{y}.png"), 10000);
    QVERIFY(MapWindowTest::pageState(m_window)["tiles"].toObject()["attribution"].toString()
                .contains("OpenStreetMap contributors"));
    // This machine has no network: the map says so over the tiles, with the way back.
    QTRY_COMPARE_WITH_TIMEOUT(page("map.tileFailure()").toString(),
                              QString("Map tiles from tile.openstreetmap.org cannot be loaded: there is "
                                      "no network, or the server refuses them. Map Services: choose Offline."),
                              30000);

    // A template the map can fill, with its y counted from the south: the
    // service decides, and the dialog takes its word.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const QString refused = QString("http://127.0.0.1:%1/{z}/{x}/{-y}.png").arg(closed.serverPort());
    closed.close();
    choose("Custom tile server", "http://127.0.0.1/{z}/{x}.png");
    QCOMPARE(said, QString("The tile address cannot be used: its url 'http://127.0.0.1/{z}/{x}.png' lacks {y}."));
    said.clear();
    choose("Custom tile server", refused);
    QVERIFY2(said.isEmpty(), qPrintable(said));
    QTRY_COMPARE_WITH_TIMEOUT(baseTemplate(), refused, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(page("map.tileFailure()").toString().startsWith("Map tiles from 127.0.0.1:"), 30000);

    choose("Offline (this computer)");
    QTRY_VERIFY_WITH_TIMEOUT(baseTemplate().startsWith(offline.section('?', 0, 0)), 10000);
    QCOMPARE(page("map.tileFailure()").toString(), QString());
}

// A service whose data folder holds neither the world's places nor a region
// (a source build whose set-up never ran) answers every search with a
// failure: the window says why and what to do, and so does the search.
void TestRegionsFlow::missingDataIsSaidWithItsFix()
{
    QVERIFY(QFile::remove(m_data.filePath("places.sqlite")));
    QDir(m_data.filePath("regions")).removeRecursively();
    // The service opened its folder before; it reads it again as after a region's change.
    const ServiceApi::Answer reloaded = ServiceApi::wait(
        QUrl("http://" + m_server.hostPort() + "/"),
        [](ServiceApi &api, ServiceApi::Done done) { api.post("/marlu/reload", {}, done); }, 30000);
    QVERIFY2(reloaded.ok, qPrintable(reloaded.error));
    startWindow();
    const QString fix = "The map data is missing: run scripts/run once, or import a region in Map Regions";
    auto *notice = m_window->findChild<QLabel *>("dataNotice");
    QVERIFY(notice);
    QTRY_VERIFY_WITH_TIMEOUT(notice->isVisible(), 20000);
    QCOMPARE(notice->text(), fix);
    QVERIFY(m_window->findChild<QWebView *>("webView")->geometry().contains(notice->geometry()));
    QCOMPARE(findAddress("Monaco"), QStringList{"message: " + fix + "."});
}

// At the handheld's 800x480 under its window manager, every window opened
// from the map is on the screen with its title bar and close button, and Map
// Regions leaves the map beside it, moved to the region selected.
void TestRegionsFlow::windowsFitTheHandheldScreen()
{
    MARLU_REQUIRE_HANDHELD_SCREEN();
    startWindow();
    QTRY_COMPARE_WITH_TIMEOUT(WindowFrame::misfit(m_window), QString(), 10000);

    MapWindowTest::menuEntry(m_window, "Map Regions")->trigger();
    auto *regions = m_window->findChild<MapRegionsWindow *>();
    QVERIFY(regions);
    QTRY_COMPARE_WITH_TIMEOUT(WindowFrame::misfit(regions), QString(), 10000);
    auto *view = m_window->findChild<QWebView *>("webView");
    const QRect map(view->mapToGlobal(QPoint(0, 0)), view->size());
    QTRY_VERIFY2(WindowFrame::of(regions).left() - map.left() >= map.width() / 3,
                 "Map Regions covers the map");
    regions->close();

    // The modal ones are looked at from within their own loops.
    for (const QString &entry : {QString("Map Services"), QString("Find Address")}) {
        QString misfit = "not shown";
        ModalScript script;
        script.then([&](QWidget *w) {
            QTest::qWaitFor([&] { return WindowFrame::misfit(w).isEmpty(); }, 10000);
            misfit = WindowFrame::misfit(w);
            // Texts that must be read are never cut: each note's label is as tall as its text.
            for (QLabel *note : w->findChildren<QLabel *>()) {
                if (note->wordWrap() && note->isVisible() && note->height() < note->heightForWidth(note->width()))
                    misfit += "cut: " + note->text();
            }
            w->close();
        });
        MapWindowTest::menuEntry(m_window, entry)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(script.done() && !QApplication::activeModalWidget(), 30000);
        QVERIFY2(misfit.isEmpty(), qPrintable(entry + ": " + misfit));
    }
}

MARLU_TEST_MAIN(TestRegionsFlow)
#include "tst_regionsflow.moc"

