"""The offline back-end: coordinate pairs, kinds of place ("pharmacy near
Rue Grimaldi"), and otherwise every place a text names (addresses, streets,
postcodes and points of interest of the imported regions, the world's
places and countries) ranked by how well it matches, how near it lies to
the reader's view and position, and how important it is."""

import functools
import math
import re
from collections import Counter

from . import results
from .places import MAX_RESULTS, PlacesUnavailable
from .text import compact, normalise

_NUMBER = r"([+-]?(?:[0-9]+(?:\.[0-9]*)?|\.[0-9]+))"
# One way only to split the gap between the numbers, so a long run of
# spaces cannot make the match backtrack quadratically.
_COORDINATES = re.compile(_NUMBER + r"(?:\s*,\s*|\s+)" + _NUMBER, re.ASCII)
# "9490", "21231 Baltimore", "Schaan 9494", "SW1A 1AA" is left to the street search.
_POSTCODE = re.compile(r"([0-9]{4,6})(?: (.+))?|(.+) ([0-9]{4,6})")

# Longer than any name typed with a typo or as a word of a longer one.
LONGEST_LOOSE = 80
# Score of a result: how it matched + how important it is + how near it lies.
MATCH = {"primary": 3.0, "alternate": 1.5, "word": 1.0, "fuzzy": 0.5}
# Importance of the regions' rows, on the scale of log10(population).
REGION_IMPORTANCE = {"address": 5.5, "street": 5.0, "postcode": 5.0, "place": 4.5}
COUNTRY_IMPORTANCE = 8.0
# How far from a town's point its streets may lie when a qualifier names it.
TOWN_REACH_KM = 8.0
FEATURE_IMPORTANCE = {"PPLC": 1.5, "PPLA": 0.5, "PPLX": -0.5}
# Most a result gains by lying in the view or at the own position.
NEAR_BONUS = 4.0
# Two results of one name this close are one place (km): towns and quarters
# that two sources name, an address drawn as both line and area.
SAME_PLACE_KM = {True: 3.0, False: 0.2}

# Words for the kinds of place people ask for, in English, Finnish and
# German, singular and plural (normalised: no accents).
CATEGORY_WORDS = {
    "restaurant": ("restaurant", "restaurants", "ravintola", "ravintolat", "ravintoloita",
                   "gaststatte", "gaststatten"),
    "pharmacy": ("pharmacy", "pharmacies", "chemist", "chemists", "drugstore", "apteekki",
                 "apteekit", "apteekkeja", "apotheke", "apotheken"),
    "fuel": ("fuel", "gas station", "gas stations", "petrol station", "petrol stations",
             "filling station", "filling stations", "huoltoasema", "huoltoasemat",
             "polttoaine", "bensa asema", "tankstelle", "tankstellen"),
    "hotel": ("hotel", "hotels", "hotelli", "hotellit", "hotelleja"),
    "supermarket": ("supermarket", "supermarkets", "grocery", "groceries", "supermarketti",
                    "supermarketit", "ruokakauppa", "ruokakaupat", "supermarkt",
                    "supermarkte"),
    "parking": ("parking", "car park", "car parks", "parking lot", "parking lots",
                "pysakointi", "parkkipaikka", "parkkipaikat", "parkkihalli", "parkplatz",
                "parkplatze", "parkhaus"),
    "toilets": ("toilet", "toilets", "restroom", "restrooms", "wc", "vessa", "vessat",
                "kaymala", "kaymalat", "toilette", "toiletten"),
}
_CATEGORY_OF = {word: category for category, words in CATEGORY_WORDS.items()
                for word in words}
_CATEGORY_QUERY = re.compile(r"(.+?)(?: (in|near|at|around|bei|nahe|lahella|in der nahe von|"
                             r"nahe bei|close to) (.+))?")


