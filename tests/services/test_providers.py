"""Hostile online providers, through the real service over loopback: answers
beyond the caps, a provider that drips, redirects where it must not, or takes
every request the service would send it at once."""

import contextlib
import io
import json
import os
import socket
import tempfile
import threading
import time
import unittest
import xml.etree.ElementTree as ET
from urllib.parse import parse_qs, quote, urlencode, urlsplit

import support

from marlu_service import config, upstream
from marlu_service.directions import osrm

ITEM = {"lat": "43.7", "lon": "7.4", "display_name": "Monaco", "type": "city",
        "class": "place", "osm_type": "relation", "osm_id": 1, "place_id": 1}
FEATURE = {"geometry": {"coordinates": [7.4, 43.7]}, "properties": {"name": "Monaco"}}


def nested(depth):
    return b"[" * depth + b"]" * depth


def osrm_route(steps):
    step = {"geometry": "_ibE_ibE", "maneuver": {"type": "turn", "modifier": "left",
                                                  "location": [7.4, 43.7]},
            "distance": 1, "duration": 1, "name": "Rue"}
    return json.dumps({"code": "Ok", "routes": [{"distance": 1, "duration": 1, "legs": [
        {"steps": [step] * steps, "summary": ""}]}]}).encode()


class ProviderCase(unittest.TestCase):
    def serve(self, ini, answers):
        self.stub = support.StubUpstream(answers)
        self.addCleanup(self.stub.close)
        self.data = tempfile.TemporaryDirectory(prefix="marlu-providers-")
        self.addCleanup(self.data.cleanup)
        path = os.path.join(self.data.name, "mapservice.ini")
        with open(path, "w") as f:
            f.write(ini.replace("URL", self.stub.url))
        self.service = support.InProcessService(config.Config(path, self.data.name))
        self.addCleanup(self.service.close)

    def ask(self, path, **query):
        """(status word, the service's log) of one request."""
        log = io.StringIO()
        with contextlib.redirect_stderr(log):
            status, _, body = self.service.get(path + "?" + urlencode(query, quote_via=quote))
        self.assertEqual(status, 200, body[:200])
        return ET.fromstring(body).findtext("status"), log.getvalue()

    def geocode(self, address):
        return self.ask("/maps/api/geocode/xml", address=address)


class CapsTest(ProviderCase):
    def test_answers_beyond_the_caps_are_refused_logged_and_not_cached(self):
        big = b"[" + b" " * (4 * 1024 * 1024) + b"]"
        table = [
            # backend, answer, well-behaved status, refused status
            ("nominatim", json.dumps([ITEM] * 10).encode(), "OK"),
            ("nominatim", json.dumps([ITEM] * 11).encode(), None),
            ("nominatim", json.dumps([ITEM] * 20000).encode(), None),
            ("nominatim", big, None),
            ("nominatim", nested(100000), None),
            ("nominatim", json.dumps([dict(ITEM, x=json.loads(nested(40)))]).encode(), None),
            ("photon", json.dumps({"features": [FEATURE] * 10}).encode(), "OK"),
            ("photon", json.dumps({"features": [FEATURE] * 11}).encode(), None),
            ("photon", nested(100000), None),
        ]
        for backend, answer, expected in table:
            with self.subTest(backend=backend, size=len(answer), start=answer[:30]):
                path = "/search" if backend == "nominatim" else "/api"
                self.serve("[geocoding]\nbackend = %s\n[%s]\nurl = URL\n" % (backend, backend),
                           {path: (200, answer)})
                status, log = self.geocode("Monaco")
                cached = os.listdir(os.path.join(self.data.name, "cache", "geocoding")) \
                    if os.path.isdir(os.path.join(self.data.name, "cache", "geocoding")) else []
                if expected:
                    self.assertEqual((status, len(cached)), (expected, 1))
                else:
                    self.assertEqual(status, "UNKNOWN_ERROR")
                    self.assertIn("refused an answer", log)
                    self.assertEqual(cached, [])

    def test_routes_beyond_the_caps_are_refused(self):
        ini = "[directions]\nbackend = osrm\n[osrm]\nurl = URL\n"
        for answer, expected in ((osrm_route(5000), "OK"), (osrm_route(5001), None),
                                 (nested(100000), None),
                                 (b'{"code": "Ok", "routes": [' + b" " * (16 << 20) + b"]}",
                                  None)):
            with self.subTest(size=len(answer), start=answer[:30]):
                self.serve(ini, {"/route/v1/driving/7.400000,43.700000;7.410000,43.710000":
                                 (200, answer)})
                status, log = self.ask("/maps/api/directions/xml", origin="43.7,7.4",
                                       destination="43.71,7.41")
                self.assertEqual(status, expected or "UNKNOWN_ERROR", log)
                if not expected:
                    self.assertRegex(log, "refused an answer|too_large")


