"""Google's encoded polyline format (1e-5 degrees)."""

import math

from .. import simplify


def encode(points):
    out = []
    last_lat = last_lng = 0
    for lat, lng in points:
        ilat, ilng = math.floor(lat * 1e5 + 0.5), math.floor(lng * 1e5 + 0.5)
        for delta in (ilat - last_lat, ilng - last_lng):
            value = ~(delta << 1) if delta < 0 else delta << 1
            while value >= 0x20:
                out.append(chr((0x20 | (value & 0x1F)) + 63))
                value >>= 5
            out.append(chr(value + 63))
        last_lat, last_lng = ilat, ilng
    return "".join(out)


def bounds(points):
    lats = [p[0] for p in points]
    lngs = [p[1] for p in points]
    return min(lats), min(lngs), max(lats), max(lngs)


def decode(text):
    points, index, lat, lng = [], 0, 0, 0
    while index < len(text):
        for which in (0, 1):
            shift = result = 0
            while True:
                byte = ord(text[index]) - 63
                index += 1
                result |= (byte & 0x1F) << shift
                shift += 5
                if byte < 0x20:
                    break
            delta = ~(result >> 1) if result & 1 else result >> 1
            if which == 0:
                lat += delta
            else:
                lng += delta
        points.append((lat / 1e5, lng / 1e5))
    return points


def _simplified(points, tolerance):
    """The points (lat, lng) kept within tolerance metres, measured in
    degrees scaled to metres near the first point."""
    kx = math.cos(math.radians(points[0][0])) * 111320.0 if points else 0.0
    ky = 110540.0
    metres = [(lng * kx, lat * ky) for lat, lng in points]
    return [points[i] for i in simplify.kept(metres, tolerance)]


# The application refuses any text of a reply over 64 KiB; a long motorway step
# or a long route's overview can encode to more than that.
MAX_ENCODED = 60000


def bounded(encoded, limit=MAX_ENCODED):
    """encoded as it is when short enough, else simplified (1 m, 2 m, 4 m, ...)
    until it fits: drawn at street zooms it looks the same."""
    if len(encoded) <= limit:
        return encoded
    points, tolerance = decode(encoded), 1.0
    while len(encoded) > limit:
        encoded = encode(_simplified(points, tolerance))
        tolerance *= 2
    return encoded
