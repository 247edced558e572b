"""The geocoding endpoint over real HTTP on 127.0.0.1: the offline back-end
on the data that set-up built ($MARLU_DATA: GeoNames places, the Monaco
extract), and the online back-ends against a loopback provider that replays
recorded answers."""

import json
import os
import socket
import tempfile
import unittest
import xml.etree.ElementTree as ET
from urllib.parse import parse_qs, quote, urlencode, urlsplit

import support

from marlu_service import config, geocoding, upstream
from marlu_service.geocoding import online


def setUpModule():
    global SERVICE
    SERVICE = support.InProcessService()


def tearDownModule():
    SERVICE.close()


class GeocodeCase(unittest.TestCase, support.ReplyChecks):
    def serve(self, data, ini="none.ini"):
        """This test's own service, on the data folder and configuration file given."""
        self.service = support.InProcessService(config.Config(os.path.join(data, ini), data))
        self.addCleanup(self.service.close)

    def raw(self, query):
        status, resp, body = getattr(self, "service", SERVICE).get(geocoding.PATH + "?" + query)
        return self.check_xml_reply(status, resp, body, "GeocodeResponse")

    def geocode(self, address):
        return self.raw(urlencode({"address": address}, quote_via=quote))

    def addresses(self, root):
        return [r.findtext("formatted_address") for r in root.findall("result")]


class OfflineTest(GeocodeCase):
    def test_the_best_known_place_of_a_name_comes_first(self):
        cases = {"New York": "New York City, NY, USA", "Florence": "Florence, Italy",
                 "Cologne": "Köln, Germany", "koln": "Köln, Germany",
                 "KÖLN": "Köln, Germany", "Raleigh": "Raleigh, NC, USA"}
        for address, first in cases.items():
            with self.subTest(address=address):
                self.assertEqual(self.addresses(self.geocode(address))[0], first)
        florences = self.addresses(self.geocode("Florence"))
        self.assertGreater(len(florences), 3)
        self.assertTrue(all(a.endswith(", USA") for a in florences[1:4]), florences)

    def test_region_and_country_filter_the_places(self):
        cases = {"Paris, TX": ["Paris, TX, USA"], "Paris Texas": ["Paris, TX, USA"],
                 "paris, fr": ["Paris, France"], "Toledo, Castille-La Mancha": ["Toledo, Spain"],
                 # A country whose name holds a comma.
                 "Kralendijk, Bonaire, Sint Eustatius and Saba":
                     ["Kralendijk, Bonaire, Sint Eustatius and Saba"]}
        for address, expected in cases.items():
            with self.subTest(address=address):
                self.assertEqual(self.addresses(self.geocode(address)), expected)
        for address in ("Paris, Atlantis", "Xqzvbnm Plovdu"):
            self.assertEqual(self.geocode(address).findtext("status"), "ZERO_RESULTS")

    def test_reply_is_laid_out_like_the_published_toledo_reply(self):
        published = ET.parse(support.fixture(
            "google", "geocode-ok-2results-google-toledo.xml")).getroot()
        root = self.geocode("Toledo")
        self.assertEqual(support.shape(root), support.shape(published))
        ours = {r.findtext("formatted_address"): r for r in root.findall("result")}
        theirs = published.find("result")

        def components(result):
            return [(c.findtext("long_name"), c.findtext("short_name"),
                     [t.text for t in c.findall("type")])
                    for c in result.findall("address_component")]

        self.assertEqual(components(ours["Toledo, OH, USA"]), components(theirs))
        self.assertEqual(len({r.findtext("place_id") for r in root.findall("result")}),
                         len(root.findall("result")))

    def test_streets_and_addresses_of_the_imported_extract(self):
        def best(address):
            result = self.geocode(address).find("result")
            self.assertIsNotNone(result, address)
            return (result.findtext("formatted_address"),
                    result.findtext("geometry/location_type"), result.findtext("type"),
                    support.point(result.find("geometry/location")))

        text, kind, first_type, (lat, lng) = best("Place du Casino")
        self.assertEqual((text, kind, first_type),
                         ("Place du Casino, 98000 Monaco", "GEOMETRIC_CENTER", "route"))
        self.assertAlmostEqual(lat, 43.7393, delta=0.001)
        self.assertAlmostEqual(lng, 7.4275, delta=0.001)
        # The extract has no number 12 on the boulevard: the street, not a guess.
        text, kind, first_type, (lat, lng) = best("Boulevard Albert 1er 12, Monaco")
        self.assertEqual((text, kind, first_type),
                         ("Boulevard Albert 1er, 98000 Monaco", "GEOMETRIC_CENTER", "route"))
        self.assertAlmostEqual(lat, 43.735, delta=0.003)
        self.assertEqual(best("5b Boulevard Albert 1er, 98000 Monaco")[:3],
                         ("5b Boulevard Albert 1er, 98000 Monaco", "ROOFTOP", "street_address"))
        self.assertEqual(self.geocode("Place du Casino, France").findtext("status"),
                         "ZERO_RESULTS")
        # A quarter that both the places list and the extract name is one candidate,
        # so the directions form goes straight to the route.
        self.assertEqual([r.findtext("formatted_address") for r in
                          self.geocode("Fontvieille, Monaco").findall("result")],
                         ["Fontvieille, Monaco"])

    def test_a_coordinate_pair_answers_with_that_exact_point(self):
        [result] = self.geocode(" +48.85660 , -2.0 ").findall("result")
        self.assertEqual(result.findtext("formatted_address"), "48.8566,-2")
        self.assertEqual(result.findtext("geometry/location_type"), "ROOFTOP")
        self.assertEqual(self.geocode("91 0").findtext("status"), "ZERO_RESULTS")


