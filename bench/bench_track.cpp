// A day of tracking with a route shown: the CPU one fix costs, the repaint
// included, once the travelled track holds 1,000 points and once it holds
// 30,000 (an 8-hour drive at one fix a second), and the memory the 30,000
// fixes add. Each fix is the application's pair of snippets, following the
// position at street level (zoom 16). The two tracks are in two windows whose
// measured fixes alternate; the memory is what the long track adds (with the
// short one's 200 measured fixes).
//   bench/bench_track [FIXES] [--circle]   (default 30000) needs the service's
//                                data (MARLU_DATA) for the route in Monaco;
//                                --circle drives round a 600 m loop instead
#include "pageserver.h"
#include "repaintwaiter.h"
#include "testhome.h"

#include "app/mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSettings>
#include <QStringList>
#include <QWebFrame>
#include <QWebSettings>
#include <QWebView>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

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
// the ground it covered, as a long drive does; or, with `circle`, round and
// round a 600 m loop, so that the whole track stays in view.
class Drive
{
public:
    explicit Drive(bool circle) : m_circle(circle) {}

    void step(int i)
    {
        const double heading = m_circle ? i * 14.0 / (600.0 / (2 * M_PI))
                                        : 0.8 + 0.6 * std::sin(i / 900.0) + 0.3 * std::sin(i / 137.0);
        lat += 14.0 * std::cos(heading) / 111320.0;
        lng += 14.0 * std::sin(heading) / (111320.0 * std::cos(lat * M_PI / 180.0));
    }
    QString snippets() const
    {
        const QString la = QString::number(lat, 'g', 8), ln = QString::number(lng, 'g', 8);
        return QString("updateCenter(true, %1, %2, 12);track(%1, %2);").arg(la, ln);
    }
    double lat = 43.7314, lng = 7.4206;

private:
    bool m_circle;
};

// One main window on the real page with a route shown, driven as the
// application drives it: each fix is its pair of snippets.
class Tracker
{
public:
    // The window starts loading its page here; open() waits for it.
    explicit Tracker(bool circle)
        : m_view(m_window.findChild<QWebView *>("webView"))
        , m_drive(circle)
    {
        QObject::connect(m_view, &QWebView::loadFinished, [this](bool ok) { m_loaded = ok; });
    }

    bool open()
    {
        m_window.show();
        if (!waitFor([&] { return m_loaded; }, 20000)) {
            std::fprintf(stderr, "the map page did not load\n");
            return false;
        }
        m_frame = m_view->page()->mainFrame();
        // The route as the application asks for it.
        m_frame->evaluateJavaScript(
            "directionsService.route({travelMode: google.maps.DirectionsTravelMode.DRIVING,"
            "origin: \"43.7314 7.4206\", destination: \"43.7396 7.4275\"}, function (result, status) {"
            "if (status == google.maps.DirectionsStatus.OK) { directionsDisplay.setMap(map);"
            "directionsDisplay.setDirections(result); directionsDisplay.setRouteIndex(0); } });");
        if (!waitFor([&] { return routeShown(); }, 60000)) {
            std::fprintf(stderr, "no route in Monaco: is MARLU_DATA a built data folder?\n");
            return false;
        }
        m_frame->evaluateJavaScript("map.setZoom(16);");
        waitFor([] { return false; }, 1500);   // the first tiles
        m_waiter = new RepaintWaiter(m_view);
        settle();
        return true;
    }

    bool settle() { return m_waiter->settle(); }

    // Fixes up to `end`, in batches of a hundred: the stretches not measured.
    void runTo(int end)
    {
        while (m_fixes < end) {
            QString batch;
            for (int k = 0; k < 100 && m_fixes < end; ++k)
                batch += next();
            m_frame->evaluateJavaScript(batch);
            settle();
        }
    }

    // One fix, its CPU time appended to `cpu`; whether the view painted.
    bool measured(std::vector<qint64> &cpu)
    {
        const QString snippets = next();
        const qint64 start = processCpuNs();
        m_frame->evaluateJavaScript(snippets);
        const bool painted = settle();
        cpu.push_back(processCpuNs() - start);
        return painted;
    }

