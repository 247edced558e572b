#include "logcapture.h"
#include "mapwindowtest.h"
#include "modalscript.h"
#include "pageserver.h"
#include "testmain.h"

#include "app/mainwindow.h"
#include "directions/currdirectionsdlg.h"
#include "directions/googledirections.h"
#include "directions/maneuver.h"
#include "geocoding/finddlg.h"
#include "guidance/guidance.h"
#include "guidance/guidancebanner.h"
#include "guidance/maneuvertext.h"
#include "guidance/routeprogress.h"
#include "platform/fullscreenexitbutton.h"

#include <QAction>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QNetworkAccessManager>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>

#include <cmath>

// Guidance in the real window: a route from the local service, fixes replayed
// along it (and off it) through the position plugin, the banner over the real
// page, prompts heard through the recording speech engine.
class TestGuidanceDrive : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void drivingTheRouteGuidesToArrival();
    void leavingTheRouteGetsOneNewRouteSilently();
    void cornerButtonsZoomFollowAndShowNorth();
    void theDemoTrackDrivesTheDemoRouteToArrival();

private:
    void startOnRoute(const QList<QPointF> &fixes);
    void startWithTrack(const QString &nmeaFile);
    QStringList spoken() const;

    PageServer m_server;
    QTemporaryDir m_dir;
    Directions m_route;
    MainWindow *m_window = nullptr;
    LogCapture *m_log = nullptr;
};

namespace {

const char Start[] = "43.7393 7.4276";   // Place du Casino
const char Destination[] = "Fontvieille, Monaco";

using MapWindowTest::nmeaAngle;
using MapWindowTest::nmeaSentence;

// A 1 Hz receiver: RMC and GGA each second, HDOP 2 (20 m of accuracy).
QByteArray nmea(const QList<QPointF> &fixes)
{
    QByteArray out;
    const QTime t0(10, 0);
    for (int i = 0; i < fixes.size(); ++i) {
        const QPointF p = fixes[i], q = fixes[qMax(0, i - 1)];
        const double knots = RouteProgress::distance(q.x(), q.y(), p.x(), p.y()) * 3600 / 1852;
        const QByteArray time = t0.addSecs(i).toString("hhmmss.00").toLatin1();
        const QByteArray at = nmeaAngle(p.x(), 2) + ",N," + nmeaAngle(p.y(), 3) + ",E";
        out += nmeaSentence("GPRMC," + time + ",A," + at + "," + QByteArray::number(knots, 'f', 1) + ",0.0,180524,,,A");
        out += nmeaSentence("GPGGA," + time + "," + at + ",1,08,2.0,40.0,M,48.9,M,,");
    }
    return out;
}

// The route's line at `speed` m/s, one point a second, `noise` metres to either side.
QList<QPointF> drive(const Directions &route, double speed, double noise, double upTo = 1e9)
{
    QVector<QPointF> line;
    for (const Step &s : route.steps)
        line += s.m_path;
    QList<QPointF> out;
    double done = 0, next = 0;
    for (int i = 0; i + 1 < line.size() && next <= upTo; ++i) {
        const double length = RouteProgress::distance(line[i].x(), line[i].y(), line[i + 1].x(), line[i + 1].y());
        for (; next < done + length && next <= upTo; next += speed) {
            const double jitter = noise * (((out.size() * 7919) % 13) - 6) / 6.0 / 111320.0;
            out << line[i] + (line[i + 1] - line[i]) * ((next - done) / length) + QPointF(jitter, jitter);
        }
        done += length;
    }
    return out;
}

}

void TestGuidanceDrive::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(m_server.start());
    // The route the window will get from the same start: the drive follows it.
    QSettings().setValue("Servers/DirectionsHost", m_server.hostPort());
    QNetworkAccessManager network;
    GoogleDirections directions(&network, nullptr);
    QSignalSpy spy(&directions, &GoogleDirections::finish);
    directions.query(Start, Destination, "driving", false, "metric", {});
    QVERIFY(spy.wait(20000) && spy.first().first().toBool());
    m_route = directions.m_routes.first();
    QVERIFY(m_route.steps.size() >= 4);
}

