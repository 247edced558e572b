"""Offline routes: Routino on the imported OpenStreetMap extracts.

At import, planetsplitter builds REGION/routino/ from the extract. Per
request the router runs on the database of the region whose extract holds
both ends, with the motorcar, foot or bicycle profile of Routino's own
profiles.xml, and its every-point text output becomes the steps.
"""

import json
import math
import os
import subprocess
import xml.etree.ElementTree as ET

from . import polyline, texts

SHARE = "/usr/share/routino"
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


def import_region(pbf, folder, log):
    target = os.path.join(folder, SUBDIR)
    os.makedirs(target, exist_ok=True)
    command = ["planetsplitter", "--dir=" + target,
               "--tagging=" + os.path.join(SHARE, "tagging.xml"), "--loggable", pbf]
    result = _run(command, IMPORT_TIMEOUT, RuntimeError)
    if result.returncode != 0:
        lines = (result.stderr + result.stdout).strip().splitlines() or ["no output"]
        raise RuntimeError("planetsplitter failed: %s" % lines[-1])
    size = sum(os.path.getsize(os.path.join(target, n)) for n in os.listdir(target))
    log("routing database: %d kB" % (size // 1024))


# --- Regions -----------------------------------------------------------------


def _bbox(region):
    try:
        with open(os.path.join(region, "region.json"), encoding="utf-8") as f:
            west, south, east, north = (float(v) for v in json.load(f)["bbox"])
        return west, south, east, north
    except (OSError, ValueError, TypeError, KeyError):
        return None


def database_for(regions, ends):
    """The routing database of the first region whose extract holds every end, or None."""
    for region in regions:
        box = _bbox(region)
        database = os.path.join(region, SUBDIR)
        if box is None or not os.path.isfile(os.path.join(database, "nodes.mem")):
            continue
        west, south, east, north = box
        if all(south <= lat <= north and west <= lng <= east for lat, lng in ends):
            return database
    return None


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
               "--profiles=" + os.path.join(SHARE, "profiles.xml"),
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
        # The speed gives the segment's time more exactly than its minutes, printed to 0.01.
        seconds = km / speed * 3600.0 if speed > 0 else minutes * 60.0
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


def build_route(points, destination, metric):
    """The route dict of xmlreply.directions_document (without the addresses)
    from the router's points; destination is the requested end (lat, lng)."""
    coords = [(p["lat"], p["lng"]) for p in points]
    last = len(points) - 1
    cuts = [0]
    for i in range(1, last):
        arriving, leaving = points[i]["name"], points[i + 1]["name"]
        if arriving != leaving or (points[i]["kind"] == "Junct"
                                   and abs(_turn_at(coords, i)) >= STEP_TURN):
            cuts.append(i)
    cuts.append(last)
    # A step of a metre or two is where the way's name changes at a node, not
    # a turn to make: it joins the step after it (the last one, the one before).
    kept = [0]
    for cut in cuts[1:-1]:
        if _metres(points, kept[-1], cut) >= MIN_STEP:
            kept.append(cut)
    if len(kept) > 1 and _metres(points, kept[-1], last) < MIN_STEP:
        kept.pop()
    cuts = kept + [last]

    ranges = list(zip(cuts, cuts[1:]))
    roads = [_main_road(points, i, j) for i, j in ranges]
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
        else:
            text, maneuver = texts.step_instruction(_turn_at(coords, i), road,
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
