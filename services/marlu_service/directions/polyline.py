"""Google's encoded polyline format (1e-5 degrees)."""

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


def bounds(points):
    lats = [p[0] for p in points]
    lngs = [p[1] for p in points]
    return min(lats), min(lngs), max(lats), max(lngs)
