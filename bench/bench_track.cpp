// A day of tracking with a route shown: the CPU one fix costs, the repaint
// included, once the travelled track holds 1,000 points and once it holds
// 30,000 (an 8-hour drive at one fix a second), and the memory the 30,000
// fixes add. Each fix is the application's pair of snippets, following the
// position at street level (zoom 16).
//   bench/bench_track [FIXES]    (default 30000) needs the service's data
//                                (MARLU_DATA) for the route in Monaco
#include "pageserver.h"
#include "repaintwaiter.h"
#include "testhome.h"

#include "app/mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QSettings>
#include <QWebFrame>
#include <QWebSettings>
#include <QWebView>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

bool waitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

double residentMiB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

double medianUs(std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    return ns[ns.size() / 2] / 1e3;
}

// A drive out of Monaco at 14 m/s that bends slowly, so that it leaves
// the ground it covered, as a long drive does.
class Drive
{
public:
    void step(int i)
    {
        const double heading = 0.8 + 0.6 * std::sin(i / 900.0) + 0.3 * std::sin(i / 137.0);
        lat += 14.0 * std::cos(heading) / 111320.0;
        lng += 14.0 * std::sin(heading) / (111320.0 * std::cos(lat * M_PI / 180.0));
    }
    QString snippets() const
    {
        const QString la = QString::number(lat, 'g', 8), ln = QString::number(lng, 'g', 8);
        return QString("updateCenter(true, %1, %2, 12);track(%1, %2);").arg(la, ln);
    }
    double lat = 43.7314, lng = 7.4206;
};

} // namespace

int main(int argc, char **argv)
{
    TestHome home;
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Pelmark");
    QCoreApplication::setApplicationName("Marlu");
    const int fixes = argc > 1 ? std::max(1400, atoi(argv[1])) : 30000;
    const int window = 200;

    PageServer server;
    if (!server.start()) {
        std::fprintf(stderr, "the map service did not start\n");
        return 1;
    }
    QSettings().setValue("Servers/MapHost", server.hostPort());

    bool loaded = false;
    MainWindow mainWindow;
    auto *view = mainWindow.findChild<QWebView *>("webView");
    QObject::connect(view, &QWebView::loadFinished, [&](bool ok) { loaded = ok; });
    mainWindow.show();
    if (!waitFor([&] { return loaded; }, 20000)) {
        std::fprintf(stderr, "the map page did not load\n");
        return 1;
    }
    QWebFrame *frame = view->page()->mainFrame();
    QLoggingCategory::setFilterRules("*.debug=false");

    // The route as the application asks for it.
    frame->evaluateJavaScript(
        "directionsService.route({travelMode: google.maps.DirectionsTravelMode.DRIVING,"
        "origin: \"43.7314 7.4206\", destination: \"43.7396 7.4275\"}, function (result, status) {"
        "if (status == google.maps.DirectionsStatus.OK) { directionsDisplay.setMap(map);"
        "directionsDisplay.setDirections(result); directionsDisplay.setRouteIndex(0); } });");
    const auto routeShown = [&] {
        return frame->evaluateJavaScript("JSON.parse(mapState()).directions.shown").toBool();
    };
    if (!waitFor(routeShown, 20000)) {
        std::fprintf(stderr, "no route in Monaco: is MARLU_DATA a built data folder?\n");
        return 1;
    }
    frame->evaluateJavaScript("map.setZoom(16);");
    waitFor([] { return false; }, 1500);   // the first tiles
    RepaintWaiter waiter(view);
    waiter.settle();
    const double startMiB = residentMiB();

    Drive drive;
    std::vector<qint64> early, late;
    int earlyPaints = 0, latePaints = 0;
    int i = 0;
    const auto measured = [&](std::vector<qint64> &cpu, int &paints) {
        drive.step(i);
        const qint64 start = processCpuNs();
        frame->evaluateJavaScript(drive.snippets());
        paints += waiter.settle();
        cpu.push_back(processCpuNs() - start);
    };
    const auto runTo = [&](int end) {
        // Fixes outside the measured stretches go in batches of a hundred.
        while (i < end) {
            QString batch;
            for (int k = 0; k < 100 && i < end; ++k, ++i) {
                drive.step(i);
                batch += drive.snippets();
            }
            frame->evaluateJavaScript(batch);
            waiter.settle();
        }
    };
    runTo(1000);
    for (; i < 1000 + window; ++i)
        measured(early, earlyPaints);
    for (const int checkpoint : {5000, 10000, 20000}) {
        if (checkpoint < fixes - window) {
            runTo(checkpoint);
            std::printf("  resident after %5d fixes: +%.1f MiB\n", checkpoint, residentMiB() - startMiB);
        }
    }
    runTo(fixes - window);
    for (; i < fixes; ++i)
        measured(late, latePaints);
    waiter.settle();
    const double grownMiB = residentMiB() - startMiB;
    // What the web caches (images, scripts, fonts) hold of it, and what stays.
    QWebSettings::clearMemoryCaches();
    waiter.settle();
    const double keptMiB = residentMiB() - startMiB;

    const int kept = frame->evaluateJavaScript("polyLine.getPath().length").toInt();
    if (kept != fixes || !routeShown()) {
        std::fprintf(stderr, "the track holds %d points of %d, route shown: %d\n", kept, fixes,
                     int(routeShown()));
        return 1;
    }
    const double e = medianUs(early), l = medianUs(late);
    std::printf("track with a route, following at zoom 16, CPU per fix with its repaint (median of %d):\n",
                window);
    std::printf("  at 1,000 points  %8.1f us  (%d of %d fixes painted)\n", e, earlyPaints, window);
    std::printf("  at %d points %8.1f us  (%d of %d fixes painted; ratio %.2f, target <= 1.2)\n",
                fixes, l, latePaints, window, l / e);
    std::printf("  resident memory grew by %.1f MiB over %d fixes (target <= 20); %.1f MiB after "
                "clearing the web caches\n", grownMiB, fixes, keptMiB);
    std::printf("#bench\ttrack, CPU per fix at %d points vs 1,000 (us)\t%.1f\t%.1f\tratio<=1.2\n", fixes,
                l, e);
    std::printf("#bench\ttrack, memory growth over %d fixes (MiB)\t%.1f\t-\t<=20\n", fixes, grownMiB);
    return 0;
}
