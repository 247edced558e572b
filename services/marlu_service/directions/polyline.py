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
    """Douglas-Peucker in degrees scaled to metres near the points (iterative)."""
    if len(points) < 3:
        return list(points)
    kx = math.cos(math.radians(points[0][0])) * 111320.0
    ky = 110540.0
    keep = [False] * len(points)
    keep[0] = keep[-1] = True
    stack = [(0, len(points) - 1)]
    while stack:
        first, last = stack.pop()
        (ay, ax), (by, bx) = points[first], points[last]
        ax, ay, bx, by = ax * kx, ay * ky, bx * kx, by * ky
        dx, dy = bx - ax, by - ay
        length2 = dx * dx + dy * dy
        worst, worst_at = -1.0, -1
        for i in range(first + 1, last):
            px, py = points[i][1] * kx, points[i][0] * ky
            t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
            d = math.hypot(px - ax - t * dx, py - ay - t * dy)
            if d > worst:
                worst, worst_at = d, i
        if worst > tolerance:
            keep[worst_at] = True
            stack.extend(((first, worst_at), (worst_at, last)))
    return [p for p, k in zip(points, keep) if k]


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
