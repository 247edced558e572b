"""The directions endpoint over real HTTP on 127.0.0.1, with the real gazetteer.

Replies are checked against the service's published replies in
$MARLU_FIXTURES/google (default: shared/fixtures beside the checkout).
Needs `npm ci` in services/ for the gazetteer.
"""

import http.client
import os
import sys
import tempfile
import threading
import unittest
import xml.etree.ElementTree as ET
from urllib.parse import parse_qs, quote, urlencode

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(REPO, "services"))

import directions  # noqa: E402
import geocoding  # noqa: E402
from geocoding import places  # noqa: E402
import mapservice  # noqa: E402

FIXTURES = os.path.join(
    os.environ.get("MARLU_FIXTURES") or os.path.join(REPO, "..", "shared", "fixtures"), "google")
PUBLISHED_OK = os.path.join(FIXTURES, "directions-ok-1route-17steps-google-toronto-montreal.xml")
PUBLISHED_ZERO = os.path.join(FIXTURES, "directions-zero-results-google.xml")


class QuietHandler(mapservice.MapRequestHandler):
    def log_request(self, code="-", size="-"):
        pass


def setUpModule():
    global SERVER, ROOT
    ROOT = tempfile.TemporaryDirectory(prefix="marlu-directions-root-")
    SERVER = mapservice.MapServer(ROOT.name, port=0)
    SERVER.RequestHandlerClass = QuietHandler
    threading.Thread(target=SERVER.serve_forever, kwargs={"poll_interval": 0.1},
                     daemon=True).start()


def tearDownModule():
    SERVER.shutdown()
    SERVER.server_close()
    ROOT.cleanup()


def shape(element, path="", found=None):
    """path -> child tag names in document order, repeats folded: the layout without the values."""
    found = {} if found is None else found
    path = path + "/" + element.tag
    tags = []
    for child in element:
        if not tags or tags[-1] != child.tag:
            tags.append(child.tag)
        shape(child, path, found)
    found.setdefault(path, tags)
    return found


def decode_polyline(text):
    values, value, shift = [], 0, 0
    for ch in text:
        chunk = ord(ch) - 63
        value |= (chunk & 0x1F) << shift
        shift += 5
        if chunk < 0x20:
            values.append(~(value >> 1) if value & 1 else value >> 1)
            value = shift = 0
    points, lat, lng = [], 0, 0
    for dlat, dlng in zip(values[::2], values[1::2]):
        lat, lng = lat + dlat, lng + dlng
        points.append((lat / 1e5, lng / 1e5))
    return points


def point(element):
    return float(element.findtext("lat")), float(element.findtext("lng"))


class DirectionsCase(unittest.TestCase):
    def raw(self, query):
        """GET with the query string sent as given; checks what every reply must be."""
        conn = http.client.HTTPConnection("127.0.0.1", SERVER.port, timeout=30)
        try:
            conn.request("GET", directions.PATH + "?" + query)
            resp = conn.getresponse()
            body = resp.read()
        finally:
            conn.close()
        self.assertEqual(resp.status, 200)
        self.assertEqual(resp.getheader("Content-Type"), geocoding.CONTENT_TYPE)
        self.assertTrue(body.startswith(b'<?xml version="1.0" encoding="UTF-8"?>\n'), body[:60])
        root = ET.fromstring(body)
        self.assertEqual(root.tag, "DirectionsResponse")
        self.assertEqual(len(root.findall("status")), 1)
        return root, body

    def get(self, origin, destination, **extra):
        return self.raw(urlencode(dict(origin=origin, destination=destination, **extra),
                                  quote_via=quote))[0]

    def leg_totals(self, route):
        return int(route.findtext("leg/distance/value")), int(route.findtext("leg/duration/value"))


