"""Geocoding results as the service writes them, from GeoNames places,
rows of the street index and coordinate pairs."""

import base64
import hashlib
import math

from . import kinds
from .countries import COUNTRY_NAMES, FORMATTED_COUNTRY

# Half the height of the viewport, in degrees of latitude, by population.
CITY_SPANS = ((1000000, 0.15), (100000, 0.1), (0, 0.05))
# The service frames an exact address in about 300 m.
POINT_HALF_SPAN = 0.00135
# Where the postcode follows the town ("Springfield, IL 62701") and where
# the house number follows the street ("Hauptstraße 5").
POSTCODE_AFTER = {"US", "GB", "CA", "AU"}
NUMBER_AFTER = {"DE", "AT", "CH", "LI", "IT", "ES", "NL", "BE", "PL", "CZ", "SK", "DK", "NO",
                "SE", "FI", "PT", "HU", "HR", "SI", "BR", "AR", "MX", "CL", "RU", "UA", "GR",
                "TR", "IS", "EE", "LV", "LT", "RS", "BA", "SM", "VA"}
# Where the state's postal abbreviation stands before the postcode.
STATE_CODE = {"US"}
# The US Postal Service's short forms, as US addresses are written.
US_SUFFIXES = {"Street": "St", "Avenue": "Ave", "Boulevard": "Blvd", "Road": "Rd",
               "Drive": "Dr", "Lane": "Ln", "Place": "Pl", "Court": "Ct", "Square": "Sq",
               "Highway": "Hwy", "Parkway": "Pkwy", "Terrace": "Ter", "Circle": "Cir"}
US_DIRECTIONS = {"North": "N", "South": "S", "East": "E", "West": "W"}


def place_id(*parts):
    digest = hashlib.sha1("|".join(str(p) for p in parts).encode("utf-8")).digest()
    return base64.urlsafe_b64encode(digest).decode("ascii").rstrip("=")


def box(lat, lng, half_lat):
    """(south, west, north, east) of a roughly square box centred on a point."""
    half_lng = min(180.0, half_lat / max(math.cos(math.radians(lat)), 0.01))

    def wrap(x):
        return (x + 180.0) % 360.0 - 180.0 if abs(x) > 180 else x

    return (max(-90.0, lat - half_lat), wrap(lng - half_lng),
            min(90.0, lat + half_lat), wrap(lng + half_lng))


def _number_text(value):
    """Shortest plain decimal for a coordinate, at most 7 places: 48.8566, -33.86, 0."""
    text = ("%.7f" % value).rstrip("0").rstrip(".")
    return "0" if text == "-0" else text


def point(lat, lng):
    formatted = "%s,%s" % (_number_text(lat), _number_text(lng))
    return {
        "types": ("street_address",),
        "formatted_address": formatted,
        "components": [],
        "location": (lat, lng),
        "location_type": "ROOFTOP",
        "viewport": box(lat, lng, POINT_HALF_SPAN),
        "bounds": None,  # the service sends bounds only for areas
        "place_id": place_id("point", formatted),
    }


# --- GeoNames places ----------------------------------------------------------

def _city_line(place, detail=0):
    """"Paris, TX, USA" in the US, "Paris, France" elsewhere; detail adds region levels."""
    country = FORMATTED_COUNTRY.get(place.country, COUNTRY_NAMES.get(place.country,
                                                                      place.country))
    if place.country == "US" and place.admin1_code:
        parts = (detail and place.admin2, place.admin1_code, country)
    else:
        parts = (detail > 1 and place.admin2, detail and place.admin1, country)
    # "Hanoi, Hanoi, Vietnam" tells nothing more than "Hanoi, Vietnam".
    return ", ".join([place.name] + [p for p in parts if p and p != place.name])


def cities(places):
    # Two "Toledo, Brazil" lines would leave the reader guessing, so lines
    # that repeat name more of the region: "Toledo, Paraná, Brazil".
    details = [0] * len(places)
    for _ in range(2):
        texts = [_city_line(p, d) for p, d in zip(places, details)]
        details = [d + 1 if texts.count(t) > 1 else d for t, d in zip(texts, details)]
    return [_city(p, _city_line(p, d)) for p, d in zip(places, details)]


def _city(place, formatted):
    components = [(place.name, place.name, "locality")]
    if place.admin2:
        components.append((place.admin2, place.admin2, "administrative_area_level_2"))
    if place.admin1:
        # Only US admin1 codes are postal abbreviations; elsewhere they are
        # GeoNames numbers that mean nothing to a reader.
        short = place.admin1_code if place.country == "US" else place.admin1
        components.append((place.admin1, short, "administrative_area_level_1"))
    components.append((COUNTRY_NAMES.get(place.country, place.country), place.country,
                       "country"))
    half = next(span for size, span in CITY_SPANS if place.population >= size)
    area = box(place.lat, place.lng, half)
    return {
        "types": ("locality", "political"),
        "formatted_address": formatted,
        "components": [(long, short, (kind, "political")) for long, short, kind in components],
        "location": (place.lat, place.lng),
        "location_type": "APPROXIMATE",
        "viewport": area,
        "bounds": area,
        "place_id": place_id("geonames", place.id),
    }


