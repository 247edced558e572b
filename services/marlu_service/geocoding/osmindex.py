"""Streets, addresses and named places of an imported OpenStreetMap extract.

import_region(pbf, folder, log) reads the extract with osmium-tool and writes
folder/osmindex/index.sqlite: one row per street (its named ways joined by
name and town), per address (house number on a street) and per named place.
Each row knows its town (the municipal boundary around it) and postcode.
StreetIndex searches the indexes of every imported region.
"""

import os
import sqlite3
import threading
from collections import Counter, defaultdict, namedtuple

from .. import osmexport

from .text import normalise

SUBFOLDER = "osmindex"
FILENAME = "index.sqlite"
# Towns and cities come from GeoNames, which knows their size; the extract's
# own place nodes below that level are kept.
MINOR_PLACES = {"suburb", "quarter", "neighbourhood", "hamlet", "locality", "square",
                "island", "islet", "isolated_dwelling", "farm", "city_block", "plot"}
PLACE_KEYS = ("amenity", "tourism", "leisure", "shop", "historic", "building", "office",
              "craft", "man_made", "natural", "aeroway")
# Railway lines carry names too, but only stations are places to go to.
STATIONS = {"station", "halt"}

Feature = namedtuple("Feature", "kind name housenumber street postcode town lat lng "
                                "south west north east types")


def import_region(pbf, folder, log):
    target = os.path.join(folder, SUBFOLDER)
    os.makedirs(target, exist_ok=True)
    features = list(_features(osmexport.features(pbf)))
    _write(os.path.join(target, FILENAME), features)
    log("street index: %d streets, %d addresses, %d places" % tuple(
        sum(1 for f in features if f.kind == k) for k in ("street", "address", "place")))


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


def _inside(lng, lat, rings):
    """Even-odd rule over every ring of a multipolygon."""
    inside = False
    for ring in rings:
        for (x1, y1), (x2, y2) in zip(ring, ring[1:]):
            if (y1 > lat) != (y2 > lat) and lng < x1 + (lat - y1) * (x2 - x1) / (y2 - y1):
                inside = not inside
    return inside


class Towns:
    """The municipal boundaries of the extract (admin_level 8), with their postcodes."""

    def __init__(self):
        self.towns = []

    def add(self, name, postcode, geometry):
        rings = [ring for polygon in geometry["coordinates"] for ring in polygon]
        pts = [p for ring in rings for p in ring]
        box = (min(p[0] for p in pts), min(p[1] for p in pts),
               max(p[0] for p in pts), max(p[1] for p in pts))
        self.towns.append([name, postcode, box, rings])

    def at(self, lng, lat):
        for town in self.towns:
            x0, y0, x1, y1 = town[2]
            if x0 <= lng <= x1 and y0 <= lat <= y1 and _inside(lng, lat, town[3]):
                return town
        return None