def _km(a, b):
    scale = math.cos(math.radians((a[0] + b[0]) / 2))
    return 111.2 * math.hypot(a[0] - b[0], (a[1] - b[1]) * scale)


class Bias:
    """The reader's view (south, west, north, east) and own position (lat, lng),
    each None when unknown."""

    def __init__(self, view=None, position=None):
        self.view, self.position = view, position

    def __bool__(self):
        return self.view is not None or self.position is not None

    def centre(self):
        if self.position is not None:
            return self.position
        if self.view is not None:
            s, w, n, e = self.view
            return (s + n) / 2, (w + e) / 2
        return None

    def bonus(self, lat, lng):
        best = 0.0
        if self.view is not None:
            s, w, n, e = self.view
            centre = ((s + n) / 2, (w + e) / 2)
            half = max(1.0, _km((s, w), (n, e)) / 2)
            beyond = max(0.0, _km(centre, (lat, lng)) - half)
            best = NEAR_BONUS / (1 + beyond / max(half, 5.0))
        if self.position is not None:
            best = max(best, NEAR_BONUS / (1 + _km(self.position, (lat, lng)) / 20.0))
        return best


NO_BIAS = Bias()


def parse_coordinates(text):
    match = _COORDINATES.fullmatch(text.strip())
    if match is None:
        return None
    return float(match.group(1)), float(match.group(2))


