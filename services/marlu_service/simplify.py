"""The package's one line simplifier (Douglas-Peucker): the tiles' low-zoom
copies in Mercator metres, the routes' polylines in local metres."""

import math


def kept(points, tolerance):
    """Indices of the points (x, y) of a line that keep it within tolerance,
    in order; the ends always. Iterative: a long line must not hit the
    recursion limit."""
    if tolerance <= 0 or len(points) < 3:
        return list(range(len(points)))
    keep = [False] * len(points)
    keep[0] = keep[-1] = True
    spans = [(0, len(points) - 1)]
    while spans:
        a, b = spans.pop()
        (ax, ay), (bx, by) = points[a], points[b]
        dx, dy = bx - ax, by - ay
        length = dx * dx + dy * dy
        worst, at = -1.0, -1
        for i in range(a + 1, b):
            px, py = points[i]
            t = 0.0 if length == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy)
                                                  / length))
            d = math.hypot(px - ax - t * dx, py - ay - t * dy)
            if d > worst:
                worst, at = d, i
        if worst > tolerance:
            keep[at] = True
            spans += [(a, at), (at, b)]
    return [i for i, k in enumerate(keep) if k]


def simplified(points, tolerance):
    """The points (x, y) of a line that keep it within tolerance; the line
    itself when there is nothing to drop."""
    if tolerance <= 0 or len(points) < 3:
        return points
    return [points[i] for i in kept(points, tolerance)]
