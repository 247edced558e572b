"""The Nominatim back-end: /search?format=json&addressdetails=1."""

from urllib.parse import urlencode

from . import online

DEFAULT_URL = "https://nominatim.openstreetmap.org"


def _kind(item):
    kind, cls = item.get("type"), item.get("class")
    if kind in online.CITY_VALUES:
        return "city"
    if kind in ("house", "building"):
        return kind
    if cls == "highway":
        return "street"
    if kind in ("suburb", "neighbourhood", "quarter", "city_district"):
        return "district"
    if kind in ("state", "country", "postcode"):
        return kind
    return cls if cls == "place" else "poi"


def _result(item):
    a = item.get("address") or {}
    lat, lng = online.number(item["lat"]), online.number(item["lon"])
    area = None
    box = item.get("boundingbox")
    if isinstance(box, list) and len(box) == 4:
        south, north, west, east = (online.number(v) for v in box)
        area = (south, west, north, east)
    city = a.get("city") or a.get("town") or a.get("village") or a.get("hamlet")
    return online.result(
        str(item.get("display_name") or "%s,%s" % (lat, lng)), lat, lng, _kind(item),
        online.address_components(a.get("house_number"), a.get("road"), city, a.get("postcode"),
                                  a.get("state"), a.get("country"), a.get("country_code")),
        area, ("nominatim", item.get("osm_type"), item.get("osm_id"), item.get("place_id")))


def geocode(url, address, view=None):
    """view: (south, west, north, east) that the answer should favour, or None."""
    query = {"q": address, "format": "json", "addressdetails": 1, "limit": online.LIMIT}
    if view is not None:
        query["viewbox"] = "%s,%s,%s,%s" % (view[1], view[2], view[3], view[0])
    data = online.fetch_json("%s/search?%s" % (url, urlencode(query)), "Nominatim")
    if not isinstance(data, list):
        raise online.unreadable("Nominatim")
    try:
        found = [_result(item) for item in online.items(data, "Nominatim")]
    except (KeyError, TypeError, ValueError, AttributeError):
        raise online.unreadable("Nominatim")
    return ("OK", found) if found else ("ZERO_RESULTS", [])
