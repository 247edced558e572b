"""Our map styles, as Mapnik XML built from the data that exists.

One style per tile set; each region adds its own layers. Labels come last
(Mapnik paints text as it goes), place names first so that they win over
street names where they collide.
"""

import sqlite3
from xml.sax.saxutils import quoteattr

from . import geo

# Bump when the drawing changes: part of the tile cache's key.
VERSION = 8
FONT = "DejaVu Sans Book"
BOLD = "DejaVu Sans Bold"
FONT_DIR = "/usr/share/fonts/truetype/dejavu"

SEA, LAND, BORDER = "#a6c9e2", "#f1eee8", "#a896b8"
AREA_FILLS = {"sea": SEA, "urban": "#e8e3de", "forest": "#b7d79f", "green": "#cfe8bb",
              "beach": "#f4e8c4", "parking": "#ecebe8", "square": "#f7f5f2", "water": SEA,
              "building": "#d9cfc6"}
AREA_MINZOOM = {"sea": 0, "urban": 11, "forest": 10, "green": 11, "beach": 12, "parking": 15,
                "square": 14, "water": 0, "building": 14}
# kind: (min zoom, fill colour, width at zoom 16, casing colour or None, dashes)
LINES = {
    "coastline": (10, "#7fa6c2", 1.0, None, None),
    "stream": (13, SEA, 1.5, None, None),
    "river": (8, SEA, 4.0, None, None),
    "path": (14, "#e2725b", 1.2, None, "3,2"),
    "cycleway": (13, "#2f54c8", 1.4, None, "4,2"),
    "service": (14, "#ffffff", 3.0, "#c2bcb4", None),
    "minor": (12, "#ffffff", 5.0, "#bdb6ad", None),
    "tertiary": (11, "#fffdf0", 6.0, "#b9b09c", None),
    "secondary": (9, "#f5f7bd", 7.0, "#a9ad6c", None),
    "primary": (8, "#fcd7a2", 8.0, "#b98a3f", None),
    "trunk": (6, "#f8b59f", 8.5, "#b6674e", None),
    "motorway": (5, "#e894a3", 9.0, "#b34e66", None),
    "rail": (10, "#787878", 2.0, None, None),
}
ROAD_LABEL_MINZOOM = {"motorway": 13, "trunk": 13, "primary": 13, "secondary": 14,
                      "tertiary": 15, "minor": 15, "service": 17, "path": 16, "cycleway": 16}
MAX_ZOOM = 18
# A place named by both the gazetteer and an imported region is labelled once,
# and place names keep clear of each other.
PLACE_SPACING = "repeat-distance=\"250\" margin=\"6\""
# The styles that draw text: what a tile's label listing reads.
LABEL_STYLES = {"places", "road-labels", "area-labels", "point-labels"}


def scale(z):
    return 559082264.028 / (1 << z)


def zooms(lo, hi=MAX_ZOOM):
    return ("<MaxScaleDenominator>%.3f</MaxScaleDenominator>"
            "<MinScaleDenominator>%.3f</MinScaleDenominator>" % (scale(lo) * 1.41, scale(hi) / 1.41))


def width(base, z):
    return max(0.5, base * 2 ** ((z - 16) * 0.75))


def rule(body, filter_=None, lo=0, hi=MAX_ZOOM):
    f = "<Filter>%s</Filter>" % _esc(filter_) if filter_ else ""
    return "<Rule>%s%s%s</Rule>" % (zooms(lo, hi), f, body)


