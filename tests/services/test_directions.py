"""Directions over real HTTP on 127.0.0.1: real Routino on the real Monaco
extract, and the OSRM back-end against a loopback stand-in replaying a
recorded answer. Replies are checked against the service's published layout."""

import glob
import html
import json
import os
import re
import tempfile
import unittest
import xml.etree.ElementTree as ET
from urllib.parse import urlencode

import support

from marlu_service import config, directions, importregion, upstream
from marlu_service.directions import osrm, polyline
from marlu_service.directions.nodehelper import HELPER

PUBLISHED_OK = support.fixture("google", "directions-ok-1route-17steps-google-toronto-montreal.xml")
PUBLISHED_ZERO = support.fixture("google", "directions-zero-results-google.xml")
MONACO = support.fixture("osm", "monaco.osm.pbf")
OSRM_ANSWER = support.fixture("osrm", "portugal_to_korea.json")
TEXT_FIXTURES = os.path.join(support.SERVICES, "node_modules", "osrm-text-instructions",
                             "test", "fixtures", "v5")

CASINO = "43.7393,7.4276"
FONTVIEILLE = "43.7285,7.4150"
# Rue Grimaldi is one-way, downhill from Sainte-Dévote towards Place d'Armes.
GRIMALDI_UPPER, GRIMALDI_LOWER = "43.7354,7.4196", "43.7337,7.4186"
# On Avenue du Port, reached from Rue Grimaldi round the Place d'Armes roundabout.
AVENUE_DU_PORT = "43.7321,7.4210"
INI = "%s/mapservice.ini"


def setUpModule():
    global SERVICE, DATA
    DATA = tempfile.TemporaryDirectory(prefix="marlu-directions-data-")
    importregion.import_region(MONACO, DATA.name, log=lambda text: None,
                               importers=("directions.routino",))
    os.symlink(config.Config().places_path, os.path.join(DATA.name, "places.sqlite"))
    SERVICE = support.InProcessService(config.Config(INI % DATA.name, DATA.name))


def tearDownModule():
    SERVICE.close()
    DATA.cleanup()


class DirectionsCase(support.ReplyChecks, unittest.TestCase):
    ini = ""

    def setUp(self):
        with open(INI % DATA.name, "w", encoding="utf-8") as f:
            f.write(self.ini)
        SERVICE.server.reload()

    def ask(self, **params):
        status, resp, body = SERVICE.get(directions.PATH + "?" + urlencode(params))
        return self.check_xml_reply(status, resp, body, "DirectionsResponse")

    def check_route(self, route):
        """The route hangs together: steps chain, polylines run from start to end, sums add up."""
        steps = route.findall("leg/step")
        self.assertTrue(steps)
        previous_end = support.point(route.find("leg/start_location"))
        for step in steps:
            start = support.point(step.find("start_location"))
            end = support.point(step.find("end_location"))
            # A provider may give a step's start more exactly than the polyline's 1e-5.
            self.assertAlmostEqual(start[0], previous_end[0], delta=1.1e-5)
            self.assertAlmostEqual(start[1], previous_end[1], delta=1.1e-5)
            points = polyline.decode(step.findtext("polyline/points"))
            for got, want in ((points[0], start), (points[-1], end)):
                self.assertAlmostEqual(got[0], want[0], places=4)
                self.assertAlmostEqual(got[1], want[1], places=4)
            previous_end = end
        for what in ("distance", "duration"):
            total = sum(int(s.findtext(what + "/value")) for s in steps)
            leg_total = int(route.findtext("leg/%s/value" % what))
            self.assertLessEqual(abs(total - leg_total), len(steps))
        return steps