class RouteTest(DirectionsCase):
    def test_reply_is_laid_out_like_the_published_toronto_montreal_reply(self):
        published = ET.parse(PUBLISHED_OK).getroot()
        root = self.get("Toronto", "Montreal", sensor="false")
        self.assertEqual(root.findtext("status"), "OK")
        self.assertEqual(shape(root), shape(published))
        first = published.find("route/leg/step")
        layout = [c.tag for c in first]
        for step in root.findall("route/leg/step"):
            tags = [c.tag for c in step]
            self.assertIn(tags, (layout, layout + ["maneuver"]))
        leg = root.find("route/leg")
        self.assertEqual(leg.findtext("start_address"), "Toronto, Canada")
        self.assertEqual(leg.findtext("end_address"), "Montréal, Canada")
        self.assertAlmostEqual(int(leg.findtext("distance/value")),
                               int(published.findtext("route/leg/distance/value")), delta=60000)

    def test_steps_join_up_and_add_up(self):
        root, body = self.raw("origin=Lyon&destination=Paris")
        [route] = root.findall("route")
        leg = route.find("leg")
        steps = leg.findall("step")
        self.assertTrue(5 <= len(steps) <= 20, len(steps))
        self.assertEqual(point(steps[0].find("start_location")), point(leg.find("start_location")))
        self.assertEqual(point(steps[-1].find("end_location")), point(leg.find("end_location")))
        for before, after in zip(steps, steps[1:]):
            self.assertEqual(point(before.find("end_location")),
                             point(after.find("start_location")))
        for step in steps:
            line = decode_polyline(step.findtext("polyline/points"))
            for got, want in ((line[0], step.find("start_location")),
                              (line[-1], step.find("end_location"))):
                self.assertAlmostEqual(got[0], point(want)[0], delta=1e-5)
                self.assertAlmostEqual(got[1], point(want)[1], delta=1e-5)
            self.assertEqual(step.findtext("travel_mode"), "DRIVING")
        metres, seconds = self.leg_totals(route)
        self.assertEqual(metres, sum(int(s.findtext("distance/value")) for s in steps))
        self.assertEqual(seconds, sum(int(s.findtext("duration/value")) for s in steps))
        straight = directions.haversine(*point(leg.find("start_location")),
                                        *point(leg.find("end_location")))
        self.assertTrue(straight < metres < 1.4 * straight, (straight, metres))
        self.assertTrue(60 < metres / seconds * 3.6 < 120)  # km/h, mostly motorway
        overview = decode_polyline(route.findtext("overview_polyline/points"))
        self.assertAlmostEqual(overview[-1][0], point(leg.find("end_location"))[0], delta=1e-5)
        self.assertEqual(route.findtext("copyrights"), directions.COPYRIGHTS)
        self.assertIn("©".encode("utf-8"), body)

    def test_instructions_are_escaped_markup(self):
        root, body = self.raw("origin=Lyon&destination=Paris")
        texts = [s.findtext("html_instructions") for s in root.findall("route/leg/step")]
        self.assertRegex(texts[0], r"^Head <b>(north|south)(east|west)?</b> on <b>[^<]+</b>"
                                   r" toward <b>[^<]+</b>$")
        self.assertRegex(texts[-1], r'<div style="font-size:0.9em">Destination will be on the '
                                    r'(left|right)</div>$')
        self.assertIn(b"Head &lt;b&gt;", body)
        self.assertIn(b"&lt;div style=&quot;font-size:0.9em&quot;&gt;", body)
        self.assertTrue(all(t.count("<b>") == t.count("</b>") >= 1 for t in texts))

    def test_coordinates_are_taken_as_they_are(self):
        for origin in ("48.8566,2.3522", "48.8566 2.3522", " 48.8566 ,2.3522"):
            with self.subTest(origin=origin):
                root = self.get(origin, "Versailles, France")
                self.assertEqual(root.findtext("status"), "OK")
                leg = root.find("route/leg")
                self.assertEqual(point(leg.find("start_location")), (48.8566, 2.3522))
                self.assertEqual(leg.findtext("start_address"), "48.8566,2.3522")
        # A "+" in a query string is a space.
        root = self.raw("origin=35.8185+-78.8641&destination=35.7796,-78.6382")[0]
        self.assertEqual(root.findtext("status"), "OK")
        self.assertEqual(root.findtext("route/leg/end_address"), "35.7796,-78.6382")

    def test_same_request_same_reply(self):
        query = "origin=Berlin&destination=Munich&alternatives=true"
        self.assertEqual(self.raw(query)[1], self.raw(query)[1])


