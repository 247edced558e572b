"""Street-level map data of an OpenStreetMap extract, for Mapnik.

import_region(pbf, folder, log) writes FOLDER/tiles/osm.sqlite: the ways,
areas and points the street style draws, classified and already projected
(see geo.py), in drawing order. osmium-tool assembles the geometries.
Below street level the map draws from generalised copies of the tables
(LOW_ZOOMS): only what those zooms show, simplified to a fraction of a pixel.
"""

import math
import os
import struct

from .. import osmexport

from . import coastline, geo, style

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


COLUMNS = {
    "lines": ["kind TEXT", "name TEXT", "tunnel INTEGER", "bike INTEGER", "route INTEGER"],
    "areas": ["kind TEXT", "name TEXT", "housenumber TEXT"],
    "points": ["kind TEXT", "name TEXT"],
}
# Generalised tables (style.LOW_ZOOMS: suffix -> the highest zoom they serve)
# keep the kinds their zooms draw, areas of at least half a pixel, and lines
# within a quarter of a pixel of the original.
LOW_ZOOMS = style.LOW_ZOOMS
LOW_TOLERANCE, LOW_SMALLEST = 0.25, 0.5  # pixels


def low_tables(suffix):
    return "lines_" + suffix, "areas_" + suffix


def _low_kinds(z):
    return ({k for k, spec in style.LINES.items() if spec[0] <= z},
            {k for k, minzoom in style.AREA_MINZOOM.items() if minzoom <= z})


def import_region(pbf, folder, log):
    out = os.path.join(folder, SUBFOLDER)
    os.makedirs(out, exist_ok=True)
    route_ways = bicycle_route_ways(pbf)
    coast = coastline.Coastlines()

    def rows():
        yield from classify(coast.watch(osmexport.features(pbf, EXPORT_CONFIG)), route_ways)
        # The sea is known once every coastline has gone by.
        for polygon in coast.sea(pbf, log):
            yield "areas", ("sea", None, None), polygon
    target = os.path.join(out, DATABASE)
    tables = dict(COLUMNS)
    for suffix in LOW_ZOOMS:
        lines, areas = low_tables(suffix)
        tables[lines], tables[areas] = COLUMNS["lines"], COLUMNS["areas"]
    # Rows wait in a staging database, a table per table and place in the
    # drawing order, until every one is known: the tables hold them in
    # drawing order, which Mapnik follows.
    stage_path = target + ".stage"
    for old in (stage_path, target + ".part"):
        if os.path.exists(old):
            os.remove(old)
    writer = geo.SpatialWriter(target + ".part", tables)
    try:
        writer.db.execute("ATTACH DATABASE ? AS stage", (stage_path,))
        for pragma in ("journal_mode=OFF", "synchronous=OFF"):
            writer.db.execute("PRAGMA stage." + pragma)
        staged = set()

        def stage_table(table, order):
            name = "%s_%d" % (table, order)
            if name not in staged:
                writer.db.execute("CREATE TABLE stage.%s (%s, geom BLOB, minx REAL, miny REAL, "
                                  "maxx REAL, maxy REAL, cell INTEGER)"
                                  % (name, ", ".join(tables[table])))
                staged.add(name)
            return "stage." + name

        counts = _stage(writer.db, stage_table, rows())
        for table in tables:
            for name in sorted(staged, key=lambda n: int(n.rsplit("_", 1)[1])):
                if name.rsplit("_", 1)[0] == table:
                    if table in MERGED:
                        name = _merge(writer.db, "stage." + name)
                    writer.add_table(table, "stage." + name)
        writer.db.commit()
        writer.db.execute("DETACH DATABASE stage")
        writer.close()
    finally:
        writer.db.close()
        if os.path.exists(stage_path):
            os.remove(stage_path)
    os.replace(target + ".part", target)
    log("street map: %d lines, %d areas, %d points, %d cycle-route ways"
        % (counts["lines"], counts["areas"], counts["points"], len(route_ways)))