def _esc(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def text(field, size, fill, halo="#ffffff", face=FONT, placement="point", extra=""):
    return ("<TextSymbolizer face-name=%s size=\"%s\" fill=\"%s\" halo-fill=\"%s\" "
            "halo-radius=\"1.5\" placement=\"%s\" wrap-width=\"80\" %s>%s</TextSymbolizer>"
            % (quoteattr(face), size, fill, halo, placement, extra, _esc(field)))


def style(name, rules, extra=""):
    return "<Style name=\"%s\" %s>%s</Style>" % (name, extra, "".join(rules))


def sqlite_layer(name, path, table, styles, srs=geo.MERCATOR, lo=None, hi=None):
    """A layer of a table; lo, hi: the zooms it is read at (default all)."""
    params = {"type": "sqlite", "file": path, "table": table, "geometry_field": "geom",
              "key_field": "id", "use_spatial_index": "true", "wkb_format": "generic"}
    scales = ""
    if lo is not None:
        scales += " maximum-scale-denominator=\"%.3f\"" % (scale(lo) * 1.41)
    if hi is not None:
        scales += " minimum-scale-denominator=\"%.3f\"" % (scale(hi) / 1.41)
    return ("<Layer name=%s srs=%s%s>%s<Datasource>%s</Datasource></Layer>"
            % (quoteattr(name), quoteattr(srs), scales,
               "".join("<StyleName>%s</StyleName>" % s for s in styles),
               "".join("<Parameter name=%s>%s</Parameter>" % (quoteattr(k), _esc(v))
                       for k, v in params.items())))


def document(background, styles, layers):
    return ("<?xml version=\"1.0\" encoding=\"utf-8\"?>"
            "<Map srs=%s background-color=\"%s\">%s%s</Map>"
            % (quoteattr(geo.MERCATOR), background, "".join(styles), "".join(layers)))


# --- Shared parts ----------------------------------------------------------------

def world_layers(world, border=BORDER, land=LAND):
    fill = "<PolygonSymbolizer fill=\"%s\"/>" % land if land else ""
    styles = [
        style("land-coarse", [rule(fill + "<LineSymbolizer stroke=\"%s\" stroke-width=\"0.6\"/>"
                                   % border, lo=0, hi=4)]),
        style("land-fine", [rule(fill + "<LineSymbolizer stroke=\"%s\" stroke-width=\"1\"/>"
                                 % border, lo=5)]),
    ]
    layers = [sqlite_layer("countries-coarse", world, "countries50", ["land-coarse"]),
              sqlite_layer("countries-fine", world, "countries10", ["land-fine"])]
    return styles, layers


def place_layers(places, fill="#2b2b2b", halo="#ffffff"):
    rules = []
    for z in range(2, MAX_ZOOM + 1):
        size = 11 if z < 8 else 13
        rules.append(rule(text("[name]", size + 1, fill, halo, BOLD, extra=PLACE_SPACING),
                          "[minzoom] <= %d and [capital] = 1" % z, z, z))
        rules.append(rule(text("[name]", size, fill, halo, extra=PLACE_SPACING),
                          "[minzoom] <= %d and [capital] = 0" % z, z, z))
    return [style("places", rules)], [sqlite_layer("places", places, "places", ["places"])]


# --- Street level -------------------------------------------------------------

def _line_rules(part):
    rules = []
    for kind, (minzoom, colour, base, casing, dashes) in LINES.items():
        for z in range(minzoom, MAX_ZOOM + 1):
            w = width(base, z)
            if part == "casing":
                if not casing or z < 13:
                    continue
                body = ("<LineSymbolizer stroke=\"%s\" stroke-width=\"%.2f\" stroke-linecap=\"round\"/>"
                        % (casing, w + 2))
            elif kind == "rail":
                body = ("<LineSymbolizer stroke=\"%s\" stroke-width=\"%.2f\"/>"
                        "<LineSymbolizer stroke=\"#ffffff\" stroke-width=\"%.2f\" stroke-dasharray=\"6,6\"/>"
                        % (colour, w, max(0.5, w - 1.2)))
            else:
                dash = " stroke-dasharray=\"%s\"" % dashes if dashes else ""
                body = ("<LineSymbolizer stroke=\"%s\" stroke-width=\"%.2f\" stroke-linecap=\"round\"%s/>"
                        % (colour, w, dash))
            if part == "fill":  # tunnels: a faint line, no casing
                rules.append(rule(body.replace("/>", " stroke-opacity=\"0.3\"/>"),
                                  "[kind] = '%s' and [tunnel] = 1" % kind, z, z))
            rules.append(rule(body, "[kind] = '%s' and [tunnel] = 0" % kind, z, z))
    return rules


def region_layers(regions):
    area_rules = [rule("<PolygonSymbolizer fill=\"%s\"/>%s" % (
        fill, "<LineSymbolizer stroke=\"#c3b8ad\" stroke-width=\"0.5\"/>" if kind == "building" else ""),
        "[kind] = '%s'" % kind, AREA_MINZOOM[kind]) for kind, fill in AREA_FILLS.items()]
    road_labels = [rule(text("[name]", 10 if kind in ("path", "cycleway", "service") else 11,
                             "#3a3a3a", placement="line",
                             extra="spacing=\"300\" max-char-angle-delta=\"25\""),
                        "[kind] = '%s' and [tunnel] = 0 and [name] != ''" % kind, lo)
                   for kind, lo in ROAD_LABEL_MINZOOM.items()]
    area_labels = [
        rule(text("[name]", 11, "#3d6b2a", extra="placement-type=\"simple\""),
             "([kind] = 'green' or [kind] = 'forest') and [name] != ''", 15),
        rule(text("[housenumber]", 9, "#6f6259"), "[housenumber] != ''", 17),
    ]
    point_labels = [
        rule(text("[name]", 12, "#4a4a4a", face=BOLD, extra=PLACE_SPACING), "[kind] = 'place'", 13, 16),
        rule(text("[name]", 9, "#6f6259"), "[kind] = 'housenumber'", 17),
    ]
    styles = [style("areas", area_rules), style("casing", _line_rules("casing")),
              style("lines", _line_rules("fill")), style("road-labels", road_labels),
              style("area-labels", area_labels), style("point-labels", point_labels)]
    shapes, labels = [], []
    for i, path in enumerate(regions):
        # Below street level a region draws from its generalised tables (a
        # region imported before it had them draws from the full ones).
        bands, lo = [], 0
        for suffix, hi in sorted(LOW_ZOOMS.items(), key=lambda kv: kv[1]):
            if _has_table(path, "lines_" + suffix):
                bands.append(("-" + suffix, "_" + suffix, lo, hi))
                lo = hi + 1
        bands.append(("", "", lo if bands else None, None))
        for name, table, low, high in bands:
            shapes.append(sqlite_layer("areas%s-%d" % (name, i), path, "areas" + table,
                                       ["areas"], lo=low, hi=high))
            shapes.append(sqlite_layer("lines%s-%d" % (name, i), path, "lines" + table,
                                       ["casing", "lines"], lo=low, hi=high))
        labels.append(sqlite_layer("road-labels-%d" % i, path, "lines", ["road-labels"]))
        labels.append(sqlite_layer("area-labels-%d" % i, path, "areas", ["area-labels"]))
        labels.append(sqlite_layer("points-%d" % i, path, "points", ["point-labels"]))
    return styles, shapes, labels


# The generalised tables a region's street map may have: suffix -> the
# highest zoom they serve (made by osmimport.py).
LOW_ZOOMS = {"z8": 8, "z10": 10, "z12": 12}


def _has_table(path, table):
    try:
        con = sqlite3.connect("file:%s?mode=ro" % path, uri=True)
        try:
            return bool(con.execute("SELECT 1 FROM sqlite_master WHERE name = ?",
                                    (table,)).fetchone())
        finally:
            con.close()
    except sqlite3.Error:
        return False


def bicycle_layers(regions):
    rules = []
    for z in range(10, MAX_ZOOM + 1):
        w = width(3.0, z) + 1
        rules.append(rule("<LineSymbolizer stroke=\"#2e8b57\" stroke-width=\"%.2f\" "
                          "stroke-opacity=\"0.55\" stroke-dasharray=\"8,4\"/>" % (w + 2),
                          "[route] = 1", z, z))
        rules.append(rule("<LineSymbolizer stroke=\"#0b6e2e\" stroke-width=\"%.2f\" "
                          "stroke-linecap=\"round\"/>" % w, "[bike] = 1", z, z))
    layers = [sqlite_layer("cycleways-%d" % i, path, "lines", ["cycleways"])
              for i, path in enumerate(regions)]
    return [style("cycleways", rules)], layers


# --- The sets -----------------------------------------------------------------------

def imagery_layer(image):
    params = {"type": "gdal", "file": image}
    return ("<Layer name=\"imagery\" srs=%s><StyleName>imagery</StyleName><Datasource>%s"
            "</Datasource></Layer>" % (quoteattr(geo.LONLAT), "".join(
                "<Parameter name=\"%s\">%s</Parameter>" % kv for kv in params.items())))


def build(tile_set, inputs):
    """The Mapnik XML of a tile set. inputs: world, places (paths), regions
    (paths of the regions' osm.sqlite), imagery (path or None)."""
    if tile_set == "roadmap":
        w_styles, w_layers = world_layers(inputs["world"])
        r_styles, r_shapes, r_labels = region_layers(inputs["regions"])
        p_styles, p_layers = place_layers(inputs["places"])
        return document(SEA, w_styles + r_styles + p_styles,
                        w_layers + r_shapes + p_layers + r_labels)
    if tile_set == "bicycling":
        styles, layers = bicycle_layers(inputs["regions"])
        return document("transparent", styles, layers)
    if tile_set in ("satellite", "hybrid"):
        styles = [style("imagery", [rule("<RasterSymbolizer scaling=\"bilinear\"/>")])]
        layers = [imagery_layer(inputs["imagery"])] if inputs["imagery"] else []
        if tile_set == "hybrid":
            w_styles, w_layers = world_layers(inputs["world"], border="rgba(255,255,255,0.6)", land=None)
            p_styles, p_layers = place_layers(inputs["places"], fill="#ffffff", halo="#000000")
            styles += w_styles + p_styles
            layers += w_layers + p_layers
        return document("#0a1a33", styles, layers)
    raise KeyError(tile_set)
