"""What Routino's database does not keep but the steps and times need: the
traffic signals and the roundabouts of a region, by node position.

At import they go to REGION/routino/nodefeatures.json; per request the
router's points are matched to them by position (Routino prints positions to
six decimals and keeps them to about 1e-6 degrees, so a point matches a node
within two units of the sixth decimal).
"""

import json
import math
import os
import threading

from .. import osmexport

FILE = "nodefeatures.json"
SCALE = 1e6
SLACK = 2


DRIVABLE = {"motorway", "trunk", "primary", "secondary", "tertiary", "unclassified",
             "residential", "living_street", "service", "road", "motorway_link", "trunk_link",
             "primary_link", "secondary_link", "tertiary_link"}
ROUNDABOUT = {"roundabout", "circular"}
NO_ACCESS = {"no", "private"}


def _opl(line):
    """(kind, id, tags dict, fields dict) of an OPL line."""
    fields = dict((f[:1], f[1:]) for f in line.split(" ")[1:] if f)
    tags = dict(t.split("=", 1) for t in fields.get("T", "").split(",") if "=" in t)
    return line[:1], line[1:].split(" ", 1)[0], tags, fields


def _leaves_by(tags, refs, node):
    """Whether a car can leave node by this way (a one-way road that ends at
    the roundabout only leads into it)."""
    if tags.get("highway") not in DRIVABLE or tags.get("junction") in ROUNDABOUT:
        return False
    if NO_ACCESS & {tags.get("access"), tags.get("motor_vehicle"), tags.get("motorcar")}:
        return False
    oneway = tags.get("oneway")
    if oneway in ("yes", "1", "true") or tags.get("highway") == "motorway":
        return node != refs[-1]
    if oneway == "-1":
        return node != refs[0]
    return True


def import_region(pbf, target, work):
    """Writes target/nodefeatures.json from the extract; returns (signals, roundabouts)."""
    signals = []
    for line in osmexport.lines(["tags-filter", "-R", "-f", "opl", "-o", "-", pbf,
                                 "n/highway=traffic_signals"]):
        kind, _, tags, fields = _opl(line.rstrip("\n"))
        if kind == "n" and tags.get("highway") == "traffic_signals":
            try:
                signals.append([round(float(fields["y"]), 7), round(float(fields["x"]), 7)])
            except (KeyError, ValueError):
                continue
    # The roundabouts' ways, then their nodes, found among all nodes as osmium
    # lists them: its own searches by id keep a table as large as the highest id.
    ways = []
    for line in osmexport.lines(["tags-filter", "-R", "-f", "opl", "-o", "-", pbf,
                                 "w/junction=roundabout,circular"]):
        kind, _, _, fields = _opl(line.rstrip("\n"))
        if kind == "w":
            ways.append([r[1:] for r in fields.get("N", "").split(",") if r[:1] == "n"])
    wanted, where = {n for w in ways for n in w}, {}
    if wanted:
        for line in osmexport.lines(["cat", "-t", "node", "-f", "opl,add_metadata=false",
                                     "-o", "-", pbf]):
            if line[1:line.find(" ")] in wanted:
                _, node, _, fields = _opl(line.rstrip("\n"))
                try:
                    where[node] = [round(float(fields["y"]), 7), round(float(fields["x"]), 7)]
                except (KeyError, ValueError):
                    continue
    roundabouts, ring_nodes = [], {}
    for refs in ways:
        ring = []
        for node in refs:
            if node in where:
                ring.append(list(where[node]))
                ring_nodes[node] = ring[-1]
        if len(ring) > 1:
            roundabouts.append(ring)
    # The nodes of a roundabout where a road leads away: its exits, counted
    # when the route goes round.
    exits = set()
    if ring_nodes:
        # Every road of the region, read as osmium writes it, one at a time.
        for line in osmexport.lines(["tags-filter", "-R", "-f", "opl", "-o", "-", pbf,
                                     "w/highway"]):
            kind, _, tags, fields = _opl(line.rstrip("\n"))
            refs = [r[1:] for r in fields.get("N", "").split(",") if r]
            for node in refs:
                if node in ring_nodes and _leaves_by(tags, refs, node):
                    exits.add(node)
    with open(os.path.join(target, FILE), "w", encoding="utf-8") as f:
        json.dump({"signals": signals, "roundabouts": roundabouts,
                   "exits": [ring_nodes[n] for n in sorted(exits)]}, f)
    return len(signals), len(roundabouts)


def _key(lat, lng):
    return round(lat * SCALE), round(lng * SCALE)


class NodeFeatures:
    """The signals and roundabout ways of one region, found by position."""

    def __init__(self, data):
        self._signals = {_key(*p) for p in data.get("signals", ())}
        self._exits = {_key(*p) for p in data.get("exits", ())}
        self._ways, self._sides = {}, []
        for number, ring in enumerate(data.get("roundabouts", ())):
            for p in ring:
                self._ways.setdefault(_key(*p), set()).add(number)
            self._sides.append(_driving_side(ring))

    def _near(self, table, lat, lng):
        """Every entry of table within SLACK units of the sixth decimal."""
        y, x = _key(lat, lng)
        return [table[(y + dy, x + dx)] for dy in range(-SLACK, SLACK + 1)
                for dx in range(-SLACK, SLACK + 1) if (y + dy, x + dx) in table]

    def _has(self, table, lat, lng):
        y, x = _key(lat, lng)
        return any((y + dy, x + dx) in table for dy in range(-SLACK, SLACK + 1)
                   for dx in range(-SLACK, SLACK + 1))

    def signal(self, lat, lng):
        return self._has(self._signals, lat, lng)

    def roundabout_exit(self, lat, lng):
        return self._has(self._exits, lat, lng)

    def driving_side(self, ways):
        """"right" or "left": the side traffic keeps to on these roundabout ways."""
        sides = [self._sides[n] for n in ways]
        return "left" if sides.count("left") > sides.count("right") else "right"

    def roundabout_ways(self, lat, lng):
        found = set()
        for ways in self._near(self._ways, lat, lng):
            found |= ways
        return found


def _driving_side(ring):
    """A roundabout's way runs the way traffic goes round: anticlockwise
    (turning left, as the sum of its bends says) where traffic keeps right."""
    turning, heading = 0.0, None
    for (la1, lo1), (la2, lo2) in zip(ring, ring[1:]):
        if (la1, lo1) == (la2, lo2):
            continue
        y = (lo2 - lo1) * math.cos(math.radians(la1))
        now = math.degrees(math.atan2(y, la2 - la1))
        if heading is not None:
            turning += (now - heading + 540.0) % 360.0 - 180.0
        heading = now
    return "left" if turning > 0 else "right"


_cache = {}
_lock = threading.Lock()
EMPTY = NodeFeatures({})


def load(database):
    """The NodeFeatures of a routing database folder (none for one imported without them)."""
    path = os.path.join(database, FILE)
    try:
        stamp = os.stat(path).st_mtime_ns
    except OSError:
        return EMPTY
    with _lock:
        cached = _cache.get(path)
        if cached and cached[0] == stamp:
            return cached[1]
    try:
        with open(path, encoding="utf-8") as f:
            features = NodeFeatures(json.load(f))
    except (OSError, ValueError, TypeError):
        return EMPTY
    with _lock:
        _cache[path] = (stamp, features)
    return features