def _stage(db, stage_table, rows):
    """Stages each classified row, and its generalised copies, in the table
    stage_table(table, place in drawing order) names; counts by table."""
    low = [(suffix, _low_kinds(z), geo.pixel(z)) for suffix, z in LOW_ZOOMS.items()]
    counts = {"lines": 0, "areas": 0, "points": 0}
    batches = {}

    def add(table, order, values, blob, bounds, cell=None):
        name = stage_table(table, order)
        batch = batches.setdefault(name, [])
        batch.append(tuple(values) + (blob,) + bounds + (cell,))
        if len(batch) >= 5000:
            flush(name)

    def flush(name):
        batch = batches.get(name)
        if batch:
            db.executemany("INSERT INTO %s VALUES (%s)" % (name, ",".join(
                "?" * len(batch[0]))), batch)
            del batch[:]

    for table, row, geometry in rows:
        shape = geo.shape(geometry)
        if shape is None:
            continue
        blob, bounds = geo.shape_wkb(shape), geo.shape_bounds(shape)
        counts[table] += 1
        if table == "lines":
            # Tunnels under the rest; then by kind.
            order = (0 if row[2] else 1) * len(LINE_ORDER) + LINE_ORDER.index(row[0])
        elif table == "areas":
            order = AREA_ORDER.index(row[0])
        else:
            order = 0
        add(table, order, row, blob, bounds)
        if table == "points":
            continue
        for suffix, kinds, pixel in low:
            if row[0] not in kinds[0 if table == "lines" else 1]:
                continue
            minx, miny, maxx, maxy = bounds
            if table == "areas" and max(maxx - minx, maxy - miny) < LOW_SMALLEST * pixel:
                continue
            small = geo.shape_wkb(shape, LOW_TOLERANCE * pixel)
            if small is None:
                continue
            # Simplification keeps the end points, hence within the same bounds.
            if table == "areas":
                add(low_tables(suffix)[1], order, row, small, bounds)
            elif low_tables(suffix)[0] not in MERGED:
                add(low_tables(suffix)[0], order, row, small, bounds)
            else:
                # Lines of a kind are joined by tile of the highest zoom of the table
                # (see _merge); nothing reads their names there.
                cell = (math.floor(minx / (256 * pixel)) << 20) + math.floor(miny / (256 * pixel))
                add(low_tables(suffix)[0], order, (row[0], None, row[2], 0, 0), small, bounds,
                    cell)
    for table in list(batches):
        flush(table)
    return counts


# Generalised line tables whose lines of a kind are joined into one feature per
# tile: what costs Mapnik at the lowest zooms, where a tile holds many towns,
# is the number of features. (Joined lines shade their joints as one line.)
MERGED = {low_tables("z8")[0], low_tables("z10")[0]}


def _merge(db, source):
    """A staging table beside source (lines of one kind, with their cells) with
    one multi-line per cell; its name."""
    target = source + "_joined"
    db.execute("CREATE TABLE %s AS SELECT * FROM %s WHERE 0" % (target, source))
    rows = db.execute("SELECT cell, kind, tunnel, geom, minx, miny, maxx, maxy FROM %s "
                      "ORDER BY cell, rowid" % source)
    out, group = [], None

    def joined(group):
        kind, tunnel, parts, count, box = group[1:]
        return (kind, None, tunnel, 0, 0, struct.pack("<BII", 1, 5, count) + b"".join(parts),
                *box, group[0])

    for cell, kind, tunnel, blob, *box in rows:
        # A line's WKB is one part of a multi-line; a multi-line's parts follow its header.
        multi = struct.unpack_from("<I", blob, 1)[0] == 5
        parts, count = (blob[9:], struct.unpack_from("<I", blob, 5)[0]) if multi else (blob, 1)
        if group is not None and group[0] == cell:
            group[3].append(parts)
            group[4] += count
            group[5] = [min(group[5][0], box[0]), min(group[5][1], box[1]),
                        max(group[5][2], box[2]), max(group[5][3], box[3])]
            continue
        if group is not None:
            out.append(joined(group))
            if len(out) >= 100:
                db.executemany("INSERT INTO %s VALUES (%s)" % (target, ",".join("?" * 11)), out)
                out = []
        group = [cell, kind, tunnel, [parts], count, box]
    if group is not None:
        out.append(joined(group))
    db.executemany("INSERT INTO %s VALUES (%s)" % (target, ",".join("?" * 11)), out)
    return target.split(".", 1)[1]


def bicycle_route_ways(pbf):
    """Ids of the ways that are members of bicycle route relations."""
    ways = set()
    for line in osmexport.lines(["tags-filter", "-R", "-f", "opl", "-o", "-", pbf,
                                 "r/route=bicycle"]):
        for field in line.rstrip("\n").split(" "):
            if field.startswith("M"):
                for member in field[1:].split(","):
                    if member.startswith("w"):
                        ways.add(int(member[1:].split("@", 1)[0]))
    return ways


def classify(features, route_ways):
    """(table, values, GeoJSON geometry) of each feature the street map draws."""
    for feature in features:
        tags = feature.get("properties") or {}
        geometry = feature.get("geometry") or {}
        kind = geometry.get("type")
        if kind in ("LineString", "MultiLineString"):
            row, table = _line(tags, route_ways), "lines"
        elif kind in ("Polygon", "MultiPolygon"):
            row, table = _area(tags), "areas"
        elif kind == "Point":
            row, table = _point(tags), "points"
        else:
            continue
        if row is not None:
            yield table, row, geometry


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