class BadInputTest(GeocodeCase):
    def test_missing_blank_or_overlong_address_is_an_invalid_request(self):
        for query in ("", "address=", "address=%20%09%0A", "address=&address=Paris",
                      "address=" + "a" * 5000):
            with self.subTest(query=query[:30]):
                self.assertEqual(self.raw(query).findtext("status"), "INVALID_REQUEST")

    def test_hostile_text_gets_an_answer_and_harms_nothing(self):
        for query in ("address=Paris%00%01%1B%0D%0A", "address=%FF%FE%C3", "address=%ED%A0%80",
                      "address=" + quote("x'); DROP TABLE places; --"),
                      "address=" + quote("%' OR '1'='1"), "address=" + quote("\\\"<&>"),
                      # Long texts of many short words, numbers or kind words: the typos
                      # of a 500-letter text are not looked for.
                      "address=" + quote("1 " * 249), "address=" + quote("x" * 499),
                      "address=" + quote("[bar] " + "in near " * 60)):
            with self.subTest(query=query):
                self.assertIn(self.raw(query).findtext("status"), ("OK", "ZERO_RESULTS"))
        self.assertEqual(self.addresses(self.geocode("Paris, TX")), ["Paris, TX, USA"])

    def test_missing_places_index_is_reported_not_hidden(self):
        empty = tempfile.TemporaryDirectory(prefix="marlu-no-places-")
        self.addCleanup(empty.cleanup)
        self.serve(empty.name)
        root = self.geocode("Paris")
        self.assertEqual(root.findtext("status"), "UNKNOWN_ERROR")
        self.assertIn("The map data is missing", root.findtext("error_message"))
        self.assertEqual(self.geocode("48,2").findtext("status"), "OK")


