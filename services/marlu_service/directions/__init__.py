"""The directions endpoint, /maps/api/directions/xml, in the Google web service's XML format.

Ends are found by the geocoder; the route comes from the configured back-end:
offline (Routino on the imported extracts, routino.py) or OSRM (osrm.py).
No data, no route: ends outside every imported extract get ZERO_RESULTS.

Statuses: OK, NOT_FOUND (an end the geocoder cannot find, or one OSRM
cannot place on a road), ZERO_RESULTS, INVALID_REQUEST, OVER_QUERY_LIMIT,
REQUEST_DENIED and UNKNOWN_ERROR. Parameters read: origin, destination,
mode, alternatives, units, avoid, language; the rest is ignored.
"""

import sys
from collections import namedtuple

from .. import geocoding
from .. import xmlreply

from . import polyline, routino

PATH = "/maps/api/directions/xml"
COPYRIGHTS = "Map data © OpenStreetMap contributors"
MODES = {"driving": "DRIVING", "walking": "WALKING", "bicycling": "BICYCLING"}
OUTSIDE_DATA = "No route: outside the imported map data."
APART = "No route: the start and the destination lie in different map regions (%s, %s)."
NO_WAY = "No route between these places in the imported map data."
TOLLS_WARNING = ("Tolls cannot be avoided: the offline map data does not tell which roads "
                 "have tolls.")

Request = namedtuple("Request", "origin destination mode alternatives metric avoid language")
Waypoint = namedtuple("Waypoint", "lat lng address types place_id")


def parse_request(query):
    """A Request from a parse_qs() dict, or an INVALID_REQUEST error message."""
    def first(name, default=None):
        values = query.get(name)
        return values[0].strip() if values else default

    origin, destination = first("origin"), first("destination")
    for name, value in (("origin", origin), ("destination", destination)):
        if not value:
            return "Invalid request. Missing the '%s' parameter." % name
    # Ends are looked up as addresses are: a longer text is refused unread.
    for name, values in (("origin", [origin]), ("destination", [destination]),
                         ("waypoints", query.get("waypoints", ()))):
        if any(len(v) > geocoding.MAX_ADDRESS for value in values for v in value.split("|")):
            return "Invalid request. The %s is longer than %d characters." % (
                name, geocoding.MAX_ADDRESS)
    mode = first("mode", "").lower() or "driving"
    if mode not in MODES and mode != "transit":
        return "Invalid request. Invalid 'mode' parameter."
    avoid = frozenset(a.strip().lower() for value in query.get("avoid", ())
                      for a in value.split("|") if a.strip())
    return Request(origin=origin, destination=destination, mode=mode,
                   alternatives=first("alternatives", "").lower() == "true",
                   metric=first("units", "").lower() != "imperial",
                   avoid=avoid, language=first("language", "") or "en")


class Directions:
    """The endpoint on one configuration, finding ends with the server's geocoder."""

    def __init__(self, cfg, geocoder):
        self.geocoder = geocoder
        self.reload(cfg)

    def reload(self, cfg):
        self._cfg = cfg

    def routes(self):
        return {PATH: self.handle}

    def handle(self, handler, query):
        handler.send_body(200, xmlreply.CONTENT_TYPE, render(*self.directions(query)))

    def resolve(self, text, near=None):
        """The Waypoint the geocoder finds for a text (its best candidate), or
        None; near: the other end's Waypoint, whose surroundings come first."""
        bias = geocoding.NO_BIAS if near is None else geocoding.Bias(
            position=(near.lat, near.lng))
        status, results = self.geocoder.geocode(text, bias)
        if status == "UNKNOWN_ERROR":
            raise geocoding.Unavailable(text)
        if status != "OK" or not results:
            return None
        best = results[0]
        lat, lng = best["location"]
        return Waypoint(lat=lat, lng=lng, address=best["formatted_address"], types=best["types"],
                        place_id=best["place_id"])

    def resolve_ends(self, origin, destination):
        """Both ends, each looked up near the other: a route is a local
        question, so "Canton" after "Fells Point" is the Canton beside it."""
        a = self.resolve(origin)
        b = self.resolve(destination, near=a)
        if b is not None:  # the origin again, near where the destination turned out to be
            a = self.resolve(origin, near=b) or a
        return [a, b]

    def directions(self, query):
        """(status, routes, waypoints, error message) for a parse_qs() dict; see render()."""
        request = parse_request(query)
        if isinstance(request, str):
            return "INVALID_REQUEST", [], [], request
        try:
            ends = self.resolve_ends(request.origin, request.destination)
        except Exception as exc:  # the geocoder's data missing or broken
            sys.stderr.write("directions: geocoder failed: %r\n" % exc)
            return "UNKNOWN_ERROR", [], [], "The geocoder is not available."
        if None in ends:
            return "NOT_FOUND", [], ends, None
        if request.mode == "transit":
            return "ZERO_RESULTS", [], [None, None], "No transit data."
        a, b = ends
        cfg = self._cfg
        if cfg.directions_backend == "osrm":
            from . import osrm
            status, routes, message = osrm.find_routes(cfg, request, a, b)
        else:
            status, routes, message = self.offline_routes(cfg, request, a, b)
        if status != "OK":
            return status, [], [None, None] if status == "ZERO_RESULTS" else ends, message
        for route in routes:
            route.update(travel_mode=MODES[request.mode], copyrights=COPYRIGHTS,
                         start_address=a.address, end_address=b.address,
                         overview_polyline=polyline.bounded(route["overview_polyline"]))
            for step in route["steps"]:
                step["polyline"] = polyline.bounded(step["polyline"])
        return "OK", routes, ends, None

    def offline_routes(self, cfg, request, a, b):
        """(status, routes, error message) from Routino."""
        ends = [(a.lat, a.lng), (b.lat, b.lng)]
        databases, names = routino.covering(cfg.regions(), ends)
        if not databases:
            if all(names):
                return "ZERO_RESULTS", [], APART % (names[0][0], names[1][0])
            return "ZERO_RESULTS", [], OUTSIDE_DATA
        # Where regions overlap, the first that joins both ends gives the route.
        for database in databases:
            routes = self.routes_in(database, request, ends)
            if routes is None:
                return "UNKNOWN_ERROR", [], "The offline router failed."
            if routes:
                break
        if not routes:
            return "ZERO_RESULTS", [], NO_WAY
        return "OK", routes, None

    @staticmethod
    def routes_in(database, request, ends):
        """The routes Routino finds in one region's database ([] for none), or
        None when the router failed."""
        routes, paths = [], []
        for optimise in ("quickest", "shortest") if request.alternatives else ("quickest",):
            try:
                points = routino.run_router(database, request.mode, ends[0], ends[1], optimise,
                                            "highways" in request.avoid)
            except routino.RoutinoError as exc:
                sys.stderr.write("directions: %s\n" % exc)
                return None
            if points is None:
                break
            route = routino.build_route(points, ends[1], request.metric, request.mode,
                                        routino.nodefeatures.load(database))
            # The shortest way is only an alternative where it differs.
            if route["path"] not in paths:
                paths.append(route.pop("path"))
                route["warnings"] = [TOLLS_WARNING] if "tolls" in request.avoid else []
                routes.append(route)
        return routes


def render(status, routes=(), waypoints=(), error_message=None):
    """The reply document as UTF-8 bytes.

    waypoints: a Waypoint, None for an end the geocoder did not find (NOT_FOUND),
    or, when no route was found, None for both (written empty, as the service does).
    """
    return xmlreply.directions_document(
        status, routes,
        [None if w is None else {"types": w.types, "place_id": w.place_id} for w in waypoints],
        error_message)