class RequestLimitsTest(ProviderCase):
    def setUp(self):
        for name, value in (("DEADLINE", 2.0), ("MIN_INTERVAL", 0.0)):
            self.addCleanup(setattr, upstream, name, getattr(upstream, name))
            setattr(upstream, name, value)

    def test_deadline_and_redirects(self):
        # A listener nothing may reach: another loopback port.
        other = socket.socket()
        other.bind(("127.0.0.1", 0))
        other.listen(8)
        other.settimeout(0)
        self.addCleanup(other.close)
        elsewhere = "127.0.0.1:%d" % other.getsockname()[1]

        def hops(handler):
            n = int(parse_qs(urlsplit(handler.path).query).get("n", ["0"])[0])
            return ("redirect", "/hop?n=%d" % (n + 1)) if n < hops.count else (200, b"[]")

        answers = {"/hop": hops}
        table = [
            # question, answer, status, requests the stand-in sees
            ("drip", ("drip", 0.5, 120), "UNKNOWN_ERROR", 1),
            ("self", ("redirect", "SELF/maps/api/geocode/xml?address=self"), "UNKNOWN_ERROR", 1),
            ("other", ("redirect", "http://%s/search?q=x" % elsewhere), "UNKNOWN_ERROR", 1),
            ("ftp", ("redirect", "ftp://%s/x.json" % elsewhere), "UNKNOWN_ERROR", 1),
            ("three", ("redirect", "/hop?n=1"), "ZERO_RESULTS", 4),
            ("five", ("redirect", "/hop?n=1"), "UNKNOWN_ERROR", 4),
        ]

        def search(handler):
            question = parse_qs(urlsplit(handler.path).query)["q"][0]
            hops.count = 3 if question == "three" else 5
            answer = answers[question]
            if answer[0] == "redirect":
                answer = ("redirect", answer[1].replace("SELF", "http://127.0.0.1:%d"
                                                        % self.service.port))
            return answer

        self.serve("[geocoding]\nbackend = nominatim\n[nominatim]\nurl = URL\n",
                   {"/search": search, "/hop": hops})
        for question, answer, expected, requests in table:
            with self.subTest(question=question):
                answers[question] = answer
                before = len(self.stub.requests)
                started = time.monotonic()
                status, log = self.geocode(question)
                self.assertEqual(status, expected, log)
                self.assertLess(time.monotonic() - started, 20)
                self.assertEqual(len(self.stub.requests) - before, requests)
                with self.assertRaises(BlockingIOError):
                    other.accept()

    def test_requests_to_one_provider_are_bounded(self):
        release, lock = threading.Event(), threading.Lock()
        seen = {"now": 0, "most": 0}

        def hold(handler):
            with lock:
                seen["now"] += 1
                seen["most"] = max(seen["most"], seen["now"])
            release.wait(30)
            with lock:
                seen["now"] -= 1
            return 200, b"[]"

        self.serve("[geocoding]\nbackend = nominatim\n[nominatim]\nurl = URL\n",
                   {"/search": hold})
        self.addCleanup(release.set)
        replies = []

        def ask(count):
            for i in range(count):
                threading.Thread(target=lambda i=i: replies.append(
                    self.geocode("q%d.%d" % (count, i))[0]), daemon=True).start()

        def wait(condition):
            ends = time.monotonic() + 30
            while not condition() and time.monotonic() < ends:
                time.sleep(0.05)

        upstream.DEADLINE = 20
        ask(upstream.PER_PROVIDER)
        wait(lambda: seen["now"] == upstream.PER_PROVIDER)
        # Those beyond the bound wait for their turn until their deadline, then give up.
        upstream.DEADLINE = 0.5
        ask(upstream.PER_PROVIDER + 1)
        wait(lambda: len(replies) == upstream.PER_PROVIDER + 1)
        self.assertEqual(replies, ["UNKNOWN_ERROR"] * (upstream.PER_PROVIDER + 1))
        self.assertEqual(seen["most"], upstream.PER_PROVIDER)
        release.set()
        wait(lambda: len(replies) == 2 * upstream.PER_PROVIDER + 1)
        self.assertEqual(replies[-upstream.PER_PROVIDER:], ["ZERO_RESULTS"] * upstream.PER_PROVIDER)