def _features(items):
    towns, ways, places, addresses = Towns(), defaultdict(list), [], []
    postcodes = defaultdict(Counter)  # town or street -> postcodes of its addresses
    for item in items:
        tags, geometry = item.get("properties") or {}, item.get("geometry")
        if not geometry:
            continue
        name = (tags.get("name") or "").strip()
        if (tags.get("boundary") == "administrative" and tags.get("admin_level") == "8"
                and name and geometry["type"] == "MultiPolygon"):
            towns.add(name, tags.get("addr:postcode") or tags.get("postal_code"), geometry)
            continue
        pts = _points(geometry)
        if not pts:
            continue
        if tags.get("addr:housenumber") and tags.get("addr:street"):
            addresses.append((tags, pts))
        if not name:
            continue
        if tags.get("highway") and geometry["type"] != "Point":
            ways[name].append(pts)
        elif (tags.get("place") in MINOR_PLACES or tags.get("railway") in STATIONS
              or (not tags.get("highway") and not tags.get("public_transport")
                  and not tags.get("railway") and any(k in tags for k in PLACE_KEYS))):
            places.append((name, tags, geometry["type"], pts))

    def town_of(lng, lat):
        town = towns.at(lng, lat)
        return (town[0], town[1]) if town else ("", None)

    found = []
    for tags, pts in addresses:
        lng, lat = _centre(pts)
        town, town_code = town_of(lng, lat)
        code = tags.get("addr:postcode") or town_code or ""
        postcodes[town][code] += 1
        postcodes[(town, tags["addr:street"])][code] += 1
        found.append(Feature("address", tags["addr:street"], tags["addr:housenumber"],
                             tags["addr:street"], code, tags.get("addr:city") or town,
                             lat, lng, *_box([(lng, lat)]), ("street_address",)))

    town_codes = {t[0]: t[1] for t in towns.towns if t[1]}

    def postcode(town, street=None):
        for counts in (postcodes.get((town, street)), postcodes.get(town)):
            counts = Counter({c: n for c, n in (counts or {}).items() if c})
            if counts:
                return counts.most_common(1)[0][0]
        return town_codes.get(town, "")

    for name, parts in ways.items():
        by_town = defaultdict(list)
        for pts in parts:
            mid = pts[len(pts) // 2]
            by_town[town_of(*mid)[0]].extend(pts)
        for town, pts in by_town.items():
            # The vertex nearest the middle of the street's box: on the street.
            south, west, north, east = _box(pts)
            cx, cy = (west + east) / 2, (south + north) / 2
            lng, lat = min(pts, key=lambda p: (p[0] - cx) ** 2 + (p[1] - cy) ** 2)
            found.append(Feature("street", name, "", name, postcode(town, name), town,
                                 lat, lng, south, west, north, east, ("route",)))
    for name, tags, kind, pts in places:
        lng, lat = _centre(pts)
        town, _ = town_of(lng, lat)
        if tags.get("place"):
            types = ("neighborhood", "political")
        else:
            types = ("point_of_interest", "establishment")
        found.append(Feature("place", name, "", tags.get("addr:street", ""),
                             tags.get("addr:postcode") or postcode(town), town, lat, lng,
                             *(_box(pts) if kind != "Point" else _box([(lng, lat)])), types))
    return found


def _centre(pts):
    return (sum(p[0] for p in pts) / len(pts), sum(p[1] for p in pts) / len(pts))


def _box(pts):
    """(south, west, north, east)."""
    return (min(p[1] for p in pts), min(p[0] for p in pts),
            max(p[1] for p in pts), max(p[0] for p in pts))


def _write(path, features):
    if os.path.exists(path):
        os.remove(path)
    con = sqlite3.connect(path)
    con.executescript("""
        CREATE TABLE features(key TEXT, number_key TEXT, kind TEXT, name TEXT,
                              housenumber TEXT, street TEXT,
                              postcode TEXT, town TEXT, lat REAL, lng REAL, south REAL,
                              west REAL, north REAL, east REAL, types TEXT);
        CREATE INDEX features_key ON features(key);
    """)
    con.executemany("INSERT INTO features VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)", (
        (normalise(f.name), normalise(f.housenumber), f.kind, f.name, f.housenumber, f.street,
         f.postcode, f.town, f.lat, f.lng, f.south, f.west, f.north, f.east, " ".join(f.types))
        for f in features))
    con.commit()
    con.close()


Row = namedtuple("Row", "kind name housenumber street postcode town lat lng "
                        "south west north east types")


class StreetIndex:
    """Exact name searches over the street indexes of the imported regions."""

    def __init__(self, regions):
        self._lock = threading.Lock()
        self._cons = []
        for region in regions:
            path = os.path.join(region, SUBFOLDER, FILENAME)
            if os.path.isfile(path):
                self._cons.append(sqlite3.connect("file:%s?mode=ro" % path, uri=True,
                                                  check_same_thread=False))

    def named(self, key, kind=None, housenumber=None):
        sql = ("SELECT kind, name, housenumber, street, postcode, town, lat, lng, south, west, "
               "north, east, types FROM features WHERE key = ?")
        args = [key]
        if kind:
            sql += " AND kind = ?"
            args.append(kind)
        if housenumber is not None:
            sql += " AND number_key = ?"
            args.append(housenumber)
        rows = []
        with self._lock:
            for con in self._cons:
                rows += [Row(*r) for r in con.execute(sql, args)]
        return rows