class OfflineRoutes(DirectionsCase):
    def test_casino_to_fontvieille_is_a_real_drive_in_the_published_layout(self):
        root = self.ask(origin=CASINO, destination=FONTVIEILLE)
        self.assertEqual(root.findtext("status"), "OK")
        self.assertEqual(support.shape(root), support.shape(ET.parse(PUBLISHED_OK).getroot()))
        route = root.find("route")
        steps = self.check_route(route)
        self.assertEqual(steps[0].findtext("html_instructions"),
                         "Head <b>northeast</b> on <b>Place du Casino</b> toward "
                         "<b>Allées des Boulingrins</b>")
        self.assertIn("Turn <b>left</b> onto <b>Boulevard des Moulins</b>",
                      [s.findtext("html_instructions") for s in steps])
        self.assertEqual(route.findtext("summary"), "Avenue d'Ostende")
        self.assertEqual(route.findtext("copyrights"), "Map data © OpenStreetMap contributors")
        self.assertEqual(route.findtext("leg/start_address"), CASINO)
        self.assertEqual(steps[0].findtext("travel_mode"), "DRIVING")
        self.assertTrue(1500 < int(route.findtext("leg/distance/value")) < 5000)

    def test_a_drive_across_the_centre_takes_a_believable_time(self):
        route = self.ask(origin=CASINO, destination=FONTVIEILLE).find("route")
        steps = self.check_route(route)
        self.assertGreaterEqual(int(route.findtext("leg/duration/value")), 240)
        for step in steps:
            metres = int(step.findtext("distance/value"))
            # No step faster than a motorway; a long one is not "1 min".
            self.assertGreaterEqual(int(step.findtext("duration/value")), metres / 25.0)
            if metres > 400:
                self.assertNotEqual(step.findtext("duration/text"), "1 min")

    def test_roundabouts_are_announced_with_their_exit(self):
        steps = self.check_route(self.ask(origin=GRIMALDI_UPPER, destination=AVENUE_DU_PORT)
                                 .find("route"))
        last = steps[-1]
        self.assertEqual(last.findtext("html_instructions"),
                         "At the roundabout, take the <b>4th</b> exit onto <b>Avenue du Port</b>"
                         '<div style="font-size:0.9em">Destination will be on the right</div>')
        self.assertEqual(last.findtext("maneuver"), "roundabout-right")
        texts = [s.findtext("html_instructions") for s in self.check_route(
            self.ask(origin=CASINO, destination=FONTVIEILLE).find("route"))]
        self.assertIn("At the roundabout, take the <b>2nd</b> exit onto <b>Tunnel Dorsale</b>",
                      texts)
        self.assertFalse([t for t in texts if "Giratoire" in t or "Place d'Armes" in t], texts)

    def test_walking_takes_other_ways_and_longer_than_driving(self):
        drive = self.ask(origin=CASINO, destination=FONTVIEILLE).find("route")
        walk = self.ask(origin=CASINO, destination=FONTVIEILLE, mode="walking").find("route")
        self.check_route(walk)
        self.assertEqual(walk.findtext("leg/step/travel_mode"), "WALKING")
        self.assertNotEqual(walk.findtext("overview_polyline/points"),
                            drive.findtext("overview_polyline/points"))
        self.assertGreater(int(walk.findtext("leg/duration/value")),
                           2 * int(drive.findtext("leg/duration/value")))

    def test_a_one_way_street_is_driven_only_its_way(self):
        def metres(origin, destination, mode):
            route = self.ask(origin=origin, destination=destination, mode=mode).find("route")
            return int(route.findtext("leg/distance/value"))
        downhill = metres(GRIMALDI_UPPER, GRIMALDI_LOWER, "driving")
        self.assertLess(downhill, 400)
        self.assertGreater(metres(GRIMALDI_LOWER, GRIMALDI_UPPER, "driving"), 3 * downhill)
        self.assertLess(metres(GRIMALDI_LOWER, GRIMALDI_UPPER, "walking"), 2 * downhill)

    def test_alternatives_units_and_tolls(self):
        root = self.ask(origin=CASINO, destination=FONTVIEILLE, alternatives="true",
                        units="imperial", avoid="tolls|highways")
        routes = root.findall("route")
        self.assertEqual(len(routes), 2)
        self.assertGreater(*(int(r.findtext("leg/distance/value")) for r in routes))
        for route in routes:
            self.assertRegex(route.findtext("leg/distance/text"), r"^[0-9.]+ mi$")
            self.assertIn("Tolls cannot be avoided", route.findtext("warning"))

    def test_no_data_no_route(self):
        published = support.shape(ET.parse(PUBLISHED_ZERO).getroot())
        published["/DirectionsResponse"].insert(1, "error_message")
        published["/DirectionsResponse/error_message"] = []
        for origin, destination, mode in (("45.7600,4.8300", "48.8566,2.3522", "driving"),
                                          (CASINO, "43.7250,7.4400", "driving"),  # in the sea
                                          (CASINO, FONTVIEILLE, "transit")):
            root = self.ask(origin=origin, destination=destination, mode=mode)
            self.assertEqual(root.findtext("status"), "ZERO_RESULTS")
            self.assertEqual(support.shape(root), published)
            self.assertIsNone(root.find("route"))
        root = self.ask(origin="45.7600,4.8300", destination="48.8566,2.3522")
        self.assertEqual(root.findtext("error_message"), "No route: outside the imported map data.")

    def test_bad_requests_get_a_clear_answer(self):
        for params, status in (({"destination": FONTVIEILLE}, "INVALID_REQUEST"),
                               ({"origin": CASINO, "destination": " "}, "INVALID_REQUEST"),
                               ({"origin": CASINO, "destination": FONTVIEILLE, "mode": "flying"},
                                "INVALID_REQUEST"),
                               ({"origin": "\x01\x02' OR 1=1 --", "destination": "x" * 5000},
                                None)):
            root = self.ask(**params)
            if status:
                self.assertEqual(root.findtext("status"), status)
            self.assertIsNone(root.find("route"))


