#include "guidance.h"

#include "guidance/maneuvertext.h"

#include "directions/maneuver.h"

#include <QDebug>
#include <QTimer>

#include <cmath>

namespace {
// A reroute whose answer never came (a reply that could not be read sends
// none) counts as failed after this long.
const qint64 RerouteAnswerMs = 30000;
// Shares of each fix's difference from the predicted progress taken into
// the progress and, without the receiver's speed, into the speed.
// A tenth keeps the final prompt within a second of its mark with 20 m of
// noise at 30 km/h; a third let it drift by 1.5 s.
const double ProgressGain = 0.1;
const double SpeedGain = 0.02;
}

Guidance::Guidance(QObject *parent)
    : QObject(parent)
    , m_finalTimer(new QTimer(this))
{
    m_finalTimer->setSingleShot(true);
    connect(m_finalTimer, &QTimer::timeout, this, &Guidance::onFinalDue);
}

void Guidance::start(const Directions &route, bool imperial)
{
    m_route = route;
    m_imperial = imperial;
    m_progress.setRoute(route);
    m_state = RouteProgress::State();
    m_active = m_progress.hasRoute();
    m_arrived = false;
    m_offCount = 0;
    m_earlyDone.clear();
    m_finalDone.clear();
    m_lastStep = -1;
    m_smoothAlong = -1;
    m_interval = 1;
    m_rerouting = false;
    m_finalTimer->stop();
    m_pendingFinal = -1;
    m_against = false;
    m_headingKnown = false;
    m_startAlong = -1;
    m_turnAroundSaid = false;
    m_headingLat = m_headingLon = qQNaN();
}

void Guidance::stop()
{
    m_active = false;
    m_finalTimer->stop();
    m_pendingFinal = -1;
    m_rerouting = false;
    m_rerouteGapMs = RerouteGapMs;
    m_nextRerouteAllowed = QDateTime();
    m_reroutes = 0;
}

int Guidance::nextManeuver() const
{
    return m_state.matched ? m_state.step + 1 : -1;
}

int Guidance::thenManeuver() const
{
    const int m = nextManeuver();
    const int n = m_progress.stepCount();
    if (m < 0 || m >= n)
        return -1;
    const double between = m_progress.stepEnd(m) - m_progress.stepStart(m);
    return between <= ThenMetres ? m + 1 : -1;
}

double Guidance::smoothedToManeuver() const
{
    const double along = m_smoothAlong >= 0 ? m_smoothAlong : m_state.along;
    return qMax(0.0, m_progress.stepEnd(m_state.step) - along);
}

QString Guidance::actionOf(int maneuver) const
{
    if (maneuver >= 0 && maneuver < m_route.steps.size())
        return ManeuverText::action(m_route.steps.at(maneuver));
    return ManeuverText::arrivalAhead();
}

