"""Web Mercator arithmetic and the spatial SQLite tables that Mapnik reads.

Geometries are stored already projected (EPSG:3857) as WKB, with an R*tree
named the way Mapnik's sqlite input looks for it (idx_TABLE_geom), so that
rendering neither reprojects nor scans whole tables.
"""

import math
import sqlite3
import struct

from ..simplify import simplified

MERCATOR = ("+proj=merc +a=6378137 +b=6378137 +lat_ts=0 +lon_0=0 +x_0=0 +y_0=0 +k=1 "
            "+units=m +nadgrids=@null +wktext +no_defs +over")
LONLAT = "+proj=longlat +ellps=WGS84 +datum=WGS84 +no_defs"
HALF = 20037508.342789244
MAX_LAT = 85.0511287798


def project(lng, lat):
    lat = max(-MAX_LAT, min(MAX_LAT, lat))
    x = lng * HALF / 180.0
    y = math.log(math.tan(math.pi / 4 + math.radians(lat) / 2)) * HALF / math.pi
    return x, y


def tile_bounds(z, x, y, count=1):
    """Mercator (minx, miny, maxx, maxy) of count x count tiles from (x, y)."""
    size = 2 * HALF / (1 << z)
    return (-HALF + x * size, HALF - (y + count) * size,
            -HALF + (x + count) * size, HALF - y * size)


def unwrap(ring):
    """A ring that crosses the antimeridian as one continuous ring (longitudes
    beyond +-180), so that it does not draw as a stripe across the world."""
    out = [ring[0]]
    shift = 0.0
    for (lng, lat), (prev, _) in zip(ring[1:], ring):
        if lng - prev > 180:
            shift -= 360
        elif prev - lng > 180:
            shift += 360
        out.append((lng + shift, lat))
    return out


# --- WKB ----------------------------------------------------------------------

def pixel(z):
    """Mercator metres of a pixel at zoom z."""
    return 2 * HALF / 256 / (1 << z)


def _points(pts):
    return struct.pack("<I%dd" % (2 * len(pts)), len(pts), *[v for p in pts for v in p])


_QUARTER = math.pi / 4


def _projected(coords, log=math.log, tan=math.tan, radians=math.radians):
    """project() of every point (the same arithmetic, for speed)."""
    return [(c[0] * HALF / 180.0, log(tan(_QUARTER + radians(
        MAX_LAT if c[1] > MAX_LAT else -MAX_LAT if c[1] < -MAX_LAT else c[1]) / 2)) * HALF / math.pi)
        for c in coords]


def shape(geometry):
    """(kind, parts) of a GeoJSON geometry (lon/lat), projected: the parts of
    a line, the rings of the polygons of an area, the point of a point; None
    for what we do not draw."""
    kind, coords = geometry.get("type"), geometry.get("coordinates")
    if kind == "Point":
        return "point", [project(coords[0], coords[1])]
    if kind in ("LineString", "MultiLineString"):
        parts = [_projected(c) for c in ([coords] if kind == "LineString" else coords)
                 if len(c) >= 2]
        return (kind, parts) if parts else None
    if kind == "Polygon":
        coords = [coords]
    elif kind != "MultiPolygon":
        return None
    polygons = [[_projected(r) for r in p if len(r) >= 4] for p in coords]
    polygons = [p for p in polygons if p]
    return ("area", polygons) if polygons else None


def shape_bounds(item):
    """(minx, miny, maxx, maxy) of a shape."""
    kind, parts = item
    if kind == "area":
        parts = [r for p in parts for r in p]
    elif kind == "point":
        parts = [parts]
    xs = [x for part in parts for x, _ in part]
    ys = [y for part in parts for _, y in part]
    return min(xs), min(ys), max(xs), max(ys)


def shape_wkb(item, tolerance=0.0):
    """WKB of a shape, with a tolerance (Mercator metres) simplified; None
    when nothing is left of it."""
    kind, parts = item
    if kind == "point":
        return struct.pack("<BI", 1, 1) + struct.pack("<dd", *parts[0])
    if kind != "area":
        if tolerance:
            parts = [simplified(p, tolerance) for p in parts]
            parts = [p for p in parts if len(p) >= 2]
            if not parts:
                return None
        if kind == "LineString":
            return struct.pack("<BI", 1, 2) + _points(parts[0])
        return struct.pack("<BII", 1, 5, len(parts)) + b"".join(
            struct.pack("<BI", 1, 2) + _points(p) for p in parts)
    if tolerance:
        # A ring that simplifies to nothing goes; its polygon goes with its outer ring.
        parts = [[simplified(r, tolerance) for r in p] for p in parts]
        parts = [[r for r in p if len(r) >= 4] for p in parts if len(p[0]) >= 4]
        if not parts:
            return None
    return struct.pack("<BII", 1, 6, len(parts)) + b"".join(
        struct.pack("<BII", 1, 3, len(p)) + b"".join(_points(r) for r in p) for p in parts)


