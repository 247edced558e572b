"""The sea along an extract's coastlines, as areas the street map draws.

Coastline ways in OpenStreetMap have the land on their left and the water on
their right. An extract cuts them at its bounding box, so they are seldom
closed rings: each piece of coastline inside the box is followed by the box's
edge clockwise (the water side) up to the start of the next piece, which
closes the water polygons; closed coastlines (islands) become their holes.
A coastline that merely ends a little short of the box (cut at its last node
inside) is carried on to the edge. A region without coastlines gets no sea.
"""

import json

from .. import osmexport

# Coastline ends this share of the box's smaller side away from its edge are
# carried on to it; an end farther inside is a gap in the data, and its piece
# is left out rather than flooding the land it would cut off.
EDGE_SLACK = 0.05


class Coastlines:
    """Collects the coastline ways of an export as they stream past."""

    def __init__(self):
        self.lines = []

    def watch(self, features):
        for feature in features:
            geometry = feature.get("geometry") or {}
            if (geometry.get("type") == "LineString"
                    and (feature.get("properties") or {}).get("natural") == "coastline"):
                coords = [tuple(c[:2]) for c in geometry.get("coordinates") or []]
                if len(coords) >= 2:
                    self.lines.append(coords)
            yield feature

    def sea(self, pbf, log):
        """GeoJSON polygons (lon/lat) of the sea inside the extract's box."""
        if not self.lines:
            return []
        box = extract_box(pbf)
        if box is None:
            log("coastlines without a known extent: no sea drawn")
            return []
        polygons, dropped = water(self.lines, box)
        if dropped:
            log("%d coastline pieces end inside the extract (gaps in the data): left out"
                % dropped)
        return [{"type": "Polygon", "coordinates": p} for p in polygons]


def extract_box(pbf):
    """(west, south, east, north) where the extract is complete: its header's
    box (beyond it only the ends of cut ways) within the extent of its data
    (what the region records as its place), or whichever of them it has."""
    try:
        info = json.loads(osmexport.osmium(["fileinfo", "-e", "-j", pbf]))
    except (osmexport.OsmiumError, ValueError):
        return None
    boxes = [((info.get("header") or {}).get("boxes") or [None])[0],
             (info.get("data") or {}).get("bbox")]
    found = []
    for box in boxes:
        try:
            west, south, east, north = (float(v) for v in box)
        except (TypeError, ValueError):
            continue
        found.append((west, south, east, north))
    if not found:
        return None
    west, south = max(b[0] for b in found), max(b[1] for b in found)
    east, north = min(b[2] for b in found), min(b[3] for b in found)
    return (west, south, east, north) if west < east and south < north else None


def water(lines, box):
    """(polygons, dropped): the water polygons inside box as lists of rings
    (outer first, closed, lon/lat), and how many pieces were left out."""
    rings, pieces, dropped = [], [], 0
    for chain in _chains(lines):
        closed = chain[0] == chain[-1]
        if closed and all(_inside_box(p, box) for p in chain):
            if len(chain) >= 4:
                rings.append(chain)
            continue
        if not closed:
            chain = _reach_edges(chain, box)
            if chain is None:
                dropped += 1
                continue
        pieces.extend(_clip(chain, box))
    polygons = [[ring] for ring in _close(pieces, box)]
    islands = []
    for ring in rings:
        if _signed_area(ring) > 0:
            islands.append(ring)          # anticlockwise: land inside
        else:
            polygons.append([ring])       # clockwise: water inside
    if islands and not pieces:
        # Only islands: the box around them is sea.
        w, s, e, n = box
        polygons.append([[(w, n), (e, n), (e, s), (w, s), (w, n)]])
    for island in islands:
        for polygon in polygons:
            if _in_ring(island[0], polygon[0]):
                polygon.append(island)
                break
    return [[[list(p) for p in ring] for ring in polygon] for polygon in polygons], dropped


def _chains(lines):
    """The ways joined end to start into the longest lines they make."""
    starts = {}
    for i, line in enumerate(lines):
        starts.setdefault(line[0], []).append(i)
    ends = {}
    for i, line in enumerate(lines):
        ends.setdefault(line[-1], []).append(i)
    used = [False] * len(lines)
    chains = []
    for i in range(len(lines)):
        if used[i]:
            continue
        used[i] = True
        chain = list(lines[i])
        while chain[-1] != chain[0]:
            nxt = next((j for j in starts.get(chain[-1], ()) if not used[j]), None)
            if nxt is None:
                break
            used[nxt] = True
            chain.extend(lines[nxt][1:])
        while chain[0] != chain[-1]:
            prev = next((j for j in ends.get(chain[0], ()) if not used[j]), None)
            if prev is None:
                break
            used[prev] = True
            chain[:0] = lines[prev][:-1]
        chains.append(chain)
    return chains


