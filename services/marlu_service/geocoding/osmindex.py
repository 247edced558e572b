"""Streets, addresses and named places of an imported OpenStreetMap extract.

import_region(pbf, folder, log) reads the extract with osmium-tool and writes
folder/osmindex/index.sqlite: one row per street (its named ways joined by
name and town), per address (house number on a street), per named place and
per unnamed point of interest of a category people search for (parking,
toilets). Each row knows its town (the municipal boundary around it, else
the nearest fitting place of the world gazetteer), the gazetteer's regions
and country there, and its postcode. StreetIndex searches the indexes of
every imported region.
"""

import json
import math
import os
import sqlite3
import threading
from collections import Counter, defaultdict, namedtuple

from .. import osmexport

from .places import PlacesIndex, PlacesUnavailable
from .text import allowed_edits, canonical, normalise, one_edit_variants, pieces, within_edits

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
# What people ask for by kind ("pharmacy near ..."): category -> its tags.
CATEGORY_TAGS = {
    ("amenity", "restaurant"): "restaurant", ("amenity", "pharmacy"): "pharmacy",
    ("healthcare", "pharmacy"): "pharmacy", ("amenity", "fuel"): "fuel",
    ("tourism", "hotel"): "hotel", ("shop", "supermarket"): "supermarket",
    ("amenity", "parking"): "parking", ("amenity", "toilets"): "toilets",
}
# What an unnamed one is called in a result.
CATEGORY_LABELS = {"restaurant": "Restaurant", "pharmacy": "Pharmacy", "fuel": "Fuel station",
                   "hotel": "Hotel", "supermarket": "Supermarket", "parking": "Parking",
                   "toilets": "Toilets"}
# Bumped when the tables change; an older index is still read.
SCHEMA = "2"
# Gazetteer places that are towns: not sections of one, nor gone.
TOWN_FEATURES = {"PPL", "PPLA", "PPLA2", "PPLA3", "PPLA4", "PPLA5", "PPLC", "PPLG", "PPLS",
                 "PPLF", "PPLL", "PPLR"}

Feature = namedtuple("Feature", "kind name housenumber street postcode town lat lng "
                                "south west north east types category")
Area = namedtuple("Area", "locality admin2 admin1 admin1_code country")
NO_AREA = Area("", "", "", "", "")


def import_region(pbf, folder, log):
    target = os.path.join(folder, SUBFOLDER)
    os.makedirs(target, exist_ok=True)
    # The data folder holds the regions' folder and the gazetteer.
    gazetteer = PlacesIndex(os.path.join(os.path.dirname(os.path.dirname(
        os.path.abspath(folder))), "places.sqlite"))
    areas = []

    def make_areas(box):
        areas.append(Areas(gazetteer, box, log))
        return areas[0]

    features = list(_features(osmexport.features(pbf), make_areas))
    areas = areas[0] if areas else Areas(gazetteer, None, log)
    _write(os.path.join(target, FILENAME), features, areas)
    log("street index: %d streets, %d addresses, %d places, %d more points of interest" % tuple(
        sum(1 for f in features if f.kind == k) for k in ("street", "address", "place",
                                                          "category")))


