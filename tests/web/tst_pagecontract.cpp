#include "pageserver.h"
#include "testmain.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QWebFrame>
#include <QWebPage>
#include <QTemporaryDir>
#include <QWebSettings>
#include <QWebView>

// Records the page's script errors. The page's own line about tile sources
// it could not use is not one: a service without tiles is a normal case.
class ErrorPage : public QWebPage
{
public:
    QStringList errors;

protected:
    void javaScriptConsoleMessage(const QString &message, int line, const QString &source) override
    {
        if (!message.startsWith("Map tile sources ("))
            errors << QString("%1:%2: %3").arg(source).arg(line).arg(message);
    }
};

// The map page in a real QWebView: every entity the application relies on, and
// the effect of every snippet it sends, read back from what the page shows.
class TestPageContract : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void entitiesExist();
    void snippetsEvaluateToNothing();
    void zoomAndPan();
    void zoomKeepsTheCentreGiven_data();
    void zoomKeepsTheCentreGiven();
    void mapTypes();
    void ownPositionAndAccuracy();
    void trackGrowsAndIsRemoved();
    void labelledMarkShowsTextAsText();
    void layersGoOnAndOff();
    void canvasTakesSizeAndRotation();
    void attributionClearOfButtonAndClicks();
    void lastViewSurvivesReload();
    void directionsNamesAreUsable();

private:
    bool reload()
    {
        QSignalSpy loaded(m_view, &QWebView::loadFinished);
        m_view->reload();
        return loaded.wait(15000) && loaded.first().first().toBool();
    }
    QVariant eval(const QString &js) { return m_view->page()->mainFrame()->evaluateJavaScript(js); }
    QJsonObject state()
    {
        return QJsonDocument::fromJson(eval("mapState()").toString().toUtf8()).object();
    }

    PageServer m_server;
    QTemporaryDir m_storage;
    QWebView *m_view = nullptr;
    ErrorPage *m_page = nullptr;
};

void TestPageContract::initTestCase()
{
    QVERIFY(m_server.start());
    // The web storage the application gives the page: its database, in one
    // folder for the process (the engine's record of databases breaks when
    // the folder changes). A view kept by an earlier test may show at the
    // start; no other test reads the view before setting it.
    QVERIFY(m_storage.isValid());
    QWebSettings::setOfflineStoragePath(m_storage.path());
    QWebSettings::globalSettings()->setAttribute(QWebSettings::OfflineStorageDatabaseEnabled, true);
}

void TestPageContract::init()
{
    delete m_view;
    m_view = new QWebView;
    m_page = new ErrorPage;
    m_view->setPage(m_page);
    m_view->resize(782, 463);
    m_view->show();
    QSignalSpy loaded(m_view, &QWebView::loadFinished);
    m_view->setUrl(QUrl(QString("http://%1/gps2.html").arg(m_server.hostPort())));
    QVERIFY(loaded.wait(15000));
    QVERIFY(loaded.first().first().toBool());
}

void TestPageContract::entitiesExist()
{
    const QStringList functions{"map.panBy", "map.setZoom", "map.getZoom", "map.setMapTypeId",
                                "updateCenter", "track", "addMark", "google.maps.TrafficLayer",
                                "google.maps.BicyclingLayer", "directionsService.route",
                                "directionsDisplay.setMap", "directionsDisplay.setDirections",
                                "directionsDisplay.setRouteIndex"};
    for (const QString &f : functions)
        QVERIFY2(eval("typeof " + f).toString() == "function", qPrintable(f));
    for (const QString &v : {"radius", "polyLine", "trafficLayer", "bikeLayer"})
        QVERIFY2(eval(QString("'%1' in window && %1 === null").arg(v)).toBool(), qPrintable(v));
    QCOMPARE(eval("[google.maps.MapTypeId.HYBRID, google.maps.MapTypeId.ROADMAP,"
                  " google.maps.MapTypeId.SATELLITE, google.maps.MapTypeId.TERRAIN].join()").toString(),
             QString("hybrid,roadmap,satellite,terrain"));
    QCOMPARE(eval("document.getElementById('map_canvas') !== null").toBool(), true);
    QTRY_VERIFY_WITH_TIMEOUT(state().value("tileSources").toString() != "loading", 15000);
    QVERIFY2(m_page->errors.isEmpty(), qPrintable(m_page->errors.join('\n')));
}