class Offline:
    def __init__(self, places, streets):
        self.places, self.streets = places, streets
        self._named_towns = {}

    def geocode(self, address, bias=NO_BIAS):
        """(status, results) for an address, best first."""
        point = parse_coordinates(address)
        if point is not None:
            lat, lng = point
            if not (-90 <= lat <= 90 and -180 <= lng <= 180):
                return "ZERO_RESULTS", []
            return "OK", [results.point(lat, lng)]
        found = self._category(address, bias)
        if found is None:
            found = self._ranked(address, bias)
        return ("OK", found[:MAX_RESULTS]) if found else ("ZERO_RESULTS", [])

    # --- by name ------------------------------------------------------------------

    def _ranked(self, address, bias):
        parts = address.split(",")
        key = normalise(parts[0])
        qualifiers = [normalise(p) for p in parts[1:] if compact(p)]
        if not key:
            return []
        scored = self._addresses(key, qualifiers)
        if scored and scored[0][0].kind == "address":
            return self._best(scored, bias)
        postcodes = self._postcodes(key, qualifiers)
        if postcodes:  # "21231 Baltimore": a postcode, not a house number
            scored = postcodes
        rows = self.streets.named(key, "street") + self.streets.named(key, "place")
        scored += [(r, "primary") for r in self._matching(rows, qualifiers)]
        missing = None
        gazetteer = []
        try:
            gazetteer = [(p, "alternate" if p.alternate else "primary")
                         for p in self.places.search(address)]
            if not qualifiers:
                country = self.places.country_named(compact(address))
                if country is not None:
                    scored.append((country, "country"))
        except PlacesUnavailable as exc:
            missing = exc
        # Typos and words of longer names are looked for only in a text no
        # longer than a name: their look-ups cost the square of its length.
        if not scored and not gazetteer and len(key) <= LONGEST_LOOSE:
            scored = [(r, m) for kind in ("street", "place")
                      for r, m in self._loose_matching(key, kind, qualifiers)]
            try:
                # A near miss in the imported regions is what the reader is after.
                gazetteer = (self.places.loose(key, [compact(q) for q in qualifiers])
                             if missing is None and not scored else [])
            except PlacesUnavailable as exc:
                missing = exc
        scored += gazetteer
        if not scored and missing is not None:
            raise missing
        return self._best(scored, bias)

    def _best(self, candidates, bias):
        """Results of (row, place or country; how it matched), best first, one per
        place, at most MAX_RESULTS: however many places share a name, only
        those that can be among the first are formatted."""
        out = []
        for item, match in candidates:
            if match == "country":
                score = MATCH["primary"] + COUNTRY_IMPORTANCE
            elif hasattr(item, "population"):
                score = (MATCH[match] + math.log10(item.population + 10)
                         + FEATURE_IMPORTANCE.get(item.feature, 0.0))
            else:
                score = MATCH[match] + REGION_IMPORTANCE.get(item.kind, 4.5)
            lat, lng = (item.lat, item.lng)
            out.append([score + bias.bonus(lat, lng), None, item, match])
        out.sort(key=lambda entry: -entry[0])
        # Same-named towns tell each other apart in their texts.
        towns = [e for e in out if hasattr(e[2], "population")]
        for entry, text in zip(towns, results.cities([e[2] for e in towns])):
            entry[1] = text
        # A town or quarter both sources know reads as the gazetteer has it.
        towns = [e[1] for e in towns]
        kept = []
        for entry in out:
            result, item = entry[1], entry[2]
            if result is None:
                result = (results.country(item) if entry[3] == "country"
                          else results.street_row(item, self._country(item)))
            if getattr(item, "kind", "") == "place" and "political" in result["types"] and any(
                    _same_place(result, town) for town in towns):
                continue
            if not any(_same_place(result, other) for other in kept):
                kept.append(result)
                if len(kept) == MAX_RESULTS:
                    break
        return kept

    def _addresses(self, key, qualifiers):
        """Addresses (a number and a street); else the street of a number the data lacks."""
        splits = _number_splits(key)
        for number_key, street in splits:
            found = self._matching(self.streets.named(street, "address", number_key),
                                   qualifiers)
            if found:
                return [(r, "primary") for r in found]
        for number_key, street in splits:
            # The number is not in the data: the street itself, not a guess.
            found = self._matching(self.streets.named(street, "street"), qualifiers)
            if found:
                return [(r, "primary") for r in found]
        for number_key, street in splits:
            # A misspelt street: its number there, else the street.
            streets = self._loose_matching(street, "street", qualifiers)
            found = self._matching([a for name in {r.name for r, _ in streets}
                                    for a in self.streets.named(name, "address", number_key)],
                                   qualifiers)
            if found or streets:
                return [(r, "fuzzy") for r in found] or streets
        return []

    def _postcodes(self, key, qualifiers):
        match = _POSTCODE.fullmatch(key)
        if match is None:
            return []
        code = match.group(1) or match.group(4)
        town = match.group(2) or match.group(3)
        rows = self._matching(self.streets.with_postcode(code),
                              qualifiers + ([town] if town else []))
        if not rows:
            return []
        locality = Counter(r.locality or r.town for r in rows).most_common(1)[0][0]
        rows = [r for r in rows if (r.locality or r.town) == locality]
        first = rows[0]
        lats, lngs = [r.lat for r in rows], [r.lng for r in rows]
        area = first._replace(kind="postcode", name=code, housenumber="", street="",
                              lat=sum(lats) / len(lats), lng=sum(lngs) / len(lngs),
                              south=min(lats), west=min(lngs), north=max(lats),
                              east=max(lngs), types="postal_code")
        return [(area, "primary")]

    # --- rows of the regions ------------------------------------------------------

    def _country(self, row):
        if row.country:
            return row.country
        try:
            return self.places.country_of(row.town, row.lat, row.lng) if row.town else None
        except PlacesUnavailable:
            return None

    def _keys(self, row):
        # Only US states go by their code ("MD"); elsewhere it is a GeoNames number.
        return {compact(row.town), compact(row.locality), compact(row.admin2),
                compact(row.admin1), compact(row.postcode),
                compact(row.postcode + (row.locality or row.town)),
                compact(row.admin1_code) if row.country == "US" else ""} - {""}

    def _qualified(self, row, qualifiers):
        """Whether a row lies where the qualifiers (normalised) say."""
        keys = self._keys(row)
        if all(compact(q) in keys for q in qualifiers):
            return True
        country = self._country(row)
        try:
            return all(compact(q) in keys or (country and self.places.qualifies(
                country, row.admin1_code, compact(q))) or self._town_near(q, row)
                for q in qualifiers)
        except PlacesUnavailable:
            return False

    def _town_near(self, qualifier, row):
        """Whether a town of the gazetteer so named lies near the row: a street
        the extract puts in a suburb is still "Market Street, Harrisburg"."""
        # Asked once per row of a name: the towns of a qualifier are looked up once.
        towns = self._named_towns.get(qualifier)
        if towns is None:
            if len(self._named_towns) > 1000:
                self._named_towns.clear()
            towns = self._named_towns[qualifier] = self.places.named(qualifier)
        return any(_km((p.lat, p.lng), (row.lat, row.lng)) <= TOWN_REACH_KM for p in towns)

    def _matching(self, rows, qualifiers):
        return [r for r in rows if not qualifiers or self._qualified(r, qualifiers)]

    def _loose_matching(self, key, kind, qualifiers):
        return [(r, m) for r, m in self.streets.loose(key, kind)
                if not qualifiers or self._qualified(r, qualifiers)]

    # --- kinds of place -----------------------------------------------------------

    def _category(self, address, bias):
        """Points of interest of a kind the text asks for, nearest first; None
        when the text does not ask for a kind."""
        text = normalise(address.replace(",", " in ", 1)) if "," in address else normalise(
            address)
        match = _CATEGORY_QUERY.fullmatch(text)
        if match is None or match.group(1) not in _CATEGORY_OF:
            return None
        rows = self.streets.of_category(_CATEGORY_OF[match.group(1)])
        centre, within = bias.centre(), None
        if match.group(3):
            where = match.group(3)
            towns = [r for r in rows if where in (normalise(r.locality), normalise(r.town))]
            if match.group(2) != "near" and towns:
                rows = towns
            centre = self._reference(where, bias)
            if centre is None and not towns:
                return []
            within = None if towns else 10.0
        if centre is not None:
            rows = sorted(rows, key=lambda r: _km(centre, (r.lat, r.lng)))
            if within is not None:
                rows = [r for r in rows if _km(centre, (r.lat, r.lng)) <= within]
        found = []
        for row in rows:
            result = results.street_row(row, self._country(row))
            if not any(_same_place(result, other) for other in found):
                found.append(result)
            if len(found) == MAX_RESULTS:
                break
        return found

    def _reference(self, where, bias):
        """The point a place name after "near" or "in" stands for, or None."""
        try:
            best = self._ranked(where, bias)
        except PlacesUnavailable:
            return None
        return best[0]["location"] if best else None


def _number_splits(key):
    """(house number without spaces, street) readings of a key: "12 rue grimaldi",
    "boulevard albert 1er 12", "119 a via iv novembre", "82 84 foro traiano"."""
    words = key.split()
    found = []
    if len(words) > 1 and words[0][0].isdigit():
        found.append((words[0], " ".join(words[1:])))
        if len(words) > 2 and (words[1].isdigit() or len(words[1]) == 1):
            found.append((words[0] + words[1], " ".join(words[2:])))
    if len(words) > 1 and words[-1][0].isdigit():
        found.append((words[-1], " ".join(words[:-1])))
        if len(words) > 2 and len(words[-1]) == 1 and words[-2][0].isdigit():
            found.append((words[-2] + words[-1], " ".join(words[:-2])))
    return found


@functools.lru_cache(maxsize=4096)
def _name_of(formatted_address):
    return normalise(formatted_address.split(",")[0])


def _same_place(a, b):
    """Whether two results are one place: the same name, close together."""
    if _name_of(a["formatted_address"]) != _name_of(b["formatted_address"]):
        return False
    area = "political" in a["types"] or "political" in b["types"]
    return _km(a["location"], b["location"]) < SAME_PLACE_KM[area]
