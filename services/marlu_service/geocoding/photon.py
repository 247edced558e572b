"""The Photon back-end: /api?q=..., a GeoJSON FeatureCollection."""

from urllib.parse import urlencode

from . import online

DEFAULT_URL = "https://photon.komoot.io"


def _kind(p):
    value = p.get("osm_value")
    if p.get("osm_key") == "place":
        if value in online.CITY_VALUES:
            return "city"
        if value in ("house", "state", "country", "postcode"):
            return value
        return "district"
    if p.get("osm_key") == "highway":
        return "street"
    if p.get("type") == "house" and not p.get("name"):
        return "house"
    return "poi"


def _formatted(p):
    street = " ".join(x for x in (p.get("housenumber"), p.get("street")) if x)
    town = " ".join(x for x in (p.get("postcode"), p.get("city")) if x)
    parts = [p.get("name"), street, town, p.get("country")]
    seen = []
    for part in parts:
        if part and part not in seen:
            seen.append(str(part))
    return ", ".join(seen)


def _result(feature):
    p = feature.get("properties") or {}
    lng, lat = (online.number(v) for v in feature["geometry"]["coordinates"][:2])
    area = None
    extent = p.get("extent")
    if isinstance(extent, list) and len(extent) == 4:
        west, north, east, south = (online.number(v) for v in extent)
        area = (south, west, north, east)
    return online.result(
        _formatted(p) or "%s,%s" % (lat, lng), lat, lng, _kind(p),
        online.address_components(p.get("housenumber"), p.get("street"),
                                  p.get("city") or (p.get("name") if _kind(p) == "city" else None),
                                  p.get("postcode"), p.get("state"), p.get("country"),
                                  p.get("countrycode")),
        area, ("photon", p.get("osm_type"), p.get("osm_id")))


def geocode(url, address, view=None):
    """view: (south, west, north, east) that the answer should favour, or None;
    Photon favours a point, so it gets the view's centre."""
    query = {"q": address, "limit": online.LIMIT}
    if view is not None:
        query.update(lat=(view[0] + view[2]) / 2, lon=(view[1] + view[3]) / 2)
    data = online.fetch_json("%s/api?%s" % (url, urlencode(query)), "Photon")
    try:
        found = [_result(f) for f in online.items(data["features"], "Photon")]
    except (KeyError, TypeError, ValueError, AttributeError, IndexError):
        raise online.unreadable("Photon")
    return ("OK", found) if found else ("ZERO_RESULTS", [])
