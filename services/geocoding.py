"""The geocoding endpoint, /maps/api/geocode/xml, in the Google web service's XML format.

Answers ?address=... with cities from the gazetteer, or with the point
itself when the address is a "lat lng" or "lat,lng" pair. Statuses are the
service's own: OK, ZERO_RESULTS, INVALID_REQUEST, and UNKNOWN_ERROR when the
gazetteer files are missing. Other parameters (sensor, key, ...) are ignored.
"""

import base64
import hashlib
import math
import re
import sys
from urllib.parse import parse_qs, urlsplit

import countries
import gazetteer
import xmlreply

PATH = "/maps/api/geocode/xml"
CONTENT_TYPE = xmlreply.CONTENT_TYPE

GAZETTEER = gazetteer.Gazetteer()

# Half the height of the viewport, in degrees of latitude. The gazetteer has
# no extent, so big cities get a view of roughly 30 km, other places 10 km.
CITY_HALF_SPAN = {gazetteer.RANK_CAPITAL: 0.15, gazetteer.RANK_MAJOR: 0.15}
TOWN_HALF_SPAN = 0.05
# The service frames an exact address in about 300 m.
POINT_HALF_SPAN = 0.00135

_NUMBER = r"([+-]?(?:[0-9]+(?:\.[0-9]*)?|\.[0-9]+))"
# One way only to split the gap between the numbers, so a long run of
# spaces cannot make the match backtrack quadratically.
_COORDINATES = re.compile(_NUMBER + r"(?:\s*,\s*|\s+)" + _NUMBER, re.ASCII)


def register(routes):
    routes[PATH] = handle_geocode


def handle_geocode(handler, query):
    address = _first_address(handler, query)
    if address is None or not address.strip():
        body = render("INVALID_REQUEST", error_message=(
            "Invalid request. Missing the 'address' parameter."))
    else:
        try:
            body = render(*geocode(address))
        except gazetteer.GazetteerUnavailable as exc:
            sys.stderr.write("geocoding: %s\n" % exc)
            body = render("UNKNOWN_ERROR", error_message="The gazetteer is not installed.")
    handler.send_body(200, CONTENT_TYPE, body)


def _first_address(handler, query):
    # The dispatcher's parse_qs() drops blank values, which would make
    # "address=&address=Paris" look like a request for Paris. Read the
    # request line again keeping them; the first address counts.
    path = getattr(handler, "path", None)
    if path is not None:
        query = parse_qs(urlsplit(path).query, keep_blank_values=True)
    values = query.get("address")
    return values[0] if values else None


def geocode(address):
    """(status, results) for an address; results are ready for render()."""
    point = _parse_coordinates(address)
    if point is not None:
        lat, lng = point
        if not (-90 <= lat <= 90 and -180 <= lng <= 180):
            return "ZERO_RESULTS", []
        return "OK", [_point_result(lat, lng)]
    places = GAZETTEER.search(address)
    if not places:
        return "ZERO_RESULTS", []
    return "OK", [_place_result(p, f) for p, f in zip(places, _formatted_addresses(places))]


def _parse_coordinates(text):
    match = _COORDINATES.fullmatch(text.strip())
    if match is None:
        return None
    return float(match.group(1)), float(match.group(2))


def _number_text(value):
    """Shortest plain decimal for a coordinate, at most 7 places: 48.8566, -33.86, 0."""
    text = ("%.7f" % value).rstrip("0").rstrip(".")
    return "0" if text == "-0" else text


def _place_id(*parts):
    digest = hashlib.sha1("|".join(str(p) for p in parts).encode("utf-8")).digest()
    return base64.urlsafe_b64encode(digest).decode("ascii").rstrip("=")


def _box(lat, lng, half_lat):
    """(south, west, north, east) of a roughly square box centred on a point."""
    half_lng = min(180.0, half_lat / max(math.cos(math.radians(lat)), 0.01))

    def wrap(x):
        return (x + 180.0) % 360.0 - 180.0 if abs(x) > 180 else x

    return (max(-90.0, lat - half_lat), wrap(lng - half_lng),
            min(90.0, lat + half_lat), wrap(lng + half_lng))


def _formatted_address(place, detail=0):
    """"Paris, TX, USA" in the US, "Paris, France" elsewhere; detail adds region levels."""
    country = countries.FORMATTED_COUNTRY.get(place.country_code, place.country_name)
    if place.country_code == "US" and place.admin1_code:
        parts = (place.name, detail and place.admin2_name, place.admin1_code, country)
    else:
        parts = (place.name, detail > 1 and place.admin2_name, detail and place.admin1_name,
                 country)
    # "Hanoi, Hanoi, Vietnam" tells nothing more than "Hanoi, Vietnam".
    return ", ".join([place.name] + [p for p in parts[1:] if p and p != place.name])


def _formatted_addresses(places):
    # Two "Toledo, Brazil" lines would leave the reader guessing, so lines
    # that repeat name more of the region: "Toledo, Paraná, Brazil".
    details = [0] * len(places)
    for _ in range(2):
        texts = [_formatted_address(p, d) for p, d in zip(places, details)]
        details = [d + 1 if texts.count(t) > 1 else d for t, d in zip(texts, details)]
    return [_formatted_address(p, d) for p, d in zip(places, details)]


def _place_result(place, formatted):
    components = [(place.name, place.name, "locality")]
    if place.admin2_name:
        components.append((place.admin2_name, place.admin2_name, "administrative_area_level_2"))
    if place.admin1_name:
        # Only US admin1 codes are postal abbreviations; elsewhere they are
        # GeoNames numbers that mean nothing to a reader.
        short = place.admin1_code if place.country_code == "US" else place.admin1_name
        components.append((place.admin1_name, short, "administrative_area_level_1"))
    components.append((place.country_name, place.country_code, "country"))

    box = _box(place.lat, place.lng, CITY_HALF_SPAN.get(place.rank, TOWN_HALF_SPAN))
    return {
        "types": ("locality", "political"),
        "formatted_address": formatted,
        "components": [(long, short, (kind, "political")) for long, short, kind in components],
        "location": (place.lat, place.lng),
        "location_type": "APPROXIMATE",
        "viewport": box,
        "bounds": box,
        "place_id": _place_id(place.country_code, place.admin1_code, place.name,
                              place.lat, place.lng),
    }


def _point_result(lat, lng):
    formatted = "%s,%s" % (_number_text(lat), _number_text(lng))
    return {
        "types": ("street_address",),
        "formatted_address": formatted,
        "components": [],
        "location": (lat, lng),
        "location_type": "ROOFTOP",
        "viewport": _box(lat, lng, POINT_HALF_SPAN),
        "bounds": None,  # the service sends bounds only for areas
        "place_id": _place_id("point", formatted),
    }


def render(status, results=(), error_message=None):
    """The reply document as UTF-8 bytes, laid out like the service's own."""
    return xmlreply.geocode_document(status, results, error_message)