void Guidance::addFix(const Fix &fix)
{
    if (!m_active || m_arrived || !std::isfinite(fix.latitude) || !std::isfinite(fix.longitude))
        return;
    const QDateTime time = fix.time.isValid() ? fix.time
                           : m_lastTime.isValid() ? m_lastTime.addMSecs(1000)
                                                  : QDateTime::fromMSecsSinceEpoch(0, Qt::UTC);
    double heading = fix.heading;
    if (heading < 0 && std::isfinite(m_lastLat)
        && RouteProgress::distance(m_lastLat, m_lastLon, fix.latitude, fix.longitude) > 5)
        heading = RouteProgress::bearing(m_lastLat, m_lastLon, fix.latitude, fix.longitude);
    m_state = m_progress.update(fix.latitude, fix.longitude, heading);
    // Noise at the joint of two steps does not bring back a maneuver already
    // passed; driving back for real is leaving the route.
    if (m_state.matched && m_state.step < m_lastStep) {
        m_state.step = m_lastStep;
        m_state.toManeuver = qMax(0.0, m_progress.stepEnd(m_lastStep) - m_state.along);
    }
    m_lastStep = qMax(m_lastStep, m_state.step);

    // The prompts time on progress predicted from the speed and corrected by
    // a small share of each fix: 20 m of noise would move a prompt by
    // seconds. The receiver's own speed is precise; without one, the speed
    // is learnt from the same corrections, as noisy positions would give
    // tens of metres a second between two fixes.
    const bool measured = std::isfinite(fix.speed) && fix.speed >= 0;
    const qint64 sinceLast = m_lastTime.isValid() ? m_lastTime.msecsTo(time) : 0;
    const double seconds = sinceLast / 1000.0;
    if (m_smoothAlong < 0 || sinceLast <= 0 || sinceLast > 5000 || std::fabs(m_state.along - m_smoothAlong) > 100) {
        m_smoothAlong = m_state.along;
        m_speedLearnt = false;
        if (measured)
            m_speed = fix.speed;
    } else if (!measured && !m_speedLearnt) {
        // The first guess without the receiver's speed: the last two fixes.
        m_speed = qMax(0.0, (m_state.along - m_smoothAlong) / seconds);
        m_smoothAlong = m_state.along;
        m_speedLearnt = true;
    } else {
        const double speed = measured ? fix.speed : m_speed;
        const double predicted = m_smoothAlong + speed * seconds;
        const double residual = m_state.along - predicted;
        m_smoothAlong = predicted + ProgressGain * residual;
        m_speed = measured ? fix.speed : qMax(0.0, speed + SpeedGain * residual / seconds);
    }
    if (sinceLast > 0 && sinceLast <= 5000)
        m_interval = seconds;
    qint64 wallMs = 0;
    if (m_wall.isValid())
        wallMs = m_wall.restart();
    else
        m_wall.start();
    if (sinceLast > 0 && wallMs > 0)
        m_rate = qBound(0.1, double(sinceLast) / wallMs, 100.0);
    // A prompt the timer has not said yet is weighed again on this fix.
    m_finalTimer->stop();
    m_pendingFinal = -1;
    m_lastTime = time;
    m_lastLat = fix.latitude;
    m_lastLon = fix.longitude;

    if (m_state.toDestination <= ArrivalMetres
        || (m_state.beyondEnd && m_state.toDestination < PassedArrivalMetres)) {
        m_arrived = true;
        m_rerouting = false;
        qDebug() << "Guidance: arrived";
        emit prompt(ManeuverText::youHaveArrived());
        emit arrived();
        emit updated();
        return;
    }
    checkOffRoute(fix);
    if (m_offCount == 0 && !m_rerouting)
        checkHeading(fix.latitude, fix.longitude);
    // Driving away from the route, its maneuvers lie behind: none is said,
    // nor before the car is seen to head along it.
    if (m_startAlong < 0)
        m_startAlong = m_state.along;
    const bool headingAlong = m_headingKnown || m_state.along - m_startAlong >= StartMetres;
    if (m_offCount == 0 && !m_rerouting && !m_against && headingAlong)
        planPrompts(fix);
    emit updated();
}

void Guidance::checkOffRoute(const Fix &fix)
{
    const double accuracy = std::isfinite(fix.accuracy) ? qBound(0.0, fix.accuracy, 100.0) : 0.0;
    m_offCount = m_state.offRoute > OffRouteMetres + accuracy ? m_offCount + 1 : 0;
    const bool backwards = m_state.backwards > BackwardsMetres;
    if (m_rerouting) {
        if (m_rerouteAsked.msecsTo(m_lastTime) > RerouteAnswerMs)
            rerouteFinished(false);
        return;
    }
    if (m_offCount < OffRouteFixes && !backwards)
        return;
    if (m_nextRerouteAllowed.isValid() && m_lastTime < m_nextRerouteAllowed)
        return;
    m_rerouting = true;
    m_rerouteAsked = m_lastTime;
    m_nextRerouteAllowed = m_lastTime.addMSecs(m_rerouteGapMs);
    ++m_reroutes;
    qDebug().nospace() << "Guidance: off the route (" << m_state.offRoute << " m away, "
                       << m_state.backwards << " m back), rerouting";
    emit prompt(ManeuverText::rerouting());
    emit rerouteNeeded(fix.latitude, fix.longitude);
}

