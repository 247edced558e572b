"""Offline routes: Routino on the imported OpenStreetMap extracts.

At import, planetsplitter builds REGION/routino/ from the extract (with
Routino's tagging rules, a living street kept to walking pace), and the
region's traffic signals and roundabouts are kept beside it
(nodefeatures.py). Per request the router runs on the database of a region
whose extract holds both ends, with the motorcar, foot or bicycle profile of
the project's profiles.xml, and its every-point text output becomes the
steps; timing.py turns its segments into travel times.
"""

import json
import math
import os
import subprocess
import tempfile
import xml.etree.ElementTree as ET

from . import nodefeatures, polyline, texts, timing

SHARE = "/usr/share/routino"
# MB of memory planetsplitter sorts in (its default is 256).
SORT_RAM_MB = 48
PROFILES_FILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "profiles.xml")
TAGGING_FILE = "tagging.xml"
# Routino makes a living street a residential road; the speed limit set here
# keeps its own pace (the way's maxspeed would otherwise be the only limit).
LIVING_STREET = '<if k="highway" v="living_street">'
LIVING_STREET_PACE = '<set k="maxspeed" v="%d"/>' % timing.LIVING_STREET_KMH
SUBDIR = "routino"
PROFILES = {"driving": "motorcar", "walking": "foot", "bicycling": "bicycle"}
IMPORT_TIMEOUT = 3600
ROUTE_TIMEOUT = 30
# "Avoid highways": the lowest preference that still allows a motorway
# where nothing else leads to the destination, as the online service does.
AVOID_MOTORWAY = "--highway-motorway=1"
# Turns at least this sharp at a real junction start a step on the same road.
STEP_TURN = 45.0
# Headings are measured over this many metres either side of a turn, so a
# short kink in the way does not decide the turn.
HEADING_SPAN = 20.0
MIN_STEP = 3.0
EARTH_RADIUS = 6371008.8


class RoutinoError(Exception):
    """Routino could not run: missing program or damaged database."""


# --- Import ------------------------------------------------------------------


def _run(command, timeout, error):
    """The finished process of one of Routino's programs; `error` says why it did not run."""
    program = command[0]
    try:
        return subprocess.run(command, capture_output=True, text=True, errors="replace",
                              timeout=timeout)
    except FileNotFoundError:
        raise error("%s is not installed (Debian package routino)" % program)
    except subprocess.TimeoutExpired:
        raise error("%s took more than %d s" % (program, timeout))


def _tagging(target):
    """Routino's tagging rules with a living street's pace, written into target."""
    with open(os.path.join(SHARE, TAGGING_FILE), encoding="utf-8") as f:
        rules = f.read()
    at = rules.find(LIVING_STREET)
    if at < 0:
        raise RuntimeError("Routino's %s has no rule for living streets" % TAGGING_FILE)
    at += len(LIVING_STREET)
    path = os.path.join(target, TAGGING_FILE)
    with open(path, "w", encoding="utf-8") as f:
        f.write(rules[:at] + "\n        " + LIVING_STREET_PACE + rules[at:])
    return path


