"""Google's encoded polyline format (1e-5 degrees), which OSRM writes too."""

import math


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


def decode(text):
    """(lat, lng) pairs; raises ValueError on a malformed text."""
    points, index, lat, lng, end = [], 0, 0, 0, len(text)
    while index < end:
        deltas = []
        for _ in range(2):
            shift = result = 0
            while True:
                if index >= end:
                    raise ValueError("truncated polyline")
                b = ord(text[index]) - 63
                index += 1
                if not 0 <= b < 64:
                    raise ValueError("not a polyline character")
                result |= (b & 0x1F) << shift
                shift += 5
                if b < 0x20:
                    break
            deltas.append(~(result >> 1) if result & 1 else result >> 1)
        lat += deltas[0]
        lng += deltas[1]
        points.append((lat / 1e5, lng / 1e5))
    return points


def bounds(points):
    lats = [p[0] for p in points]
    lngs = [p[1] for p in points]
    return min(lats), min(lngs), max(lats), max(lngs)