void TestPageContract::snippetsEvaluateToNothing()
{
    // A snippet that evaluates to a map object costs QtWebKit a conversion.
    for (const QString &js : {"map.panBy(0,10);", "map.setZoom(5);",
                              "map.setMapTypeId(google.maps.MapTypeId.TERRAIN);",
                              "updateCenter(true, 35.8185, -78.8641, 0);", "track(1, 2);",
                              "addMark(1, 2, \"x\");"})
        QVERIFY2(!eval(js).isValid(), qPrintable(js));
}

void TestPageContract::zoomAndPan()
{
    eval("map.setZoom(14);");
    QCOMPARE(eval("map.getZoom()").toInt(), 14);
    eval("map.setZoom(map.getZoom()+1);");
    QCOMPARE(state().value("zoom").toInt(), 15);
    eval("map.setZoom(0);");
    QCOMPARE(eval("map.getZoom()").toInt(), 0);

    eval("map.setZoom(10);");
    const QJsonObject before = state().value("center").toObject();
    eval("map.panBy(0,231);");
    const QJsonObject south = state().value("center").toObject();
    QVERIFY(south.value("lat").toDouble() < before.value("lat").toDouble());
    QVERIFY(qAbs(south.value("lng").toDouble() - before.value("lng").toDouble()) < 1e-3);
    eval("map.panBy(-391,0);");
    QVERIFY(state().value("center").toObject().value("lng").toDouble() < before.value("lng").toDouble());
}

void TestPageContract::zoomKeepsTheCentreGiven_data()
{
    QTest::addColumn<QString>("view");   // lat, lng, zoom before, zoom after
    for (const char *place : {"43.7384, 7.4246", "-16.5, 179.9999", "-16.5, -179.9999", "80, 15.5"})
        for (const char *zooms : {"2, 16", "3, 18", "0, 12"})
            QTest::newRow(qPrintable(QString("%1, %2").arg(place, zooms))) << QString("%1, %2").arg(place, zooms);
}

// Centred on a place from a fraction of a pixel off, the map zooms (by key, then F7) about the place however it
// was centred; a drag ends that. Two marks at one place print their labels apart.
void TestPageContract::zoomKeepsTheCentreGiven()
{
    QFETCH(QString, view);
    eval("var v = [" + view + "], px = 360 / 256 / Math.pow(2, v[2]), near = [v[0] + 0.2 * px, v[1] - Math.sign(v[1]) * 0.7 * px];"
         " function off(lat, lng) { var c = map.getCenter(), r = Math.PI / 180;"
         " return 6371e3 * r * Math.hypot(((c.lng() - lng + 540) % 360 - 180) * Math.cos(lat * r), c.lat() - lat); }");
    for (const QString &centre : {"map.setCenter(new google.maps.LatLng(p[0], p[1]));", "map.panTo({lat: p[0], lng: p[1]});",
                           "updateCenter(true, p[0], p[1], 0);", "addMark(p[0], p[1], \"x\");"})
        QVERIFY2(eval("map.setZoom(v[2]); p = near; " + centre + " p = v; " + centre + " map.setZoom(v[3] - 1);"
                      " map.setZoom(map.getZoom()+1); off(v[0], v[1]) < 1 && map.getZoom() === v[3]").toBool(), qPrintable(centre));
    eval("map.setZoom(v[2]); map.panBy(0,50); var panned = map.getCenter(), r = [].map.call(document.querySelectorAll("
         "'.marlu-mark-label'), function (e) { return e.getBoundingClientRect(); }); map.setZoom(v[3]);");
    QVERIFY(eval("off(panned.lat(), panned.lng()) < 1 && off(v[0], v[1]) > 1000 && r.length === 2 && r[0].width &&"
                 " (r[0].bottom <= r[1].top || r[1].bottom <= r[0].top || r[0].right <= r[1].left)").toBool());
}

void TestPageContract::mapTypes()
{
    QCOMPARE(state().value("mapTypeId").toString(), QString("roadmap"));
    for (const QString &id : {"HYBRID", "ROADMAP", "SATELLITE", "TERRAIN"}) {
        eval("map.setMapTypeId(google.maps.MapTypeId." + id + ");");
        QCOMPARE(state().value("mapTypeId").toString(), id.toLower());
    }
}