class Areas:
    """Town, regions and country of the points of an extract, from the places
    of the world gazetteer around it: a municipal boundary of the extract
    names the town where there is one, else the nearest town, nearer the
    bigger it is."""

    CELL = 0.005  # degrees; points this close share their answer

    def __init__(self, places, box, log):
        """box: (south, west, north, east) of the extract's points, or None."""
        self._cache = {}
        self._towns = []
        if box is None:
            return
        south, west, north, east = box[0] - 0.3, box[1] - 0.3, box[2] + 0.3, box[3] + 0.3
        try:
            self._towns = [p for p in places.around(south, west, north, east)
                           if p.feature in TOWN_FEATURES]
        except PlacesUnavailable as exc:
            log("street index: no gazetteer for towns and countries (%s)" % exc)

    def at(self, lat, lng, town):
        cell = (round(lat / self.CELL), round(lng / self.CELL), town)
        if cell not in self._cache:
            self._cache[cell] = self._area(lat, lng, town)
        return self._cache[cell]

    def _area(self, lat, lng, town):
        if not self._towns:
            return Area(town, "", "", "", "")
        scale = math.cos(math.radians(lat))

        def km(p):
            return 111.2 * math.hypot(p.lat - lat, (p.lng - lng) * scale)

        named = [p for p in self._towns if town and normalise(p.name) == normalise(town)]
        if named:
            best = min(named, key=km)
        else:
            # A town of 50,000 reaches about 2.5 km, one of 1,000 about 0.5 km.
            best = min(self._towns,
                       key=lambda p: km(p) / (0.5 * max(1.0, p.population / 1000.0) ** 0.4))
        return Area(town or best.name, best.admin2, best.admin1, best.admin1_code, best.country)


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


def _features(items, make_areas):
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
        category = _category(tags)
        if not name:
            if category:
                places.append((CATEGORY_LABELS[category], tags, geometry["type"], pts))
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

    every = [p for _, pts in addresses for p in pts[:1]] + [
        p for parts in ways.values() for pts in parts for p in pts[:1]] + [
        p for place in places for p in place[3][:1]]
    areas = make_areas(_box(every) if every else None)

    found = []
    for tags, pts in addresses:
        lng, lat = _centre(pts)
        town, town_code = town_of(lng, lat)
        # Without a boundary the gazetteer's town gathers the postcodes.
        town = town or areas.at(lat, lng, "").locality
        code = tags.get("addr:postcode") or town_code or ""
        postcodes[town][code] += 1
        postcodes[(town, tags["addr:street"])][code] += 1
        found.append(Feature("address", tags["addr:street"], tags["addr:housenumber"],
                             tags["addr:street"], code, tags.get("addr:city") or town,
                             lat, lng, *_box([(lng, lat)]), ("street_address",), ""))

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
            # Without a boundary the gazetteer's nearest town splits a long street.
            town = town_of(*mid)[0]
            by_town[town, "" if town else areas.at(mid[1], mid[0], "").locality].extend(pts)
        for (town, locality), pts in by_town.items():
            # The vertex nearest the middle of the street's box: on the street.
            south, west, north, east = _box(pts)
            cx, cy = (west + east) / 2, (south + north) / 2
            lng, lat = min(pts, key=lambda p: (p[0] - cx) ** 2 + (p[1] - cy) ** 2)
            found.append(Feature("street", name, "", name, postcode(town or locality, name),
                                 town or locality, lat, lng, south, west, north, east, ("route",), ""))
    for name, tags, kind, pts in places:
        lng, lat = _centre(pts)
        town = town_of(lng, lat)[0] or areas.at(lat, lng, "").locality
        if tags.get("place"):
            types = ("neighborhood", "political")
        else:
            types = ("point_of_interest", "establishment")
        category = _category(tags)
        found.append(Feature("place" if (tags.get("name") or "").strip() else "category",
                             name, "", tags.get("addr:street", ""),
                             tags.get("addr:postcode") or postcode(town), town, lat, lng,
                             *(_box(pts) if kind != "Point" else _box([(lng, lat)])), types,
                             category))
    return found


def _category(tags):
    for key in ("amenity", "healthcare", "tourism", "shop"):
        category = CATEGORY_TAGS.get((key, tags.get(key)))
        if category:
            return category
    return ""


def _centre(pts):
    return (sum(p[0] for p in pts) / len(pts), sum(p[1] for p in pts) / len(pts))


def _box(pts):
    """(south, west, north, east)."""
    return (min(p[1] for p in pts), min(p[0] for p in pts),
            max(p[1] for p in pts), max(p[0] for p in pts))


