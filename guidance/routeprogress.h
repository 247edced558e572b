#ifndef ROUTEPROGRESS_H
#define ROUTEPROGRESS_H

#include "directions/directions.h"

#include <QVector>

// Where a driver is on a route: each fix is matched to the nearest segment of
// the route's line (the travel direction decides where the route passes a
// place twice), giving the step being driven, the distance to the next
// maneuver along the route, the remaining distance and the time to go.
// After the first fix only a window of the route around the last match is
// searched, so a fix costs the same on a route of 20 steps and of 5,000.
class RouteProgress
{
public:
    struct State
    {
        bool matched = false;
        int step = -1;                  // the step being driven
        double along = 0;               // metres from the route's start to the matched point
        double offRoute = 0;            // metres from the fix to the matched point
        double toManeuver = 0;          // metres along the route to the end of the step
        double remaining = 0;           // metres along the route to the destination
        double remainingSeconds = 0;    // the steps' own durations, the current one pro rata
        double toDestination = 0;       // metres in a straight line
        bool beyondEnd = false;         // the fix lies past the route's last point
        double backwards = 0;           // metres driven back along the route, against it
        double roadBearing = -1;        // degrees: the route's way ahead of the matched point
    };

    // Window searched around the last match, in metres along the route.
    static constexpr double BehindWindow = 250;
    static constexpr double AheadWindow = 1500;

    void setRoute(const Directions &route);
    bool hasRoute() const { return m_points.size() > 0; }
    void reset();   // the next fix is matched against the whole route

    // heading: the direction of travel in degrees, negative when unknown.
    State update(double latitude, double longitude, double heading = -1);

    int stepCount() const { return m_stepStart.size(); }
    double length() const { return m_points.isEmpty() ? 0 : m_points.last().along; }
    double stepStart(int step) const { return m_stepStart.value(step); }
    double stepEnd(int step) const;
    int lastSearchSize() const { return m_lastSearch; }   // segments looked at by the last update

    // Metres between two points on the globe.
    static double distance(double lat1, double lon1, double lat2, double lon2);
    static double bearing(double lat1, double lon1, double lat2, double lon2);

private:
    struct Point
    {
        double lat;
        double lon;
        double along;
        int step;   // of the segment that starts here
    };
    struct Match
    {
        int segment = -1;
        double t = 0;
        double distance = 0;
        double score = 0;
    };
    void addPoint(double lat, double lon, int step);
    Match project(int segment, double lat, double lon, double heading, double cosLat) const;

    QVector<Point> m_points;
    QVector<double> m_stepStart;
    QVector<double> m_stepSeconds;
    QVector<double> m_secondsAfter;   // of the steps after each step
    int m_segment = -1;               // of the last match
    double m_along = 0;
    double m_furthest = 0;
    int m_lastSearch = 0;
};

#endif