void Guidance::rerouteFinished(bool success, const Directions &route)
{
    if (!m_rerouting)
        return;
    m_rerouting = false;
    if (success && !route.steps.isEmpty()) {
        m_rerouteGapMs = RerouteGapMs;
        start(route, m_imperial);
        return;
    }
    // The old route stays; the next try waits twice as long.
    m_rerouteGapMs = qMin(m_rerouteGapMs * 2, MaxRerouteGapMs);
    m_nextRerouteAllowed = m_lastTime.addMSecs(m_rerouteGapMs);
    m_offCount = 0;
}

// The route (a new one after a reroute too) may start behind the car: it is
// told to turn round once. The heading is taken over HeadingBaseMetres, as
// the receiver's noise turns the line between two close fixes any way.
void Guidance::checkHeading(double latitude, double longitude)
{
    if (!std::isfinite(m_headingLat)) {
        m_headingLat = latitude;
        m_headingLon = longitude;
        m_headingAlong = m_state.along;
        return;
    }
    const double moved = RouteProgress::distance(m_headingLat, m_headingLon, latitude, longitude);
    if (moved < HeadingBaseMetres)
        return;
    const double heading = RouteProgress::bearing(m_headingLat, m_headingLon, latitude, longitude);
    const double gained = m_state.along - m_headingAlong;
    m_headingLat = latitude;
    m_headingLon = longitude;
    m_headingAlong = m_state.along;
    if (m_state.roadBearing < 0)
        return;
    m_headingKnown = true;
    // Against the route and not getting on along it (a hairpin bend turns
    // the way ahead round as well, but the car makes progress through it).
    m_against = std::fabs(std::remainder(heading - m_state.roadBearing, 360.0)) > AgainstDegrees
                && gained < moved / 4;
    if (m_against && !m_turnAroundSaid) {
        m_turnAroundSaid = true;
        qDebug() << "Guidance: the route lies behind, turn around";
        emit prompt(ManeuverText::turnAround());
    }
}

void Guidance::sayFinal(int m)
{
    const int n = m_progress.stepCount();
    QString text = actionOf(m);
    const int then = thenManeuver();
    if (then >= 0 && then < n) {
        text += ", " + ManeuverText::then(actionOf(then));
        m_earlyDone.insert(then);
    }
    m_finalDone.insert(m);
    m_earlyDone.insert(m);
    emit prompt(text);
    // The side of the road the destination lies on: a sentence of its own
    // after the last instruction.
    if (m == n - 1) {
        const QString side = Maneuver(m_route.steps.at(m)).destinationSentence();
        if (!side.isEmpty())
            emit prompt(side);
    }
}

void Guidance::onFinalDue()
{
    const int m = m_pendingFinal;
    m_pendingFinal = -1;
    if (m_active && !m_arrived && !m_rerouting && m >= 0 && m == nextManeuver() && !m_finalDone.contains(m))
        sayFinal(m);
}

void Guidance::planPrompts(const Fix &)
{
    const int step = m_state.step;
    const int n = m_progress.stepCount();
    const int m = step + 1;   // the maneuver ahead; n is the destination
    const double to = smoothedToManeuver();
    const double v = qMax(0.0, m_speed);
    // Said at this fix when the mark lies nearer to it than to the next;
    // when it falls later between the two, a timer says it at the mark, as
    // the speed predicts, so that fixes 5 s apart do not make it seconds early.
    const double finalDistance = qMax((FinalSeconds + qMin(m_interval / 2, 0.5)) * v, FinalMinimumMetres);
    const double finalMark = qMax(FinalSeconds * v, FinalMinimumMetres);
    const double earlyDistance = qMax(EarlySeconds * v, EarlyMinimumMetres + 50);
    const double stepLength = m_progress.stepEnd(step) - m_progress.stepStart(step);
    if (m < n && !m_finalDone.contains(m) && to <= finalDistance) {
        sayFinal(m);
        return;
    }
    if (m < n && !m_finalDone.contains(m) && v > 0 && to <= finalMark + v * m_interval) {
        const double seconds = (to - finalMark) / v;
        m_pendingFinal = m;
        m_finalTimer->start(qMax(0, int(seconds * 1000 / m_rate)));
    }
    if (!m_earlyDone.contains(m) && to <= earlyDistance && to >= EarlyMinimumMetres
        && stepLength >= EarlyStepMetres && to > finalDistance) {
        m_earlyDone.insert(m);
        emit prompt(ManeuverText::early(to, m_imperial, actionOf(m)));
    }
}