class OptionTest(DirectionsCase):
    def test_alternatives_are_different_routes(self):
        for value, expected in (("false", 1), (None, 1)):
            extra = {} if value is None else {"alternatives": value}
            self.assertEqual(len(self.get("Berlin", "Munich", **extra).findall("route")), expected)
        routes = self.get("Berlin", "Munich", alternatives="true").findall("route")
        self.assertIn(len(routes), (2, 3))
        summaries = [r.findtext("summary") for r in routes]
        self.assertEqual(len(set(summaries)), len(routes), summaries)
        self.assertEqual(len({self.leg_totals(r)[0] for r in routes}), len(routes))
        self.assertEqual(len({r.findtext("overview_polyline/points") for r in routes}), len(routes))

    def test_units_change_the_texts_only(self):
        metric = self.get("Lyon", "Paris")
        imperial = self.get("Lyon", "Paris", units="imperial")

        def texts(root, unit):
            return [(e.findtext("value"), e.findtext("text")) for e in root.iter(unit)]

        self.assertEqual(texts(metric, "duration"), texts(imperial, "duration"))
        pairs = list(zip(texts(metric, "distance"), texts(imperial, "distance")))
        for (m_value, m_text), (i_value, i_text) in pairs:
            self.assertEqual(m_value, i_value)
            self.assertRegex(m_text, r"^[\d,.]+ k?m$")
            self.assertRegex(i_text, r"^[\d,.]+ (mi|ft)$")

    def test_mode_sets_the_pace(self):
        speeds = {}
        for mode in ("driving", "bicycling", "walking"):
            root = self.get("Lyon", "Paris", mode=mode)
            self.assertEqual({e.text for e in root.iter("travel_mode")}, {mode.upper()})
            metres, seconds = self.leg_totals(root.find("route"))
            speeds[mode] = metres / seconds * 3.6
        self.assertAlmostEqual(speeds["walking"], 5, delta=0.5)
        self.assertTrue(13 < speeds["bicycling"] < 19, speeds)
        self.assertGreater(speeds["driving"], 60)
        self.assertEqual(self.get("Lyon", "Paris", mode="transit").findtext("status"),
                         "ZERO_RESULTS")

    def test_avoid_as_repeated_keys_or_piped(self):
        repeated = self.raw("origin=Lyon&destination=Paris&avoid=highways&avoid=tolls")[1]
        piped = self.raw("origin=Lyon&destination=Paris&avoid=tolls%7Chighways")[1]
        self.assertEqual(repeated, piped)
        plain = self.get("Lyon", "Paris")
        avoiding = ET.fromstring(piped)
        self.assertNotEqual(plain.findtext("route/summary"), avoiding.findtext("route/summary"))
        self.assertGreater(self.leg_totals(avoiding.find("route"))[1],
                           self.leg_totals(plain.find("route"))[1])
        no_tolls = self.get("Lyon", "Paris", avoid="tolls")
        self.assertNotEqual(plain.findtext("route/summary"), no_tolls.findtext("route/summary"))

    def test_long_routes_stay_bounded(self):
        query = parse_qs("origin=Lisbon&destination=Vladivostok&alternatives=true")
        status, routes, _, _ = directions.directions(query)
        directions.render(status, routes)
        self.assertEqual(status, "OK")
        self.assertTrue(all(len(r["steps"]) <= directions.MAX_STEPS for r in routes))


