"""Streets, addresses and named places of an imported OpenStreetMap extract.

import_region(pbf, folder, log) reads the extract with osmium-tool and writes
folder/osmindex/index.sqlite: one row per street (its named ways joined by
name and town), per address (house number on a street or a place, and the
numbers between the ends of an interpolation line), per named place or
natural feature and per unnamed point of interest of a kind people search
for (parking, toilets). Each row knows its kind, the suburb or hamlet around
it, its town (the municipal boundary around it, else the nearest fitting
place of the world gazetteer), the gazetteer's regions and country there,
and its postcode. StreetIndex searches the indexes of every imported region.
"""

import json
import math
import os
import sqlite3
import threading
from array import array
from collections import Counter, OrderedDict, defaultdict, namedtuple

from .. import osmexport

from . import kinds
from .places import PlacesIndex, PlacesUnavailable
from .text import allowed_edits, canonical, normalise, one_edit_variants, pieces, within_edits

SUBFOLDER = "osmindex"
FILENAME = "index.sqlite"
# The extract's own places: below the gazetteer's towns, and the villages and
# towns it may lack (the two are one candidate where both know a place).
PLACES = {"suburb", "quarter", "neighbourhood", "hamlet", "locality", "square", "island",
          "islet", "isolated_dwelling", "farm", "city_block", "plot", "borough", "village",
          "town", "city"}
# Named water lines worth finding; streams and ditches are many and small.
WATERWAYS = {"river", "canal", "stream"}
PLACE_KEYS = ("amenity", "tourism", "leisure", "shop", "historic", "building", "office",
              "craft", "man_made", "natural", "aeroway")
# Railway lines carry names too, but only stations are places to go to.
STATIONS = {"station", "halt"}
# What an unnamed point of interest is called in a result, where its kind's
# name does not read well.
LABELS = {"fuel": "Fuel station", "atm": "ATM", "toilets": "Toilets", "parking": "Parking"}
# What the line of every feature the index takes holds (osmium writes JSON
# without spaces): a name, a house number, an interpolation line, a boundary
# or a kind.
MARKS = ('"name":', '"addr:housenumber":', '"addr:interpolation":',
         '"boundary":"administrative"') + tuple(
    '"%s":"%s"' % tuple(tag.split("=")) for _, tags, _ in kinds.KINDS.values() for tag in tags)
# Bumped when the tables change; an older index is still read. 3 added the
# kind index (category, cell), the district (suburb, hamlet) and location_type.
SCHEMA = "3"
# Size of the cells that points of a kind are indexed by, in degrees: a search
# by kind reads the cells around its centre, whatever the region's size.
CELL = 0.02
# House numbers one interpolation line may stand for at most.
MAX_INTERPOLATED = 1000
# addr:interpolation values: the step between numbers.
INTERPOLATION_STEPS = {"odd": 2, "even": 2, "all": 1, "1": 1, "2": 2}
# Gazetteer places that are towns: not sections of one, nor gone.
TOWN_FEATURES = {"PPL", "PPLA", "PPLA2", "PPLA3", "PPLA4", "PPLA5", "PPLC", "PPLG", "PPLS",
                 "PPLF", "PPLL", "PPLR"}

Area = namedtuple("Area", "locality admin2 admin1 admin1_code country")
NO_AREA = Area("", "", "", "", "")


def import_region(pbf, folder, log):
    target = os.path.join(folder, SUBFOLDER)
    os.makedirs(target, exist_ok=True)
    # The data folder holds the regions' folder and the gazetteer.
    gazetteer = PlacesIndex(os.path.join(os.path.dirname(os.path.dirname(
        os.path.abspath(folder))), "places.sqlite"))
    final = os.path.join(target, FILENAME)
    # Written aside and swapped in: a running service may be reading the old one.
    path, stage = final + ".partial", os.path.join(target, "stage.sqlite")
    for old in (path, stage):
        if os.path.exists(old):
            os.remove(old)
    con = sqlite3.connect(path)
    try:
        counts = _build(con, stage, osmexport.features(pbf, marks=MARKS), gazetteer, log)
        con.close()
        os.replace(path, final)
    finally:
        con.close()
        for left in (path, stage):
            if os.path.exists(left):
                os.remove(left)
    log("street index: %d streets, %d addresses, %d places, %d more points of interest"
        % tuple(counts.get(k, 0) for k in ("street", "address", "place", "category")))


