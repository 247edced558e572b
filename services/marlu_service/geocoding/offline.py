"""The offline back-end: coordinates as people write them (alone, or after a
name: the place of that name nearest to them), kinds of place ("pharmacy near
Rue Grimaldi", "[bar] Vaduz", "cafe near 47.16,9.51"), and otherwise every
place a text names (addresses, streets, postcodes, suburbs, hamlets, natural
features and points of interest of the imported regions, the world's places
and countries) ranked by how well it matches, how near it lies to the
reader's view and position, and how important it is."""

import functools
import math
import re
from collections import Counter

from . import coordinates, kinds, results
from .places import MAX_RESULTS, PlacesUnavailable
from .text import MAX_FUZZY_LETTERS, compact, normalise

# "9490", "21231 Baltimore", "Schaan 9494", "SW1A 1AA" is left to the street search.
_POSTCODE = re.compile(r"([0-9]{4,6})(?: (.+))?|(.+) ([0-9]{4,6})")

# Score of a result: how it matched + how important it is + how near it lies.
MATCH = {"primary": 3.0, "alternate": 1.5, "word": 1.0, "fuzzy": 0.5}
# Importance of the regions' rows, on the scale of log10(population).
REGION_IMPORTANCE = {"address": 5.5, "street": 5.0, "postcode": 5.0, "place": 4.5}
COUNTRY_IMPORTANCE = 8.0
# How far from a town's point its streets may lie when a qualifier names it.
TOWN_REACH_KM = 8.0
# A capital typed by its own name is what is meant, however small it is.
FEATURE_IMPORTANCE = {"PPLC": 5.0, "PPLA": 0.5, "PPLX": -0.5}
# Of a feature's importance, what a place found by an alternate name keeps:
# "Victoria" is first the capital of that name, not one that once had it.
ALTERNATE_SHARE = 0.2
# What a thing named after a town or suburb near it loses to that place.
NAMED_AFTER = 3.0
NAMED_AFTER_KM = 10.0
# How far around a coordinate a name written with it is looked for (km), and
# how far from a point a kind "near" it is.
NAMED_NEAR_KM = 10.0
KIND_NEAR_KM = 10.0
# How far around a suburb, hamlet or other place without a boundary its
# points of a kind lie (km).
DISTRICT_REACH_KM = 2.0
# Most a result gains by lying in the view or at the own position.
NEAR_BONUS = 4.0
# Two results of one name this close are one place (km): towns and quarters
# that two sources name, an address drawn as both line and area.
SAME_PLACE_KM = {True: 3.0, False: 0.2}

# "kind in Place", "kind near Place" in the three languages.
_KIND_QUERY = re.compile(r"(.+?) (in|near|at|around|close to|bei|nahe|nahe bei|in der nahe von|"
                         r"in der nähe von|im|lahella|lähellä) (.+)", re.IGNORECASE)
_BRACKETED = re.compile(r"\[([^\]]*)\] ?,? ?(.*)")
_NEAR_WORDS = {"near", "around", "close to", "bei", "nahe", "nahe bei", "in der nahe von",
               "lahella"}


def _km(a, b):
    scale = math.cos(math.radians((a[0] + b[0]) / 2))
    # The short way round: Fiji's two sides of the date line are neighbours.
    return 111.2 * math.hypot(a[0] - b[0], ((a[1] - b[1] + 180) % 360 - 180) * scale)


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
            return self._view_centre()
        return None

    def _view_centre(self):
        """The middle of the view; a view whose west edge lies east of its east
        edge spans the date line."""
        s, w, n, e = self.view
        middle = (w + e) / 2 if w <= e else (w + e + 360) / 2
        return (s + n) / 2, (middle + 180) % 360 - 180

    def bonus(self, lat, lng):
        best = 0.0
        if self.view is not None:
            s, w, n, e = self.view
            centre = self._view_centre()
            half = max(1.0, _km((s, w), (n, e)) / 2)
            beyond = max(0.0, _km(centre, (lat, lng)) - half)
            best = NEAR_BONUS / (1 + beyond / max(half, 5.0))
        if self.position is not None:
            best = max(best, NEAR_BONUS / (1 + _km(self.position, (lat, lng)) / 20.0))
        return best


