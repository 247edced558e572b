#include "testmain.h"

#include "directions/maneuver.h"
#include "directions/polyline.h"
#include "directions/tripfigures.h"
#include "app/translations.h"
#include "guidance/driveview.h"
#include "guidance/guidance.h"
#include "guidance/maneuvertext.h"
#include "guidance/voiceprompter.h"
#include "logcapture.h"
#include "guidance/routeprogress.h"

#include <QSignalSpy>
#include <QTranslator>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The source texts again: the translators installed go.
void englishAgain()
{
    for (QTranslator *t : QCoreApplication::instance()->findChildren<QTranslator *>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

QPointF move(QPointF from, double bearing, double metres)
{
    const double r = 6371008.8, rad = M_PI / 180;
    return {from.x() + metres * std::cos(bearing * rad) / r / rad,
            from.y() + metres * std::sin(bearing * rad) / (r * std::cos(from.x() * rad)) / rad};
}

struct Leg
{
    double bearing;
    double metres;
    QString maneuver;   // of the step that starts the leg
};

// A route of straight legs from Monaco, each a step of 10 m/s, with its line
// in points every 25 m or, without lines, only its start and end.
Directions route(const QList<Leg> &legs, bool lines = true)
{
    Directions d;
    QPointF at(43.7300, 7.4200);
    for (const Leg &leg : legs) {
        Step s;
        s.setCoordinates(at.x(), at.y());
        s.setDescription("Go onto <b>Rue " + QString::number(d.steps.size()) + "</b>");
        s.m_maneuver = leg.maneuver;
        s.m_distance = int(leg.metres);
        s.m_duration = int(leg.metres / 10);
        QVector<QPointF> path{at};
        for (double done = 25; done < leg.metres + 12.5; done += 25)
            path << move(at, leg.bearing, qMin(done, leg.metres));
        at = path.last();
        s.m_hasEnd = true;
        s.m_endLatitude = at.x();
        s.m_endLongitude = at.y();
        if (lines)
            s.m_path = path;
        d.steps << s;
    }
    return d;
}

}

class TestGuidance : public QObject
{
    Q_OBJECT
private slots:
    void progressAlongStepsWithAndWithoutLines();
    void travelDirectionDecidesWhereTheRouteDoublesBack();
    void searchStaysLocalOnALongRoute();
    void promptsInOrderOnceEachNeverAfterPassing();
    void leavingTheRouteReroutesOnceAndBacksOff();
    void promptsInTheInterfaceLanguage();
    void wordsComeFromTheManeuverInEachLanguage();
    void aRouteBehindTheCarIsAnnouncedOnce();
    void driveViewZoomFitsSpeedAndTurnsAndHolds();
    void withoutASpeechEngineOneLogLine();

private:
    // Drives `d` at 10 m/s, one fix a second, calling `each` with the position.
    void drive(Guidance &g, const QList<QPointF> &points, int startSecond = 0);
};

void TestGuidance::progressAlongStepsWithAndWithoutLines()
{
    for (const bool lines : {true, false}) {
        RouteProgress p;
        p.setRoute(route({{90, 500, ""}, {0, 300, "turn-left"}, {90, 200, "turn-right"}}, lines));
        QCOMPARE(p.stepCount(), 3);
        QVERIFY(qAbs(p.length() - 1000) < 1);
        // 100 m into the first step, 8 m beside the road.
        const QPointF fix = move(move(QPointF(43.73, 7.42), 90, 100), 0, 8);
        const RouteProgress::State s = p.update(fix.x(), fix.y(), 90);
        QCOMPARE(s.step, 0);
        QVERIFY(qAbs(s.offRoute - 8) < 0.5);
        QVERIFY(qAbs(s.toManeuver - 400) < 1);
        QVERIFY(qAbs(s.remaining - 900) < 1);
        QVERIFY(qAbs(s.remainingSeconds - 90) < 0.5);   // 40 s of the first step and 50 s after it
        // Half-way up the second step.
        const QPointF later = move(move(QPointF(43.73, 7.42), 90, 500), 0, 150);
        const RouteProgress::State t = p.update(later.x(), later.y(), 0);
        QCOMPARE(t.step, 1);
        QVERIFY(qAbs(t.toManeuver - 150) < 1 && qAbs(t.remaining - 350) < 1);
    }
}

void TestGuidance::travelDirectionDecidesWhereTheRouteDoublesBack()
{
    // Out 500 m and back along the same street.
    const Directions d = route({{90, 500, ""}, {270, 500, "uturn-left"}});
    const QPointF place = move(QPointF(43.73, 7.42), 90, 200);
    RouteProgress out, back;
    out.setRoute(d);
    back.setRoute(d);
    QCOMPARE(out.update(place.x(), place.y(), 90).step, 0);
    const RouteProgress::State s = back.update(place.x(), place.y(), 270);
    QCOMPARE(s.step, 1);
    QVERIFY(qAbs(s.remaining - 200) < 1);
}

void TestGuidance::searchStaysLocalOnALongRoute()
{
    QList<Leg> legs;
    for (int i = 0; i < 5000; ++i)
        legs << Leg{i % 2 ? 0.0 : 90.0, 60, "turn-left"};
    RouteProgress p;
    p.setRoute(route(legs));
    const QPointF start(43.73, 7.42);
    p.update(start.x(), start.y());
    const QPointF next = move(start, 90, 20);
    QVERIFY(p.update(next.x(), next.y(), 90).step == 0);
    // The window holds the segments of about BehindWindow + AheadWindow metres.
    QVERIFY2(p.lastSearchSize() <= (RouteProgress::BehindWindow + RouteProgress::AheadWindow) / 25 + 4,
             qPrintable(QString::number(p.lastSearchSize())));
}

void TestGuidance::drive(Guidance &g, const QList<QPointF> &points, int startSecond)
{
    const QDateTime t0 = QDateTime::fromMSecsSinceEpoch(0, Qt::UTC);
    for (int i = 0; i < points.size(); ++i) {
        Guidance::Fix fix;
        fix.latitude = points[i].x();
        fix.longitude = points[i].y();
        fix.speed = 10;
        fix.accuracy = 10;
        fix.time = t0.addSecs(startSecond + i);
        g.addFix(fix);
    }
}

// Points every 10 m along the route's steps.
static QList<QPointF> along(const Directions &d, double upTo = 1e9)
{
    QList<QPointF> out;
    double done = 0;
    for (const Step &s : d.steps) {
        for (int i = 0; i + 1 < s.m_path.size() && done < upTo; ++i) {
            const QPointF a = s.m_path[i], b = s.m_path[i + 1];
            for (double f = 0; f < 1; f += 0.4, done += 10)
                out << QPointF(a + (b - a) * f);
        }
    }
    return out;
}

void TestGuidance::promptsInOrderOnceEachNeverAfterPassing()
{
    const Directions d = route({{90, 600, ""}, {0, 400, "turn-left"}, {90, 100, "turn-right"},
                                {180, 300, "keep-left"}});
    Guidance g;
    QSignalSpy prompts(&g, &Guidance::prompt);
    QSignalSpy arrived(&g, &Guidance::arrived);
    g.start(d, false);
    drive(g, along(d) << move(d.steps.last().m_path.last(), 180, 5));
    QStringList said;
    for (const QList<QVariant> &p : qAsConst(prompts))
        said << p.first().toString();
    // 30 s before at 10 m/s is 300 m; the final one 7.5 s (75 m) before; the
    // right turn 100 m after the left one is announced with it.
    QCOMPARE(said, (QStringList{"In 300 metres, turn left onto Rue 1", "Turn left onto Rue 1",
                                "In 300 metres, turn right onto Rue 2", "Turn right onto Rue 2, then keep left onto Rue 3",
                                "Keep left onto Rue 3", "In 300 metres, you reach your destination", "You have arrived"}));
    QCOMPARE(arrived.count(), 1);
    QVERIFY(g.hasArrived());
}

void TestGuidance::leavingTheRouteReroutesOnceAndBacksOff()
{
    const Directions d = route({{90, 600, ""}, {0, 400, "turn-left"}});
    Guidance g;
    QSignalSpy reroutes(&g, &Guidance::rerouteNeeded);
    g.start(d, false);
    // 300 m along, then south away from the route for 200 m.
    QList<QPointF> drive1 = along(d, 300);
    const QPointF left = drive1.last();
    for (int i = 1; i <= 20; ++i)
        drive1 << move(left, 180, 10.0 * i);
    drive(g, drive1);
    QCOMPARE(reroutes.count(), 1);
    // Beyond 50 m + 10 m of accuracy at 70 m; the third such fix is 90 m from the route.
    const QPointF from(reroutes.first().at(0).toDouble(), reroutes.first().at(1).toDouble());
    QVERIFY(qAbs(from.x() - move(left, 180, 90).x()) < 1e-6);

    // A failed answer: the next try waits 20 s of driving, not 10.
    g.rerouteFinished(false);
    QList<QPointF> further;
    for (int i = 1; i <= 25; ++i)
        further << move(left, 180, 200 + 10.0 * i);
    drive(g, further.mid(0, 18), drive1.size());
    QCOMPARE(reroutes.count(), 1);
    drive(g, further.mid(18), drive1.size() + 18);
    QCOMPARE(reroutes.count(), 2);
    g.rerouteFinished(true, route({{180, 300, ""}}));
    QVERIFY(g.isActive() && g.rerouteCount() == 2);
}

void TestGuidance::promptsInTheInterfaceLanguage()
{
    Step turn;
    turn.setDescription("Turn <b>left</b> onto <b>Rue Grimaldi</b>");
    turn.m_maneuver = "turn-left";
    Step ferry;   // no template: the route's own words
    ferry.setDescription("Take the <b>ferry</b> <div>toll</div>");
    ferry.m_maneuver = "ferry";
    QCOMPARE(ManeuverText::early(320, false, ManeuverText::action(ferry)), QString("In 300 metres, take the ferry"));
    QCOMPARE(ManeuverText::early(250, true, ManeuverText::action(turn)), QString("In 800 feet, turn left onto Rue Grimaldi"));
    QCOMPARE(ManeuverText::early(1300, true, ManeuverText::action(turn)), QString("In 0.8 miles, turn left onto Rue Grimaldi"));
    QVERIFY(Translations::install(QLocale(QLocale::Finnish)));
    QCOMPARE(ManeuverText::early(320, false, ManeuverText::action(turn)),
             QString::fromUtf8("300 metrin päästä käänny vasemmalle kadulle Rue Grimaldi"));
    QCOMPARE(ManeuverText::youHaveArrived(), QString::fromUtf8("Olet perillä"));
    QVERIFY(Translations::install(QLocale(QLocale::German)));
    QCOMPARE(ManeuverText::early(320, false, ManeuverText::action(turn)), QString("In 300 Metern links abbiegen auf Rue Grimaldi"));
    QCOMPARE(ManeuverText::rerouting(), QString("Route wird neu berechnet"));
    englishAgain();
}

void TestGuidance::wordsComeFromTheManeuverInEachLanguage()
{
    const auto step = [](const QString &html, const QString &maneuver) {
        Step s;
        s.setDescription(html);
        s.m_maneuver = maneuver;
        return s;
    };
    // The offline router's, an exit without a street; the online service's plain sentence.
    const Step exitOnly = step("At the roundabout, take the <b>2nd</b> exit", "roundabout-right");
    const Step exitOnto = step("At the roundabout, take the <b>3rd</b> exit onto <b>Boulevard Albert 1er</b>", "roundabout-right");
    const Step plainTurn = step("Turn right onto Landstrasse", "turn-right");
    const Step last = step("Turn <b>left</b> onto <b>Rue Grimaldi</b><div style=\"font-size:0.9em\">Destination will be on the right</div>",
                           "turn-left");
    QCOMPARE(Maneuver(exitOnly).words(), QString("At the roundabout, take the 2nd exit"));
    QCOMPARE(Maneuver(exitOnto).richWords(), QString("At the roundabout, take the 3rd exit onto <b>Boulevard Albert 1er</b>"));
    QCOMPARE(Maneuver(plainTurn).street(), QString("Landstrasse"));
    QCOMPARE(Maneuver(last).words(), QString("Turn left onto Rue Grimaldi"));
    QCOMPARE(Maneuver(last).destinationSentence(), QString("Your destination is on the right"));
    QCOMPARE(ManeuverText::early(1040, false, "x"), QString("In 1 kilometre, x"));
    QCOMPARE(ManeuverText::early(1480, false, "x"), QString("In 1.5 kilometres, x"));
    QCOMPARE(ManeuverText::distance(980, false), QString("1 km"));

    // No English word but the street's in Finnish and German, and one number format.
    const QStringList english{"roundabout", "exit", "turn", "onto", "toward", "destination", "metres", "2nd", "3rd"};
    for (const QLocale::Language language : {QLocale::Finnish, QLocale::German}) {
        QVERIFY(Translations::install(QLocale(language)));
        QLocale::setDefault(QLocale(language));
        const QStringList said{Maneuver(exitOnly).words(), Maneuver(exitOnto).words(), Maneuver(plainTurn).words(),
                               Maneuver(last).sheetText(), ManeuverText::early(1480, false, Maneuver(exitOnly).words())};
        for (const QString &text : said) {
            QString words = text;
            words.remove("Boulevard Albert 1er").remove("Landstrasse").remove("Rue Grimaldi");
            for (const QString &word : english)
                QVERIFY2(!words.contains(word, Qt::CaseInsensitive), qPrintable(text));
        }
        QVERIFY2(said.at(0).contains("2."), qPrintable(said.at(0)));
        QVERIFY2(said.at(4).contains("1,5"), qPrintable(said.at(4)));
        QCOMPARE(ManeuverText::distance(1234, false), TripFigures::distance(1234));
        QCOMPARE(ManeuverText::distance(1234, false), QString("1,2 km"));
    }
    QLocale::setDefault(QLocale::c());
    englishAgain();
}

void TestGuidance::aRouteBehindTheCarIsAnnouncedOnce()
{
    // The route heads east from here; the car drives west, away from it, then turns.
    const Directions d = route({{90, 300, ""}, {0, 400, "turn-left"}, {90, 300, "turn-right"}});
    Guidance g;
    QSignalSpy prompts(&g, &Guidance::prompt);
    g.start(d, false);
    QList<QPointF> away;
    for (int i = 0; i <= 12; ++i)
        away << move(QPointF(43.7300, 7.4200), 270, 10.0 * i);
    drive(g, away);
    QList<QPointF> back = away;
    std::reverse(back.begin(), back.end());
    drive(g, back + along(d), away.size());
    QStringList said;
    for (const QList<QVariant> &p : prompts)
        said << p.first().toString();
    QCOMPARE(said.count("Turn around when possible"), 1);
    QCOMPARE(said.first(), QString("Turn around when possible"));
    // Nothing of the route's maneuvers while driving away; all of them after.
    QVERIFY2(said.filter("Turn left").size() >= 1 && said.filter("Turn right").size() >= 1, qPrintable(said.join("|")));
}

void TestGuidance::driveViewZoomFitsSpeedAndTurnsAndHolds()
{
    const auto settled = [](double speed, double toManeuver) {
        DriveView v;
        v.setMap(QSize(800, 480), 96);
        v.update(43.73, speed, toManeuver, 90, 0);
        return v.zoom();
    };
    const double far = std::numeric_limits<double>::infinity();
    const int town = settled(14, far), motorway = settled(33, far), beforeTurn = settled(14, 60);
    QVERIFY2(motorway < town && town < beforeTurn, qPrintable(QString("%1 %2 %3").arg(motorway).arg(town).arg(beforeTurn)));
    QVERIFY(motorway >= DriveView::MinZoom && beforeTurn <= DriveView::MaxZoom);
    // The car sits low: below the centre, above the pan arrow at the bottom.
    DriveView v;
    v.setMap(QSize(800, 480), 96);
    QVERIFY(v.ahead() > 480 / 6 && 240 + v.ahead() <= 480 - DriveView::BottomMargin);

    // A speed that wavers does not pump the zoom, and a change is one level at a time.
    v.update(43.73, 12, far, 0, 0);
    int changes = 0, zoom = v.zoom();
    for (int second = 1; second < 120; ++second) {
        v.update(43.73, second % 2 ? 9 : 15, far, 0, second * 1000);
        changes += v.zoom() != zoom;
        QVERIFY(std::abs(v.zoom() - zoom) <= 1);
        zoom = v.zoom();
    }
    QVERIFY2(changes <= 1, qPrintable(QString::number(changes)));
    // Faster: out a level at once, and the next level only after the hold.
    const int before = v.zoom();
    v.update(43.73, 30, far, 0, 200000);
    QCOMPARE(v.zoom(), before - 1);
    v.update(43.73, 60, far, 0, 201000);
    QCOMPARE(v.zoom(), before - 1);
    v.update(43.73, 60, far, 0, 200000 + DriveView::HoldMs);
    QCOMPARE(v.zoom(), before - 2);

    // A corner turns the map in steps of at most 30 degrees, the short way round.
    QList<int> turns;
    for (int second = 0; second < 5; ++second) {
        v.update(43.73, 12, far, second < 1 ? 350 : 80, 300000 + second * 1000);
        turns << v.bearing();
    }
    const auto compass = [](int degrees) { return (degrees % 360 + 360) % 360; };
    QCOMPARE(compass(turns.first()), 350);
    for (int i = 1; i < turns.size(); ++i)
        QVERIFY(turns[i] - turns[i - 1] >= 0 && turns[i] - turns[i - 1] <= DriveView::MaxTurnPerFix);
    QCOMPARE(compass(turns.last()), 80);
}

void TestGuidance::withoutASpeechEngineOneLogLine()
{
    qputenv("MARLU_SPEECH_ENGINE", "nosuchengine");
    LogCapture log;
    VoicePrompter voice;
    voice.say("Turn left");
    voice.say("Turn right");
    QCOMPARE(log.lines(QtWarningMsg), QStringList{"VoicePrompter: no speech engine; guidance is shown, not spoken"});
    QCOMPARE(log.lines(QtDebugMsg), (QStringList{"Guidance prompt: Turn left", "Guidance prompt: Turn right"}));
    qunsetenv("MARLU_SPEECH_ENGINE");
}

MARLU_TEST_MAIN(TestGuidance)
#include "tst_guidance.moc"
