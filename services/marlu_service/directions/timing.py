"""Travel times of a route: the router's segment times (speeds of
profiles.xml, lowered by a way's maxspeed), a town's pace where the roads
are built up, and what a drive loses at junctions: slowing for a turn, and
waiting at traffic signals.
"""

import math

LIVING_STREET_KMH = 10
# A turn costs up to TURN_SECONDS, growing with its sharpness along a
# logistic curve (a slight bend costs next to nothing, a right angle half);
# turning back costs U_TURN_SECONDS more.
TURN_SECONDS = 7.5
U_TURN_SECONDS = 20.0
U_TURN_ANGLE = 170.0
# The mean wait at a signal of a 60 s cycle with 30 s of red for a driver
# arriving at any moment: 30 * 30 / (2 * 60).
SIGNAL_SECONDS = 7.5
# Built-up roads: where the route passes at least URBAN_JUNCTIONS junctions
# within URBAN_SPAN metres either side, a car goes no faster than a town's
# usual 50 km/h limit as the usual engines take a posted limit (80 %).
URBAN_KMH = 40.0
URBAN_SPAN = 250.0
URBAN_JUNCTIONS = 5


def turn_seconds(angle):
    """The time a turn of angle degrees (either side) costs a car."""
    size = abs(angle)
    seconds = TURN_SECONDS / (1.0 + math.exp(6.5 - 13.0 * size / 180.0))
    return seconds + (U_TURN_SECONDS if size >= U_TURN_ANGLE else 0.0)


def add_delays(points, turns, features, mode):
    """Adds the junction delays to the points' seconds.

    turns: index -> turn angle at that point of the route (junctions only);
    features: the region's NodeFeatures. A turn's time belongs to the way
    taken after it, a signal's to the way that reaches it.
    """
    if mode == "walking":
        return
    if mode == "driving":
        _town_pace(points)
    last = len(points) - 1
    for i in range(1, last):
        p = points[i]
        if features.signal(p["lat"], p["lng"]):
            p["seconds"] += SIGNAL_SECONDS
        if mode == "driving" and i in turns:
            points[i + 1]["seconds"] += turn_seconds(turns[i])


def _town_pace(points):
    """Slows the segments of a car's route that run through built-up streets."""
    along = [0.0]
    for p in points[1:]:
        along.append(along[-1] + p["metres"])
    junctions = [i for i, p in enumerate(points) if p["kind"].startswith("Junct")]
    low = high = 0
    for i in range(1, len(points)):
        middle = along[i] - points[i]["metres"] / 2.0
        while low < len(junctions) and along[junctions[low]] < middle - URBAN_SPAN:
            low += 1
        while high < len(junctions) and along[junctions[high]] <= middle + URBAN_SPAN:
            high += 1
        if high - low >= URBAN_JUNCTIONS:
            p = points[i]
            p["seconds"] = max(p["seconds"], p["metres"] / (URBAN_KMH / 3.6))