void TestGuidanceDrive::init()
{
    QSettings settings;
    settings.clear();
    for (const char *key : {"Servers/MapHost", "Servers/GeocodingHost", "Servers/DirectionsHost"})
        settings.setValue(key, m_server.hostPort());
    settings.setValue("UpdateMode", 1);
    qputenv("MARLU_NMEA_SPEED", "8");
    qputenv("MARLU_SPEECH_ENGINE", "marlurecorder");
    qputenv("MARLU_SPEECH_LOG", m_dir.filePath(QTest::currentTestFunction()).toLocal8Bit());
    m_log = new LogCapture;
}

void TestGuidanceDrive::cleanup()
{
    delete m_window;
    m_window = nullptr;
    delete m_log;
    m_log = nullptr;
    for (const char *name : {"MARLU_NMEA_FILE", "MARLU_NMEA_SPEED", "MARLU_SPEECH_ENGINE", "MARLU_SPEECH_LOG"})
        qunsetenv(name);
}

// Whether `got` is `all` in order with some left out, but none of those `needed`.
static bool inOrder(const QStringList &got, const QStringList &all, const QList<bool> &needed)
{
    int at = 0;
    for (const QString &g : got) {
        while (at < all.size() && all[at] != g) {
            if (needed[at]) {
                qWarning() << "missing" << all[at] << "before" << g;
                return false;
            }
            ++at;
        }
        if (at++ == all.size()) {
            qWarning() << "out of order or unknown:" << g;
            return false;
        }
    }
    for (; at < all.size(); ++at)
        if (needed[at])
            return false;
    return true;
}

QStringList TestGuidanceDrive::spoken() const
{
    QFile file(qEnvironmentVariable("MARLU_SPEECH_LOG"));
    QStringList out;
    if (file.open(QIODevice::ReadOnly))
        for (const QByteArray &line : file.readAll().split('\n'))
            if (!line.isEmpty())
                out << QString::fromUtf8(line.mid(line.indexOf('\t') + 1));
    return out;
}