NO_BIAS = Bias()


def parse_coordinates(text):
    return coordinates.parse(text)


def _valid(point):
    return -90 <= point[0] <= 90 and -180 <= point[1] <= 180


class Offline:
    def __init__(self, places, streets):
        self.places, self.streets = places, streets
        self._named_towns = {}

    def geocode(self, address, bias=NO_BIAS):
        """(status, results) for an address, best first."""
        point = parse_coordinates(address)
        if point is not None:
            if not _valid(point):
                return "ZERO_RESULTS", []
            return "OK", [results.point(*point)]
        found = self._kind(address, bias)
        if found is None:
            written = coordinates.named(address)
            found = (self._named_near(*written) if written is not None
                     else self._ranked(address, bias))
        return ("OK", found[:MAX_RESULTS]) if found else ("ZERO_RESULTS", [])

    def _named_near(self, name, point):
        """The places of a name nearest a coordinate written with it, else the point."""
        if not _valid(point):
            return []
        try:
            found = self._ranked(name, Bias(position=point))
        except PlacesUnavailable:
            found = []
        found = [r for r in found if _km_to(point, r) <= NAMED_NEAR_KM]
        if not found:  # "sporry" for "Sporry Weiher": a word of the name
            found = [results.street_row(row, self._country(row))
                     for kind in ("place", "street")
                     for row, _ in self.streets.loose(normalise(name), kind)]
            found = [r for r in found if _km_to(point, r) <= NAMED_NEAR_KM]
        found.sort(key=lambda r: _km_to(point, r))
        # A river or forest written with a point in its area is there, at that point.
        return [dict(r, location=point) if _km_to(point, r) == 0 and "political" not in
                r["types"] and r["location_type"] == "GEOMETRIC_CENTER" else r
                for r in found] or [results.point(*point)]

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
        if not scored and not gazetteer and len(key) <= MAX_FUZZY_LETTERS:
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
                         + FEATURE_IMPORTANCE.get(item.feature, 0.0) * (
                             1.0 if match == "primary" else ALTERNATE_SHARE))
            else:
                score = MATCH[match] + REGION_IMPORTANCE.get(item.kind, 4.5)
            lat, lng = (item.lat, item.lng)
            out.append([score + bias.bonus(lat, lng), None, item, match])
        _rank_places_first(out)
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
            same = [town for town in towns if _same_place(result, town)] if getattr(
                item, "kind", "") == "place" and "political" in result["types"] else []
            if same:
                # The gazetteer's town, as high as the extract's place of it ranks;
                # the gazetteer has no postcodes, the extract may know the town's.
                result = same[0]
                _add_postcode(result, item.postcode)
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
        return {compact(row.town), compact(row.locality), compact(row.district),
                compact(row.admin2),
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

    def _kind(self, address, bias):
        """Points of interest of a kind the text asks for, nearest first; None
        when the text does not ask for a kind."""
        asked = _kind_query(address)
        if asked is None:
            return None
        kind, near, where = asked
        centre, within, names, country = bias.centre(), None, set(), None
        if where:
            point = parse_coordinates(where)
            if point is not None:
                if not _valid(point):
                    return []
                centre, within = point, KIND_NEAR_KM
            else:
                place = self._reference(where, bias)
                if place is None:
                    return None  # "Restaurant at the End": a name, not a kind
                centre, within, names, country = _reach(place)
                names.add(normalise(where))
                if near:
                    within, names = max(within, KIND_NEAR_KM), set()
        rows = self.streets.of_kind(kind, centre, within,
                                    MAX_RESULTS * 5 if names or country else MAX_RESULTS)
        if country:
            rows = [r for r in rows if self._country(r) == country]
        inside = [r for r in rows if names & {normalise(r.locality), normalise(r.town),
                                             normalise(r.district)}]
        rows = inside or rows
        if not rows:
            return None  # a name that reads like a kind ("Bar", a town), else nothing
        found = []
        for row in rows:
            result = results.street_row(row, self._country(row))
            if not any(_same_place(result, other) for other in found):
                found.append(result)
            if len(found) == MAX_RESULTS:
                break
        return found

    def _reference(self, where, bias):
        """The best result for a place named after "near" or "in", or None."""
        try:
            best = self._ranked(where, bias)
        except PlacesUnavailable:
            return None
        return best[0] if best else None


def _kind_query(address):
    """(kind, whether "near", the place or coordinate text or "") that a text
    asks for: "bars in Ebenholz", "[restaurant] Vaduz", "cafe near 47.1,9.5",
    "Apotheken, Schaan", "pharmacy"; or None."""
    text = " ".join(address.split())
    bracketed = _BRACKETED.fullmatch(text)
    if bracketed is not None:
        kind = kinds.named(normalise(bracketed.group(1)))
        return (kind, False, bracketed.group(2).strip()) if kind else None
    match = _KIND_QUERY.fullmatch(text)
    if match is not None:
        kind = kinds.named(normalise(match.group(1)))
        if kind:
            return kind, normalise(match.group(2)) in _NEAR_WORDS, match.group(3).strip()
    head, _, where = text.partition(",")
    kind = kinds.named(normalise(head))
    return (kind, False, where.strip()) if kind else None


def _reach(place):
    """(centre, km, names, country code or None) of the area a result stands for
    when things of a kind are asked for in it."""
    centre = place["location"]
    types = place["types"]
    names = {normalise(place["formatted_address"].split(",")[0])}
    bounds = place.get("bounds")
    extent = _km(bounds[:2], bounds[2:]) / 2 if bounds else 0.0
    if "country" in types:
        return centre, max(extent, TOWN_REACH_KM), set(), [
            c[1] for c in place["components"] if "country" in c[2]][0]
    if "locality" in types and "political" in types:
        return centre, max(extent, TOWN_REACH_KM), names, None
    return centre, max(extent, DISTRICT_REACH_KM), names, None


def _km_to(point, result):
    """How far a point lies from a result's area (a river's, a street's), or
    from its location where it has none."""
    area = result.get("bounds")
    if area is None:
        return _km(point, result["location"])
    south, west, north, east = area
    return _km(point, (min(max(point[0], south), north), min(max(point[1], west), east)))


def _add_postcode(result, code):
    if code and not any("postal_code" in c[2] for c in result["components"]):
        result["components"].append((code, code, ("postal_code",)))


def _rank_places_first(entries):
    """Scores made so that a town or suburb comes before a thing named after
    it nearby, and a capital before its country of the same name."""
    def place_name(item):
        if hasattr(item, "population"):
            return normalise(item.name)
        if "political" in getattr(item, "types", ""):
            return normalise(item.name)
        return None

    places = [(place_name(e[2]), e[2]) for e in entries if e[3] in ("primary", "alternate")]
    places = [(n, p) for n, p in places if n]
    countries = {e[2].code: e for e in entries if e[3] == "country"}
    for entry in entries:
        item = entry[2]
        if hasattr(item, "population"):
            country = countries.get(item.country)
            if country and item.feature == "PPLC" and entry[3] == "primary":
                entry[0] = max(entry[0], country[0] + 0.5)
        elif entry[3] != "country" and not place_name(item) and item.kind == "place":
            name = normalise(item.name)
            if any(n == name and _km((p.lat, p.lng), (item.lat, item.lng)) <= NAMED_AFTER_KM
                   for n, p in places):
                entry[0] -= NAMED_AFTER


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
    if ("country" in a["types"]) != ("country" in b["types"]):
        return False  # a city-state and its country are two answers
    area = "political" in a["types"] or "political" in b["types"]
    return _km(a["location"], b["location"]) < SAME_PLACE_KM[area]
