// Guidance figures: the cost of matching a fix on a long route against a
// short one, how long before its maneuver each prompt comes, false reroutes
// on noisy on-route drives, and in the real window on the real page the time
// from the third fix off the route to the new route drawn, the cost of a
// fix with the drive view following against plain following at zoom 16 and
// the frames the map needs per fix; the final prompt's lead with fixes 1 s
// and 5 s apart, its timer running. Debug output off.
//   bench/bench_guidance      prints "#bench" lines for scripts/bench
#include "modalscript.h"
#include "pageserver.h"
#include "repaintwaiter.h"
#include "testhome.h"

#include "app/mainwindow.h"
#include "directions/currdirectionsdlg.h"
#include "guidance/guidance.h"
#include "guidance/navigation.h"
#include "guidance/routeprogress.h"
#include "positioning/positionbridge.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGeoCoordinate>
#include <QGeoPositionInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QMenuBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSettings>
#include <QToolButton>
#include <QTest>
#include <QWebFrame>
#include <QWebView>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    if (v.empty())
        return qQNaN();
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

QPointF move(QPointF from, double bearing, double metres)
{
    const double r = 6371008.8, rad = M_PI / 180;
    return {from.x() + metres * std::cos(bearing * rad) / r / rad,
            from.y() + metres * std::sin(bearing * rad) / (r * std::cos(from.x() * rad)) / rad};
}

// A town route: `steps` legs of 80 to 700 m, turning left or right, lines
// with a point every 20 m, 12 m/s.
Directions townRoute(int steps, quint32 seed)
{
    QRandomGenerator random(seed);
    Directions d;
    QPointF at(43.73, 7.42);
    double bearing = 90;
    for (int i = 0; i < steps; ++i) {
        Step s;
        const double length = 80 + random.bounded(620);
        s.setCoordinates(at.x(), at.y());
        s.setDescription(QString("Turn <b>%1</b> onto <b>Street %2</b>").arg(i % 2 ? "left" : "right").arg(i));
        s.m_maneuver = i == 0 ? QString() : i % 2 ? "turn-left" : "turn-right";
        s.m_distance = int(length);
        s.m_duration = int(length / 12);
        for (double done = 0; done < length; done += 20)
            s.m_path << move(at, bearing, done);
        at = move(at, bearing, length);
        s.m_path << at;
        d.steps << s;
        bearing += i % 2 ? -90 : 90;
    }
    return d;
}

struct Drive
{
    QList<QPointF> truth;   // where the car is, each second
    QList<QPointF> fixes;   // what the receiver says
};

Drive driveAlong(const Directions &route, double speed, double noise, QRandomGenerator &random)
{
    QVector<QPointF> line;
    for (const Step &s : route.steps)
        line += s.m_path;
    Drive drive;
    double done = 0, next = 0;
    for (int i = 0; i + 1 < line.size(); ++i) {
        const double length = RouteProgress::distance(line[i].x(), line[i].y(), line[i + 1].x(), line[i + 1].y());
        for (; next < done + length; next += speed) {
            const QPointF p = line[i] + (line[i + 1] - line[i]) * ((next - done) / length);
            drive.truth << p;
            drive.fixes << move(p, random.bounded(360.0), noise * std::sqrt(random.generateDouble()));
        }
        done += length;
    }
    return drive;
}

Guidance::Fix fixAt(QPointF p, double speed, int second)
{
    Guidance::Fix fix;
    fix.latitude = p.x();
    fix.longitude = p.y();
    fix.speed = speed;
    fix.accuracy = 15;
    fix.time = QDateTime::fromMSecsSinceEpoch(qint64(second) * 1000, Qt::UTC);
    return fix;
}

void progressCost()
{
    const Directions longRoute = townRoute(5000, 1), shortRoute = townRoute(20, 1);
    QRandomGenerator random(2);
    const Drive drive = driveAlong(shortRoute, 12, 10, random);
    std::vector<double> perFix[2];
    for (int round = 0; round < 5; ++round) {
        for (int which = 0; which < 2; ++which) {
            RouteProgress p;
            p.setRoute(which ? longRoute : shortRoute);
            p.update(drive.fixes.first().x(), drive.fixes.first().y());   // the one search of the whole route
            QElapsedTimer t;
            t.start();
            for (const QPointF &f : drive.fixes)
                p.update(f.x(), f.y());
            perFix[which].push_back(t.nsecsElapsed() / 1e3 / drive.fixes.size());
        }
    }
    std::printf("#bench\tguidance: matching a fix, 5000-step route vs 20 steps (us)\t%.2f\t%.2f\tratio<=1.5\n",
                median(perFix[1]), median(perFix[0]));
}

