"""Inputs drawn everywhere: the world's countries (npm world-atlas, converted
with topojson-client) and the gazetteer's places, turned into spatial tables
in DATA/tiles/base/. Each is rebuilt only when its source changed."""

import json
import os
import sqlite3
import subprocess

from .. import SERVICES_DIR
from . import geo

NODE_MODULES = os.path.join(SERVICES_DIR, "node_modules")
ATLAS = os.path.join(NODE_MODULES, "world-atlas")
TOPO2GEO = os.path.join(NODE_MODULES, "topojson-client", "bin", "topo2geo")
# Coarse shapes for the world view, fine ones from zoom 5 on.
RESOLUTIONS = {"countries50": "countries-50m.json", "countries10": "countries-10m.json"}


class WorldError(Exception):
    pass


def base_dir(cfg):
    return os.path.join(cfg.tiles_dir, "base")


def world_path(cfg):
    return os.path.join(base_dir(cfg), "world.sqlite")


def places_path(cfg):
    return os.path.join(base_dir(cfg), "places.sqlite")


def _stamp_of(path):
    try:
        with open(path + ".stamp", encoding="utf-8") as f:
            return f.read()
    except OSError:
        return None


def _finish(path, stamp):
    os.replace(path + ".part", path)
    with open(path + ".stamp", "w", encoding="utf-8") as f:
        f.write(stamp)


def ensure_world(cfg, log):
    """world.sqlite from the installed world-atlas; True when (re)built."""
    path = world_path(cfg)
    try:
        with open(os.path.join(ATLAS, "package.json"), encoding="utf-8") as f:
            stamp = "world-atlas %s" % json.load(f)["version"]
    except (OSError, ValueError, KeyError):
        raise WorldError("npm package world-atlas is missing in %s (run npm ci in services/)"
                         % SERVICES_DIR)
    if _stamp_of(path) == stamp and os.path.isfile(path):
        return False
    os.makedirs(base_dir(cfg), exist_ok=True)
    _remove(path + ".part")
    writer = geo.SpatialWriter(path + ".part", {t: ["name TEXT"] for t in RESOLUTIONS})
    for table, name in RESOLUTIONS.items():
        writer.add_all(table, _country_rows(os.path.join(ATLAS, name)))
    writer.close()
    _finish(path, stamp)
    log("world shapes converted from %s" % stamp)
    return True


def _country_rows(topojson):
    try:
        result = subprocess.run(["node", TOPO2GEO, "-n", "-i", topojson, "countries=-"],
                                capture_output=True, text=True, timeout=300)
    except FileNotFoundError:
        raise WorldError("node is not installed")
    if result.returncode != 0:
        raise WorldError("topo2geo failed on %s: %s" % (topojson, result.stderr.strip()[-300:]))
    for line in result.stdout.splitlines():
        feature = json.loads(line)
        geometry = feature.get("geometry")
        if not geometry:
            continue
        polygons = (geometry["coordinates"] if geometry["type"] == "MultiPolygon"
                    else [geometry["coordinates"]])
        for polygon in _split_antimeridian(polygons):
            blob = geo.wkb({"type": "Polygon", "coordinates": polygon})
            if blob:
                yield (feature.get("properties", {}).get("name"),), blob


def _jumps(ring):
    return sum(1 for a, b in zip(ring, ring[1:]) if abs(a[0] - b[0]) > 180)


def _split_antimeridian(polygons):
    """Polygons that cross the antimeridian, unwrapped and drawn on both sides.
    A ring with an odd number of crossings goes round a pole (Antarctica) and
    is already right on a flat map."""
    for polygon in polygons:
        if not any(_jumps(r) % 2 == 0 and _jumps(r) for r in polygon):
            yield polygon
            continue
        rings = [geo.unwrap(r) if _jumps(r) % 2 == 0 else r for r in polygon]
        yield rings
        east = max(lng for r in rings for lng, _ in r) > 180
        shift = -360 if east else 360
        yield [[(lng + shift, lat) for lng, lat in r] for r in rings]


# --- Places -------------------------------------------------------------------

# Parts of a city (GeoNames gives a section the whole city's population) are
# named at neighbourhood zooms; places that are gone are not named at all.
SECTIONS = {"PPLX", "PPLA5"}
SECTION_ZOOM = 12
GONE = {"PPLH", "PPLQ", "PPLW"}
# Bump when the choice of places or their zooms changes: part of the stamp.
PLACES_RULES = 2


def min_zoom(population, feature):
    """The zoom from which a place is named: capitals and big cities first."""
    if feature in SECTIONS:
        return SECTION_ZOOM
    if feature == "PPLC" or population >= 2000000:
        return 3
    for threshold, zoom in ((1000000, 4), (500000, 5), (200000, 6), (100000, 7),
                            (50000, 8), (20000, 9), (5000, 10)):
        if population >= threshold:
            return zoom
    return 11


def ensure_places(cfg, log):
    """places.sqlite for the style from the gazetteer DATA/places.sqlite, largest
    first (Mapnik places labels in that order); True when (re)built. Without a
    gazetteer the table is empty and the map has no place names."""
    path = places_path(cfg)
    try:
        st = os.stat(cfg.places_path)
        stamp = "%d %d %d" % (PLACES_RULES, st.st_size, st.st_mtime_ns)
    except OSError:
        stamp = "none"
    if _stamp_of(path) == stamp and os.path.isfile(path):
        return False
    os.makedirs(base_dir(cfg), exist_ok=True)
    _remove(path + ".part")
    rows = []
    if stamp == "none":
        log("no gazetteer at %s: the map has no place names" % cfg.places_path)
    else:
        rows = sorted(_place_rows(cfg.places_path, log),
                      key=lambda row: (row[0][1], -row[0][2], -row[0][3]))
    writer = geo.SpatialWriter(path + ".part", {
        "places": ["name TEXT", "minzoom INTEGER", "capital INTEGER", "population INTEGER"]})
    writer.add_all("places", rows)
    writer.close()
    _finish(path, stamp)
    log("%d place names ready for the map" % len(rows))
    return True


def _place_rows(source, log):
    try:
        db = sqlite3.connect("file:%s?mode=ro" % source, uri=True)
        found = db.execute("SELECT name, lat, lng, population, feature FROM places "
                           "WHERE name IS NOT NULL AND name != ''").fetchall()
        db.close()
    except sqlite3.Error as exc:
        log("gazetteer %s unreadable (%s): the map has no place names" % (source, exc))
        return
    for name, lat, lng, population, feature in found:
        if feature in GONE:
            continue
        try:
            lat, lng, population = float(lat), float(lng), int(population or 0)
        except (TypeError, ValueError):
            continue
        if not (-90 <= lat <= 90 and -180 <= lng <= 180):
            continue
        blob = geo.wkb({"type": "Point", "coordinates": [lng, lat]})
        yield (str(name), min_zoom(population, feature), int(feature == "PPLC"), population), blob


def _remove(path):
    try:
        os.remove(path)
    except FileNotFoundError:
        pass