void TestPageContract::ownPositionAndAccuracy()
{
    eval("map.setZoom(12);");
    eval("updateCenter(true, 35.8185, -78.8641, 12.5);");
    QJsonObject s = state();
    QCOMPARE(s.value("position").toObject().value("lat").toDouble(), 35.8185);
    QCOMPARE(s.value("position").toObject().value("lng").toDouble(), -78.8641);
    QCOMPARE(s.value("accuracy").toDouble(), 12.5);
    QVERIFY(qAbs(s.value("center").toObject().value("lat").toDouble() - 35.8185) < 1e-3);

    // Not following: the marker moves, the map stays; no circle for 0.
    eval("updateCenter(false, 35.9, -78.9, 0);");
    s = state();
    QCOMPARE(s.value("position").toObject().value("lat").toDouble(), 35.9);
    QVERIFY(qAbs(s.value("center").toObject().value("lat").toDouble() - 35.8185) < 1e-3);
    QVERIFY(s.value("accuracy").isNull());

    // Only the literal true centres.
    eval("updateCenter(\"true\", 36.5, -79.5, -1);");
    s = state();
    QVERIFY(qAbs(s.value("center").toObject().value("lat").toDouble() - 35.8185) < 1e-3);
    QVERIFY(s.value("accuracy").isNull());

    eval("updateCenter(true, 36.5, -79.5, 40);");
    QCOMPARE(state().value("accuracy").toDouble(), 40.0);
    eval("radius=null;");
    QVERIFY(state().value("accuracy").isNull());
}

void TestPageContract::trackGrowsAndIsRemoved()
{
    eval("track(35.81, -78.86); track(35.82, -78.87); track(35.83, -78.88);");
    QCOMPARE(state().value("trackPoints").toInt(), 3);
    QCOMPARE(state().value("trackLinesShown").toArray().size(), 1);
    eval("polyLine.setMap(null); polyLine=null;");
    QCOMPARE(state().value("trackPoints").toInt(), 0);
    QCOMPARE(state().value("trackLinesShown").toArray().size(), 0);
    eval("track(1, 2);");
    QCOMPARE(state().value("trackPoints").toInt(), 1);
}

void TestPageContract::labelledMarkShowsTextAsText()
{
    eval("addMark(48.8566, 2.3522, \"Paris, France\");");
    const QJsonObject shown = state().value("center").toObject();
    // Centred to the pixel: at the start zoom a pixel is a fraction of a degree.
    QVERIFY(qAbs(shown.value("lat").toDouble() - 48.8566) < 0.5);
    QVERIFY(qAbs(shown.value("lng").toDouble() - 2.3522) < 0.5);
    eval("addMark(1, 2, \"<b onclick=x>bold</b>\");");
    const QJsonArray marks = state().value("marks").toArray();
    QCOMPARE(marks.size(), 2);
    QCOMPARE(marks.at(0).toObject().value("text").toString(), QString("Paris, France"));
    QCOMPARE(marks.at(0).toObject().value("lat").toDouble(), 48.8566);
    QVERIFY(marks.at(0).toObject().value("labelWidth").toInt() > 0);
    QCOMPARE(marks.at(1).toObject().value("text").toString(), QString("<b onclick=x>bold</b>"));
}

void TestPageContract::layersGoOnAndOff()
{
    // Switching off before ever on tests the declared variable: no script error.
    QCOMPARE(eval("try { if (trafficLayer) { trafficLayer.setMap(null); trafficLayer=null; } 'ok' }"
                  " catch (e) { String(e) }").toString(), QString("ok"));
    eval("trafficLayer = new google.maps.TrafficLayer(); trafficLayer.setMap(map);");
    eval("bikeLayer = new google.maps.BicyclingLayer(); bikeLayer.setMap(map);");
    QJsonObject layers = state().value("layers").toObject();
    QVERIFY(layers.value("traffic").toBool());
    QVERIFY(layers.value("bicycling").toBool());
    eval("if (trafficLayer) { trafficLayer.setMap(null); trafficLayer=null; }");
    layers = state().value("layers").toObject();
    QVERIFY(!layers.value("traffic").toBool());
    QVERIFY(layers.value("bicycling").toBool());
    eval("if (bikeLayer) { bikeLayer.setMap(null); bikeLayer=null; }");
    QVERIFY(!state().value("layers").toObject().value("bicycling").toBool());
    QVERIFY2(m_page->errors.isEmpty(), qPrintable(m_page->errors.join('\n')));
}