// Prompts heard on drives at town and arterial speeds, against where the car
// truly was; reroutes that noisy on-route drives caused.
void promptsAndFalseReroutes()
{
    std::vector<double> earlyS, earlyM, finalS, finalM;
    int reroutes = 0;
    double hours = 0;
    int tooClose = 0, afterManeuver = 0;
    for (int run = 0; run < 12; ++run) {
        const double speed = run % 3 == 0 ? 8.3 : run % 3 == 1 ? 13.9 : 19.4;
        const double noise = run % 2 ? 10 : 20;
        const Directions route = townRoute(60, 100 + run);
        RouteProgress truth;
        truth.setRoute(route);
        QRandomGenerator random(200 + run);
        const Drive drive = driveAlong(route, speed, noise, random);
        Guidance g;
        int second = 0;
        QObject::connect(&g, &Guidance::rerouteNeeded, [&] { ++reroutes; });
        QObject::connect(&g, &Guidance::prompt, [&](const QString &text) {
            // The car is speed x seconds along the line; the maneuver is where its step starts.
            const int maneuver = g.nextManeuver();
            const double at = maneuver < truth.stepCount() ? truth.stepStart(maneuver) : truth.length();
            const double metres = at - speed * second, seconds = metres / speed;
            if (text.startsWith("In ")) {
                earlyS.push_back(seconds);
                earlyM.push_back(metres);
                tooClose += metres < Guidance::EarlyMinimumMetres - noise;
            } else if (text != "You have arrived") {
                afterManeuver += metres <= 0;
                // Where the step before is shorter than the final lead, the
                // maneuver was named with the one before it ("then ...").
                if (truth.stepEnd(maneuver - 1) - truth.stepStart(maneuver - 1) > (Guidance::FinalSeconds + 0.5) * speed + 2 * noise) {
                    finalS.push_back(seconds);
                    finalM.push_back(metres);
                }
            }
        });
        g.start(route, false);
        for (; second < drive.fixes.size(); ++second)
            g.addFix(fixAt(drive.fixes[second], speed, second));
        hours += drive.fixes.size() / 3600.0;
    }
    const auto worst = [](std::vector<double> v, double from) {
        double w = 0;
        for (double x : v)
            w = std::max(w, std::fabs(x - from));
        return w;
    };
    std::printf("prompts: %zu early, %zu final over %.2f h at 30, 50 and 70 km/h with 10-20 m of noise\n",
                earlyS.size(), finalS.size(), hours);
    std::printf("#bench\tguidance: early prompt lead, median (s)\t%.1f\t-\t-\n", median(earlyS));
    std::printf("#bench\tguidance: early prompt lead, median (m)\t%.0f\t-\t-\n", median(earlyM));
    std::printf("#bench\tguidance: early prompts closer than 150 m (count)\t%d\t-\t<=0\n", tooClose);
    std::printf("#bench\tguidance: final prompt lead, median (s)\t%.1f\t-\t-\n", median(finalS));
    std::printf("#bench\tguidance: final prompt lead, median (m)\t%.0f\t-\t-\n", median(finalM));
    std::printf("#bench\tguidance: final prompt lead, worst off 7 s (s)\t%.2f\t-\t<=1\n", worst(finalS, 7));
    std::printf("#bench\tguidance: prompts after their maneuver (count)\t%d\t-\t<=0\n", afterManeuver);
    std::printf("#bench\tguidance: false reroutes per hour on route (count)\t%.1f\t-\t<=0\n", reroutes / hours);
}

// The final prompt with fixes `interval` s apart, fed at `msPerSecond` of
// wall time per second of the drive so that the prompt's timer runs: its
// lead against where the car truly was when it was said.
std::vector<double> finalLeads(int interval, int msPerSecond)
{
    std::vector<double> leads;
    for (int run = 0; run < 4; ++run) {
        const double speed = run % 2 ? 13.9 : 8.3;
        const Directions route = townRoute(10, 300 + run);
        RouteProgress truth;
        truth.setRoute(route);
        QRandomGenerator random(400 + run);
        const Drive drive = driveAlong(route, speed, 10, random);
        Guidance g;
        int second = 0;
        QElapsedTimer sinceFix;
        QObject::connect(&g, &Guidance::prompt, [&](const QString &text) {
            if (text.startsWith("In ") || text == "You have arrived")
                return;
            const int maneuver = g.nextManeuver();
            const double now = second + double(sinceFix.elapsed()) / msPerSecond;
            // Steps shorter than the lead are named with the one before.
            if (truth.stepEnd(maneuver - 1) - truth.stepStart(maneuver - 1) > (Guidance::FinalSeconds + interval) * speed + 20)
                leads.push_back((truth.stepStart(maneuver) - speed * now) / speed);
        });
        g.start(route, false);
        for (; second < drive.fixes.size(); second += interval) {
            sinceFix.start();
            g.addFix(fixAt(drive.fixes[second], speed, second));
            waitFor([] { return false; }, interval * msPerSecond);
        }
    }
    return leads;
}