class StatusTest(DirectionsCase):
    def test_unknown_place_is_not_found(self):
        root = self.get("Xqzvbnm Plovdu", "Paris")
        self.assertEqual(root.findtext("status"), "NOT_FOUND")
        self.assertEqual(root.findall("route"), [])
        self.assertEqual([w.findtext("geocoder_status") for w in root.iter("geocoded_waypoint")],
                         ["ZERO_RESULTS", "OK"])

    def test_no_road_across_the_sea(self):
        published = ET.parse(PUBLISHED_ZERO).getroot()
        cases = [("Paris", "New York City", "driving"), ("Paris", "New York City", "walking"),
                 ("Honolulu", "Los Angeles", "driving"), ("40,-40", "Lisbon", "driving"),
                 ("Panama City, Panama", "Bogota", "driving")]  # the Darién Gap
        for origin, destination, mode in cases:
            with self.subTest(origin=origin, destination=destination, mode=mode):
                root, body = self.raw(urlencode(
                    {"origin": origin, "destination": destination, "mode": mode}))
                self.assertEqual(root.findtext("status"), "ZERO_RESULTS")
                self.assertEqual(shape(root), shape(published))
                self.assertIn(b"<geocoded_waypoint/>", body)
        for origin, destination in (("London", "Paris"), ("Lyon", "Paris"),
                                    ("Panama City, Panama", "San Jose, Costa Rica")):
            with self.subTest(origin=origin, destination=destination):
                self.assertEqual(self.get(origin, destination).findtext("status"), "OK")

    def test_missing_end_or_bad_mode_is_an_invalid_request(self):
        for query in ("", "origin=Paris", "destination=Paris", "origin=&destination=Paris",
                      "origin=%20&destination=Paris", "origin=Lyon&destination=Paris&mode=flying"):
            with self.subTest(query=query):
                root = self.raw(query)[0]
                self.assertEqual(root.findtext("status"), "INVALID_REQUEST")
                self.assertTrue(root.findtext("error_message"))

    def test_missing_gazetteer_is_reported_as_a_server_error(self):
        saved = geocoding.GAZETTEER
        empty = tempfile.TemporaryDirectory(prefix="marlu-no-cities-")
        self.addCleanup(empty.cleanup)
        geocoding.GAZETTEER = places.PlacesIndex(os.path.join(empty.name, "none"))
        try:
            self.assertEqual(self.get("Lyon", "Paris").findtext("status"), "UNKNOWN_ERROR")
            self.assertEqual(self.get("45.76,4.84", "48.85,2.35").findtext("status"),
                             "UNKNOWN_ERROR")
        finally:
            geocoding.GAZETTEER = saved

    def test_the_service_registers_the_endpoint(self):
        self.assertIs(mapservice.MapRequestHandler.ROUTES[directions.PATH],
                      directions.handle_directions)


class FormatTest(unittest.TestCase):
    def test_texts_match_every_value_in_the_published_reply(self):
        published = ET.parse(PUBLISHED_OK).getroot()
        for tag, text_for in (("duration", directions.duration_text),
                              ("distance", directions.distance_text)):
            for element in published.iter(tag):
                value = int(element.findtext("value"))
                self.assertEqual(text_for(value), element.findtext("text"), (tag, value))

    def test_other_texts(self):
        cases = [(directions.duration_text(s), t) for s, t in (
            (0, "1 min"), (3600, "1 hour"), (7260, "2 hours 1 min"), (97200, "1 day 3 hours"),
            (172800, "2 days"))]
        cases += [(directions.distance_text(m, False), t) for m, t in (
            (15, "49 ft"), (150, "492 ft"), (322, "0.2 mi"), (20000, "12.4 mi"),
            (2000000, "1,243 mi"))]
        cases += [(directions.distance_text(m), t) for m, t in ((99, "99 m"), (100, "0.1 km"),
                                                                 (99960, "100 km"),
                                                                 (4503200, "4,503 km"))]
        for got, expected in cases:
            self.assertEqual(got, expected)

    def test_polyline_encoding(self):
        self.assertEqual(directions.encode_polyline([(38.5, -120.2), (40.7, -120.95),
                                                     (43.252, -126.453)]),
                         "_p~iF~ps|U_ulLnnqC_mqNvxq`@")
        # Every line of the published reply decodes and encodes back the same.
        published = ET.parse(PUBLISHED_OK).getroot()
        lines = [e.text for e in published.iter("points")]
        self.assertEqual(len(lines), 18)
        for line in lines:
            self.assertEqual(directions.encode_polyline(decode_polyline(line)), line)

    def test_compass(self):
        self.assertEqual([directions.compass(d) for d in (0, 44, 46, 90, 180, 260, 300, 350)],
                         ["north", "northeast", "northeast", "east", "south", "west",
                          "northwest", "north"])


if __name__ == "__main__":
    unittest.main()