class OnlineTest(GeocodeCase):
    """Each test configures a provider at a fresh loopback stand-in."""

    def provider(self, backend, path, answers, url=None):
        stub = None
        if url is None:
            stub = support.StubUpstream({path: answers})
            self.addCleanup(stub.close)
            url = stub.url
        data = tempfile.TemporaryDirectory(prefix="marlu-geocode-data-")
        self.addCleanup(data.cleanup)
        ini = os.path.join(data.name, "mapservice.ini")
        with open(ini, "w") as f:
            f.write("[geocoding]\nbackend = %s\n[%s]\nurl = %s\n" % (backend, backend, url))
        self.serve(data.name, ini)
        return stub

    def test_an_unreachable_provider_is_named_with_the_cause(self):
        closed = socket.socket()
        closed.bind(("127.0.0.1", 0))
        port = closed.getsockname()[1]
        closed.close()
        for url, cause in (("http://127.0.0.1:%d" % port, "the connection was refused"),
                           ("http://nominatim.invalid", "no network (its name cannot be looked up)")):
            with self.subTest(url=url):
                self.provider("nominatim", None, None, url)
                root = self.geocode("Paris")
                self.assertEqual(root.findtext("status"), "UNKNOWN_ERROR")
                self.assertEqual(root.findtext("error_message"),
                                 "Nominatim: %s. Map Services: choose Offline." % cause)

    def recorded(self, *parts):
        with open(support.fixture(*parts), "rb") as f:
            return 200, f.read()

    def test_nominatim_answer_becomes_the_reply_and_is_cached(self):
        stub = self.provider("nominatim", "/search",
                             self.recorded("nominatim", "london-search-json.json"))
        for _ in range(2):
            [result] = self.geocode("London").findall("result")
            self.assertEqual(result.findtext("formatted_address"),
                             "London, Greater London, England, SW1A 2DU, United Kingdom")
            self.assertEqual(result.findtext("type"), "locality")
            self.assertEqual(support.point(result.find("geometry/location")),
                             (51.5073219, -0.1276474))
            self.assertEqual(result.findtext("geometry/bounds/southwest/lng"), "-0.2876474")
        self.assertEqual(len(stub.requests), 1)
        path, headers = stub.requests[0]
        self.assertEqual(parse_qs(urlsplit(path).query)["q"], ["London"])
        self.assertEqual(headers["User-Agent"], "Marlu/" + upstream.VERSION)

    def test_the_view_reaches_the_provider_as_its_viewbox(self):
        stub = self.provider("nominatim", "/search",
                             self.recorded("nominatim", "london-search-json.json"))
        for view in ("51.4,-0.3,51.6,0.1", None):
            self.service.get(geocoding.PATH + "?address=London",
                             headers={"X-Marlu-View": view} if view else None)
        queries = [parse_qs(urlsplit(path).query) for path, _ in stub.requests]
        # Another view is another question: not answered from the cache.
        self.assertEqual([q.get("viewbox") for q in queries], [["-0.3,51.6,0.1,51.4"], None])

    def test_photon_answer_becomes_the_reply(self):
        self.provider("photon", "/api", self.recorded("photon", "berlin-search.json"))
        root = self.geocode("Berlin")
        city, stadium = root.findall("result")
        self.assertEqual(city.findtext("formatted_address"), "Berlin, Germany")
        self.assertEqual(city.findtext("type"), "locality")
        self.assertEqual(stadium.findtext("address_component/long_name"), "3")
        self.assertEqual(support.point(stadium.find("geometry/bounds/northeast")),
                         (52.5157151, 13.241757))

    def test_provider_failures_become_status_words_and_are_not_cached(self):
        # The status word for the application's log, the sentence for its user.
        outcomes = {"limit": ((429, b"{}"), "OVER_QUERY_LIMIT", "refuses more requests"),
                    "key": ((401, b""), "REQUEST_DENIED", "refused the request (HTTP 401)"),
                    "banned": ((403, b"<html>"), "REQUEST_DENIED", "refused the request (HTTP 403)"),
                    "broken": ((500, b"oops"), "UNKNOWN_ERROR", "failure of its own (HTTP 500)"),
                    "garbled": ((200, b"[{\"lat\": "), "UNKNOWN_ERROR", "cannot be read"),
                    "odd": ((200, json.dumps([{"lat": "x", "lon": 1}]).encode()),
                            "UNKNOWN_ERROR", "cannot be read"),
                    "cut": (("truncate", b"[]"), "UNKNOWN_ERROR", "cut short"),
                    "slow": (("slow", 3, 200, b"[]"), "UNKNOWN_ERROR", "no answer in time")}

        def answer(handler):
            return outcomes[parse_qs(urlsplit(handler.path).query)["q"][0]][0]

        stub = self.provider("nominatim", "/search", answer)
        saved, online.TIMEOUT = online.TIMEOUT, 0.5
        self.addCleanup(setattr, online, "TIMEOUT", saved)
        for word, (_, status, cause) in outcomes.items():
            with self.subTest(word=word):
                root = self.geocode(word)
                self.assertEqual(root.findtext("status"), status)
                said = root.findtext("error_message")
                self.assertTrue(said.startswith("Nominatim: ") and cause in said, said)
                self.assertTrue(said.endswith(" Map Services: choose Offline."), said)
        self.geocode("limit")
        self.assertEqual(sum(1 for p, _ in stub.requests if "q=limit" in p), 2)


if __name__ == "__main__":
    unittest.main()
