"""The geocoding endpoint over real HTTP on 127.0.0.1, with the real gazetteer.

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
from urllib.parse import quote, urlencode

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(REPO, "services"))

import gazetteer  # noqa: E402
import geocoding  # noqa: E402
import mapservice  # noqa: E402


FIXTURES = os.path.join(
    os.environ.get("MARLU_FIXTURES") or os.path.join(REPO, "..", "shared", "fixtures"), "google")


class QuietHandler(mapservice.MapRequestHandler):
    def log_request(self, code="-", size="-"):
        pass


def setUpModule():
    global SERVER, ROOT
    geocoding.register(mapservice.MapRequestHandler.ROUTES)
    ROOT = tempfile.TemporaryDirectory(prefix="marlu-geocode-root-")
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


class GeocodeCase(unittest.TestCase):
    def raw(self, query):
        """GET with the query string sent exactly as given; checks what every reply must be."""
        conn = http.client.HTTPConnection("127.0.0.1", SERVER.port, timeout=30)
        try:
            conn.request("GET", geocoding.PATH + "?" + query)
            resp = conn.getresponse()
            body = resp.read()
        finally:
            conn.close()
        self.assertEqual(resp.status, 200)
        self.assertEqual(resp.getheader("Content-Type"), "application/xml; charset=UTF-8")
        self.assertTrue(body.startswith(b'<?xml version="1.0" encoding="UTF-8"?>\n'), body[:60])
        self.assertNotIn(b"<!DOCTYPE", body)
        self.assertNotIn(b"<!ENTITY", body)
        root = ET.fromstring(body)
        self.assertEqual(root.tag, "GeocodeResponse")
        return root, body

    def geocode(self, address, **extra):
        return self.raw(urlencode(dict(extra, address=address), quote_via=quote))[0]

    def status(self, root):
        return root.findtext("status")

    def addresses(self, root):
        return [r.findtext("formatted_address") for r in root.findall("result")]


class CityTest(GeocodeCase):
    def test_paris_lists_candidates_with_the_french_capital_first(self):
        root = self.geocode("Paris")
        self.assertEqual(self.status(root), "OK")
        found = self.addresses(root)
        self.assertEqual(found[0], "Paris, France")
        self.assertIn("Paris, TX, USA", found)
        self.assertIn("Paris, TN, USA", found)
        self.assertLessEqual(len(found), 10)
        for result in root.findall("result"):
            locality = result.find("address_component")
            self.assertEqual(gazetteer.normalise(locality.findtext("long_name")), "paris")

    def test_reply_is_laid_out_like_the_published_toledo_reply(self):
        published = ET.parse(
            os.path.join(FIXTURES, "geocode-ok-2results-google-toledo.xml")).getroot()
        root = self.geocode("Toledo")
        self.assertEqual(shape(root), shape(published))

        ours = {r.findtext("formatted_address"): r for r in root.findall("result")}
        self.assertIn("Toledo, Spain", ours)
        # Brazil has two: each names its state rather than both reading "Toledo, Brazil".
        self.assertIn("Toledo, Paraná, Brazil", ours)
        self.assertEqual(len(ours), len(root.findall("result")))
        theirs = published.findall("result")[0]
        self.assertEqual(theirs.findtext("formatted_address"), "Toledo, OH, USA")
        mine = ours["Toledo, OH, USA"]

        def components(result):
            return [(c.findtext("long_name"), c.findtext("short_name"),
                     [t.text for t in c.findall("type")])
                    for c in result.findall("address_component")]

        self.assertEqual(components(mine), components(theirs))
        self.assertEqual([t.text for t in mine.findall("type")], ["locality", "political"])
        self.assertEqual(mine.findtext("geometry/location_type"), "APPROXIMATE")
        for axis in ("lat", "lng"):
            self.assertAlmostEqual(float(mine.findtext("geometry/location/" + axis)),
                                   float(theirs.findtext("geometry/location/" + axis)), delta=0.1)
            south = float(mine.findtext("geometry/viewport/southwest/" + axis))
            north = float(mine.findtext("geometry/viewport/northeast/" + axis))
            self.assertLess(south, float(mine.findtext("geometry/location/" + axis)))
            self.assertGreater(north, float(mine.findtext("geometry/location/" + axis)))
        self.assertTrue(mine.findtext("place_id"))
        self.assertEqual(len({r.findtext("place_id") for r in root.findall("result")}),
                         len(root.findall("result")))

    def test_accents_case_and_spacing_do_not_matter(self):
        expected = self.addresses(self.geocode("São Paulo"))
        self.assertEqual(expected[0], "São Paulo, Brazil")
        for spelling in ("sao paulo", "SÃO PAULO", "  Sao   PAULO ", "sao-paulo"):
            with self.subTest(spelling=spelling):
                self.assertEqual(self.addresses(self.geocode(spelling)), expected)

    def test_later_parts_filter_by_country_or_state(self):
        cases = {
            "Paris, TX": ["Paris, TX, USA"],
            "Paris, Texas": ["Paris, TX, USA"],
            "Paris Texas": ["Paris, TX, USA"],
            "Paris, Texas, USA": ["Paris, TX, USA"],
            "Paris, France": ["Paris, France"],
            "paris, fr": ["Paris, France"],
            "Toledo, Castille-La Mancha": ["Toledo, Spain"],
            "Washington, D.C.": ["Washington, DC, USA"],
        }
        for address, expected in cases.items():
            with self.subTest(address=address):
                self.assertEqual(self.addresses(self.geocode(address)), expected)
        in_usa = self.addresses(self.geocode("Paris, United States"))
        self.assertGreater(len(in_usa), 3)
        self.assertTrue(all(a.endswith(", USA") for a in in_usa), in_usa)

    def test_common_names_are_capped_at_ten_with_the_big_city_first(self):
        found = self.addresses(self.geocode("San Antonio"))
        self.assertEqual(len(found), 10)
        self.assertEqual(found[0], "San Antonio, TX, USA")

    def test_unknown_places_give_zero_results_like_the_published_reply(self):
        published = ET.parse(os.path.join(FIXTURES, "geocode-zero-results-google.xml")).getroot()
        for address in ("Xqzvbnm Plovdu", "Paris, Atlantis", "Paris, Texas, France"):
            with self.subTest(address=address):
                root = self.geocode(address)
                self.assertEqual(self.status(root), "ZERO_RESULTS")
                self.assertEqual(shape(root), shape(published))


class CoordinateTest(GeocodeCase):
    def test_a_coordinate_pair_answers_with_that_exact_point(self):
        cases = [
            ("48.8566 2.3522", "48.8566,2.3522", 48.8566, 2.3522),
            ("-33.86,151.21", "-33.86,151.21", -33.86, 151.21),
            (" +48.85660 , -2.0 ", "48.8566,-2", 48.8566, -2.0),
            ("-90,180", "-90,180", -90.0, 180.0),
        ]
        for text, formatted, lat, lng in cases:
            with self.subTest(text=text):
                root = self.geocode(text)
                self.assertEqual(self.status(root), "OK")
                [result] = root.findall("result")
                self.assertEqual(result.findtext("formatted_address"), formatted)
                self.assertEqual(result.findtext("geometry/location_type"), "ROOFTOP")
                self.assertEqual(float(result.findtext("geometry/location/lat")), lat)
                self.assertEqual(float(result.findtext("geometry/location/lng")), lng)

    def test_coordinates_off_the_globe_give_zero_results(self):
        for text in ("91 0", "-90.0001,0", "0,180.5", "0 -181"):
            with self.subTest(text=text):
                self.assertEqual(self.status(self.geocode(text)), "ZERO_RESULTS")


class RequestTest(GeocodeCase):
    def test_missing_or_blank_address_is_an_invalid_request(self):
        for query in ("", "sensor=false", "address=", "address=%20%09", "address=&address=Paris"):
            with self.subTest(query=query):
                self.assertEqual(self.status(self.raw(query)[0]), "INVALID_REQUEST")

    def test_sensor_parameter_is_ignored(self):
        self.assertEqual(self.addresses(self.geocode("Paris, TX", sensor="true")),
                         ["Paris, TX, USA"])

    def test_ampersand_arrives_intact_when_encoded_and_is_escaped_in_the_reply(self):
        name = "Tai Hang Estate (East & West)"
        root, body = self.raw("sensor=false&address=" + quote(name, safe=""))
        self.assertEqual(self.addresses(root), [name + ", Hong Kong"])
        self.assertIn(b"East &amp; West", body)
        # Unencoded, the "&" ends the parameter and the name is cut short.
        unencoded = "address=" + name.replace(" ", "+")
        self.assertEqual(self.status(self.raw(unencoded)[0]), "ZERO_RESULTS")

    def test_plus_arrives_intact_when_encoded(self):
        # %2B is a literal plus, which is not a coordinate separator; a bare
        # "+" in a query string is a space, which is.
        self.assertEqual(self.status(self.raw("address=48.8566%2B2.3522")[0]), "ZERO_RESULTS")
        self.assertEqual(self.addresses(self.raw("address=48.8566+2.3522")[0]), ["48.8566,2.3522"])

    def test_missing_gazetteer_is_reported_as_a_server_error(self):
        saved = geocoding.GAZETTEER
        empty = tempfile.TemporaryDirectory(prefix="marlu-no-cities-")
        self.addCleanup(empty.cleanup)
        geocoding.GAZETTEER = gazetteer.Gazetteer(empty.name)
        try:
            root = self.geocode("Paris")
            self.assertEqual(self.status(root), "UNKNOWN_ERROR")
            self.assertEqual(root.findall("result"), [])
            # Points need no gazetteer.
            self.assertEqual(self.status(self.geocode("48,2")), "OK")
        finally:
            geocoding.GAZETTEER = saved


class GazetteerTest(unittest.TestCase):
    def test_normalise(self):
        cases = {
            "SÃO PAULO": "sao paulo",
            "  Saint-John's\t": "saint johns",
            "Nuku\u2018alofa": "nukualofa",
            "Tromsø": "tromso",
            "Straße": "strasse",
            "Bosnia & Herzegovina": "bosnia and herzegovina",
            "Ærøskøbing": "aeroskobing",
            "...": "",
        }
        for text, expected in cases.items():
            with self.subTest(text=text):
                self.assertEqual(gazetteer.normalise(text), expected)

    def test_concurrent_first_searches_load_the_files_once(self):
        fresh = gazetteer.Gazetteer()
        loads = []
        real_load = fresh._load

        def counting_load():
            loads.append(threading.get_ident())
            real_load()

        fresh._load = counting_load
        start = threading.Barrier(6)
        answers = [None] * 6

        def search(i):
            start.wait()
            answers[i] = [p.name + "/" + p.country_code for p in fresh.search("Toledo")]

        threads = [threading.Thread(target=search, args=(i,)) for i in range(6)]
        for t in threads:
            t.start()
        for t in threads:
            t.join(60)
        self.assertEqual(len(loads), 1)
        self.assertIn("Toledo/ES", answers[0])
        self.assertEqual(answers, [answers[0]] * 6)
        self.assertGreater(fresh.load_seconds, 0)


if __name__ == "__main__":
    unittest.main()
