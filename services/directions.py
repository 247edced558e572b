"""The directions endpoint, /maps/api/directions/xml, in the Google web service's XML format.

A deterministic stand-in: there is no road graph here. Origin and destination
are read like the geocoding endpoint reads an address (a "lat lng" pair or a
gazetteer place, best candidate first). Two ends on different land masses
give ZERO_RESULTS; otherwise the route follows a gently bent great circle cut
into 1 to 20 steps, with street names, road numbers, speeds and maneuvers
drawn from a generator seeded by the request, so the same request always
gets the same reply.

Statuses: OK, NOT_FOUND (an end the geocoder cannot find), ZERO_RESULTS (no
route: another land mass, a point far out at sea, or transit), INVALID_REQUEST
(missing end, unknown mode) and UNKNOWN_ERROR (gazetteer files missing).
Parameters read: origin, destination, mode, alternatives, units, avoid; the
rest (sensor, key, language, ...) is ignored.
"""

import hashlib
import math
import random
import sys
import threading
from collections import namedtuple
from urllib.parse import parse_qs, urlsplit

import geocoding
from geocoding import countries
import xmlreply

PATH = "/maps/api/directions/xml"
COPYRIGHTS = "Map data ©2026 Marlu contributors, GeoNames"

MODES = {"driving": "DRIVING", "walking": "WALKING", "bicycling": "BICYCLING"}
EARTH_RADIUS = 6371008.8  # metres, mean radius
# A "lat lng" end this far from every gazetteer place is taken to be at sea.
SNAP_KM = 200.0
MAX_STEPS = 20

# --- Land masses -------------------------------------------------------------
# Ends on the same land mass can be joined by road, counting the ferries and
# tunnels the real service routes over (Channel Tunnel, Irish Sea, Strait of
# Gibraltar). A country not listed is a land mass of its own: islands.
_LAND_MASSES = {
    "Afro-Eurasia": """
        AD AL AT AX BA BE BG BY CH CZ DE DK EE ES FI FR GB GG GI GR HR HU IE IM IT JE
        LI LT LU LV MC MD ME MK MT NL NO PL PT RO RS RU SE SI SK SM UA VA XK
        AE AF AM AZ BD BH BT CN GE HK IL IN IQ IR JO KG KH KP KW KZ LA LB MM MN MO MY
        NP OM PK PS QA SA SG SY TH TJ TM TR UZ VN YE
        AO BF BI BJ BW CD CF CG CI CM DJ DZ EG EH ER ET GA GH GM GN GQ GW KE LR LS LY
        MA ML MR MW MZ NA NE NG RW SD SL SN SO SS SZ TD TG TN TZ UG ZA ZM ZW""",
    # The Darién Gap: no road joins Panama and Colombia.
    "North America": "US CA MX GT BZ SV HN NI CR PA",
    "South America": "CO VE EC PE BO BR PY UY AR CL GY SR GF",
}
LAND_MASS = {code: mass for mass, codes in _LAND_MASSES.items() for code in codes.split()}
# Islands of mainland countries, and islands shared by countries:
# (south, north, west, east, land mass); the first box that holds a point wins.
ISLANDS = (
    (18.5, 22.5, -160.5, -154.5, "Hawaii"),
    (27.5, 29.5, -18.3, -13.3, "Canary Islands"),
    (36.8, 39.8, -31.5, -24.8, "Azores"),
    (32.3, 33.2, -17.4, -16.2, "Madeira"),
    (-1.6, 0.8, -92.1, -89.1, "Galápagos"),
    (-27.3, -27.0, -109.5, -109.2, "Easter Island"),
    (-4.3, 1.0, 108.5, 117.8, "Borneo"),
    (1.0, 7.4, 108.5, 119.4, "Borneo"),
    (-10.8, -0.5, 130.8, 150.9, "New Guinea"),
)


def land_mass(lat, lng, country):
    for south, north, west, east, mass in ISLANDS:
        if south <= lat <= north and west <= lng <= east:
            return mass
    return LAND_MASS.get(country, country)