void TestPageContract::canvasTakesSizeAndRotation()
{
    eval("document.getElementById(\"map_canvas\").style[\"width\"] = \"463px\";");
    eval("document.getElementById(\"map_canvas\").style[\"height\"] = \"463px\";");
    eval("document.getElementById(\"map_canvas\").style[\"WebkitTransform\"] = \"rotate(90deg)\";");
    QJsonObject canvas = state().value("canvas").toObject();
    QCOMPARE(canvas.value("width").toInt(), 463);
    QCOMPARE(canvas.value("height").toInt(), 463);
    QTRY_COMPARE(state().value("canvas").toObject().value("mapWidth").toInt(), 463);
    QVERIFY(canvas.value("transform").toString().contains("rotate(90deg)"));

    eval("document.getElementById(\"map_canvas\").style[\"WebkitTransform\"] = \"rotate(0deg)\";");
    eval("document.getElementById(\"map_canvas\").style[\"width\"] = \"100%\";");
    eval("document.getElementById(\"map_canvas\").style[\"height\"] = \"100%\";");
    QTRY_COMPARE(state().value("canvas").toObject().value("mapWidth").toInt(), 782);
    QCOMPARE(state().value("canvas").toObject().value("height").toInt(), 463);
}

// Bottom left, readable, never under the application's fullscreen button
// (bottom right, up to 56 x 56 px) and never taking a click.
void TestPageContract::attributionClearOfButtonAndClicks()
{
    eval("map.setMapTypeId(google.maps.MapTypeId.TERRAIN); map.setZoom(12);"
         "trafficLayer = new google.maps.TrafficLayer(); trafficLayer.setMap(map);");
    QTRY_VERIFY_WITH_TIMEOUT(state().value("tileSources").toString() != "loading", 15000);
    const QJsonObject box = QJsonDocument::fromJson(eval(
        "(function () { var e = document.querySelector('.marlu-attribution'), r = e.getBoundingClientRect();"
        " var hit = document.elementFromPoint(r.left + r.width / 2, r.top + r.height / 2);"
        " return JSON.stringify({left: r.left, right: r.right, top: r.top, bottom: r.bottom,"
        " text: e.textContent, takesClicks: hit === e,"
        " scale: document.querySelector('.leaflet-control-scale').textContent}); }())")
        .toString().toUtf8()).object();
    const int width = 782, height = 463;
    QVERIFY2(box.value("text").toString().contains("No terrain data · No traffic data"),
             qPrintable(box.value("text").toString()));
    QVERIFY(box.value("left").toDouble() >= 0 && box.value("left").toDouble() < 20);
    QVERIFY(box.value("bottom").toDouble() <= height && box.value("bottom").toDouble() > height - 20);
    QVERIFY(box.value("top").toDouble() < box.value("bottom").toDouble());
    QVERIFY(box.value("right").toDouble() <= width - 56 || box.value("bottom").toDouble() <= height - 56);
    QVERIFY(!box.value("takesClicks").toBool());
    QVERIFY2(box.value("scale").toString().contains(" m") || box.value("scale").toString().contains("km"),
             qPrintable(box.value("scale").toString()));
}

// In the application's web view localStorage is off and the database keeps it.
void TestPageContract::lastViewSurvivesReload()
{
    QCOMPARE(eval("window.localStorage === null").toBool(), true);
    // A view no earlier case leaves behind, so that an earlier write still on
    // its way cannot pass for this one.
    eval("map.setZoom(15); map.setCenter(new google.maps.LatLng(43.7311, 7.4197));");
    QTRY_VERIFY_WITH_TIMEOUT(state().value("lastViewSaved").toString().contains(
                                 "{\"lat\":43.7311,\"lng\":7.4197,\"zoom\":15}"), 15000);
    QVERIFY(reload());
    QTRY_COMPARE_WITH_TIMEOUT(state().value("zoom").toInt(), 15, 15000);
    const QJsonObject center = state().value("center").toObject();
    QVERIFY(qAbs(center.value("lat").toDouble() - 43.7311) < 1e-3);
    QVERIFY(qAbs(center.value("lng").toDouble() - 7.4197) < 1e-3);
}

void TestPageContract::directionsNamesAreUsable()
{
    QCOMPARE(eval("google.maps.DirectionsStatus.OK").toString(), QString("OK"));
    QCOMPARE(eval("google.maps.DirectionsTravelMode.WALKING").toString(), QString("WALKING"));
    QCOMPARE(eval("try { directionsDisplay.setMap(map); directionsDisplay.setMap(null);"
                  " directionsDisplay.setRouteIndex(0); 'ok' } catch (e) { String(e) }").toString(),
             QString("ok"));
}

MARLU_TEST_MAIN(TestPageContract)
#include "tst_pagecontract.moc"