# --- Streets, addresses and named places of the imported regions ------------

def short_street(name, country):
    """A street name as the country abbreviates it in addresses: "N 2nd St"."""
    if country != "US":
        return name
    words = name.split()
    if len(words) > 1 and words[-1] in US_SUFFIXES:
        words[-1] = US_SUFFIXES[words[-1]]
    if len(words) > 2 and words[0] in US_DIRECTIONS:
        words[0] = US_DIRECTIONS[words[0]]
    return " ".join(words)


def _town_line(row, country):
    """"Baltimore, MD 21231, USA", "9494 Schaan, Liechtenstein", "98000 Monaco"."""
    town = row.locality or row.town
    code = row.admin1_code if country in STATE_CODE else ""
    if country in STATE_CODE:
        parts = [town, " ".join(p for p in (code, row.postcode) if p)]
    elif country in POSTCODE_AFTER:
        parts = [" ".join(p for p in (town, row.postcode) if p)]
    else:
        parts = [" ".join(p for p in (row.postcode, town) if p)]
    name = COUNTRY_NAMES.get(country, "")
    # "98000 Monaco", not "98000 Monaco, Monaco".
    tail = FORMATTED_COUNTRY.get(country, name) if name and name != town else ""
    return ", ".join(p for p in parts + [tail] if p)


def _district(row):
    """The component of the suburb or hamlet around a row: a part of its town."""
    types = kinds.types(row.district_kind)
    if not types or "locality" in types:
        types = ("sublocality", "political")
    return [(row.district, row.district, types)]


def _areas(row, country):
    """Address components of the suburb or hamlet, the town, its regions,
    country and postcode."""
    town = row.locality or row.town
    own = row.name if row.kind != "address" else ""
    components = _district(row) if row.district and row.district not in (own, town) else []
    if town and not (town == own and "political" in row.types):
        components.append((town, town, ("locality", "political")))
    if row.admin2 and row.admin2 != town:
        components.append((row.admin2, row.admin2, ("administrative_area_level_2", "political")))
    if row.admin1:
        short = row.admin1_code if country in STATE_CODE and row.admin1_code else row.admin1
        components.append((row.admin1, short, ("administrative_area_level_1", "political")))
    if country:
        components.append((COUNTRY_NAMES.get(country, country), country,
                           ("country", "political")))
    if row.postcode:
        components.append((row.postcode, row.postcode, ("postal_code",)))
    return components


def street_row(row, country):
    """A result for a row of the street index; country is an ISO code or None."""
    country = country or ""
    if row.kind == "address":
        street = short_street(row.street, country)
        first = " ".join((street, row.housenumber) if country in NUMBER_AFTER
                         else (row.housenumber, street))
        components = [(row.housenumber, row.housenumber, ("street_number",))]
        if row.street != row.district:  # else a number on a place (addr:place)
            components.append((row.street, street, ("route",)))
        location_type = row.location_type or "ROOFTOP"
    elif row.kind == "street":
        first = short_street(row.name, country)
        components = [(row.name, first, ("route",))]
        location_type = "GEOMETRIC_CENTER"
    elif row.kind == "postcode":
        first = ""
        components = []
        location_type = "APPROXIMATE"
    else:
        first = row.name
        components = [(row.name, row.name, tuple(row.types.split()))]
        is_point = row.south == row.north and row.west == row.east
        location_type = ("APPROXIMATE" if "political" in row.types
                         else "ROOFTOP" if is_point else "GEOMETRIC_CENTER")
    components += _areas(row, country)
    area = (row.south, row.west, row.north, row.east)
    near = box(row.lat, row.lng, POINT_HALF_SPAN)
    viewport = (min(area[0], near[0]), min(area[1], near[1]),
                max(area[2], near[2]), max(area[3], near[3]))
    return {
        "types": tuple(row.types.split()),
        "formatted_address": ", ".join(p for p in (first, _town_line(row, country)) if p),
        "components": components,
        "location": (row.lat, row.lng),
        "location_type": location_type,
        "viewport": viewport,
        "bounds": area if area[0] != area[2] or area[1] != area[3] else None,
        "place_id": place_id("osm", row.kind, row.name, row.housenumber, row.lat, row.lng),
    }


def country(place):
    """A result for a country of the gazetteer (places.Country)."""
    name = COUNTRY_NAMES.get(place.code, place.code)
    area = (place.south, place.west, place.north, place.east)
    return {
        "types": ("country", "political"),
        "formatted_address": name,
        "components": [(name, place.code, ("country", "political"))],
        "location": (place.lat, place.lng),
        "location_type": "APPROXIMATE",
        "viewport": area,
        "bounds": area,
        "place_id": place_id("country", place.code),
    }
