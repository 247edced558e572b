"""What the online back-ends share: the request, the provider's failures as
the service's status words, and the parts of a result."""

import json
import sys

from .. import upstream

from . import results

LIMIT = 10
TIMEOUT = upstream.TIMEOUT
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


def fetch_json(url, provider):
    try:
        status, body = upstream.get(url, timeout=TIMEOUT)
    except upstream.UpstreamError as exc:
        sys.stderr.write("geocoding: %s: %s\n" % (provider, exc))
        raise ProviderFailure("UNKNOWN_ERROR", "%s did not answer (%s)." % (provider, exc.kind))
    if status == 429:
        raise ProviderFailure("OVER_QUERY_LIMIT", "%s: too many requests." % provider)
    if status in (401, 403):
        raise ProviderFailure("REQUEST_DENIED", "%s refused the request (HTTP %d)."
                              % (provider, status))
    if status != 200:
        raise ProviderFailure("UNKNOWN_ERROR", "%s answered HTTP %d." % (provider, status))
    try:
        return json.loads(body.decode("utf-8"))
    except (UnicodeDecodeError, ValueError):
        raise ProviderFailure("UNKNOWN_ERROR", "%s sent an unreadable answer." % provider)


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