# The extract goes through a staging database beside the index, so that the
# import holds one feature (one street name) at a time, whatever the region's size.
_STAGE = """
    CREATE TABLE stage.towns(id INTEGER PRIMARY KEY, name TEXT, postcode TEXT, rings TEXT,
                             west REAL, south REAL, east REAL, north REAL);
    CREATE VIRTUAL TABLE stage.town_boxes USING rtree(id, west, east, south, north);
    CREATE TABLE stage.addresses(seq INTEGER PRIMARY KEY, street TEXT, housenumber TEXT,
                                 postcode TEXT, city TEXT, lng REAL, lat REAL, place TEXT,
                                 interpolated INTEGER);
    CREATE TABLE stage.interpolations(seq INTEGER PRIMARY KEY, step TEXT, street TEXT,
                                      postcode TEXT, pts BLOB);
    CREATE TABLE stage.ways(seq INTEGER PRIMARY KEY, name TEXT, mid_lng REAL, mid_lat REAL,
                            pts BLOB);
    CREATE TABLE stage.places(seq INTEGER PRIMARY KEY, name TEXT, named INTEGER,
                              is_place INTEGER, street TEXT, postcode TEXT, category TEXT,
                              lng REAL, lat REAL, south REAL, west REAL, north REAL, east REAL);
    CREATE TABLE stage.found(seq INTEGER PRIMARY KEY, kind TEXT, name TEXT, housenumber TEXT,
                             street TEXT, postcode TEXT, town TEXT, lat REAL, lng REAL,
                             south REAL, west REAL, north REAL, east REAL, types TEXT,
                             category TEXT, district TEXT, location_type TEXT);
    CREATE TABLE stage.codes(seq INTEGER PRIMARY KEY, town TEXT, street TEXT, code TEXT);
    CREATE TABLE stage.cells(y INTEGER, x INTEGER, town TEXT, locality TEXT, admin2 TEXT,
                             admin1 TEXT, admin1_code TEXT, country TEXT,
                             PRIMARY KEY (y, x, town)) WITHOUT ROWID;
"""
BATCH = 5000


class _Batches:
    """INSERTs gathered and run a few thousand at a time."""

    def __init__(self, con):
        self.con, self.rows = con, defaultdict(list)

    def add(self, table, row):
        rows = self.rows[table]
        rows.append(row)
        if len(rows) >= BATCH:
            self.flush(table)

    def flush(self, table=None):
        for name in [table] if table else list(self.rows):
            rows = self.rows[name]
            if rows:
                self.con.executemany("INSERT INTO stage.%s VALUES (%s)"
                                     % (name, ",".join("?" * len(rows[0]))), rows)
                del rows[:]


def _build(con, stage, items, gazetteer, log):
    """Writes the index's tables into con from the extract's features; the
    count of rows of each kind."""
    for pragma in ("journal_mode=OFF", "synchronous=OFF", "temp_store=FILE",
                   "cache_size=-16000"):
        con.execute("PRAGMA " + pragma)
    con.execute("ATTACH DATABASE ? AS stage", (stage,))
    con.execute("PRAGMA stage.journal_mode=OFF")
    con.execute("PRAGMA stage.synchronous=OFF")
    con.executescript(_STAGE)
    box = _read(items, _Batches(con))
    _interpolate(con)
    areas = Areas(gazetteer, box, log, con)
    _resolve(con, Towns(con), areas)
    return _write(con, areas, Districts(con))


