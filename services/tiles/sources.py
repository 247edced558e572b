"""What /tiles/sources.json tells the page: per map type and overlay, where its
tiles come from, their zoom range and attribution, and what to show where
there is no data. A source configured in the service's file replaces ours."""

OSM = "\u00a9 OpenStreetMap contributors"
NO_IMAGERY = "No imagery at this zoom"

OFFLINE = {
    "roadmap": {"url": "/tiles/roadmap/{z}/{x}/{y}.png", "minzoom": 0, "maxzoom": 18,
                "attribution": OSM + ", GeoNames, Natural Earth"},
    "satellite": {"url": "/tiles/satellite/{z}/{x}/{y}.png", "minzoom": 0, "maxzoom": 3,
                  "attribution": "NASA Blue Marble", "fallback": "roadmap", "note": NO_IMAGERY},
    "hybrid": {"url": "/tiles/hybrid/{z}/{x}/{y}.png", "minzoom": 0, "maxzoom": 3,
               "attribution": "NASA Blue Marble, GeoNames", "fallback": "roadmap",
               "note": NO_IMAGERY},
    "terrain": {"url": None, "attribution": "", "fallback": "roadmap", "note": "No terrain data"},
    "traffic": {"url": None, "overlay": True, "attribution": "", "note": "No traffic data"},
    "bicycling": {"url": "/tiles/bicycling/{z}/{x}/{y}.png", "minzoom": 10, "maxzoom": 18,
                  "overlay": True, "attribution": OSM},
}
OVERLAYS = ("traffic", "bicycling")


def usable(source):
    """Why a configured source cannot be used, or None when it can."""
    url = source["url"]
    if not url.startswith(("http://", "https://")):
        return "its url %r is not an absolute http(s) URL" % url
    missing = [p for p in ("{z}", "{x}", "{y}") if p not in url]
    if missing:
        return "its url %r lacks %s" % (url, ", ".join(missing))
    if source["minzoom"] > source["maxzoom"]:
        return "its minzoom is above its maxzoom"
    return None


def document(cfg, log=lambda text: None):
    sets = {}
    for name, offline in OFFLINE.items():
        online = cfg.tile_source(name)
        problem = usable(online) if online else None
        if problem:
            log("tile source %s ignored: %s; using the offline one" % (name, problem))
        if online is None or problem:
            sets[name] = dict(offline)
            continue
        entry = dict(online)
        if name in OVERLAYS:
            entry["overlay"] = True
        sets[name] = entry
    return {"sets": sets}


def served_zooms(tile_set):
    """(minzoom, maxzoom) of a set this service renders, or None."""
    entry = OFFLINE.get(tile_set)
    if not entry or not entry["url"]:
        return None
    return entry["minzoom"], entry["maxzoom"]