void promptLeadAtIntervals()
{
    for (int interval : {1, 5}) {
        const std::vector<double> leads = finalLeads(interval, 80);
        double worst = 0;
        for (double x : leads)
            worst = std::max(worst, std::fabs(x - Guidance::FinalSeconds));
        std::printf("final prompts with fixes %d s apart: %zu\n", interval, leads.size());
        std::printf("#bench\tguidance: final prompt lead, fixes %d s apart, median (s)\t%.1f\t-\t-\n", interval,
                    median(leads));
        std::printf("#bench\tguidance: final prompt lead, fixes %d s apart, worst off 7 s (s)\t%.2f\t-\t<=2\n",
                    interval, worst);
    }
}

int fail(const char *why)
{
    std::fprintf(stderr, "bench_guidance: %s\n", why);
    return 1;
}

QJsonObject pageState(QWebFrame *frame)
{
    return QJsonDocument::fromJson(frame->evaluateJavaScript("mapState()").toString().toUtf8()).object();
}

// The real window: a route from Place du Casino to Fontvieille, fixes along
// it handed to the window's position source, then off it.
int windowFigures(int argc, char **argv)
{
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    PageServer server;
    if (!server.start())
        return fail("the map service did not start");
    QSettings settings;
    for (const char *key : {"Servers/MapHost", "Servers/GeocodingHost", "Servers/DirectionsHost"})
        settings.setValue(key, server.hostPort());
    bool loaded = false;
    MainWindow window;
    auto *view = window.findChild<QWebView *>("webView");
    QObject::connect(view, &QWebView::loadFinished, [&](bool ok) { loaded = ok; });
    window.resize(800, 480);
    window.show();
    if (!waitFor([&] { return loaded; }, 20000))
        return fail("the map page did not load");
    QWebFrame *frame = view->page()->mainFrame();
    auto *bridge = qobject_cast<PositionBridge *>(frame->evaluateJavaScript("pelmark").value<QObject *>());
    GeoLocation *source = bridge ? bridge->source() : nullptr;
    auto *guidance = window.findChild<Guidance *>();
    auto *navigation = window.findChild<Navigation *>();
    if (!source || !guidance || !navigation)
        return fail("no position source or guidance in the window");
    int second = 0;
    const auto feed = [&](QPointF p) {
        QGeoPositionInfo info(QGeoCoordinate(p.x(), p.y()),
                              QDateTime::fromMSecsSinceEpoch(qint64(++second) * 1000, Qt::UTC));
        info.setAttribute(QGeoPositionInfo::GroundSpeed, 12);
        info.setAttribute(QGeoPositionInfo::HorizontalAccuracy, 15);
        source->positionUpdated(info);
    };
    feed(QPointF(43.7393, 7.4276));

    ModalScript script;
    script.then([](QWidget *w) {
        w->findChild<QLineEdit *>("startEdit")->setText("43.7393 7.4276");
        w->findChild<QLineEdit *>("destinationEdit")->setText("Fontvieille, Monaco");
        QTest::mouseClick(w->findChild<QPushButton *>("okBtt"), Qt::LeftButton);
    });
    // The chooser, when the name has several places: the first; the sheet: closed.
    const auto chooserOrSheet = [](QWidget *w) {
        if (auto *list = w->findChild<QListWidget *>("listWidget"); list && list->count() > 0)
            QMetaObject::invokeMethod(w, "on_listWidget_doubleClicked", Q_ARG(QModelIndex, list->model()->index(0, 0)));
        else
            w->close();
    };
    script.then(chooserOrSheet).then(chooserOrSheet);
    for (QAction *a : window.menuBar()->actions())
        if (a->text() == "Directions")
            a->trigger();
    if (!waitFor([&] { return window.findChild<CurrDirectionsDlg *>() && !QApplication::activeModalWidget()
                              && guidance->isActive(); }, 30000))
        return fail("no route to guide along");
    if (!waitFor([&] { return pageState(frame)["directions"].toObject()["shown"].toBool(); }, 10000))
        return fail("the page drew no route");
    QLoggingCategory::setFilterRules("*.debug=false");
    frame->evaluateJavaScript("map.setZoom(16);");
    // Following: the drive view while guiding, plain centring otherwise.
    QTest::mouseClick(window.findChild<QToolButton *>("followBtt"), Qt::LeftButton);
    RepaintWaiter waiter(view);

    QRandomGenerator random(7);
    const Drive drive = driveAlong(guidance->route(), 12, 10, random);
    // Blocks of fixes with guidance on and off in turn, along the route.
    std::vector<double> on, off;
    int drivePaints = 0, driveFixes = 0;
    QElapsedTimer t;
    const Directions route = guidance->route();
    const int measured = std::min<int>(drive.fixes.size() * 2 / 5, 120);
    for (int i = 0; i < measured; ++i) {
        const bool guiding = (i / 10) % 2 == 0;
        if (guiding && !guidance->isActive()) {
            navigation->start(route, false);
            navigation->setFollowing(true);
            feed(drive.fixes[i]);
            waiter.settle();
        } else if (!guiding && guidance->isActive()) {
            navigation->stop();
            frame->evaluateJavaScript("map.setZoom(16);");
            feed(drive.fixes[i]);
            waiter.settle();
        }
        const qint64 cpu = processCpuNs();
        const int paints = waiter.paints();
        feed(drive.fixes[i]);
        waiter.settle();
        (guiding ? on : off).push_back((processCpuNs() - cpu) / 1e3);
        if (guiding) {
            drivePaints += waiter.paints() - paints;
            ++driveFixes;
        }
    }
    const int zoom = pageState(frame)["zoom"].toInt();
    std::printf("drive view zoom at 12 m/s: %d\n", zoom);
    std::printf("#bench\tguidance: CPU per fix, drive view following vs following without guidance, zoom 16 (us)\t%.0f\t%.0f\tratio<=1.3\n",
                median(on), median(off));
    std::printf("#bench\tguidance: frames the map needs per fix, drive view at zoom 16 (count)\t%.2f\t-\t-\n",
                driveFixes ? double(drivePaints) / driveFixes : 99.0);
    // What guidance alone costs in the window: the match, the banner and its repaint.
    if (!guidance->isActive())
        navigation->start(route, false);
    std::vector<double> alone;
    for (int i = 0; i < measured; ++i) {
        const qint64 cpu = processCpuNs();
        guidance->addFix(fixAt(drive.fixes[i], 12, ++second));
        waiter.settle();
        alone.push_back((processCpuNs() - cpu) / 1e3);
    }
    std::printf("  of which guidance with its banner: median %.0f us\n", median(alone));

    // Off the route: 15 m a second to the side until the new route is drawn.
    if (!guidance->isActive())
        navigation->start(route, false);
    const QPointF left = drive.fixes[measured];
    QElapsedTimer sinceThird;
    QPointF origin;
    QObject::connect(guidance, &Guidance::rerouteNeeded, [&](double lat, double lon) {
        sinceThird.start();
        origin = QPointF(lat, lon);
    });
    for (int i = 1; i <= 12 && !sinceThird.isValid(); ++i)
        feed(move(left, 0, 15.0 * i));
    if (!sinceThird.isValid())
        return fail("no reroute");
    const bool drawn = waitFor([&] {
        const QJsonObject d = pageState(frame)["directions"].toObject();
        const QJsonObject start = d["start"].toObject();
        return d["shown"].toBool()
               && RouteProgress::distance(start["lat"].toDouble(), start["lng"].toDouble(), origin.x(), origin.y()) < 150;
    }, 20000);
    const double seconds = sinceThird.nsecsElapsed() / 1e9;
    std::printf("#bench\tguidance: third off-route fix to new route drawn (s)\t%.2f\t-\t<=3\n",
                drawn ? seconds : 99.0);
    return 0;
}

}

int main(int argc, char **argv)
{
    TestHome home;
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Pelmark");
    QCoreApplication::setApplicationName("Marlu");
    qputenv("MARLU_SPEECH_ENGINE", "none");   // silent: the window's prompts only log
    progressCost();
    promptsAndFalseReroutes();
    promptLeadAtIntervals();
    std::fflush(stdout);
    return windowFigures(argc, argv);
}
