"""Street-level map data of an OpenStreetMap extract, for Mapnik.

import_region(pbf, folder, log) writes FOLDER/tiles/osm.sqlite: the ways,
areas and points the street style draws, classified and already projected
(see geo.py), in drawing order. osmium-tool assembles the geometries.
"""

import os

from .. import osmexport

from . import coastline, geo

SUBFOLDER = "tiles"
DATABASE = "osm.sqlite"

# osmium export: which closed ways are areas, which are lines.
EXPORT_CONFIG = {
    "attributes": {"type": True, "id": True},
    "linear_tags": ["highway", "railway", "waterway", "natural=coastline"],
    "area_tags": ["building", "landuse", "leisure", "natural", "amenity=parking", "water",
                  "waterway=riverbank", "waterway=dock", "waterway=basin", "waterway=canal",
                  "highway=pedestrian", "area:highway"],
}

ROAD_CLASSES = {
    "motorway": "motorway", "motorway_link": "motorway", "trunk": "trunk", "trunk_link": "trunk",
    "primary": "primary", "primary_link": "primary", "secondary": "secondary",
    "secondary_link": "secondary", "tertiary": "tertiary", "tertiary_link": "tertiary",
    "residential": "minor", "unclassified": "minor", "living_street": "minor", "road": "minor",
    "service": "service", "pedestrian": "path", "footway": "path", "path": "path",
    "steps": "path", "track": "path", "bridleway": "path", "cycleway": "cycleway",
}
RAIL_CLASSES = {"rail": "rail", "light_rail": "rail", "narrow_gauge": "rail",
                "subway": "rail", "tram": "rail"}
WATERWAY_CLASSES = {"river": "river", "canal": "river", "stream": "stream", "ditch": "stream",
                    "drain": "stream"}
# Lower first: drawn under the later ones.
LINE_ORDER = ["coastline", "stream", "river", "path", "cycleway", "service", "minor", "tertiary",
              "secondary", "primary", "trunk", "motorway", "rail"]
AREA_ORDER = ["sea", "urban", "forest", "green", "beach", "parking", "square", "water",
              "building"]
BIKE_LANES = {"lane", "track", "opposite_lane", "opposite_track"}

# Water first: a harbour basin mapped with water=* and a landuse is water.
AREA_KINDS = [
    ("building", None, "building"),
    ("natural", {"water", "bay", "strait"}, "water"), ("water", None, "water"),
    ("waterway", {"riverbank", "dock", "basin", "canal", "river", "boatyard"}, "water"),
    ("landuse", {"reservoir", "basin"}, "water"), ("leisure", {"swimming_pool"}, "water"),
    ("harbour", {"basin"}, "water"),
    ("leisure", {"park", "garden", "pitch", "playground", "nature_reserve", "golf_course"}, "green"),
    ("landuse", {"grass", "recreation_ground", "cemetery", "village_green", "meadow"}, "green"),
    ("natural", {"grassland", "scrub", "heath"}, "green"),
    ("landuse", {"forest"}, "forest"), ("natural", {"wood"}, "forest"),
    ("natural", {"beach", "sand"}, "beach"),
    ("landuse", {"residential", "commercial", "retail", "industrial", "railway"}, "urban"),
    ("amenity", {"parking"}, "parking"),
    ("highway", {"pedestrian"}, "square"), ("area:highway", None, "square"),
]


def import_region(pbf, folder, log):
    out = os.path.join(folder, SUBFOLDER)
    os.makedirs(out, exist_ok=True)
    route_ways = bicycle_route_ways(pbf)
    coast = coastline.Coastlines()
    lines, areas, points = classify(coast.watch(osmexport.features(pbf, EXPORT_CONFIG)),
                                    route_ways)
    areas += [(("sea", None, None), blob) for blob in map(geo.wkb, coast.sea(pbf, log)) if blob]
    target = os.path.join(out, DATABASE)
    writer = geo.SpatialWriter(target + ".part", {
        "lines": ["kind TEXT", "name TEXT", "tunnel INTEGER", "bike INTEGER", "route INTEGER"],
        "areas": ["kind TEXT", "name TEXT", "housenumber TEXT"],
        "points": ["kind TEXT", "name TEXT"],
    })
    writer.add_all("lines", sorted(lines, key=lambda r: (-r[0][2], LINE_ORDER.index(r[0][0]))))
    writer.add_all("areas", sorted(areas, key=lambda r: AREA_ORDER.index(r[0][0])))
    writer.add_all("points", points)
    writer.close()
    os.replace(target + ".part", target)
    log("street map: %d lines, %d areas, %d points, %d cycle-route ways"
        % (len(lines), len(areas), len(points), len(route_ways)))


def bicycle_route_ways(pbf):
    """Ids of the ways that are members of bicycle route relations."""
    opl = osmexport.osmium(["tags-filter", "-R", "-f", "opl", "-o", "-", pbf, "r/route=bicycle"])
    ways = set()
    for line in opl.splitlines():
        for field in line.split(" "):
            if field.startswith("M"):
                for member in field[1:].split(","):
                    if member.startswith("w"):
                        ways.add(int(member[1:].split("@", 1)[0]))
    return ways


def classify(features, route_ways):
    """(lines, areas, points): rows of (values, wkb) for the writer's tables."""
    lines, areas, points = [], [], []
    for feature in features:
        tags = feature.get("properties") or {}
        geometry = feature.get("geometry") or {}
        kind = geometry.get("type")
        if kind in ("LineString", "MultiLineString"):
            row = _line(tags, route_ways)
            target = lines
        elif kind in ("Polygon", "MultiPolygon"):
            row = _area(tags)
            target = areas
        elif kind == "Point":
            row = _point(tags)
            target = points
        else:
            continue
        if row is None:
            continue
        blob = geo.wkb(geometry)
        if blob is not None:
            target.append((row, blob))
    return lines, areas, points


def _line(tags, route_ways):
    kind = (ROAD_CLASSES.get(tags.get("highway")) or RAIL_CLASSES.get(tags.get("railway"))
            or WATERWAY_CLASSES.get(tags.get("waterway"))
            or ("coastline" if tags.get("natural") == "coastline" else None))
    if kind is None:
        return None
    tunnel = 1 if tags.get("tunnel") not in (None, "no") or tags.get("covered") == "yes" else 0
    lanes = {tags.get(k) for k in ("cycleway", "cycleway:left", "cycleway:right", "cycleway:both")}
    bike = 1 if (kind == "cycleway" or lanes & BIKE_LANES
                 or (kind == "path" and tags.get("bicycle") == "designated")) else 0
    route = 1 if tags.get("@type") == "way" and tags.get("@id") in route_ways else 0
    return (kind, tags.get("name"), tunnel, bike, route)


def _area(tags):
    for key, values, kind in AREA_KINDS:
        value = tags.get(key)
        if value and value != "no" and (values is None or value in values):
            return (kind, tags.get("name"), tags.get("addr:housenumber"))
    return None


def _point(tags):
    if tags.get("addr:housenumber"):
        return ("housenumber", tags["addr:housenumber"])
    if tags.get("place") in ("suburb", "quarter", "neighbourhood", "locality") and tags.get("name"):
        return ("place", tags["name"])
    return None