def wkb(geometry, tolerance=0.0):
    """WKB of a GeoJSON geometry (lon/lat), projected and, with a tolerance
    (Mercator metres), simplified; None for what we do not draw."""
    item = shape(geometry)
    return None if item is None else shape_wkb(item, tolerance)


def wkb_bounds(blob):
    """(minx, miny, maxx, maxy) of the WKB we write (every coordinate pair after headers)."""
    xs, ys = [], []
    _walk(blob, 0, xs, ys)
    return min(xs), min(ys), max(xs), max(ys)


def _walk(blob, pos, xs, ys):
    kind = struct.unpack_from("<I", blob, pos + 1)[0]
    pos += 5
    if kind == 1:
        x, y = struct.unpack_from("<dd", blob, pos)
        xs.append(x)
        ys.append(y)
        return pos + 16
    if kind == 2:
        return _coords(blob, pos, xs, ys)
    count = struct.unpack_from("<I", blob, pos)[0]
    pos += 4
    for _ in range(count):
        pos = _coords(blob, pos, xs, ys) if kind == 3 else _walk(blob, pos, xs, ys)
    return pos


def _coords(blob, pos, xs, ys):
    n = struct.unpack_from("<I", blob, pos)[0]
    values = struct.unpack_from("<%dd" % (2 * n), blob, pos + 4)
    xs.extend(values[0::2])
    ys.extend(values[1::2])
    return pos + 4 + 16 * n


# --- Spatial tables -------------------------------------------------------------

class SpatialWriter:
    """Writes tables of (columns..., geom) with their R*tree into a new SQLite file."""

    def __init__(self, path, tables):
        self.db = sqlite3.connect(path)
        self.db.execute("PRAGMA journal_mode=OFF")
        self.db.execute("PRAGMA synchronous=OFF")
        # The R*trees take rows in drawing order, not by place: their pages
        # are visited all over, and stay cached.
        self.db.execute("PRAGMA cache_size=-32000")
        self.columns = {}
        for table, columns in tables.items():
            self.columns[table] = columns
            self.db.execute("CREATE TABLE %s (id INTEGER PRIMARY KEY, %s, geom BLOB)"
                            % (table, ", ".join(columns)))
            self.db.execute("CREATE VIRTUAL TABLE idx_%s_geom USING rtree(pkid, xmin, xmax, ymin, ymax)"
                            % table)

    def add_all(self, table, rows):
        """rows: (values tuple, wkb[, its bounds]) in drawing order."""
        columns = self.columns[table]
        insert = "INSERT INTO %s (id, %s, geom) VALUES (%s)" % (
            table, ", ".join(c.split()[0] for c in columns), ", ".join("?" * (len(columns) + 2)))
        index = "INSERT INTO idx_%s_geom VALUES (?, ?, ?, ?, ?)" % table
        rowid = self.db.execute("SELECT coalesce(max(id), 0) FROM %s" % table).fetchone()[0]
        batch, boxes = [], []
        for row in rows:
            values, blob = row[0], row[1]
            rowid += 1
            minx, miny, maxx, maxy = row[2] if len(row) > 2 else wkb_bounds(blob)
            batch.append((rowid,) + tuple(values) + (blob,))
            boxes.append((rowid, minx, maxx, miny, maxy))
            if len(batch) >= 5000:
                self.db.executemany(insert, batch)
                self.db.executemany(index, boxes)
                batch, boxes = [], []
        self.db.executemany(insert, batch)
        self.db.executemany(index, boxes)

    def add_table(self, table, source):
        """Appends the rows of source (a table of the columns, geom, minx,
        miny, maxx and maxy, by rowid in drawing order) with their R*tree."""
        names = ", ".join(c.split()[0] for c in self.columns[table])
        offset = self.db.execute("SELECT coalesce(max(id), 0) FROM %s" % table).fetchone()[0]
        self.db.execute("INSERT INTO %s (id, %s, geom) SELECT rowid + ?, %s, geom FROM %s "
                        "ORDER BY rowid" % (table, names, names, source), (offset,))
        self.db.execute("INSERT INTO idx_%s_geom SELECT rowid + ?, minx, maxx, miny, maxy "
                        "FROM %s ORDER BY rowid" % (table, source), (offset,))

    def close(self):
        self.db.commit()
        self.db.close()