// Two minutes parked at the start, so that the route is asked for from
// there, then `fixes`.
void TestGuidanceDrive::startOnRoute(const QList<QPointF> &fixes)
{
    const QStringList start = QString(Start).split(' ');
    QList<QPointF> all;
    for (int i = 0; i < 120; ++i)
        all << QPointF(start[0].toDouble(), start[1].toDouble());
    QFile file(m_dir.filePath(QString(QTest::currentTestFunction()) + ".nmea"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(nmea(all + fixes));
    file.close();
    startWithTrack(file.fileName());
}

// The window replaying `nmeaFile`, and a route to the destination from where
// the track starts.
void TestGuidanceDrive::startWithTrack(const QString &nmeaFile)
{
    qputenv("MARLU_NMEA_FILE", nmeaFile.toLocal8Bit());
    m_window = MapWindowTest::start(*m_log);
    QVERIFY(m_window);
    QTRY_VERIFY_WITH_TIMEOUT(!MapWindowTest::snippets(*m_log, "updateCenter(").isEmpty(), 10000);

    ModalScript script;
    const auto sheetOrChooser = [](QWidget *w) {
        if (auto *list = w->findChild<QListWidget *>("listWidget")) {   // the chooser
            const auto items = list->findItems(Destination, Qt::MatchExactly);
            if (!items.isEmpty())
                QMetaObject::invokeMethod(w, "on_listWidget_doubleClicked",
                                          Q_ARG(QModelIndex, list->model()->index(list->row(items.first()), 0)));
            else
                w->close();
            return;
        }
        w->close();
    };
    script.then([](QWidget *w) {
        w->findChild<QLineEdit *>("destinationEdit")->setText(Destination);
        QTest::mouseClick(w->findChild<QPushButton *>("okBtt"), Qt::LeftButton);
    }).then(sheetOrChooser).then(sheetOrChooser);
    MapWindowTest::menuEntry(m_window, "Directions")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(m_window->findChild<CurrDirectionsDlg *>() && !QApplication::activeModalWidget(), 30000);
}

void TestGuidanceDrive::drivingTheRouteGuidesToArrival()
{
    QList<QPointF> fixes = drive(m_route, 12, 10);
    for (int i = 0; i < 5; ++i)
        fixes << m_route.steps.last().m_path.last();
    startOnRoute(fixes);
    auto *guidance = m_window->findChild<Guidance *>();
    auto *banner = m_window->findChild<GuidanceBanner *>();
    auto *view = m_window->findChild<QWidget *>("webView");
    QList<QPair<QString, double>> shown;   // instruction, metres
    QList<QPoint> cars;                    // where the car is drawn while followed, in the window
    connect(guidance, &Guidance::updated, this, [&] {
        if (!guidance->hasArrived())
            shown << qMakePair(banner->instructionText(), double(guidance->state().toManeuver));
        const QJsonObject state = MapWindowTest::pageState(m_window);
        if (state["driving"].toBool()) {
            const QJsonObject car = state["positionOnScreen"].toObject();
            cars << view->mapTo(m_window, QPoint(car["x"].toInt(), car["y"].toInt()));
        }
    });
    // The route is shown whole until the car moves along it; then the map follows it.
    QVERIFY(!MapWindowTest::pageState(m_window)["driving"].toBool());
    QTRY_VERIFY_WITH_TIMEOUT(guidance->hasArrived(), 60000);
    QVERIFY(m_log->lines().contains("Guidance: under way, following the car"));
    QVERIFY(cars.size() > shown.size() / 2);
    // Low on the map, never under the banner or a button.
    const QList<QWidget *> buttons{m_window->findChild<QWidget *>("zoomInBtt"), m_window->findChild<QWidget *>("zoomOutBtt"),
                                   m_window->findChild<QWidget *>("followBtt")};
    const QRect map(view->mapTo(m_window, QPoint(0, 0)), view->size());
    for (const QPoint &car : qAsConst(cars)) {
        QVERIFY2(map.contains(car) && car.y() > map.top() + map.height() * 0.55 && car.y() > banner->geometry().bottom(),
                 qPrintable(QString("%1,%2").arg(car.x()).arg(car.y())));
        for (QWidget *button : buttons)
            QVERIFY(!button->isVisible() || !button->geometry().adjusted(-9, -9, 9, 9).contains(car));
    }
    // After arrival the map goes on following the car while fixes come.
    const int followed = cars.size();
    QTRY_VERIFY_WITH_TIMEOUT(MapWindowTest::snippets(*m_log, "updateCenter(true").size() > followed + 2, 10000);
    QVERIFY(MapWindowTest::pageState(m_window)["driving"].toBool());
    QVERIFY(banner->isVisible() && banner->instructionText() == "You have arrived");
    QVERIFY(banner->geometry().top() >= 0 && banner->height() <= 480 / 5);
    QVERIFY(m_window->findChild<CurrDirectionsDlg *>());   // the route stays until cleared
    QTRY_VERIFY_WITH_TIMEOUT(!banner->isVisible(), GuidanceBanner::ArrivalShownMs + 10000);

    // Each maneuver on the banner while its distance falls, in the route's
    // order; 10 m of noise either way moves a fix up to 14 m along the road.
    QStringList instructions;
    for (int i = 0; i < shown.size(); ++i) {
        if (instructions.isEmpty() || instructions.last() != shown[i].first)
            instructions << shown[i].first;
        else
            QVERIFY2(shown[i].second <= shown[i - 1].second + 30, qPrintable(QString("%1: %2 after %3").arg(shown[i].first).arg(shown[i].second).arg(shown[i - 1].second)));
    }
    // A maneuver whose step before it is shorter than a fix's move (12 m)
    // may pass between two fixes; the others must all be shown and spoken.
    QStringList shownOnes, spokenOnes;
    QList<bool> needed;
    for (int i = 1; i < m_route.steps.size(); ++i) {
        shownOnes << Maneuver(m_route.steps[i]).richWords();
        spokenOnes << ManeuverText::action(m_route.steps[i]);
        needed << (m_route.steps[i - 1].m_distance >= 50);
    }
    QVERIFY(inOrder(instructions, shownOnes + QStringList{ManeuverText::arrivalAhead()},
                    needed + QList<bool>{m_route.steps.last().m_distance >= 50}));

    // A final prompt for every such maneuver in order, then the arrival; no reroute.
    const QStringList said = spoken();
    QStringList finals;
    for (const QString &line : said)
        if (!line.startsWith("In ") && !line.startsWith("Your destination is on the "))
            finals << line.section(", then ", 0, 0);
    // The destination's side is a sentence of its own, after the last instruction.
    QCOMPARE(said.filter(QRegularExpression("^Your destination is on the (left|right)$")).size(),
             Maneuver(m_route.steps.last()).destinationSide().isEmpty() ? 0 : 1);
    QCOMPARE(finals.last(), QString("You have arrived"));
    finals.removeLast();
    QVERIFY(inOrder(finals, spokenOnes, needed));
    QVERIFY(m_log->lines().filter("Guidance: off the route").isEmpty());
}

void TestGuidanceDrive::leavingTheRouteGetsOneNewRouteSilently()
{
    // 40% of the way along, then 150 m to the side and parked there.
    double length = 0;
    for (const Step &s : m_route.steps)
        length += s.m_distance;
    QList<QPointF> fixes = drive(m_route, 12, 0, 0.4 * length);
    const QPointF left = fixes.last();
    const QPointF ahead = fixes.last() - fixes[fixes.size() - 2];
    const QPointF side = QPointF(-ahead.y(), ahead.x()) / std::hypot(ahead.x(), ahead.y()) * (10 / 111320.0);
    for (int i = 1; i <= 15; ++i)
        fixes << left + side * i;
    for (int i = 0; i < 4; ++i)
        fixes << fixes.last();
    startOnRoute(fixes);
    QAction *voice = MapWindowTest::menuEntry(m_window, "Voice Guidance");
    QVERIFY(voice && voice->isChecked());
    voice->trigger();
    QCOMPARE(QSettings().value("VoiceGuidance").toBool(), false);

    auto *guidance = m_window->findChild<Guidance *>();
    QTRY_VERIFY_WITH_TIMEOUT(m_log->lines().contains("Guidance: under way, following the car"), 60000);
    QTRY_VERIFY_WITH_TIMEOUT(!m_log->lines().filter("Guidance: off the route").isEmpty(), 60000);
    const int zoom = MapWindowTest::pageState(m_window)["zoom"].toInt();
    QTRY_VERIFY_WITH_TIMEOUT(m_log->lines().contains("Guidance: new route drawn"), 60000);
    const int lastFix = fixes.size() + 120;
    QTRY_VERIFY_WITH_TIMEOUT(MapWindowTest::snippets(*m_log, "updateCenter(").size() >= lastFix - 5, 60000);
    QCOMPARE(guidance->rerouteCount(), 1);
    QCOMPARE(m_log->lines().filter("Guidance prompt: Rerouting").size(), 1);
    QVERIFY(spoken().isEmpty());   // voice off: the banner guides alone
    // Asked from where the drive left the route, 70 to 110 m out (50 m and the accuracy).
    const QStringList asked = m_log->lines().filter("/maps/api/directions/xml");
    QCOMPARE(asked.size(), 2);
    const QStringList from = QUrl::fromPercentEncoding(QRegularExpression("origin=([^&\"]*)").match(asked.last())
                                                           .captured(1).toUtf8()).split(' ');
    const double out = RouteProgress::distance(left.x(), left.y(), from[0].toDouble(), from[1].toDouble());
    QVERIFY2(out > 65 && out < 115, qPrintable(QString::number(out)));
    // Drawn on the page from there, without the sheet popping up.
    const auto drawnStart = [this] {
        return MapWindowTest::pageState(m_window)["directions"].toObject()["start"].toObject();
    };
    QTRY_VERIFY_WITH_TIMEOUT(RouteProgress::distance(drawnStart()["lat"].toDouble(), drawnStart()["lng"].toDouble(),
                                                     from[0].toDouble(), from[1].toDouble()) < 150, 10000);
    QVERIFY(!m_window->findChild<CurrDirectionsDlg *>()->isVisible());
    // The drive view stays: no overview of the new route, no jump of the zoom.
    const QJsonObject after = MapWindowTest::pageState(m_window);
    QVERIFY(after["driving"].toBool());
    QVERIFY2(std::abs(after["zoom"].toInt() - zoom) <= 1, qPrintable(QString("%1 -> %2").arg(zoom).arg(after["zoom"].toInt())));
    auto *banner = m_window->findChild<GuidanceBanner *>();
    QVERIFY(banner->isVisible());

    // A tap on the banner opens the sheet of the new route at the step being driven.
    int row = -2;
    ModalScript sheet;
    sheet.then([&](QWidget *w) {
        row = w->findChild<QListWidget *>("directionsList")->currentRow();
        w->close();
    });
    const int step = guidance->state().step;
    QTest::mouseClick(banner, Qt::LeftButton, {}, banner->rect().center());
    QTRY_VERIFY_WITH_TIMEOUT(sheet.done() && !QApplication::activeModalWidget(), 10000);
    QCOMPARE(row, step);
}

void TestGuidanceDrive::cornerButtonsZoomFollowAndShowNorth()
{
    QList<QPointF> parked;
    for (int i = 0; i < 600; ++i)
        parked << QPointF(43.7393, 7.4276 + i * 1e-5);
    startOnRoute(parked);
    auto *zoomIn = m_window->findChild<QToolButton *>("zoomInBtt");
    auto *follow = m_window->findChild<QToolButton *>("followBtt");
    auto *banner = m_window->findChild<GuidanceBanner *>();
    QTRY_VERIFY_WITH_TIMEOUT(banner->isVisible(), 20000);
    for (QWidget *w : {static_cast<QWidget *>(zoomIn), m_window->findChild<QWidget *>("zoomOutBtt"),
                       static_cast<QWidget *>(follow)}) {
        QVERIFY(w->isVisible() && w->width() >= 48 && w->height() >= 48);
        QVERIFY(!w->geometry().intersects(banner->geometry()));
        QVERIFY(m_window->rect().contains(w->geometry()));
    }
    const int zoom = MapWindowTest::pageState(m_window)["zoom"].toInt();
    QTest::mouseClick(zoomIn, Qt::LeftButton);
    QTRY_COMPARE(MapWindowTest::pageState(m_window)["zoom"].toInt(), zoom + 1);
    // A pan ends following; the button takes it up again, as the keypad's Enter does.
    QTest::keyClick(m_window, Qt::Key_Left);
    m_log->clear();
    QTest::mouseClick(follow, Qt::LeftButton);
    QVERIFY(MapWindowTest::snippets(*m_log, "updateCenter(").value(0).startsWith("updateCenter(true"));

    auto *north = m_window->findChild<QWidget *>("northArrow");
    QVERIFY(!north->isVisible());
    MapWindowTest::menuEntry(m_window, "Auto Rotate")->trigger();   // the drive heads east: north turns left
    QTRY_VERIFY_WITH_TIMEOUT(north->isVisible() && north->geometry().top() >= banner->geometry().bottom(), 10000);
    // Fullscreen: the buttons go with the pan arrows and come back with a tap.
    m_window->showFullScreen();
    QTRY_VERIFY(!zoomIn->isVisible() && !north->isVisible());
    QTest::mouseClick(m_window->windowHandle(), Qt::LeftButton, {}, m_window->rect().center());
    QTRY_VERIFY(zoomIn->isVisible() && north->isVisible());
    // With all of them shown, none covers the way out of fullscreen.
    auto *exit = m_window->findChild<FullScreenExitButton *>();
    QTRY_VERIFY(exit && exit->isVisible() && exit->geometry().bottomRight() == m_window->rect().bottomRight());
    for (QWidget *w : {static_cast<QWidget *>(banner), static_cast<QWidget *>(zoomIn), north,
                       m_window->findChild<QWidget *>("zoomOutBtt"), static_cast<QWidget *>(follow)})
        QVERIFY2(w->isVisible() && !w->geometry().intersects(exit->geometry()), qPrintable(w->objectName()));
}

// The README's demo: the shipped track from its start to "Fontvieille, Monaco".
void TestGuidanceDrive::theDemoTrackDrivesTheDemoRouteToArrival()
{
    startWithTrack(qEnvironmentVariable("MARLU_SOURCE_DIR") + "/data/tracks/monaco-drive.nmea");
    auto *guidance = m_window->findChild<Guidance *>();
    QTRY_VERIFY_WITH_TIMEOUT(guidance->hasArrived(), 120000);
    QVERIFY2(m_log->lines().filter("Guidance: off the route").isEmpty(),
             qPrintable(m_log->lines().filter(QRegularExpression("Guidance: off|directions/xml")).join('\n')));
    QCOMPARE(spoken().last(), QString("You have arrived"));
}

MARLU_TEST_MAIN(TestGuidanceDrive)
#include "tst_guidancedrive.moc"
