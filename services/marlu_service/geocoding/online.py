"""What the online back-ends share: the request, the provider's failures as
the service's status words, and the parts of a result."""

import json
import sys

from .. import providerfailure, upstream

from . import results

LIMIT = 10
TIMEOUT = upstream.TIMEOUT
# Far more than the few results asked for need; an answer beyond is refused.
MAX_BYTES = 4 * 1024 * 1024
MAX_DEPTH = 32
# Kinds of place -> (result types, location type).
KINDS = {
    "house": (("street_address",), "ROOFTOP"),
    "building": (("premise",), "ROOFTOP"),
    "street": (("route",), "GEOMETRIC_CENTER"),
    "city": (("locality", "political"), "APPROXIMATE"),
    "district": (("sublocality", "political"), "APPROXIMATE"),
    "state": (("administrative_area_level_1", "political"), "APPROXIMATE"),
    "country": (("country", "political"), "APPROXIMATE"),
    "postcode": (("postal_code",), "APPROXIMATE"),
}
CITY_VALUES = {"city", "town", "village", "hamlet", "municipality"}


class ProviderFailure(Exception):
    """The provider gave no usable answer; status is the service's word for it."""

    def __init__(self, status, message):
        super().__init__(message)
        self.status = status


def refuse(provider, why):
    """The failure for an answer beyond the caps, with the log line saying why."""
    sys.stderr.write("geocoding: %s: refused an answer: %s\n" % (provider, why))
    return ProviderFailure("UNKNOWN_ERROR",
                           providerfailure.sentence(provider, "its answer is too large to use"))


def unreadable(provider):
    return ProviderFailure("UNKNOWN_ERROR", providerfailure.unreadable(provider))


def depth(value, limit):
    """How deep a parsed JSON value nests, counted up to limit + 1."""
    deepest, level = 0, [(value, 1)]
    while level:
        item, d = level.pop()
        deepest = max(deepest, d)
        if deepest > limit:
            break
        children = item.values() if isinstance(item, dict) else item if isinstance(
            item, list) else ()
        level.extend((child, d + 1) for child in children if isinstance(child, (dict, list)))
    return deepest


def items(data, provider):
    """The answer's list of results, refused when longer than what was asked for."""
    if len(data) > LIMIT:
        raise refuse(provider, "%d results where %d were asked for" % (len(data), LIMIT))
    return data


def fetch_json(url, provider):
    try:
        status, body = upstream.get(url, timeout=TIMEOUT, max_bytes=MAX_BYTES)
    except upstream.UpstreamError as exc:
        sys.stderr.write("geocoding: %s: %s\n" % (provider, exc))
        if exc.kind == "too_large":
            raise refuse(provider, exc.detail)
        raise ProviderFailure("UNKNOWN_ERROR", providerfailure.of_error(provider, exc))
    if status != 200:
        sys.stderr.write("geocoding: %s: HTTP %d\n" % (provider, status))
        word = ("OVER_QUERY_LIMIT" if status == 429 else
                "REQUEST_DENIED" if status in (401, 403) else "UNKNOWN_ERROR")
        raise ProviderFailure(word, providerfailure.of_status(provider, status))
    try:
        data = json.loads(body.decode("utf-8"))
    except (UnicodeDecodeError, ValueError):
        raise unreadable(provider)
    except RecursionError:
        raise refuse(provider, "JSON nested deeper than the parser goes")
    if depth(data, MAX_DEPTH) > MAX_DEPTH:
        raise refuse(provider, "JSON nested deeper than %d" % MAX_DEPTH)
    return data


def result(formatted, lat, lng, kind, components, area, pid):
    """area: (south, west, north, east) or None."""
    types, location_type = KINDS.get(kind, (("point_of_interest", "establishment"),
                                            "GEOMETRIC_CENTER" if area else "ROOFTOP"))
    if area and (area[0] > area[2] or not -90 <= area[0] <= 90 or not -90 <= area[2] <= 90):
        area = None
    return {
        "types": types,
        "formatted_address": formatted,
        "components": [c for c in components if c[0]],
        "location": (lat, lng),
        "location_type": location_type,
        "viewport": area or results.box(lat, lng, results.POINT_HALF_SPAN),
        "bounds": area if kind not in ("house", "building") else None,
        "place_id": results.place_id(*pid),
    }


def address_components(number, street, city, postcode, state, country, code):
    code = (code or "").upper()
    return [(number, number, ("street_number",)), (street, street, ("route",)),
            (city, city, ("locality", "political")),
            (state, state, ("administrative_area_level_1", "political")),
            (country, code or country, ("country", "political")),
            (postcode, postcode, ("postal_code",))]


def number(value):
    try:
        value = float(value)
    except (TypeError, ValueError):
        raise ValueError("not a number: %r" % (value,))
    if value != value or value in (float("inf"), float("-inf")):
        raise ValueError("not a number")
    return value