    bool holdsItsFixes()
    {
        const int kept = m_frame->evaluateJavaScript("polyLine.getPath().length").toInt();
        if (kept == m_fixes && routeShown())
            return true;
        std::fprintf(stderr, "the track holds %d points of %d, route shown: %d\n", kept, m_fixes,
                     int(routeShown()));
        return false;
    }

private:
    QString next()
    {
        m_drive.step(m_fixes++);
        return m_drive.snippets();
    }

    bool routeShown()
    {
        return m_frame->evaluateJavaScript("JSON.parse(mapState()).directions.shown").toBool();
    }

    MainWindow m_window;
    QWebView *m_view = nullptr;
    bool m_loaded = false;
    QWebFrame *m_frame = nullptr;
    RepaintWaiter *m_waiter = nullptr;
    Drive m_drive;
    int m_fixes = 0;
};

} // namespace

int main(int argc, char **argv)
{
    TestHome home;
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Pelmark");
    QCoreApplication::setApplicationName("Marlu");
    const QStringList args = app.arguments().mid(1);
    const bool circle = args.contains("--circle");
    const QStringList counts = args.filter(QRegularExpression("^[0-9]+$"));
    const int fixes = counts.isEmpty() ? 30000 : std::max(1400, counts.first().toInt());
    const char *drive = circle ? "round a 600 m loop" : "out of town";
    const int window = 200;

    PageServer server;
    if (!server.start()) {
        std::fprintf(stderr, "the map service did not start\n");
        return 1;
    }
    QSettings().setValue("Servers/MapHost", server.hostPort());

    // Two windows, one for each length of track, so that their fixes can
    // alternate and a change in the machine's load hits both alike.
    Tracker shortTrack(circle), longTrack(circle);
    for (Tracker *tracker : {&shortTrack, &longTrack}) {
        if (!tracker->open())
            return 1;
    }
    QLoggingCategory::setFilterRules("*.debug=false");
    shortTrack.runTo(1000);
    // The garbage awaiting the collector comes and goes by tens of MiB; the
    // figure compares like with like: web caches and garbage freed at both ends.
    QWebSettings::clearMemoryCaches();
    longTrack.settle();
    const double startMiB = residentMiB();
    for (const int checkpoint : {5000, 10000, 20000}) {
        if (checkpoint < fixes - window) {
            longTrack.runTo(checkpoint);
            std::printf("  resident after %5d fixes: +%.1f MiB\n", checkpoint, residentMiB() - startMiB);
        }
    }
    longTrack.runTo(fixes - window);
    std::vector<qint64> early, late;
    int earlyPaints = 0, latePaints = 0;
    for (int k = 0; k < window; ++k) {
        earlyPaints += shortTrack.measured(early);
        latePaints += longTrack.measured(late);
    }
    const double grownMiB = residentMiB() - startMiB;
    // What the web caches (images, scripts, fonts) hold of it, and what stays.
    QWebSettings::clearMemoryCaches();
    longTrack.settle();
    const double keptMiB = residentMiB() - startMiB;

    for (Tracker *tracker : {&shortTrack, &longTrack}) {
        if (!tracker->holdsItsFixes())
            return 1;
    }
    const double e = medianUs(early), l = medianUs(late);
    std::printf("track with a route, driving %s, following at zoom 16, CPU per fix with its repaint "
                "(median of %d):\n", drive, window);
    std::printf("  at 1,000 points  %8.1f us  (%d of %d fixes painted)\n", e, earlyPaints, window);
    std::printf("  at %d points %8.1f us  (%d of %d fixes painted; ratio %.2f, target <= %s)\n",
                fixes, l, latePaints, window, l / e, circle ? "1.5" : "1.2");
    std::printf("  resident memory over the %d fixes, begun once the other window's 1,000 had warmed "
                "the engine: %+.1f MiB with the caches and garbage of the end, %+.1f MiB once they are "
                "cleared (target <= 20)\n", fixes, grownMiB, keptMiB);
    // Out of town old pieces leave the view; round a loop they all stay.
    std::printf("#bench\ttrack %s, CPU per fix at %d points vs 1,000 (us)\t%.1f\t%.1f\tratio<=%s\n",
                drive, fixes, l, e, circle ? "1.5" : "1.2");
    std::printf("#bench\ttrack %s, memory kept after %d fixes (MiB)\t%.1f\t-\t<=20\n", drive, fixes,
                keptMiB);
    return 0;
}
