// Cost of one position fix on the real page: from the source's
// positionUpdated() to the snippets evaluated and the view repainted, against
// a bare evaluateJavaScript("void 0") round trip followed by a repaint of the
// whole view, on the same page. Debug output off.
//   bench/bench_fix [FIXES]      prints a "#bench" line per zoom for scripts/bench
#include "pageserver.h"
#include "repaintwaiter.h"
#include "testhome.h"

#include "app/mainwindow.h"
#include "positioning/geolocation.h"
#include "positioning/positionbridge.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGeoCoordinate>
#include <QGeoPositionInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QWebFrame>
#include <QWebView>

#include <algorithm>
#include <cstdio>
#include <vector>

static double medianUs(std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    return ns[ns.size() / 2] / 1e3;
}

int main(int argc, char **argv)
{
    TestHome home;
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Pelmark");
    QCoreApplication::setApplicationName("Marlu");

    PageServer server;
    if (!server.start()) {
        std::fprintf(stderr, "the map service did not start\n");
        return 1;
    }
    QSettings().setValue("Servers/MapHost", server.hostPort());

    bool loaded = false;
    MainWindow window;
    auto *view = window.findChild<QWebView *>("webView");
    QObject::connect(view, &QWebView::loadFinished, [&](bool ok) { loaded = ok; });
    window.show();
    if (!waitFor([&] { return loaded; }, 20000)) {
        std::fprintf(stderr, "the map page did not load\n");
        return 1;
    }
    waitFor([] { return false; }, 1500);   // let the first tiles draw
    RepaintWaiter waiter(view);

    QWebFrame *frame = view->page()->mainFrame();
    // The page sees the position through its bridge; the fixes go to the source behind it.
    auto *bridge = qobject_cast<PositionBridge *>(frame->evaluateJavaScript("pelmark").value<QObject *>());
    GeoLocation *source = bridge ? bridge->source() : nullptr;
    if (!source) {
        std::fprintf(stderr, "the page has no position source as \"pelmark\"\n");
        return 1;
    }
    QLoggingCategory::setFilterRules("*.debug=false");

    const int runs = argc > 1 ? atoi(argv[1]) : 300;
    std::printf("fixes: %d per zoom, one snippet each (updateCenter, following)\n", runs);
    // The start-up world view, then street level as when following a drive,
    // where each fix below moves the map by some pixels.
    for (int zoom : {3, 16}) {
        frame->evaluateJavaScript(QString("map.setZoom(%1);").arg(zoom));
        std::vector<qint64> bare, fix, direct;
        int painted = 0;
        QElapsedTimer t;
        for (int i = 0; i < runs; ++i) {
            t.start();
            frame->evaluateJavaScript("void 0");
            view->repaint();
            waiter.settle();
            bare.push_back(t.nsecsElapsed());

            const QGeoPositionInfo info(QGeoCoordinate(35.8185 + (i % 50) * 1e-4, -78.8641 + (i % 50) * 1e-4),
                                        QDateTime::currentDateTimeUtc());
            t.start();
            source->positionUpdated(info);
            painted += waiter.settle();
            fix.push_back(t.nsecsElapsed());

            // The same kind of snippet evaluated directly: what the page itself costs.
            const QString js = QString("updateCenter(true, %1, %2, 0);")
                                   .arg(QString::number(35.8185 + ((i + 25) % 50) * 1e-4, 'g', 6),
                                        QString::number(-78.8641 + ((i + 25) % 50) * 1e-4, 'g', 6));
            t.start();
            frame->evaluateJavaScript(js);
            waiter.settle();
            direct.push_back(t.nsecsElapsed());
        }
        const double b = medianUs(bare), f = medianUs(fix), d = medianUs(direct);
        std::printf("zoom %d:\n", zoom);
        std::printf("  bare \"void 0\" + whole view repaint  median %7.1f us\n", b);
        std::printf("  fix, positionUpdated to repainted   median %7.1f us  (ratio %.2f, target <= 3; %d of %d fixes painted)\n",
                    f, f / b, painted, runs);
        std::printf("  the snippet evaluated directly      median %7.1f us  (fix path / direct %.2f)\n", d, f / d);
        std::printf("#bench\tfix with its repaint, zoom %d (us)\t%.1f\t%.1f\tratio<=3\n", zoom, f, b);
    }
    return 0;
}