def _inside_box(p, box):
    return box[0] <= p[0] <= box[2] and box[1] <= p[1] <= box[3]


def _reach_edges(chain, box):
    """The chain with each end inside the box carried on to the nearest edge;
    None when an end is too far inside to be a cut."""
    w, s, e, n = box
    slack = EDGE_SLACK * min(e - w, n - s)
    out = list(chain)
    for index in (0, -1):
        x, y = out[index]
        if not (w < x < e and s < y < n):
            continue
        gap, target = min((x - w, (w, y)), (e - x, (e, y)), (y - s, (x, s)), (n - y, (x, n)))
        if gap > slack:
            return None
        if index == 0:
            out.insert(0, target)
        else:
            out.append(target)
    return out


def _clip_segment(a, b, box):
    """Liang-Barsky: (t0, t1) of the part of segment ab inside box, or None."""
    t0, t1 = 0.0, 1.0
    dx, dy = b[0] - a[0], b[1] - a[1]
    for p, q in ((-dx, a[0] - box[0]), (dx, box[2] - a[0]),
                 (-dy, a[1] - box[1]), (dy, box[3] - a[1])):
        if p == 0:
            if q < 0:
                return None
            continue
        t = q / p
        if p < 0:
            t0 = max(t0, t)
        else:
            t1 = min(t1, t)
        if t0 > t1:
            return None
    return t0, t1


def _clip(chain, box):
    """The parts of a line inside the box, each from the edge to the edge."""
    pieces, current = [], None
    for a, b in zip(chain, chain[1:]):
        span = _clip_segment(a, b, box)
        if span is None:
            if current:
                pieces.append(current)
            current = None
            continue
        t0, t1 = span
        start = a if t0 == 0 else (a[0] + t0 * (b[0] - a[0]), a[1] + t0 * (b[1] - a[1]))
        end = b if t1 == 1 else (a[0] + t1 * (b[0] - a[0]), a[1] + t1 * (b[1] - a[1]))
        if current is None or t0 > 0:
            if current:
                pieces.append(current)
            current = [start]
        current.append(end)
        if t1 < 1:
            pieces.append(current)
            current = None
    if current:
        pieces.append(current)
    return [p for p in pieces if len(p) >= 2 and p[0] != p[-1]]


def _edge_position(p, box):
    """Distance along the box's edge clockwise from its north-west corner."""
    w, s, e, n = box
    width, height = e - w, n - s
    along = min((abs(p[1] - n), p[0] - w), (abs(p[0] - e), width + n - p[1]),
                (abs(p[1] - s), width + height + e - p[0]),
                (abs(p[0] - w), 2 * width + height + p[1] - s))[1]
    return along % (2 * (width + height))


def _close(pieces, box):
    """Rings of pieces joined along the box's edge clockwise."""
    w, s, e, n = box
    perimeter = 2 * ((e - w) + (n - s))
    corners = [(0.0, (w, n)), (e - w, (e, n)), ((e - w) + (n - s), (e, s)),
               (2 * (e - w) + (n - s), (w, s))]
    entries = [_edge_position(p[0], box) for p in pieces]
    used = [False] * len(pieces)
    rings = []
    for start in range(len(pieces)):
        if used[start]:
            continue
        ring, i, seen = [], start, set()
        while True:
            seen.add(i)
            ring.extend(pieces[i])
            at = _edge_position(pieces[i][-1], box)
            gap, j = min(((entries[k] - at) % perimeter, k) for k in range(len(pieces))
                         if not used[k] and (k not in seen or k == start))
            ring.extend(corner for offset, corner in sorted(
                ((c - at) % perimeter, corner) for c, corner in corners)
                if 0 < offset < gap)
            if j == start:
                break
            i = j
        for k in seen:
            used[k] = True
        ring.append(ring[0])
        if len(ring) >= 4:
            rings.append(ring)
    return rings


def _signed_area(ring):
    return sum(a[0] * b[1] - b[0] * a[1] for a, b in zip(ring, ring[1:])) / 2


def _in_ring(p, ring):
    x, y = p
    inside = False
    for (x1, y1), (x2, y2) in zip(ring, ring[1:]):
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            inside = not inside
    return inside
