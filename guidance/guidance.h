#ifndef GUIDANCE_H
#define GUIDANCE_H

#include "directions/directions.h"
#include "guidance/routeprogress.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QSet>

class QTimer;

// Guidance along one route, fix by fix: progress, the prompts to speak, when
// the driver has left the route and when they have arrived. Times are the
// fixes' own, so a replayed drive is guided as it was driven.
class Guidance : public QObject
{
    Q_OBJECT
public:
    struct Fix
    {
        double latitude = 0;
        double longitude = 0;
        double accuracy = qQNaN();   // metres
        double speed = qQNaN();      // metres per second
        double heading = -1;         // degrees, negative when unknown
        QDateTime time;
    };

    // Off the route: this many fixes in a row further than OffRouteMetres
    // plus their accuracy, or this far driven back along it.
    static constexpr int OffRouteFixes = 3;
    static constexpr double OffRouteMetres = 50;
    static constexpr double BackwardsMetres = 100;
    static constexpr double ArrivalMetres = 30;
    static constexpr double PassedArrivalMetres = 50;
    static constexpr qint64 RerouteGapMs = 10000;
    static constexpr qint64 MaxRerouteGapMs = 120000;
    // Early prompts come this long before a maneuver, never closer than the
    // minimum; final ones this long before it, at the fix nearest that.
    static constexpr double EarlySeconds = 30;
    static constexpr double EarlyMinimumMetres = 150;
    static constexpr double EarlyStepMetres = 250;
    static constexpr double FinalSeconds = 7;
    static constexpr double FinalMinimumMetres = 25;
    static constexpr double ThenMetres = 150;
    // The car heads against the route when its heading over the last
    // HeadingBaseMetres and the route's way ahead differ by more than this.
    static constexpr double AgainstDegrees = 120;
    static constexpr double HeadingBaseMetres = 40;
    // A new route's maneuvers are announced once the car is seen to head
    // along it: its heading is known, or it made this much progress.
    static constexpr double StartMetres = 15;

    explicit Guidance(QObject *parent = nullptr);

    void start(const Directions &route, bool imperial);
    void stop();
    bool isActive() const { return m_active; }
    bool hasArrived() const { return m_arrived; }
    void addFix(const Fix &fix);
    // The answer to rerouteNeeded: the new route, or none.
    void rerouteFinished(bool success, const Directions &route = Directions());

    const Directions &route() const { return m_route; }
    const RouteProgress::State &state() const { return m_state; }
    bool imperial() const { return m_imperial; }
    // The maneuver after the current one when it follows within ThenMetres; -1 if none.
    int thenManeuver() const;
    double smoothedToManeuver() const;
    int nextManeuver() const;   // step index; stepCount for the destination
    QDateTime lastFixTime() const { return m_lastTime; }
    int rerouteCount() const { return m_reroutes; }
    double speed() const { return m_speed; }   // metres per second

signals:
    void updated();
    void prompt(const QString &text);
    void rerouteNeeded(double latitude, double longitude);
    void arrived();

private:
    void planPrompts(const Fix &fix);
    void checkOffRoute(const Fix &fix);
    void checkHeading(double latitude, double longitude);
    void sayFinal(int maneuver);
    void onFinalDue();
    QString actionOf(int maneuver) const;

    Directions m_route;
    RouteProgress m_progress;
    RouteProgress::State m_state;
    bool m_active = false;
    bool m_imperial = false;
    bool m_arrived = false;
    int m_offCount = 0;
    QSet<int> m_earlyDone;
    QSet<int> m_finalDone;
    int m_lastStep = -1;
    double m_speed = 0;          // metres per second, smoothed where the receiver gives none
    double m_interval = 1;       // seconds between the last two fixes
    bool m_speedLearnt = false;  // m_speed holds a guess from the fixes since the last jump
    QDateTime m_lastTime;
    double m_smoothAlong = -1;   // progress with the receiver's noise damped, for the prompts' timing
    double m_lastLat = qQNaN(), m_lastLon = qQNaN();
    bool m_rerouting = false;
    QDateTime m_rerouteAsked;
    QDateTime m_nextRerouteAllowed;
    qint64 m_rerouteGapMs = RerouteGapMs;
    int m_reroutes = 0;
    // A final prompt whose mark falls between two fixes is said by a timer
    // at the moment the speed predicts; the fixes' time runs at m_rate times
    // the wall clock's (a replay runs faster).
    QTimer *m_finalTimer;
    int m_pendingFinal = -1;
    QElapsedTimer m_wall;
    double m_rate = 1;
    bool m_against = false;
    bool m_headingKnown = false;
    double m_startAlong = -1;
    bool m_turnAroundSaid = false;
    double m_headingLat = qQNaN(), m_headingLon = qQNaN(), m_headingAlong = 0;
};

#endif