class PlaceGrid:
    """Nearest gazetteer place to a point, on a grid of 0.25 degree cells.

    Built from the geocoder's gazetteer on first use (about half a second),
    and again if the geocoder is given another gazetteer.
    """

    CELL = 0.25
    COLUMNS = 1440  # 360 / CELL; longitudes wrap around

    def __init__(self):
        self._lock = threading.Lock()
        self._source = None
        self._cells = None

    def nearest(self, lat, lng, max_km):
        """(km, name, country code) of the nearest place within max_km, or None."""
        cells = self._ensure_built()
        i0 = math.floor(lat / self.CELL)
        j0 = math.floor(lng / self.CELL)
        cos_lat = math.cos(math.radians(lat))
        cell_km = self.CELL * 111.2
        best, best_d2 = None, math.inf
        k, rj_inside = 0, -1
        while True:
            # Ring k: the box of k rows up and down, and as many columns as
            # reach about as far east-west, less the box searched before.
            # Columns narrow towards the poles, so there are more of them.
            lat_edge = min(89.9, abs(lat) + (k + 1) * self.CELL)
            cos_edge = max(math.cos(math.radians(lat_edge)), 0.05)
            rj = min(self.COLUMNS // 2 - 1, max(rj_inside, math.ceil(k / cos_edge)))
            for i in range(i0 - k, i0 + k + 1):
                if abs(i - i0) == k:
                    columns = range(j0 - rj, j0 + rj + 1)
                else:
                    columns = [*range(j0 - rj, j0 - rj_inside),
                               *range(j0 + rj_inside + 1, j0 + rj + 1)]
                for j in columns:
                    for place in cells.get((i, j % self.COLUMNS), ()):
                        dy = place[0] - lat
                        dx = ((place[1] - lng + 180.0) % 360.0 - 180.0) * cos_lat
                        d2 = dy * dy + dx * dx
                        if d2 < best_d2:
                            best, best_d2 = place, d2
            rj_inside = rj
            # Anything not searched yet lies at least this far away.
            reach = min(k * cell_km, rj * cell_km * cos_edge)
            if best is not None:
                km = haversine(lat, lng, best[0], best[1]) / 1000.0
                if km <= reach:
                    return (km, best[2], best[3]) if km <= max_km else None
            if reach >= max_km or rj >= self.COLUMNS // 2 - 1:
                return None
            k += 1

    def _ensure_built(self):
        source = geocoding.places_index()
        cells = self._cells
        if cells is not None and self._source is source:
            return cells
        with self._lock:
            if self._cells is None or self._source is not source:
                self._cells = self._build(source)
                self._source = source
            return self._cells

    def _build(self, source):
        cells = {}
        for name, lat, lng, country in source.entries():
            key = (math.floor(lat / self.CELL), math.floor(lng / self.CELL) % self.COLUMNS)
            cells.setdefault(key, []).append((lat, lng, name, country))
        return cells


PLACES = PlaceGrid()

# --- Request -----------------------------------------------------------------

Request = namedtuple("Request", "origin destination mode alternatives metric avoid")
Waypoint = namedtuple("Waypoint", "lat lng address types place_id country name")


def register(routes):
    routes[PATH] = handle_directions


def handle_directions(handler, query):
    # parse_qs() in the dispatcher drops blank values; read them again so
    # "origin=&origin=Paris" is a missing origin, as for the geocoder.
    path = getattr(handler, "path", None)
    if path is not None:
        query = parse_qs(urlsplit(path).query, keep_blank_values=True)
    try:
        body = render(*directions(query))
    except geocoding.Unavailable as exc:
        sys.stderr.write("directions: %s\n" % exc)
        body = render("UNKNOWN_ERROR", error_message="The gazetteer is not installed.")
    handler.send_body(200, geocoding.CONTENT_TYPE, body)


def parse_request(query):
    """A Request from a parse_qs() dict, or an INVALID_REQUEST error message."""
    def first(name, default=None):
        values = query.get(name)
        return values[0].strip() if values else default

    origin, destination = first("origin"), first("destination")
    for name, value in (("origin", origin), ("destination", destination)):
        if not value:
            return "Invalid request. Missing the '%s' parameter." % name
    mode = first("mode", "").lower() or "driving"
    if mode not in MODES and mode != "transit":
        return "Invalid request. Invalid 'mode' parameter."
    avoid = frozenset(a.strip().lower() for value in query.get("avoid", ())
                      for a in value.split("|") if a.strip())
    return Request(origin=origin, destination=destination, mode=mode,
                   alternatives=first("alternatives", "").lower() == "true",
                   metric=first("units", "").lower() != "imperial",
                   avoid=avoid)


def resolve(text):
    """The Waypoint the geocoder finds for a text (its best candidate), or None."""
    status, results = geocoding.geocode(text)
    if status == "UNKNOWN_ERROR":
        raise geocoding.Unavailable(text)
    if status != "OK":
        return None
    best = results[0]
    lat, lng = best["location"]
    components = best["components"]
    country = next((short for _, short, kinds in components if "country" in kinds), None)
    name = components[0][0] if components else None
    if country is None:
        # A point: the nearest place tells the country; none near means sea.
        near = PLACES.nearest(lat, lng, SNAP_KM)
        if near is not None:
            _, name, country = near
    return Waypoint(lat=lat, lng=lng, address=best["formatted_address"], types=best["types"],
                    place_id=best["place_id"], country=country, name=name)


def directions(query):
    """(status, routes, waypoints, error message) for a parse_qs() dict; see render()."""
    request = parse_request(query)
    if isinstance(request, str):
        return "INVALID_REQUEST", [], [], request
    ends = [resolve(request.origin), resolve(request.destination)]
    if None in ends:
        return "NOT_FOUND", [], ends, None
    a, b = ends
    if (request.mode == "transit" or a.country is None or b.country is None
            or land_mass(a.lat, a.lng, a.country) != land_mass(b.lat, b.lng, b.country)
            or haversine(a.lat, a.lng, b.lat, b.lng) > 19.9e6):
        # As in the published reply: the waypoints are listed, empty.
        return "ZERO_RESULTS", [], [None, None], None

    count = (3 if haversine(a.lat, a.lng, b.lat, b.lng) > 20000 else 2) \
        if request.alternatives else 1
    routes, summaries = [], set()
    for variant in range(count):
        for salt in range(8):
            route = build_route(request, a, b, variant, salt)
            if route["summary"] not in summaries:
                summaries.add(route["summary"])
                routes.append(route)
                break
    return "OK", routes, ends, None

# --- Geometry ----------------------------------------------------------------


def haversine(lat1, lng1, lat2, lng2):
    """Great-circle distance in metres."""
    p1, p2 = math.radians(lat1), math.radians(lat2)
    h = (math.sin((p2 - p1) / 2) ** 2
         + math.cos(p1) * math.cos(p2) * math.sin(math.radians(lng2 - lng1) / 2) ** 2)
    return 2 * EARTH_RADIUS * math.asin(min(1.0, math.sqrt(h)))


def bearing(lat1, lng1, lat2, lng2):
    """Initial bearing in degrees clockwise from north, 0 to 360."""
    p1, p2 = math.radians(lat1), math.radians(lat2)
    dl = math.radians(lng2 - lng1)
    y = math.sin(dl) * math.cos(p2)
    x = math.cos(p1) * math.sin(p2) - math.sin(p1) * math.cos(p2) * math.cos(dl)
    return math.degrees(math.atan2(y, x)) % 360.0


COMPASS = ("north", "northeast", "east", "southeast", "south", "southwest", "west", "northwest")


def compass(degrees):
    return COMPASS[int((degrees % 360.0 + 22.5) // 45) % 8]


def _vector(lat, lng):
    la, lo = math.radians(lat), math.radians(lng)
    return (math.cos(la) * math.cos(lo), math.cos(la) * math.sin(lo), math.sin(la))


class BentPath:
    """A great circle from a to b pushed sideways by a few sine-shaped bends.

    point(t) for t from 0 (a) to 1 (b); bends are (wave number, metres) and
    vanish at both ends, as does the extra sideways push a caller adds.
    """

    def __init__(self, a, b, bends):
        self.va, self.vb = _vector(*a), _vector(*b)
        dot = sum(p * q for p, q in zip(self.va, self.vb))
        self.omega = math.acos(max(-1.0, min(1.0, dot)))
        n = _cross(self.va, self.vb)
        if math.sqrt(sum(c * c for c in n)) < 1e-12:  # same point: any sideways will do
            n = _cross(self.va, (0.0, 0.0, 1.0) if abs(self.va[2]) < 0.9 else (1.0, 0.0, 0.0))
        norm = math.sqrt(sum(c * c for c in n))
        self.normal = tuple(c / norm for c in n)
        self.bends = bends

    def point(self, t, extra=0.0):
        if self.omega < 1e-12:
            base = self.va
        else:
            s = math.sin(self.omega)
            wa, wb = math.sin((1 - t) * self.omega) / s, math.sin(t * self.omega) / s
            base = tuple(wa * p + wb * q for p, q in zip(self.va, self.vb))
        offset = extra + sum(amp * math.sin(k * math.pi * t) for k, amp in self.bends)
        theta = offset / EARTH_RADIUS
        x, y, z = (math.cos(theta) * p + math.sin(theta) * q for p, q in zip(base, self.normal))
        return math.degrees(math.atan2(z, math.hypot(x, y))), math.degrees(math.atan2(y, x))


def _cross(u, v):
    return (u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0])


def encode_polyline(points):
    """Google's encoded polyline algorithm: 1e-5 degree steps, zigzag, 5-bit chunks + 63."""
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

# --- Texts -------------------------------------------------------------------


def _half_up(x):
    return math.floor(x + 0.5)


def _plural(n, unit):
    return "%d %s%s" % (n, unit, "" if n == 1 else "s")


def _decimal(x):
    """One decimal under 100 ("0.3", "12.9"), whole numbers from there ("541", "1,204")."""
    tenths = _half_up(x * 10)
    if tenths < 1000:
        return "%d.%d" % divmod(tenths, 10)
    return "{:,}".format(_half_up(x))


def distance_text(metres, metric=True):
    """"15 m", "0.3 km", "12.9 km", "541 km"; imperial "492 ft", "0.2 mi", "336 mi"."""
    if metric:
        return "%d m" % metres if metres < 100 else _decimal(metres / 1000.0) + " km"
    miles = metres / 1609.344
    if miles < 0.095:
        return "{:,} ft".format(_half_up(metres / 0.3048))
    return _decimal(miles) + " mi"


def duration_text(seconds):
    """"1 min" at least, "9 mins", "1 hour 46 mins", "2 hours", "1 day 3 hours"."""
    minutes = max(1, _half_up(seconds / 60.0))
    if minutes < 60:
        return _plural(minutes, "min")
    hours, minutes = divmod(minutes, 60)
    if hours < 24:
        return _plural(hours, "hour") + (" " + _plural(minutes, "min") if minutes else "")
    days, hours = divmod(_half_up(seconds / 3600.0), 24)
    return _plural(days, "day") + (" " + _plural(hours, "hour") if hours else "")


def _b(text):
    return "<b>%s</b>" % text


def _note(text):
    return '<div style="font-size:0.9em">%s</div>' % text

# --- Road names --------------------------------------------------------------


STREETS = {
    "FR": ("Rue de la République", "Avenue Jean Jaurès", "Boulevard Victor Hugo", "Rue Pasteur",
           "Avenue de la Gare", "Rue du Général de Gaulle", "Quai des Célestins",
           "Rue Nationale", "Place de l'Église", "Rue des Écoles"),
    "DE": ("Hauptstraße", "Bahnhofstraße", "Schulstraße", "Gartenstraße", "Lindenallee",
           "Kirchweg", "Am Markt", "Bergstraße", "Goethestraße", "Mühlenweg"),
    "ES": ("Calle Mayor", "Avenida de la Constitución", "Calle Real", "Paseo de la Estación",
           "Calle San José", "Avenida de Andalucía", "Plaza de España", "Calle Nueva"),
    "IT": ("Via Roma", "Corso Vittorio Emanuele II", "Via Garibaldi", "Via Giuseppe Mazzini",
           "Viale della Stazione", "Via Dante Alighieri", "Piazza del Duomo", "Via Cavour"),
    None: ("Main St", "Station Rd", "Church St", "Park Ave", "Mill Ln", "Market St", "High St",
           "Bridge St", "King St", "Queen St", "Victoria Rd", "Oak Ave", "Lake Rd", "River Rd",
           "Hill St", "Elm St"),
}
for _code in ("AT", "CH", "LI"):
    STREETS[_code] = STREETS["DE"]
for _code in ("BE", "LU", "MC"):
    STREETS[_code] = STREETS["FR"]
for _code in ("MX", "AR", "CO", "CL", "PE"):
    STREETS[_code] = STREETS["ES"]

# Motorways, then other main roads; "{n}" is a number, "{d}" a direction.
HIGHWAYS = {
    "FR": "A{n}", "DE": "A{n}", "AT": "A{n}", "CH": "A{n}", "IT": "A{n}", "NL": "A{n}",
    "PT": "A{n}", "PL": "A{n}", "ES": "A-{n}", "BE": "E{n}", "GB": "M{n}", "IE": "M{n}",
    "RU": "M{n}", "US": "I-{n} {d}", "CA": "Hwy {n} {d}", "AU": "M{n}", "MX": "México {n}D",
    None: "E{n}",
}
ROADS = {
    "FR": "N{n}", "DE": "B{n}", "AT": "B{n}", "IT": "SS{n}", "ES": "N-{n}", "PT": "N{n}",
    "NL": "N{n}", "BE": "N{n}", "PL": "DK{n}", "GB": "A{n}", "IE": "N{n}", "RU": "R{n}",
    "US": "US-{n} {d}", "CA": "Hwy {n}", "AU": "A{n}", None: "Route {n}",
}


def _road_name(table, country, rng, heading):
    pattern = table.get(country, table[None])
    return pattern.format(n=rng.randint(1, 99), d="NESW"[int((heading + 45) // 90) % 4])


def _street(country, rng, taken):
    names = STREETS.get(country, STREETS[None])
    choices = [n for n in names if n not in taken] or list(names)
    return rng.choice(choices)

# --- Routes ------------------------------------------------------------------


def step_count(metres):
    if metres < 50:
        return 1
    if metres < 500:
        return 2
    return max(4, min(MAX_STEPS, _half_up(3 + 4 * math.log10(1 + metres / 1000.0))))


def _speed(mode, kind, avoid, rng):
    """Metres per second for a step of a kind: "town", "road" or "highway"."""
    if mode == "walking":
        kmh = 5.0
    elif mode == "bicycling":
        kmh = rng.uniform(14, 18)
    elif kind == "highway":
        kmh = rng.uniform(85, 100) if "tolls" in avoid else rng.uniform(95, 115)
    elif kind == "road":
        kmh = rng.uniform(60, 80)
    else:
        kmh = rng.uniform(30, 50)
    return kmh / 3.6


def _seed(*parts):
    text = "|".join(str(p) for p in parts)
    return int.from_bytes(hashlib.sha256(text.encode("utf-8")).digest()[:8], "big")


def build_route(request, a, b, variant=0, salt=0):
    """A route dict (see render()) from waypoint a to b; variants differ in path and roads."""
    avoid = request.avoid & {"highways", "tolls"}
    rng = random.Random(_seed("%.5f,%.5f" % (a.lat, a.lng), "%.5f,%.5f" % (b.lat, b.lng),
                              request.mode, sorted(avoid), variant, salt))
    straight = haversine(a.lat, a.lng, b.lat, b.lng)
    n = step_count(straight)

    # Kinds: town streets at both ends, main roads in between; short trips
    # stay in town, and motorways start paying off beyond about 30 km.
    motorway = request.mode == "driving" and "highways" not in avoid and straight >= 30000
    main = "highway" if motorway else "road"
    if n < 4 or straight < 10000:
        kinds = ["town"] * n
    else:
        ends = 2 if n >= 8 else 1
        kinds = ["town"] * ends + [main] * (n - 2 * ends) + ["town"] * ends
    # Share of the way for each step: a few hundred metres in town.
    if "town" not in kinds[1:-1]:
        weights = [rng.uniform(0.5, 1.5) for _ in kinds]
    else:
        town = [min(0.08, rng.uniform(200, 1500) / straight) if k == "town" else 0 for k in kinds]
        rest = 1.0 - sum(town)
        mains = [rng.uniform(0.5, 1.5) if k != "town" else 0 for k in kinds]
        weights = [t or rest * m / sum(mains) for t, m in zip(town, mains)]
    total = sum(weights)
    cuts = [0.0]
    for w in weights:
        cuts.append(cuts[-1] + w / total)
    cuts[-1] = 1.0

    # Variants bend to alternate sides, each further out than the last.
    side = rng.choice((-1, 1)) * (-1 if variant == 1 else 1)
    size = (rng.uniform(0.02, 0.05), rng.uniform(0.06, 0.09), rng.uniform(0.10, 0.13))[variant % 3]
    bends = [(1, side * size * straight), (2, rng.uniform(-0.02, 0.02) * straight),
             (3, rng.uniform(-0.01, 0.01) * straight)] if straight >= 50 else []
    path = BentPath((a.lat, a.lng), (b.lat, b.lng), bends)

    steps = []
    for i, kind in enumerate(kinds):
        t0, t1 = cuts[i], cuts[i + 1]
        length = (t1 - t0) * straight
        parts = min(6, 1 + int(math.sqrt(length / 1000.0)))
        wiggle = (0.1 if kind == "town" else 0.03) * length
        points = [path.point(t0 + (t1 - t0) * j / parts,
                             rng.uniform(-wiggle, wiggle) if 0 < j < parts else 0.0)
                  for j in range(parts + 1)]
        points[0] = (a.lat, a.lng) if i == 0 else steps[-1]["points"][-1]
        if i == n - 1:
            points[-1] = (b.lat, b.lng)
        curve = rng.uniform(1.05, 1.25) if kind == "town" else rng.uniform(1.02, 1.10)
        drawn = sum(haversine(*p, *q) for p, q in zip(points, points[1:]))
        metres = max(1, _half_up(curve * drawn))
        seconds = max(1, _half_up(metres / _speed(request.mode, kind, avoid, rng)))
        steps.append({"kind": kind, "points": points, "distance": metres, "duration": seconds,
                      "heading_in": _heading(points, 0), "heading_out": _heading(points, -1)})

    _name_steps(steps, a, b, rng)
    _write_instructions(steps, b, rng)

    overview = [p for s in steps for p in s["points"][:-1]] + [steps[-1]["points"][-1]]
    lats = [p[0] for p in overview]
    lngs = [p[1] for p in overview]
    return {
        "summary": _summary(steps),
        "mode": MODES.get(request.mode, "DRIVING"),
        "metric": request.metric,
        "steps": steps,
        "start": a,
        "end": b,
        "overview": overview,
        "bounds": (min(lats), min(lngs), max(lats), max(lngs)),
    }


def _heading(points, end):
    p, q = (points[0], points[1]) if end == 0 else (points[-2], points[-1])
    return bearing(*p, *q) if p != q else 0.0


def _name_steps(steps, a, b, rng):
    """Road names, and the country each step starts in ("Entering Germany")."""
    country = a.country
    for i, step in enumerate(steps):
        if i > 0:
            near = PLACES.nearest(*step["points"][0], 50.0)
            if near is not None:
                country = near[2]
        step["country"] = country
    if len(steps) > 1:
        steps[-1]["country"] = b.country

    taken = set()
    # Main roads: a motorway or road number held for a run of steps.
    mains = [i for i, s in enumerate(steps) if s["kind"] != "town"]
    runs = 1 if len(mains) <= 2 else 2 if len(mains) <= 5 else 3
    name = None
    for index, i in enumerate(mains):
        if name is None or index * runs // len(mains) != (index - 1) * runs // len(mains):
            table = HIGHWAYS if steps[i]["kind"] == "highway" else ROADS
            name = _road_name(table, steps[i]["country"], rng, steps[i]["heading_in"])
            while name in taken:
                name = _road_name(table, steps[i]["country"], rng, steps[i]["heading_in"])
            taken.add(name)
        steps[i]["road"] = name
    for i, step in enumerate(steps):
        if step["kind"] == "town":
            near_start = i < len(steps) / 2
            step["road"] = _street(a.country if near_start else b.country, rng, taken)
            taken.add(step["road"])


def _side(before, after, rng):
    turn = (after - before + 540.0) % 360.0 - 180.0
    if abs(turn) < 1e-6:
        return rng.choice(("left", "right"))
    return "right" if turn > 0 else "left"


def _write_instructions(steps, b, rng):
    """html_instructions and maneuver for each step, the way the service words them."""
    toward = b.name or steps[-1]["road"]
    for i, step in enumerate(steps):
        road = step["road"]
        maneuver = None
        if i == 0:
            text = "Head %s on %s" % (_b(compass(step["heading_in"])), _b(road))
            if len(steps) > 1:
                text += " toward " + _b(steps[1]["road"])
        else:
            prev = steps[i - 1]
            side = _side(prev["heading_out"], step["heading_in"], rng)
            pick = rng.random()
            if prev["kind"] != "highway" and step["kind"] == "highway":
                if pick < 0.5:
                    text, maneuver = "Take the ramp onto %s" % _b(road), "ramp-" + side
                else:
                    text, maneuver = "Merge onto %s" % _b(road), "merge"
            elif prev["kind"] == "highway" and step["kind"] != "highway":
                text = "Take exit %s toward %s" % (_b(str(rng.randint(1, 60))), _b(toward))
                maneuver = "ramp-right"
            elif road == prev["road"]:
                if pick < 0.4:
                    text, maneuver = "Continue straight to stay on %s" % _b(road), "straight"
                elif pick < 0.8 or step["kind"] == "highway":
                    text, maneuver = "Keep %s to stay on %s" % (_b(side), _b(road)), "keep-" + side
                else:
                    text, maneuver = "Turn %s to stay on %s" % (_b(side), _b(road)), "turn-" + side
            elif prev["kind"] == "highway":
                if pick < 0.5:
                    text = "Keep %s at the fork to continue on %s" % (_b(side), _b(road))
                    maneuver = "fork-" + side
                else:
                    text = "Continue onto %s" % _b(road)
            elif pick < 0.6:
                text, maneuver = "Turn %s onto %s" % (_b(side), _b(road)), "turn-" + side
            elif pick < 0.8:
                text = "Slight %s onto %s" % (_b(side), _b(road))
                maneuver = "turn-slight-" + side
            else:
                text = "Continue onto %s" % _b(road)
            if step["country"] != prev["country"] and step["country"]:
                text += _note("Entering " + countries.COUNTRY_NAMES.get(step["country"],
                                                                        step["country"]))
        if i == len(steps) - 1:
            text += _note("Destination will be on the " + rng.choice(("left", "right")))
        step["instructions"] = text
        step["maneuver"] = maneuver


def _summary(steps):
    """The one or two main roads that carry most of the way, "A6 and A7", in route order."""
    lengths = {}
    for step in steps:
        lengths[step["road"]] = lengths.get(step["road"], 0) + step["distance"]
    mains = [s["road"] for s in steps if s["kind"] != "town"]
    candidates = list(dict.fromkeys(mains)) or list(lengths)
    top = sorted(candidates, key=lambda r: -lengths[r])[:2]
    return " and ".join(r for r in candidates if r in top)

# --- XML ---------------------------------------------------------------------


def render(status, routes=(), waypoints=(), error_message=None):
    """The reply document as UTF-8 bytes, laid out like the service's own.

    waypoints: a Waypoint, None for an end the geocoder did not find (NOT_FOUND),
    or, when no route was found, None for both (written empty, as the service does).
    """
    return xmlreply.directions_document(
        status, [_route_reply(r) for r in routes],
        [None if w is None else {"types": w.types, "place_id": w.place_id} for w in waypoints],
        error_message)


def _route_reply(route):
    metric = route["metric"]
    steps = [{
        "start": step["points"][0], "end": step["points"][-1],
        "polyline": encode_polyline(step["points"]),
        "duration": (step["duration"], duration_text(step["duration"])),
        "distance": (step["distance"], distance_text(step["distance"], metric)),
        "instructions": step["instructions"], "maneuver": step["maneuver"],
    } for step in route["steps"]]
    seconds = sum(s["duration"] for s in route["steps"])
    metres = sum(s["distance"] for s in route["steps"])
    start, end = route["start"], route["end"]
    return {
        "summary": route["summary"], "travel_mode": route["mode"], "steps": steps,
        "duration": (seconds, duration_text(seconds)),
        "distance": (metres, distance_text(metres, metric)),
        "start": (start.lat, start.lng), "end": (end.lat, end.lng),
        "start_address": start.address, "end_address": end.address,
        "copyrights": COPYRIGHTS, "overview_polyline": encode_polyline(route["overview"]),
        "bounds": route["bounds"],
    }