def line_of_nodes(first, lat, lng, count):
    """count nodes 0.001 degrees apart due east from (lat, lng), ids from first on."""
    return {first + k: (lat, lng + k * 0.001) for k in range(count)}


class MadeUpRegions(DirectionsCase):
    """Made-up unsorted extracts out at sea: a speed limit, a living street, a
    signal, overlapping regions and regions apart."""

    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.TemporaryDirectory(prefix="marlu-made-up-")
        # "wide": a primary road limited to 30 km/h (1 km) at 9.99 N, a road
        # north, then a living street (0.55 km) at 10 N with a signal where a
        # side road joins. "near" holds the living street's ends on two roads
        # that do not meet (Routino drops networks under 500 m: these are longer).
        # "apart" lies elsewhere.
        regions = {
            "near": (line_of_nodes(1, 10.0, -30.0, 8) | line_of_nodes(11, 10.0, -29.987, 8),
                     {1: (list(range(1, 9)), {"highway": "primary"}),
                      2: (list(range(11, 19)), {"highway": "residential"})}),
            "wide": (line_of_nodes(1, 9.99, -30.0, 10) | line_of_nodes(21, 10.0, -29.991, 6)
                     | {98: (10.001, -29.989), 99: (9.995, -29.991)},
                     {1: (list(range(1, 11)), {"highway": "primary", "maxspeed": "30"}),
                      2: ([10, 99, 21], {"highway": "residential"}),
                      3: (list(range(21, 27)), {"highway": "living_street"}),
                      4: ([23, 98], {"highway": "residential"})}),
            "apart": (line_of_nodes(1, 20.0, -30.0, 8), {1: (list(range(1, 9)),
                                                            {"highway": "primary"})}),
        }
        regions["wide"][0][23] += ({"highway": "traffic_signals"},)
        for name, (nodes, ways) in regions.items():
            importregion.import_region(support.made_up_extract(cls.work.name, name, nodes, ways),
                                       DATA.name, log=lambda text: None,
                                       importers=("directions.routino",))

    @classmethod
    def tearDownClass(cls):
        for name in ("near", "wide", "apart"):
            config.remove_region_folder(os.path.join(DATA.name, "regions"),
                                        os.path.join(DATA.name, "regions", name))
        cls.work.cleanup()

    def seconds(self, origin, destination):
        root = self.ask(origin=origin, destination=destination)
        self.assertEqual(root.findtext("status"), "OK", root.findtext("error_message"))
        return int(self.check_route(root.find("route"))[0].findtext("duration/value")), \
            int(root.findtext("route/leg/duration/value"))

    def test_speed_limits_living_streets_and_signals_set_the_time(self):
        # 0.99 km at 30 km/h: 118 s; the route turns nowhere.
        first, total = self.seconds("9.9900,-30.0000", "9.9900,-29.9910")
        self.assertEqual(first, total)
        self.assertTrue(117 <= total <= 125, total)
        # 0.55 km of living street at 10 km/h (197 s) and a signal, found in
        # "wide" though "near", smaller, holds both ends too.
        _, total = self.seconds("10.0000,-29.9910", "10.0000,-29.9860")
        self.assertTrue(197 + 7 <= total <= 215, total)

    def test_ends_in_different_regions(self):
        root = self.ask(origin="9.9900,-30.0000", destination="20.0000,-29.9980")
        self.assertEqual(root.findtext("status"), "ZERO_RESULTS")
        self.assertEqual(root.findtext("error_message"), "No route: the start and the "
                         "destination lie in different map regions (wide, apart).")


def osrm_answer(path):
    with open(path, "rb") as f:
        return f.read()