def _write(final, features, areas):
    # Written aside and swapped in: a running service may be reading the old one.
    path = final + ".partial"
    if os.path.exists(path):
        os.remove(path)
    con = sqlite3.connect(path)
    con.executescript("""
        CREATE TABLE features(key TEXT, number_key TEXT, kind TEXT, name TEXT,
                              housenumber TEXT, street TEXT,
                              postcode TEXT, town TEXT, lat REAL, lng REAL, south REAL,
                              west REAL, north REAL, east REAL, types TEXT,
                              ckey TEXT, locality TEXT, admin2 TEXT, admin1 TEXT,
                              admin1_code TEXT, country TEXT, category TEXT);
        CREATE INDEX features_key ON features(key);
        CREATE INDEX features_ckey ON features(ckey);
        CREATE INDEX features_category ON features(category) WHERE category != '';
        CREATE INDEX features_postcode ON features(postcode);
        -- Names by their letter triples: typos and words of longer names.
        CREATE VIRTUAL TABLE fuzzy USING fts5(key, tokenize='trigram');
        CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT);
    """)
    con.executemany("INSERT INTO features VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)", (
        (normalise(f.name) if f.kind != "category" else "", normalise(f.housenumber), f.kind,
         f.name, f.housenumber, f.street, f.postcode, f.town, f.lat, f.lng, f.south, f.west,
         f.north, f.east, " ".join(f.types),
         canonical(f.name) if f.kind != "category" else "", *areas.at(f.lat, f.lng, f.town),
         f.category)
        for f in features))
    con.execute("INSERT INTO fuzzy(key) SELECT DISTINCT key FROM features WHERE key != ''")
    con.execute("INSERT INTO meta VALUES ('schema', ?)", (SCHEMA,))
    con.commit()
    con.close()
    os.replace(path, final)


Row = namedtuple("Row", "kind name housenumber street postcode town lat lng "
                        "south west north east types locality admin2 admin1 admin1_code country "
                        "category")
_ROW = ("kind, name, housenumber, street, postcode, town, lat, lng, south, west, north, east, "
        "types, locality, admin2, admin1, admin1_code, country, category")
# An index of the first schema lacks the area columns.
_ROW_FIRST = ("kind, name, housenumber, street, postcode, town, lat, lng, south, west, north, "
              "east, types, town, '', '', '', '', ''")


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
                try:
                    current = bool(con.execute(
                        "SELECT 1 FROM meta WHERE key = 'schema' AND value = ?",
                        (SCHEMA,)).fetchone())
                except sqlite3.Error:
                    current = False
                self._cons.append((con, current))

    def _select(self, where, args, first=None):
        """Rows of every region; first: the query for an index of the first
        schema (None: such an index has no answer)."""
        rows = []
        with self._lock:
            for con, current in self._cons:
                if current:
                    sql = "SELECT %s FROM features WHERE %s" % (_ROW, where)
                elif first is not None:
                    sql = "SELECT %s FROM features WHERE %s" % (_ROW_FIRST, first)
                else:
                    continue
                rows += [Row(*r) for r in con.execute(sql, args)]
        return rows

    def named(self, key, kind=None, housenumber=None):
        """Rows whose name is key (normalised), abbreviations and all."""
        where, first, args = "ckey = ?", "key = ?", [canonical(key)]
        for column, value in (("kind", kind), ("number_key", housenumber)):
            if value is not None:
                # "5 b" and "5b", "82-84" and "82 84" are one number.
                where += " AND replace(%s, ' ', '') = ?" % column
                first += " AND replace(%s, ' ', '') = ?" % column
                args.append(value.replace(" ", ""))
        # An index of the first schema knows names only as written.
        first_args = [normalise(key)] + args[1:]
        rows = self._select(where, args)
        with self._lock:
            old = [con for con, current in self._cons if not current]
        for con in old:
            with self._lock:
                rows += [Row(*r) for r in con.execute(
                    "SELECT %s FROM features WHERE %s" % (_ROW_FIRST, first), first_args)]
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
            cons = [con for con, current in self._cons if current]
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

    def of_category(self, category):
        return self._select("category = ?", [category])

    def with_postcode(self, code):
        return self._select("postcode = ? AND kind = 'address'", [code], "postcode = ? AND kind = 'address'")


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
