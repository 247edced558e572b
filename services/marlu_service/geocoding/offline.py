"""The offline back-end: coordinate pairs, then the streets and addresses of
the imported regions, then the world's places, then the regions' named places."""

import re

from . import results
from .countries import COUNTRY_ALIASES, COUNTRY_NAMES
from .places import MAX_RESULTS, PlacesUnavailable
from .text import compact, normalise

_NUMBER = r"([+-]?(?:[0-9]+(?:\.[0-9]*)?|\.[0-9]+))"
# One way only to split the gap between the numbers, so a long run of
# spaces cannot make the match backtrack quadratically.
_COORDINATES = re.compile(_NUMBER + r"(?:\s*,\s*|\s+)" + _NUMBER, re.ASCII)
# "12 Rue Grimaldi" and "Boulevard Albert 1er 12"; "1er" is part of the name.
_NUMBER_FIRST = re.compile(r"([0-9]+ ?[a-z]?) (.+)")
_NUMBER_LAST = re.compile(r"(.+) ([0-9]+ ?[a-z]?)")

_COUNTRY_KEYS = {code: {code.casefold(), compact(name)} | {
    compact(a) for a in COUNTRY_ALIASES.get(code, ())} for code, name in COUNTRY_NAMES.items()}


def _near(a, b, degrees=0.03):
    return abs(a[0] - b[0]) < degrees and abs(a[1] - b[1]) < degrees


def _not_near_same_name(named, earlier):
    """The named places of the extract, less those the places list already
    gave: a quarter like Fontvieille is in both, and one row is enough."""
    def name(result):
        return normalise(result["formatted_address"].split(",")[0])
    return [r for r in named
            if not any(name(r) == name(e) and _near(r["location"], e["location"])
                       for e in earlier)]


def parse_coordinates(text):
    match = _COORDINATES.fullmatch(text.strip())
    if match is None:
        return None
    return float(match.group(1)), float(match.group(2))


class Offline:
    def __init__(self, places, streets):
        self.places, self.streets = places, streets

    def geocode(self, address):
        """(status, results) for an address."""
        point = parse_coordinates(address)
        if point is not None:
            lat, lng = point
            if not (-90 <= lat <= 90 and -180 <= lng <= 180):
                return "ZERO_RESULTS", []
            return "OK", [results.point(lat, lng)]
        parts = address.split(",")
        qualifiers = [compact(p) for p in parts[1:] if compact(p)]
        found = self._streets(normalise(parts[0]), qualifiers)
        missing = None
        if not found or found[0]["location_type"] != "ROOFTOP":
            try:
                found += results.cities(self.places.search(address))
            except PlacesUnavailable as exc:
                missing = exc
            found += _not_near_same_name(self._named_places(normalise(parts[0]), qualifiers),
                                         found)
        if found:
            return "OK", found[:MAX_RESULTS]
        if missing is not None:
            raise missing
        return "ZERO_RESULTS", []

    def _country(self, row):
        try:
            return self.places.country_of(row.town, row.lat, row.lng) if row.town else None
        except PlacesUnavailable:
            return None

    def _matching(self, rows, qualifiers):
        out = []
        for row in rows:
            country = None
            keys = {compact(row.town), compact(row.postcode),
                    compact(row.postcode + row.town)} - {""}
            if any(q not in keys for q in qualifiers):
                country = self._country(row)
                if any(q not in keys | _COUNTRY_KEYS.get(country, set()) for q in qualifiers):
                    continue
            out.append(results.street_row(row, country or self._country(row)))
        return out

    def _streets(self, key, qualifiers):
        if not key:
            return []
        for pattern, number, street in ((_NUMBER_FIRST, 1, 2), (_NUMBER_LAST, 2, 1)):
            match = pattern.fullmatch(key)
            if match is None:
                continue
            number_key = match.group(number).replace(" ", "")
            found = self._matching(self.streets.named(match.group(street), "address",
                                                      number_key), qualifiers)
            if found:
                return found
            # The number is not in the data: the street itself, not a guess.
            found = self._matching(self.streets.named(match.group(street), "street"),
                                   qualifiers)
            if found:
                return found
        return self._matching(self.streets.named(key, "street"), qualifiers)

    def _named_places(self, key, qualifiers):
        found = self._matching(self.streets.named(key, "place"), qualifiers) if key else []
        # A building and the amenity in it often carry the same name.
        seen = set()
        return [r for r in found if not (r["formatted_address"] in seen
                                         or seen.add(r["formatted_address"]))]
