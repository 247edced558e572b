"""Online routes from an OSRM server (HTTP API v5), written as the same XML.

OSRM's steps become steps with texts from osrm-text-instructions; its step
polylines have the same encoding and pass through unchanged.
"""

import sys
from urllib.parse import urlencode

from .. import providerfailure, upstream

from . import texts
from .nodehelper import HELPER, HelperError

DEFAULT_URL = "https://router.project-osrm.org"
PROVIDER = "The OSRM routing server"
TIMEOUT = upstream.TIMEOUT
PROFILES = {"driving": "driving", "walking": "foot", "bicycling": "bike"}
# What is read of an answer: the application keeps at most 20 routes and
# 5000 steps of a route, so more is refused rather than written out.
MAX_BYTES = 16 * 1024 * 1024
CAPS = {"max_depth": 64, "max_routes": 20, "max_steps": 5000}
# Longer than any instruction, street or summary: a longer text is a broken or
# hostile answer, refused here rather than passed on for the application to refuse.
MAX_TEXT = 4096
# OSRM codes of a request it cannot take, for any end.
INVALID = ("InvalidUrl", "InvalidService", "InvalidVersion", "InvalidOptions", "InvalidQuery",
           "InvalidValue")


def find_routes(cfg, request, a, b):
    """(status, routes, error message) for the two ends, from the configured server."""
    params = {"steps": "true", "overview": "full", "geometries": "polyline",
              "alternatives": "true" if request.alternatives else "false"}
    excluded = [c for avoid, c in (("highways", "motorway"), ("tolls", "toll"))
                if avoid in request.avoid]
    if excluded and request.mode == "driving":
        params["exclude"] = ",".join(excluded)
    url = "%s/route/v1/%s/%.6f,%.6f;%.6f,%.6f?%s" % (
        cfg.provider_url("osrm", DEFAULT_URL), PROFILES[request.mode],
        a.lng, a.lat, b.lng, b.lat, urlencode(params))
    try:
        status, body = upstream.get(url, timeout=TIMEOUT, max_bytes=MAX_BYTES)
    except upstream.UpstreamError as exc:
        sys.stderr.write("directions: OSRM: %s\n" % exc)
        return "UNKNOWN_ERROR", [], providerfailure.of_error(PROVIDER, exc)
    return read_answer(status, body, request)


def read_answer(http_status, body, request):
    """(status, routes, error message) of an OSRM answer (bytes)."""
    if http_status == 429:
        return "OVER_QUERY_LIMIT", [], providerfailure.of_status(PROVIDER, 429)
    if http_status in (401, 403):
        return "REQUEST_DENIED", [], providerfailure.of_status(PROVIDER, http_status)
    try:
        data = HELPER.route(body, request.language, CAPS)
    except HelperError as exc:
        sys.stderr.write("directions: %s\n" % exc)
        return "UNKNOWN_ERROR", [], "The route's instructions could not be written."
    if "refused" in data:
        sys.stderr.write("directions: OSRM: refused an answer: %s\n" % data["refused"])
        return "UNKNOWN_ERROR", [], providerfailure.sentence(PROVIDER,
                                                             "its answer is too large to use")
    code = data.get("code")
    if "error" in data or code is None:
        sys.stderr.write("directions: OSRM: unreadable answer (HTTP %d): %s\n"
                         % (http_status, data.get("error")))
        return "UNKNOWN_ERROR", [], providerfailure.unreadable(PROVIDER)
    if code == "NoRoute":
        return "ZERO_RESULTS", [], None
    if code == "NoSegment":
        return "NOT_FOUND", [], "The routing service found no road near an end."
    if code in INVALID:
        return "INVALID_REQUEST", [], data.get("message") or code
    if code != "Ok" or http_status != 200:
        sys.stderr.write("directions: OSRM: HTTP %d, code %r\n" % (http_status, code))
        if http_status != 200:
            return "UNKNOWN_ERROR", [], providerfailure.of_status(PROVIDER, http_status)
        return "UNKNOWN_ERROR", [], providerfailure.sentence(PROVIDER, "it failed (%.40s)" % code)
    try:
        routes = [convert(route, request) for route in data["routes"]]
    except (KeyError, TypeError, ValueError, IndexError) as exc:
        sys.stderr.write("directions: OSRM: unexpected answer: %r\n" % exc)
        return "UNKNOWN_ERROR", [], providerfailure.unreadable(PROVIDER)
    if not routes:
        return "ZERO_RESULTS", [], None
    longest = max(len(text) for route in routes for text in texts_of(route))
    if longest > MAX_TEXT:
        sys.stderr.write("directions: OSRM: refused an answer: a text of %d characters (at most %d)\n"
                         % (longest, MAX_TEXT))
        return "UNKNOWN_ERROR", [], providerfailure.sentence(PROVIDER,
                                                             "its answer is too large to use")
    return "OK", routes, None


def texts_of(route):
    yield route["summary"]
    for step in route["steps"]:
        yield step["instructions"]


def convert(route, request):
    """A route read by the node helper as the route dict of xmlreply.directions_document."""
    steps = []
    for step in route["steps"]:
        text = step["text"]
        if step["type"] == "arrive":
            # The service has no step for arriving: a note on the last one.
            if steps and text:
                steps[-1]["instructions"] += texts.note(text)
            continue
        start = (float(step["start"][0]), float(step["start"][1]))
        metres, seconds = round(step["distance"]), round(step["duration"])
        steps.append({
            "start": start, "end": tuple(step["end"]) if step["end"] else start,
            "polyline": step["geometry"],
            "distance": (metres, texts.distance_text(metres, request.metric)),
            "duration": (seconds, texts.duration_text(seconds)),
            "instructions": text or texts.bold(step["name"]),
            "maneuver": maneuver(step["type"], step["modifier"], step["driving_side"]),
        })
    if not steps:
        raise ValueError("a route without steps")
    metres, seconds = round(route["distance"]), round(route["duration"])
    return {
        "summary": route["summary"],
        "steps": steps,
        "distance": (metres, texts.distance_text(metres, request.metric)),
        "duration": (seconds, texts.duration_text(seconds)),
        "start": steps[0]["start"], "end": steps[-1]["end"],
        "overview_polyline": route["overview"],
        "bounds": tuple(route["bounds"] or (steps[0]["start"] + steps[-1]["end"])),
        "warnings": [],
    }


def maneuver(kind, modifier, driving_side):
    """The service's maneuver word for an OSRM step, or None."""
    modifier = modifier or ""
    side = "left" if "left" in modifier else "right" if "right" in modifier else None
    right_hand = driving_side != "left"
    if kind in ("depart", "arrive") or (kind == "new name" and not side):
        return None
    if kind == "merge":
        return "merge"
    if kind in ("on ramp", "off ramp", "fork"):
        return ("fork-" if kind == "fork" else "ramp-") + side if side else None
    if kind in ("roundabout", "rotary", "roundabout turn", "exit roundabout", "exit rotary"):
        # Named for the way traffic circles: anticlockwise where it keeps right.
        return "roundabout-right" if right_hand else "roundabout-left"
    if modifier == "uturn":
        return "uturn-left" if right_hand else "uturn-right"
    if modifier == "straight":
        return "straight"
    if side:
        degree = modifier.split()[0] if " " in modifier else ""
        return "turn-%s%s" % (degree + "-" if degree else "", side)
    return None
