#include "logcapture.h"
#include "mapwindowtest.h"
#include "pageserver.h"
#include "testmain.h"

#include "app/mainwindow.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSettings>
#include <QWebFrame>
#include <QWebView>

// The real window on the real tiles: a named street map where the demo region
// was imported, and the next window back at the start view.
class TestStreetMap : public QObject
{
    Q_OBJECT
private slots:
    void monacoAtZoom16ShowsNamedStreets();
};

static QVariant eval(MainWindow *window, const QString &js)
{
    return window->findChild<QWebView *>("webView")->page()->mainFrame()->evaluateJavaScript(js);
}

static bool roadTilesLoaded(MainWindow *window)
{
    return eval(window, "var t = '.marlu-tiles-roadmap img.leaflet-tile'; document.querySelector(t) !== null"
                        " && document.querySelector(t + ':not(.leaflet-tile-loaded)') === null").toBool();
}

void TestStreetMap::monacoAtZoom16ShowsNamedStreets()
{
    PageServer server;
    QVERIFY(server.start());
    QSettings().setValue("Servers/MapHost", server.hostPort());
    LogCapture log;
    QScopedPointer<MainWindow> window(MapWindowTest::start(log));
    QVERIFY(window);
    eval(window.get(), "map.setZoom(16); map.setCenter(new google.maps.LatLng(43.7384, 7.4246));");
    QTRY_VERIFY_WITH_TIMEOUT(roadTilesLoaded(window.get()), 60000);

    const QImage shot = window->findChild<QWebView *>("webView")->grab().toImage();
    bool varied = false;   // above the scale bar and the attribution line
    for (int y = 0; y < shot.height() - 60 && !varied; ++y)
        for (int x = 0; x < shot.width() && !varied; ++x)
            varied = shot.pixel(x, y) != shot.pixel(0, 0);
    QVERIFY(varied);

    // The labels the renderer placed in the tile under the centre of the view.
    const QString labels = eval(window.get(),
        "var c = document.getElementById('map_canvas').getBoundingClientRect(), x = c.left + c.width / 2,"
        " y = c.top + c.height / 2, xhr = new XMLHttpRequest();"
        "[].filter.call(document.querySelectorAll('.marlu-tiles-roadmap img'), function (t) {"
        "  var r = t.getBoundingClientRect(); return r.left <= x && x < r.right && r.top <= y && y < r.bottom;"
        "}).map(function (t) {"
        "  xhr.open('GET', t.src.replace(/png$/, 'labels.json'), false); xhr.send(); return xhr.responseText;"
        "})[0]").toString();
    const QJsonArray names = QJsonDocument::fromJson(labels.toUtf8()).object().value("labels").toArray();
    QVERIFY2(names.contains("Boulevard Albert 1er"), qPrintable(labels));

    QCOMPARE(eval(window.get(), "var a = document.querySelector('.marlu-attribution'), r = a.getBoundingClientRect();"
                                "a.offsetWidth > 0 && r.left >= 0 && r.right <= innerWidth && r.bottom <= innerHeight"
                                " && a.textContent.indexOf('OpenStreetMap') >= 0").toBool(), true);

    // The view is kept; a window that a later test starts opens at the start view all the same.
    QTRY_VERIFY_WITH_TIMEOUT(MapWindowTest::pageState(window.get()).value("lastViewSaved").toString().contains("\"zoom\":16"), 15000);
    window.reset();
    LogCapture nextLog;
    window.reset(MapWindowTest::start(nextLog));
    QVERIFY(window);
    QTRY_VERIFY_WITH_TIMEOUT(roadTilesLoaded(window.get()), 60000);
    QCOMPARE(MapWindowTest::pageState(window.get()).value("zoom").toInt(), 3);
}

MARLU_TEST_MAIN(TestStreetMap)
#include "tst_streetmap.moc"