def import_region(pbf, folder, log):
    target = os.path.join(folder, SUBDIR)
    os.makedirs(target, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix=".routino-", dir=folder) as work:
        # The slim planetsplitter keeps its working data in files (in work,
        # gone with it) and sorts in a bounded amount of memory; its database
        # is the same as the other's.
        command = ["planetsplitter-slim", "--dir=" + target, "--tmpdir=" + work,
                   "--sort-ram-size=%d" % SORT_RAM_MB, "--tagging=" + _tagging(work),
                   "--loggable", pbf]
        result = _run(command, IMPORT_TIMEOUT, RuntimeError)
        if result.returncode != 0:
            lines = (result.stderr + result.stdout).strip().splitlines() or ["no output"]
            raise RuntimeError("planetsplitter failed: %s" % lines[-1])
        signals, roundabouts = nodefeatures.import_region(pbf, target, work)
    size = sum(os.path.getsize(os.path.join(target, n)) for n in os.listdir(target))
    log("routing database: %d kB, %d traffic signals, %d roundabouts"
        % (size // 1024, signals, roundabouts))


# --- Regions -----------------------------------------------------------------


def _bbox(region):
    try:
        with open(os.path.join(region, "region.json"), encoding="utf-8") as f:
            west, south, east, north = (float(v) for v in json.load(f)["bbox"])
        return west, south, east, north
    except (OSError, ValueError, TypeError, KeyError):
        return None


def covering(regions, ends):
    """(databases, names): the routing databases of the regions whose extract
    holds every end, smallest extract first (the likeliest to be the one
    meant), and per end the names of the regions that hold it."""
    both, names = [], [[] for _ in ends]
    for region in regions:
        box = _bbox(region)
        database = os.path.join(region, SUBDIR)
        if box is None or not os.path.isfile(os.path.join(database, "nodes.mem")):
            continue
        west, south, east, north = box
        inside = [south <= lat <= north and west <= lng <= east for lat, lng in ends]
        for held, found in zip(inside, names):
            if held:
                found.append(os.path.basename(region))
        if all(inside):
            both.append(((north - south) * (east - west), database))
    return [database for _, database in sorted(both)], names


# --- Routing -----------------------------------------------------------------

_unnamed = None


def unnamed_ways():
    """The texts Routino gives a way without a name ("residential road", "path")."""
    global _unnamed
    if _unnamed is None:
        names = set()
        try:
            root = ET.parse(os.path.join(SHARE, "translations.xml")).getroot()
            for language in root.iter("language"):
                if language.get("lang") == "en":
                    names = {h.get("string") for h in language.iter("highway")}
        except (OSError, ET.ParseError):
            pass
        _unnamed = names
    return _unnamed


def run_router(database, mode, a, b, optimise="quickest", avoid_highways=False):
    """The route's points: dicts lat, lng, kind, metres, seconds, bearing, name
    (the last four of the segment that reaches the point); None for no route."""
    command = ["routino-router", "--dir=" + database,
               "--profiles=" + PROFILES_FILE,
               "--translations=" + os.path.join(SHARE, "translations.xml"),
               "--transport=" + PROFILES[mode], "--" + optimise,
               "--lat1=%.7f" % a[0], "--lon1=%.7f" % a[1],
               "--lat2=%.7f" % b[0], "--lon2=%.7f" % b[1],
               "--output-text-all", "--output-stdout"]
    if avoid_highways:
        command.append(AVOID_MOTORWAY)
    result = _run(command, ROUTE_TIMEOUT, RoutinoError)
    if result.returncode != 0:
        message = result.stderr.strip()
        # No way near an end, or none that joins them for this profile.
        if "Cannot find" in message:
            return None
        raise RoutinoError("routino-router failed: %s" % (message.splitlines() or ["?"])[-1])
    points = _parse(result.stdout)
    if len(points) < 2:
        raise RoutinoError("routino-router gave no route points")
    return points


def _parse(output):
    unnamed = unnamed_ways()
    points = []
    for line in output.splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        fields = [f.strip() for f in line.split("\t")]
        fields += [""] * (11 - len(fields))
        try:
            lat, lng, km, minutes = float(fields[0]), float(fields[1]), float(fields[4]), \
                float(fields[5])
            speed = float(fields[8]) if fields[8] else 0.0
        except ValueError:
            raise RoutinoError("unreadable router line: %r" % line[:80])
        # The speed column is the profile's, before a way's maxspeed lowers it;
        # it gives the time more exactly than the minutes (printed to 0.01),
        # which are the longer where a limit applied.
        seconds = max(km / speed * 3600.0 if speed > 0 else 0.0, minutes * 60.0)
        name = fields[10] or None
        points.append({"lat": lat, "lng": lng, "kind": fields[3].split("#")[0],
                       "metres": km * 1000.0, "seconds": seconds,
                       "name": None if name in unnamed else name})
    return points


# --- Steps -------------------------------------------------------------------


def distance(p, q):
    la1, la2 = math.radians(p[0]), math.radians(q[0])
    h = (math.sin((la2 - la1) / 2) ** 2
         + math.cos(la1) * math.cos(la2) * math.sin(math.radians(q[1] - p[1]) / 2) ** 2)
    return 2 * EARTH_RADIUS * math.asin(min(1.0, math.sqrt(h)))


def bearing(p, q):
    la1, la2 = math.radians(p[0]), math.radians(q[0])
    dl = math.radians(q[1] - p[1])
    y = math.sin(dl) * math.cos(la2)
    x = math.cos(la1) * math.sin(la2) - math.sin(la1) * math.cos(la2) * math.cos(dl)
    return math.degrees(math.atan2(y, x)) % 360.0


def _angle(before, after):
    return (after - before + 540.0) % 360.0 - 180.0


def _heading(coords, i, step):
    """Bearing away from point i (step +1) or towards it (step -1), over HEADING_SPAN metres."""
    j, walked = i, 0.0
    while 0 <= j + step < len(coords) and walked < HEADING_SPAN:
        walked += distance(coords[j], coords[j + step])
        j += step
    if j == i:
        return None
    return bearing(coords[i], coords[j]) if step > 0 else bearing(coords[j], coords[i])


def _turn_at(coords, i):
    before, after = _heading(coords, i, -1), _heading(coords, i, +1)
    return 0.0 if before is None or after is None else _angle(before, after)


def _roundabouts(points, features):
    """{entry point: exit point} of each roundabout the route goes round; one
    it starts or ends on is left to the ordinary steps."""
    ways = [features.roundabout_ways(p["lat"], p["lng"]) for p in points]
    found, i, last = {}, 0, len(points) - 1
    while i < last:
        j = i
        while j < last and ways[j] & ways[j + 1]:
            j += 1
        if j > i and 0 < i and j < last:
            found[i] = j
        i = max(j, i + 1)
    return found


def _roundabout_step(points, features, entry, leave, road):
    """(html_instructions, maneuver) of a step that goes round a roundabout."""
    exit_number = 1 + sum(1 for p in points[entry + 1:leave]
                          if features.roundabout_exit(p["lat"], p["lng"]))
    ways = set()
    for p in points[entry:leave + 1]:
        ways |= features.roundabout_ways(p["lat"], p["lng"])
    return texts.roundabout_instruction(exit_number, road, features.driving_side(ways))


def build_route(points, destination, metric, mode="driving", features=nodefeatures.EMPTY):
    """The route dict of xmlreply.directions_document (without the addresses)
    from the router's points; destination is the requested end (lat, lng),
    features the region's NodeFeatures."""
    coords = [(p["lat"], p["lng"]) for p in points]
    last = len(points) - 1
    roundabouts = _roundabouts(points, features)
    inside = {k for entry, leave in roundabouts.items() for k in range(entry + 1, leave + 1)}
    turns = {i: _turn_at(coords, i) for i in range(1, last)
             if points[i]["kind"].startswith("Junct") and i not in inside}
    timing.add_delays(points, turns, features, mode)
    cuts = [0]
    for i in range(1, last):
        arriving, leaving = points[i]["name"], points[i + 1]["name"]
        if i in roundabouts or (i not in inside and (
                arriving != leaving or (points[i]["kind"] == "Junct"
                                        and abs(turns.get(i, 0.0)) >= STEP_TURN))):
            cuts.append(i)
    cuts.append(last)
    # A step of a metre or two is where the way's name changes at a node, not
    # a turn to make: it joins the step after it (the last one, the one before).
    # A roundabout's entry always starts a step.
    kept = [0]
    for cut in cuts[1:-1]:
        if _metres(points, kept[-1], cut) >= MIN_STEP:
            kept.append(cut)
        elif cut in roundabouts:
            kept[-1:] = [cut] if kept[-1] else [0, cut]
    if len(kept) > 1 and _metres(points, kept[-1], last) < MIN_STEP \
            and kept[-1] not in roundabouts:
        kept.pop()
    cuts = kept + [last]

    ranges = list(zip(cuts, cuts[1:]))
    # A roundabout's step is named after the road it leaves by.
    roads = [_main_road(points, roundabouts.get(i, i), j) if roundabouts.get(i, i) < j
             else _main_road(points, i, j) for i, j in ranges]
    steps, lengths = [], {}
    for n, (i, j) in enumerate(ranges):
        road = roads[n]
        metres = _metres(points, i, j)
        seconds = sum(p["seconds"] for p in points[i + 1:j + 1])
        if road:
            lengths[road] = lengths.get(road, 0.0) + metres
        if n == 0:
            toward = next((r for r in roads[1:] if r and r != road), None)
            text, maneuver = texts.step_instruction(None, road, False, toward,
                                                    _heading(coords, 0, +1) or 0.0)
        elif i in roundabouts:
            text, maneuver = _roundabout_step(points, features, i, roundabouts[i], road)
        else:
            text, maneuver = texts.step_instruction(turns.get(i, _turn_at(coords, i)), road,
                                                    road is not None and road == roads[n - 1])
        steps.append({"start": coords[i], "end": coords[j],
                      "polyline": polyline.encode(coords[i:j + 1]),
                      "metres": metres, "seconds": seconds,
                      "instructions": text, "maneuver": maneuver})
    side = _destination_side(coords, destination)
    if side is not None:
        steps[-1]["instructions"] += texts.destination_side(side)

    total_m = sum(s["metres"] for s in steps)
    total_s = sum(s["seconds"] for s in steps)
    for s in steps:
        s["distance"] = (round(s["metres"]), texts.distance_text(round(s["metres"]), metric))
        # As the online service: a step takes at least a second.
        seconds = max(1, round(s["seconds"]))
        s["duration"] = (seconds, texts.duration_text(seconds))
    return {
        "summary": max(lengths, key=lengths.get) if lengths else "",
        "steps": steps,
        "distance": (round(total_m), texts.distance_text(round(total_m), metric)),
        "duration": (round(total_s), texts.duration_text(round(total_s))),
        "start": coords[0], "end": coords[-1],
        "overview_polyline": polyline.encode(coords),
        "bounds": polyline.bounds(coords),
        "path": coords,
    }


def _metres(points, i, j):
    return sum(p["metres"] for p in points[i + 1:j + 1])


def _main_road(points, i, j):
    """The name of the way that carries most of points i to j (None: unnamed ways)."""
    lengths = {}
    for p in points[i + 1:j + 1]:
        lengths[p["name"]] = lengths.get(p["name"], 0.0) + p["metres"]
    return max(lengths, key=lengths.get)


def _destination_side(coords, destination):
    """Turn angle from the last way to the requested end, when it lies off to a side."""
    end = coords[-1]
    if distance(end, destination) < 3.0:
        return None
    arriving = _heading(coords, len(coords) - 1, -1)
    if arriving is None:
        return None
    angle = _angle(arriving, bearing(end, destination))
    return angle if 20.0 <= abs(angle) <= 160.0 else None
