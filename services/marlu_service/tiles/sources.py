"""What /tiles/sources.json tells the page: per map type and overlay, where its
tiles come from, their zoom range and attribution, and what to show where
there is no data. A source configured in the service's file replaces ours."""

import json
import os
import re

from . import osmimport

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


# What the page's map (Leaflet) can fill in a tile template.
PLACEHOLDERS = ("{z}", "{x}", "{y}", "{-y}", "{s}", "{r}")


def usable(source):
    """Why a configured source cannot be used, or None when it can. This is
    the one place that decides: the page draws what sources.json gives, so an
    unusable source is replaced by the offline one here, with a log line."""
    url = source["url"]
    if not re.match(r"https?://[^/?#]+/", url) or re.search(r"[\s\"'<>\\]", url):
        return "its url %r is not an http(s) URL" % url
    names = re.findall(r"\{[^}]*\}", url)
    missing = [p for p in ("{z}", "{x}") if p not in names]
    if "{y}" not in names and "{-y}" not in names:
        missing.append("{y}")
    if missing:
        return "its url %r lacks %s" % (url, ", ".join(missing))
    unknown = sorted(set(names) - set(PLACEHOLDERS))
    if unknown:
        return "its url %r has placeholders the page cannot fill: %s" % (url, ", ".join(unknown))
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
            if name == "roadmap":
                sets[name]["streets"] = street_coverage(cfg)
            continue
        entry = dict(online)
        if name in OVERLAYS:
            entry["overlay"] = True
        sets[name] = entry
    return {"sets": sets}


def street_coverage(cfg):
    """[west, south, east, north] of each region whose streets the offline map
    draws, for the page to say where it has none; None when an extent is
    unknown (the streets may be anywhere)."""
    boxes = []
    for folder in cfg.regions():
        if not os.path.isfile(os.path.join(folder, osmimport.SUBFOLDER, osmimport.DATABASE)):
            continue
        try:
            with open(os.path.join(folder, "region.json"), encoding="utf-8") as f:
                west, south, east, north = (float(v) for v in json.load(f)["bbox"])
        except (OSError, ValueError, TypeError, KeyError):
            return None
        boxes.append([west, south, east, north])
    return boxes


def served_zooms(tile_set):
    """(minzoom, maxzoom) of a set this service renders, or None."""
    entry = OFFLINE.get(tile_set)
    if not entry or not entry["url"]:
        return None
    return entry["minzoom"], entry["maxzoom"]