class OsrmBackend(DirectionsCase):
    def setUp(self):
        self.recorded = osrm_answer(OSRM_ANSWER)
        self.stub = support.StubUpstream({})
        self.ini = "[directions]\nbackend = osrm\n[osrm]\nurl = %s\n" % self.stub.url
        super().setUp()

    def tearDown(self):
        self.stub.close()

    def answer(self, reply, **params):
        self.stub.answers["/route/v1/%s/7.427600,43.739300;7.415000,43.728500" % (
            params.pop("profile", "driving"))] = reply
        return self.ask(origin=CASINO, destination=FONTVIEILLE, **params)

    def test_recorded_answer_becomes_the_published_layout(self):
        root = self.answer((200, self.recorded), alternatives="true")
        self.assertEqual(root.findtext("status"), "OK")
        self.assertEqual(support.shape(root), support.shape(ET.parse(PUBLISHED_OK).getroot()))
        route = root.find("route")
        steps = self.check_route(route)
        recorded = json.loads(self.recorded)["routes"][0]["legs"][0]["steps"]
        self.assertEqual([s.findtext("polyline/points") for s in steps],
                         [s["geometry"] for s in recorded[:-1]])
        self.assertEqual(steps[0].findtext("html_instructions"),
                         "Head <b>west</b> on <b>금강로 (68)</b>")
        self.assertTrue(steps[-1].findtext("html_instructions").endswith(
            '<div style="font-size:0.9em">You have arrived at your destination, on the left</div>'))
        # The application refuses a text over 64 KiB: a long route's overview is
        # simplified to fit, from the first step's start to the last step's end.
        overview = polyline.decode(route.findtext("overview_polyline/points"))
        self.assertLessEqual(len(route.findtext("overview_polyline/points")), polyline.MAX_ENCODED)
        self.assertEqual((overview[0], overview[-1]), (
            polyline.decode(steps[0].findtext("polyline/points"))[0],
            polyline.decode(steps[-1].findtext("polyline/points"))[-1]))
        self.assertEqual(route.findtext("summary"), "京新高速, «Урал»")
        self.assertEqual(route.findtext("leg/distance/value"), "13444776")
        self.assertEqual(route.findtext("bounds/southwest/lng"), "-7.8028500")
        self.assertEqual({s.findtext("maneuver") for s in steps} >= {
            "turn-left", "ramp-right", "fork-left", "merge", "roundabout-right"}, True)
        path, headers = self.stub.requests[0]
        self.assertEqual(headers["User-Agent"], "Marlu/" + upstream.VERSION)
        self.assertIn("alternatives=true", path)

    def test_provider_failures_become_status_words(self):
        no_route = json.dumps({"code": "NoRoute", "message": "Impossible route"}).encode()
        no_segment = json.dumps({"code": "NoSegment", "message": "Could not find"}).encode()
        osrm.TIMEOUT, saved = 0.5, osrm.TIMEOUT
        self.addCleanup(setattr, osrm, "TIMEOUT", saved)
        for reply, status in (((400, no_route), "ZERO_RESULTS"),
                              ((400, no_segment), "NOT_FOUND"),
                              ((429, b"{}"), "OVER_QUERY_LIMIT"),
                              ((401, b""), "REQUEST_DENIED"),
                              ((403, b"<html>"), "REQUEST_DENIED"),
                              ((500, b"<html>oops</html>"), "UNKNOWN_ERROR"),
                              (("truncate", self.recorded[:5000]), "UNKNOWN_ERROR"),
                              ((200, self.recorded[:5000]), "UNKNOWN_ERROR"),
                              ((200, b'{"code": "Ok", "routes": [{"legs": 3}]}'), "UNKNOWN_ERROR"),
                              (("slow", 3, 200, self.recorded), "UNKNOWN_ERROR")):
            with self.subTest(status=status, reply=reply[0]):
                self.stub.close()
                self.setUp()
                root = self.answer(reply, mode="walking", profile="foot")
                self.assertEqual(root.findtext("status"), status)
                self.assertIsNone(root.find("route"))


class TextInstructionFixtures(unittest.TestCase):
    """The library's own fixtures are the table for our use of it: the texts we
    get, markup taken off, are the library's in every language."""

    def test_every_fixture_in_every_language(self):
        cases = []
        for path in sorted(glob.glob(os.path.join(TEXT_FIXTURES, "*", "*.json"))):
            with open(path, encoding="utf-8") as f:
                case = json.load(f)
            if "step" in case:
                cases.append(case)
        self.assertGreater(len(cases), 700)
        groups = {}
        for case in cases:
            groups.setdefault(json.dumps(case.get("options", {}), sort_keys=True), []).append(case)
        checked = 0
        for options, group in groups.items():
            for language in group[0]["instructions"]:
                texts = HELPER.texts([c["step"] for c in group], language, json.loads(options))
                for case, text in zip(group, texts):
                    plain = html.unescape(re.sub(r"</?b>", "", text))
                    self.assertEqual(plain, case["instructions"][language], case["step"])
                    checked += 1
        self.assertGreater(checked, 700 * 30)


if __name__ == "__main__":
    unittest.main()