def _read(items, batches):
    """Stages the features the index needs; the box (south, west, north,
    east) of their first points, or None."""
    box = [math.inf, math.inf, -math.inf, -math.inf]

    def extend(p):
        box[0], box[1] = min(box[0], p[1]), min(box[1], p[0])
        box[2], box[3] = max(box[2], p[1]), max(box[3], p[0])

    for item in items:
        tags, geometry = item.get("properties") or {}, item.get("geometry")
        if not geometry:
            continue
        name = (tags.get("name") or "").strip()
        if (tags.get("boundary") == "administrative" and tags.get("admin_level") == "8"
                and name and geometry["type"] == "MultiPolygon"):
            rings = [ring for polygon in geometry["coordinates"] for ring in polygon]
            pts = [p for ring in rings for p in ring]
            west, south = min(p[0] for p in pts), min(p[1] for p in pts)
            east, north = max(p[0] for p in pts), max(p[1] for p in pts)
            batches.flush("towns")
            tid = batches.con.execute(
                "INSERT INTO stage.towns(name, postcode, rings, west, south, east, north) "
                "VALUES (?,?,?,?,?,?,?)", (name, tags.get("addr:postcode") or tags.get(
                    "postal_code"), json.dumps(rings), west, south, east, north)).lastrowid
            batches.add("town_boxes", (tid, west, east, south, north))
            continue
        pts = _points(geometry)
        if not pts:
            continue
        street = tags.get("addr:street") or tags.get("addr:place") or ""
        # A number without a street may end an interpolation line, which names it.
        if tags.get("addr:housenumber") and (street or geometry["type"] == "Point"):
            lng, lat = _centre(pts)
            extend(pts[0])
            batches.add("addresses", (None, street, tags["addr:housenumber"],
                                      tags.get("addr:postcode"), tags.get("addr:city"),
                                      lng, lat, tags.get("addr:place") or "", 0))
        if tags.get("addr:interpolation") in INTERPOLATION_STEPS and geometry["type"] == \
                "LineString":
            batches.add("interpolations", (None, tags["addr:interpolation"],
                                           tags.get("addr:street") or "",
                                           tags.get("addr:postcode"),
                                           array("d", [c for p in pts for c in p[:2]]).tobytes()))
        category = kinds.of_tags(tags)
        if not name:
            if category and category not in kinds.NATURAL_KINDS | kinds.PLACE_KINDS:
                _stage_place(batches, LABELS.get(category) or category.replace(
                    "_", " ").capitalize(), tags, geometry["type"], pts)
                extend(pts[0])
            continue
        if tags.get("highway") and geometry["type"] != "Point":
            mid = pts[len(pts) // 2]
            batches.add("ways", (None, name, mid[0], mid[1],
                                 array("d", [c for p in pts for c in p[:2]]).tobytes()))
            extend(pts[0])
        elif (tags.get("place") in PLACES or tags.get("railway") in STATIONS
              or tags.get("waterway") in WATERWAYS
              or (not tags.get("highway") and not tags.get("public_transport")
                  and not tags.get("railway") and any(k in tags for k in PLACE_KEYS))):
            _stage_place(batches, name, tags, geometry["type"], pts)
            extend(pts[0])
    batches.flush()
    return tuple(box) if box[0] != math.inf else None


def _interpolate(con):
    """The numbers between the two end addresses of each interpolation line,
    spread along it, as addresses marked interpolated."""
    con.execute("CREATE INDEX stage.addresses_point ON addresses(lng, lat)")
    con.execute("CREATE INDEX stage.ways_middle ON ways(mid_lat, mid_lng)")
    batches = _Batches(con)
    for step, street, code, blob in _chunked(con, "SELECT seq, step, street, postcode, pts "
                                                  "FROM stage.interpolations"):
        pts = _unpack(blob)
        ends = [con.execute("SELECT seq, street, housenumber, postcode, city, place FROM "
                            "stage.addresses WHERE lng = ? AND lat = ? AND interpolated = 0 "
                            "ORDER BY street = '' LIMIT 1", p).fetchone() for p in (pts[0], pts[-1])]
        if None in ends or len(pts) < 2:
            continue
        try:
            first, last = int(ends[0][2]), int(ends[1][2])
        except ValueError:
            continue  # "12a": no numbers to count between
        street = street or ends[0][1] or ends[1][1] or _nearest_street(con, pts)
        if not street:
            continue
        for end in ends:
            if not end[1]:
                con.execute("UPDATE stage.addresses SET street = ? WHERE seq = ?",
                            (street, end[0]))
        ends = [end[2:] for end in ends]
        if first > last:
            first, last, pts = last, first, pts[::-1]
        numbers = range(first + INTERPOLATION_STEPS[step], last, INTERPOLATION_STEPS[step])
        if not numbers or len(numbers) > MAX_INTERPOLATED:
            continue
        for number in numbers:
            lng, lat = _along(pts, (number - first) / (last - first))
            batches.add("addresses", (None, street, str(number), code or ends[0][1],
                                      ends[0][2], lng, lat, ends[0][3] or "", 1))
    batches.flush()
    con.execute("DELETE FROM stage.addresses WHERE street = ''")


def _chunked(con, select):
    """The rows of a SELECT (its first column the seq, left out) a thousand at a
    time, so that the tables may change between them."""
    last = 0
    while True:
        rows = con.execute(select + " WHERE seq > ? ORDER BY seq LIMIT 1000", (last,)).fetchall()
        if not rows:
            return
        last = rows[-1][0]
        for row in rows:
            yield row[1:]


def _unpack(blob):
    flat = array("d")
    flat.frombytes(blob)
    return list(zip(flat[0::2], flat[1::2]))


def _nearest_street(con, pts):
    """The name of the street nearest the middle of a line (within about 200 m)."""
    lng, lat = pts[len(pts) // 2]
    best = None
    # A way's middle lies at most half its length from any of its points.
    for name, blob in con.execute("SELECT name, pts FROM stage.ways WHERE mid_lat BETWEEN ? AND ? "
                                  "AND mid_lng BETWEEN ? AND ?",
                                  (lat - 0.02, lat + 0.02, lng - 0.03, lng + 0.03)):
        gap = min(math.hypot(p[0] - lng, (p[1] - lat) * 1.3) for p in _unpack(blob))
        if gap < 0.002 and (best is None or gap < best[0]):
            best = (gap, name)
    return best[1] if best else ""


def _along(pts, share):
    """The point a share of the way along a line."""
    lengths = [math.hypot(b[0] - a[0], b[1] - a[1]) for a, b in zip(pts, pts[1:])]
    left = share * sum(lengths)
    for (a, b), length in zip(zip(pts, pts[1:]), lengths):
        if left <= length and length > 0:
            t = left / length
            return a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t
        left -= length
    return pts[-1]


def _stage_place(batches, name, tags, kind, pts):
    lng, lat = _centre(pts)
    batches.add("places", (None, name, bool((tags.get("name") or "").strip()),
                           bool(tags.get("place")), tags.get("addr:street", ""),
                           tags.get("addr:postcode"), kinds.of_tags(tags), lng, lat,
                           *(_box(pts) if kind != "Point" else _box([(lng, lat)]))))


def _resolve(con, towns, areas):
    """Each address, street (its ways of one name, per town) and place with
    its town and postcode, into stage.found in that order."""
    batches = _Batches(con)
    _find_towns(con, towns)
    for street, number, code, city, lng, lat, place, interpolated, town, town_code in \
            con.execute("SELECT a.street, a.housenumber, a.postcode, a.city, a.lng, a.lat, "
                        "a.place, a.interpolated, t.town, t.code FROM stage.addresses a "
                        "LEFT JOIN stage.addresses_towns t ON t.seq = a.seq ORDER BY a.seq"):
        town = town or ""
        # Without a boundary the gazetteer's town gathers the postcodes.
        town = town or areas.at(lat, lng, "").locality
        code = code or town_code or ""
        batches.add("codes", (None, town, street, code))
        batches.add("found", (None, "address", street, number, street, code, city or town,
                              lat, lng, lat, lng, lat, lng, "street_address", "", place,
                              "RANGE_INTERPOLATED" if interpolated else ""))
    batches.flush()
    # Each street's and town's commonest postcode (the first seen of equals), at once.
    for table, key in (("street_codes", "town, street"), ("town_codes", "town")):
        con.execute("CREATE TABLE stage.%s AS SELECT %s, code FROM (SELECT %s, code, "
                    "row_number() OVER (PARTITION BY %s ORDER BY n DESC, first) AS k FROM "
                    "(SELECT %s, code, count(*) AS n, min(seq) AS first FROM stage.codes "
                    "WHERE code != '' GROUP BY %s, code)) WHERE k = 1"
                    % (table, key, key, key, key, key))
        con.execute("CREATE INDEX stage.%s_key ON %s(%s)" % (table, table, key))
    # A house without a postcode of its own has its street's, else its town's.
    con.execute("UPDATE stage.found SET postcode = coalesce((SELECT s.code FROM "
                "stage.street_codes s WHERE s.town = found.town AND s.street = found.street), "
                "(SELECT t.code FROM stage.town_codes t WHERE t.town = found.town), '') "
                "WHERE kind = 'address' AND postcode = ''")
    con.execute("CREATE INDEX stage.towns_name ON towns(name)")
    postcode = _Postcodes(con)

    def street_rows(name, parts):
        by_town = defaultdict(list)
        for mid_lng, mid_lat, blob, town in parts:
            # Without a boundary the gazetteer's nearest town splits a long street.
            town = town or ""
            flat = array("d")
            flat.frombytes(blob)
            by_town[town, "" if town else areas.at(mid_lat, mid_lng, "").locality].extend(
                zip(flat[0::2], flat[1::2]))
        for (town, locality), pts in by_town.items():
            # The vertex nearest the middle of the street's box: on the street.
            south, west, north, east = _box(pts)
            cx, cy = (west + east) / 2, (south + north) / 2
            lng, lat = min(pts, key=lambda p: (p[0] - cx) ** 2 + (p[1] - cy) ** 2)
            batches.add("found", (None, "street", name, "", name,
                                  postcode(town or locality, name), town or locality, lat, lng,
                                  south, west, north, east, "route", "", "", ""))

    name, parts = None, []
    for way_name, mid_lng, mid_lat, blob, town in con.execute(
            "SELECT w.name, w.mid_lng, w.mid_lat, w.pts, t.town FROM stage.ways w JOIN "
            "(SELECT name, MIN(seq) AS first FROM stage.ways GROUP BY name) f "
            "ON f.name = w.name LEFT JOIN stage.ways_towns t ON t.seq = w.seq "
            "ORDER BY f.first, w.seq"):
        if way_name != name and parts:
            street_rows(name, parts)
            parts = []
        name = way_name
        parts.append((mid_lng, mid_lat, blob, town))
    if parts:
        street_rows(name, parts)
    for row in con.execute("SELECT p.name, p.named, p.is_place, p.street, p.postcode, "
                           "p.category, p.lng, p.lat, p.south, p.west, p.north, p.east, t.town "
                           "FROM stage.places p LEFT JOIN stage.places_towns t "
                           "ON t.seq = p.seq ORDER BY p.seq"):
        name, named, is_place, street, code, category, lng, lat = row[:8]
        town = row[12] or areas.at(lat, lng, "").locality
        types = " ".join(kinds.types(category)) or (
            "neighborhood political" if is_place else "point_of_interest establishment")
        batches.add("found", (None, "place" if named else "category", name, "", street,
                              code or postcode(town), town, lat, lng, *row[8:12], types,
                              category, "", ""))
    batches.flush()


def _spread(v):
    """The bits of a 16-bit number spaced out, for a Z-order key."""
    v &= 0xFFFF
    v = (v | (v << 8)) & 0x00FF00FF
    v = (v | (v << 4)) & 0x0F0F0F0F
    v = (v | (v << 2)) & 0x33333333
    return (v | (v << 1)) & 0x55555555


def _z_order(lng, lat):
    return _spread(int((lng + 180) / 0.01)) | (_spread(int((lat + 90) / 0.01)) << 1)


def _find_towns(con, towns):
    """stage.T_towns(seq, town, code) for the points of the addresses, ways and
    places inside a boundary, visited along a Z-order curve so that the
    boundaries near one point are those of the next."""
    con.create_function("z_order", 2, _z_order, deterministic=True)
    batches = _Batches(con)
    for table, lng, lat in (("addresses", "lng", "lat"), ("ways", "mid_lng", "mid_lat"),
                            ("places", "lng", "lat")):
        con.execute("CREATE TABLE stage.%s_towns(seq INTEGER PRIMARY KEY, town TEXT, code TEXT)"
                    % table)
        for seq, x, y in con.execute("SELECT seq, %s, %s FROM stage.%s ORDER BY z_order(%s, %s)"
                                     % (lng, lat, table, lng, lat)):
            town = towns.at(x, y)
            if town:
                batches.add(table + "_towns", (seq,) + town)
        batches.flush()


class _Postcodes:
    """The postcode of a street or town: the commonest of its addresses (the
    first seen of equals), else its boundary's."""

    def __init__(self, con):
        self.con, self.towns = con, {}

    def __call__(self, town, street=None):
        if street is not None:
            row = self.con.execute("SELECT code FROM stage.street_codes WHERE town = ? AND "
                                   "street = ?", (town, street)).fetchone()
            if row:
                return row[0]
        if town not in self.towns:
            if len(self.towns) > 10000:
                self.towns.clear()
            row = self.con.execute("SELECT code FROM stage.town_codes WHERE town = ?",
                                   (town,)).fetchone()
            if row is None:
                row = self.con.execute(
                    "SELECT postcode FROM stage.towns WHERE name = ? AND postcode != '' "
                    "ORDER BY id DESC LIMIT 1", (town,)).fetchone()
            self.towns[town] = row[0] if row else ""
        return self.towns[town]


class Areas:
    """Town, regions and country of the points of an extract, from the places
    of the world gazetteer around it: a municipal boundary of the extract
    names the town where there is one, else the nearest town, nearer the
    bigger it is."""

    CELL = 0.005  # degrees; points this close share their answer
    GRID = 0.25  # degrees; the gazetteer's towns by square of this size
    MEMO = 50000  # answers kept in memory; the staging database keeps them all

    def __init__(self, places, box, log, con=None):
        """box: (south, west, north, east) of the extract's points, or None;
        con: a connection with the staging database, or None."""
        self._cache, self._con = {}, con
        self._towns, self._named, self._grid = [], defaultdict(list), defaultdict(list)
        if box is None:
            return
        south, west, north, east = box[0] - 0.3, box[1] - 0.3, box[2] + 0.3, box[3] + 0.3
        try:
            self._towns = [p for p in places.around(south, west, north, east)
                           if p.feature in TOWN_FEATURES]
        except PlacesUnavailable as exc:
            log("street index: no gazetteer for towns and countries (%s)" % exc)
        for i, p in enumerate(self._towns):
            self._named[normalise(p.name)].append(p)
            self._grid[math.floor(p.lat / self.GRID), math.floor(p.lng / self.GRID)].append(
                (i, p))
        self._reach = max((self._weight(p) for p in self._towns), default=1.0)

    @staticmethod
    def _weight(p):
        # A town of 50,000 reaches about 2.5 km, one of 1,000 about 0.5 km.
        return 0.5 * max(1.0, p.population / 1000.0) ** 0.4

    def at(self, lat, lng, town):
        cell = (round(lat / self.CELL), round(lng / self.CELL), town)
        found = self._cache.get(cell)
        if found is None:
            # The first point of a cell answers for the cell, as the stored answers do.
            row = self._con.execute(
                "SELECT locality, admin2, admin1, admin1_code, country FROM stage.cells "
                "WHERE y = ? AND x = ? AND town = ?", cell).fetchone() if self._con else None
            found = Area(*row) if row else self._area(lat, lng, town)
            if row is None and self._con:
                self._con.execute("INSERT INTO stage.cells VALUES (?,?,?,?,?,?,?,?)",
                                  cell + tuple(found))
            if len(self._cache) >= self.MEMO:
                self._cache.clear()
            self._cache[cell] = found
        return found

    def _area(self, lat, lng, town):
        if not self._towns:
            return Area(town, "", "", "", "")
        scale = math.cos(math.radians(lat))

        def km(p):
            return 111.2 * math.hypot(p.lat - lat, (p.lng - lng) * scale)

        named = self._named.get(normalise(town), []) if town else []
        if named:
            best = min(named, key=km)
        else:
            best = self._nearest(lat, lng, km, scale)
        return Area(town or best.name, best.admin2, best.admin1, best.admin1_code, best.country)

    def _nearest(self, lat, lng, km, scale):
        """The town of the least distance by weight (the first of equals), found
        in squares around the point, ring by ring, until no farther square can
        hold a better one."""
        cy, cx = math.floor(lat / self.GRID), math.floor(lng / self.GRID)
        reach = max(max(abs(y - cy), abs(x - cx)) for y, x in self._grid)
        best = None
        for r in range(reach + 1):
            # Towns in ring r or beyond lie more than r - 1 squares away.
            if best is not None and best[0] < 111.2 * (r - 1) * self.GRID * scale / self._reach:
                break
            ring = [(cy + dy, cx + dx) for dy in range(-r, r + 1) for dx in range(-r, r + 1)
                    if max(abs(dy), abs(dx)) == r]
            for square in ring:
                for i, p in self._grid.get(square, ()):
                    entry = (km(p) / self._weight(p), i, p)
                    if best is None or entry[:2] < best[:2]:
                        best = entry
        return best[2]


def _points(geometry):
    kind, coords = geometry["type"], geometry["coordinates"]
    if kind == "Point":
        return [coords]
    if kind == "LineString":
        return coords
    if kind == "Polygon":
        return coords[0]
    if kind == "MultiPolygon":
        return [p for polygon in coords for p in polygon[0]]
    return []


class _Outline:
    """Even-odd rule over every ring of a multipolygon: the edges of a multipolygon's rings by band of latitude, so that a
    point is tested against the few edges at its latitude (the even-odd
    rule counts only those)."""

    BANDS = 256

    def __init__(self, rings):
        edges = [(x1, y1, x2, y2) for ring in rings
                 for (x1, y1), (x2, y2) in zip(ring, ring[1:])]
        self.south = min((min(e[1], e[3]) for e in edges), default=0.0)
        north = max((max(e[1], e[3]) for e in edges), default=0.0)
        self.height = (north - self.south) / self.BANDS or 1.0
        self.bands = defaultdict(list)
        for e in edges:
            for band in range(self._band(min(e[1], e[3])), self._band(max(e[1], e[3])) + 1):
                self.bands[band].append(e)

    def _band(self, lat):
        return math.floor((lat - self.south) / self.height)

    def has(self, lng, lat):
        inside = False
        for x1, y1, x2, y2 in self.bands.get(self._band(lat), ()):
            if (y1 > lat) != (y2 > lat) and lng < x1 + (lat - y1) * (x2 - x1) / (y2 - y1):
                inside = not inside
        return inside


class Towns:
    """The municipal boundaries of the extract (admin_level 8), with their
    postcodes, found through their boxes in the staging database."""

    KEPT = 64  # boundaries kept parsed

    def __init__(self, con):
        self._con, self._rings = con, OrderedDict()

    def at(self, lng, lat):
        """(name, postcode) of the first boundary around the point, or None."""
        for tid, name, postcode, west, south, east, north in self._con.execute(
                "SELECT t.id, t.name, t.postcode, t.west, t.south, t.east, t.north "
                "FROM stage.town_boxes b JOIN stage.towns t ON t.id = b.id "
                "WHERE b.west <= ? AND b.east >= ? AND b.south <= ? AND b.north >= ? "
                "ORDER BY t.id", (lng, lng, lat, lat)).fetchall():
            if west <= lng <= east and south <= lat <= north and self._shape(tid).has(lng, lat):
                return name, postcode
        return None

    def _shape(self, tid):
        rings = self._rings.pop(tid, None)
        if rings is None:
            rings = _Outline(json.loads(self._con.execute(
                "SELECT rings FROM stage.towns WHERE id = ?", (tid,)).fetchone()[0]))
            if len(self._rings) >= self.KEPT:
                self._rings.popitem(last=False)
        self._rings[tid] = rings
        return rings


def _centre(pts):
    return (sum(p[0] for p in pts) / len(pts), sum(p[1] for p in pts) / len(pts))


def _box(pts):
    """(south, west, north, east)."""
    return (min(p[1] for p in pts), min(p[0] for p in pts),
            max(p[1] for p in pts), max(p[0] for p in pts))


class Districts:
    """The suburb, quarter, village or hamlet a point lies in: the nearest of
    the extract's places of those kinds whose reach holds it, nearer the
    larger the kind."""

    CELL = 0.002  # degrees; points this close share their answer
    MEMO = 50000

    def __init__(self, con):
        self._con, self._cache = con, {}
        con.executescript("""
            CREATE TABLE stage.districts(id INTEGER PRIMARY KEY, name TEXT, kind TEXT,
                                         lng REAL, lat REAL, reach REAL);
            CREATE VIRTUAL TABLE stage.district_boxes USING rtree(id, west, east, south, north);
        """)
        kinds_in = ",".join("'%s'" % k for k in kinds.PARENTS)
        con.execute("INSERT INTO stage.districts(name, kind, lng, lat) SELECT name, category, "
                    "lng, lat FROM stage.places WHERE named AND category IN (%s) ORDER BY seq"
                    % kinds_in)
        rows = con.execute("SELECT id, kind, lng, lat FROM stage.districts").fetchall()
        for did, kind, lng, lat in rows:
            reach = kinds.PARENTS[kind]
            dlat = reach / 111.2
            dlng = dlat / max(0.01, math.cos(math.radians(lat)))
            con.execute("UPDATE stage.districts SET reach = ? WHERE id = ?", (reach, did))
            con.execute("INSERT INTO stage.district_boxes VALUES (?,?,?,?,?)",
                        (did, lng - dlng, lng + dlng, lat - dlat, lat + dlat))

    def at(self, lat, lng):
        """(name, kind) of the district around a point, or ("", "")."""
        cell = (round(lat / self.CELL), round(lng / self.CELL))
        found = self._cache.get(cell)
        if found is None:
            scale = math.cos(math.radians(lat))
            best, found = None, ("", "")
            for name, kind, plng, plat, reach in self._con.execute(
                    "SELECT d.name, d.kind, d.lng, d.lat, d.reach FROM stage.district_boxes b "
                    "JOIN stage.districts d ON d.id = b.id WHERE b.west <= ? AND b.east >= ? "
                    "AND b.south <= ? AND b.north >= ? ORDER BY d.id", (lng, lng, lat, lat)):
                share = 111.2 * math.hypot(plat - lat, (plng - lng) * scale) / reach
                if share <= 1 and (best is None or share < best):
                    best, found = share, (name, kind)
            if len(self._cache) >= self.MEMO:
                self._cache.clear()
            self._cache[cell] = found
        return found


def cell_of(lat, lng):
    """The kind index's cell of a point."""
    return math.floor((lat + 90) / CELL) * 100000 + math.floor((lng + 180) / CELL)


def _write(con, areas, districts):
    """The index's tables from stage.found, its indexes made after the load;
    the count of rows of each kind."""
    con.executescript("""
        CREATE TABLE features(key TEXT, number_key TEXT, kind TEXT, name TEXT,
                              housenumber TEXT, street TEXT,
                              postcode TEXT, town TEXT, lat REAL, lng REAL, south REAL,
                              west REAL, north REAL, east REAL, types TEXT,
                              ckey TEXT, locality TEXT, admin2 TEXT, admin1 TEXT,
                              admin1_code TEXT, country TEXT, category TEXT,
                              district TEXT, district_kind TEXT, location_type TEXT,
                              cell INTEGER);
        -- Names by their letter triples: typos and words of longer names.
        CREATE VIRTUAL TABLE fuzzy USING fts5(key, tokenize='trigram');
        CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT);
    """)
    counts = Counter()
    rows = con.execute("SELECT kind, name, housenumber, street, postcode, town, lat, lng, "
                       "south, west, north, east, types, category, district, location_type "
                       "FROM stage.found ORDER BY seq")
    while True:
        batch = rows.fetchmany(BATCH)
        if not batch:
            break
        out = []
        for (kind, name, housenumber, street, code, town, lat, lng, south, west, north, east,
             types, category, district, location_type) in batch:
            counts[kind] += 1
            around = districts.at(lat, lng)
            if district and district != around[0]:
                around = (district, "hamlet")  # an address on a place the extract lacks
            out.append((normalise(name) if kind != "category" else "", normalise(housenumber),
                        kind, name, housenumber, street, code, town, lat, lng, south, west,
                        north, east, types, canonical(name) if kind != "category" else "",
                        *areas.at(lat, lng, town), category, *around, location_type,
                        cell_of(lat, lng)))
        con.executemany("INSERT INTO main.features VALUES (%s)" % ",".join("?" * 26), out)
    con.executescript("""
        -- A name, its kind and its house number without spaces ("5 b" is "5b")
        -- find their rows at once, however many streets share the name.
        CREATE INDEX main.features_key ON features(key, kind);
        CREATE INDEX main.features_ckey ON features(ckey, kind, replace(number_key, ' ', ''));
        -- A search by kind reads the cells around its centre.
        CREATE INDEX main.features_kind ON features(category, cell) WHERE category != '';
        CREATE INDEX main.features_postcode ON features(postcode, kind);
    """)
    con.execute("INSERT INTO main.fuzzy(key) SELECT DISTINCT key FROM main.features "
                "WHERE key != ''")
    con.execute("INSERT INTO main.meta VALUES ('schema', ?)", (SCHEMA,))
    con.commit()
    con.execute("DETACH DATABASE stage")
    return counts


Row = namedtuple("Row", "kind name housenumber street postcode town lat lng "
                        "south west north east types locality admin2 admin1 admin1_code country "
                        "category district district_kind location_type")
_ROW = ("kind, name, housenumber, street, postcode, town, lat, lng, south, west, north, east, "
        "types, locality, admin2, admin1, admin1_code, country, category, district, "
        "district_kind, location_type")
# The columns of an index of an older schema: the first lacks the areas, the
# second the districts.
_ROWS = {"3": _ROW, "2": _ROW.replace("district, district_kind, location_type", "'', '', ''"),
         "1": ("kind, name, housenumber, street, postcode, town, lat, lng, south, west, north, "
               "east, types, town, '', '', '', '', '', '', '', ''")}
# The planner takes the partial index on kinds only when the query repeats its condition.
_KIND = "category = ? AND category != ''"
# Rings of cells a search by kind reads at most around its centre (about 60 km).
MAX_RINGS = 30


def _schema(con):
    try:
        row = con.execute("SELECT value FROM meta WHERE key = 'schema'").fetchone()
    except sqlite3.Error:
        return "1"
    return row[0] if row and row[0] in _ROWS else "1"


class StreetIndex:
    """Searches over the street indexes of the imported regions."""

    def __init__(self, regions):
        self._lock = threading.Lock()
        self._cons = []
        for region in regions:
            path = os.path.join(region, SUBFOLDER, FILENAME)
            if os.path.isfile(path):
                con = sqlite3.connect("file:%s?mode=ro" % path, uri=True,
                                      check_same_thread=False)
                self._cons.append((con, _schema(con)))

    def _select(self, where, args, oldest="2"):
        """Rows of every region whose index is of schema oldest or newer."""
        rows = []
        with self._lock:
            for con, schema in self._cons:
                if schema >= oldest:
                    rows += [Row(*r) for r in con.execute("SELECT %s FROM features WHERE %s"
                                                          % (_ROWS[schema], where), args)]
        return rows

    def named(self, key, kind=None, housenumber=None):
        """Rows whose name is key (normalised), abbreviations and all."""
        where, args = "ckey = ?", [canonical(key)]
        if kind is not None:
            where += " AND kind = ?"
            args.append(kind)
        if housenumber is not None:
            # "5 b" and "5b", "82-84" and "82 84" are one number (as the index has it).
            where += " AND replace(number_key, ' ', '') = ?"
            args.append(housenumber.replace(" ", ""))
        # An index of the first schema knows names only as written.
        return self._select(where, args) + self._select_first(
            where.replace("ckey", "key"), [normalise(key)] + args[1:])

    def _select_first(self, where, args):
        rows = []
        with self._lock:
            for con, schema in self._cons:
                if schema == "1":
                    rows += [Row(*r) for r in con.execute(
                        "SELECT %s FROM features WHERE %s" % (_ROWS["1"], where), args)]
        return rows

    def loose(self, key, kind):
        """(row, "word" or "fuzzy") for rows that key names loosely: a whole word
        of a longer name, or a few typos off the name."""
        key = normalise(key)
        if len(key) < 4:
            return []
        edits = allowed_edits(key)
        variants = sorted(one_edit_variants(key)) if edits else []
        found = {}
        with self._lock:
            cons = [con for con, schema in self._cons if schema >= "2"]
            for con in cons:
                for k, in con.execute("SELECT key FROM fuzzy WHERE fuzzy MATCH ? LIMIT 2000",
                                      ('"%s"' % key.replace('"', ""),)):
                    if k != key and (" %s " % key) in (" %s " % k):
                        found.setdefault(k, "word")
                for k, in con.execute("SELECT DISTINCT key FROM features WHERE key IN (%s)"
                                      % ",".join("?" * len(variants)), variants):
                    found.setdefault(k, "fuzzy")
                if edits > 1 and not any(m == "fuzzy" for m in found.values()):
                    query = " OR ".join('"%s"' % p.replace('"', "") for p in pieces(key, edits))
                    for k, in con.execute(
                            "SELECT key FROM fuzzy WHERE fuzzy MATCH ? AND length(key) "
                            "BETWEEN ? AND ? LIMIT 2000",
                            (query, len(key) - edits, len(key) + edits)) if query else ():
                        if within_edits(key, k, edits):
                            found.setdefault(k, "fuzzy")
        out = []
        for k, match in list(found.items())[:200]:
            out += [(row, match) for row in self._select("key = ? AND kind = ?", [k, kind])]
        return out

    def of_kind(self, kind, centre=None, within_km=None, wanted=10):
        """Rows of a kind, nearest the centre (lat, lng) first, at most within_km
        away; the cells around the centre are read ring by ring until wanted
        rows lie nearer than any unread cell can. Without a centre, the first
        wanted rows. An index older than the kind index is read whole."""
        old = []
        with self._lock:
            for con, schema in self._cons:
                if schema == "2":
                    old += [Row(*r) for r in con.execute(
                        "SELECT %s FROM features WHERE category = ?" % _ROWS["2"], (kind,))]
        if centre is None:
            return old + self._select(_KIND + " LIMIT %d" % wanted, [kind], "3")
        lat, lng = centre
        scale = max(0.01, math.cos(math.radians(lat)))
        ring_km = 111.2 * CELL * scale  # the least width of a ring
        cy, cx = math.floor((lat + 90) / CELL), math.floor((lng + 180) / CELL)
        found = old
        for ring in range(MAX_RINGS + 1):
            cells = [(cy + dy) * 100000 + cx + dx for dy in range(-ring, ring + 1)
                     for dx in range(-ring, ring + 1) if max(abs(dy), abs(dx)) == ring]
            found += self._select(_KIND + " AND cell IN (%s)" % ",".join("?" * len(cells)),
                                  [kind] + cells, "3")
            # Rows beyond the rings read so far lie at least this far away.
            sure = ring * ring_km
            near = [r for r in found if _km(centre, r) <= sure]
            if len(near) >= wanted or (within_km is not None and sure >= within_km):
                break
        found.sort(key=lambda r: _km(centre, r))
        if within_km is not None:
            found = [r for r in found if _km(centre, r) <= within_km]
        return found

    def with_postcode(self, code):
        return (self._select("postcode = ? AND kind = 'address'", [code])
                + self._select_first("postcode = ? AND kind = 'address'", [code]))


def _km(centre, row):
    scale = math.cos(math.radians(centre[0]))
    return 111.2 * math.hypot(row.lat - centre[0], (row.lng - centre[1]) * scale)


def refresh(folder, log):
    """Rebuilds a region's street index of an older schema from the region's
    extract, when that is still where it was imported from."""
    if not stale(folder):
        return
    try:
        with open(os.path.join(folder, "region.json"), encoding="utf-8") as f:
            source = json.load(f).get("source")
    except (OSError, ValueError, AttributeError):
        source = None
    if not isinstance(source, str) or not os.path.isfile(source):
        log("%s: the street index is of an older kind; import the region again for "
            "the search to know its towns" % os.path.basename(folder))
        return
    import_region(source, folder, log)


def stale(folder):
    """Whether the street index of a region folder predates the current schema."""
    path = os.path.join(folder, SUBFOLDER, FILENAME)
    if not os.path.isfile(path):
        return False
    try:
        con = sqlite3.connect("file:%s?mode=ro" % path, uri=True)
        try:
            return not con.execute("SELECT 1 FROM meta WHERE key = 'schema' AND value = ?",
                                   (SCHEMA,)).fetchone()
        finally:
            con.close()
    except sqlite3.Error:
        return True
