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
from urllib.parse import parse_qs, urlencode, urlsplit

import support

from marlu_service import config, upstream

ITEM = {"lat": "43.7", "lon": "7.4", "display_name": "Monaco", "type": "city", "class": "place"}
FEATURE = {"geometry": {"coordinates": [7.4, 43.7]}, "properties": {"name": "Monaco"}}
NESTED = b"[" * 100000 + b"]" * 100000
ROUTE = "/route/v1/driving/7.400000,43.700000;7.410000,43.710000"


def osrm_route(steps):
    step = {"geometry": "_ibE_ibE", "distance": 1, "duration": 1, "name": "Rue",
            "maneuver": {"type": "turn", "modifier": "left", "location": [7.4, 43.7]}}
    return json.dumps({"code": "Ok", "routes": [{"distance": 1, "duration": 1, "legs": [
        {"steps": [step] * steps, "summary": ""}]}]}).encode()


class ProviderCase(unittest.TestCase):
    def serve(self, backend, answers):
        self.stub = support.StubUpstream(answers)
        self.addCleanup(self.stub.close)
        self.data = tempfile.TemporaryDirectory(prefix="marlu-providers-")
        self.addCleanup(self.data.cleanup)
        path = os.path.join(self.data.name, "mapservice.ini")
        with open(path, "w") as f:
            kind = "directions" if backend == "osrm" else "geocoding"
            f.write("[%s]\nbackend = %s\n[%s]\nurl = %s\n" % (kind, backend, backend,
                                                                self.stub.url))
        self.service = support.InProcessService(config.Config(path, self.data.name))
        self.addCleanup(self.service.close)

    def ask(self, path="/maps/api/geocode/xml", **query):
        """(status word, the service's log) of one request."""
        log = io.StringIO()
        with contextlib.redirect_stderr(log):
            status, _, body = self.service.get(path + "?" + urlencode(query))
        self.assertEqual(status, 200, body[:200])
        return ET.fromstring(body).findtext("status"), log.getvalue()


class CapsTest(ProviderCase):
    def test_answers_beyond_the_caps_are_refused_logged_and_not_cached(self):
        ends = {"origin": "43.7,7.4", "destination": "43.71,7.41"}
        for backend, path, answer, expected in (
                ("nominatim", "/search", json.dumps([ITEM] * 10).encode(), "OK"),
                ("nominatim", "/search", json.dumps([ITEM] * 11).encode(), None),
                ("nominatim", "/search", json.dumps([ITEM] * 20000).encode(), None),
                ("nominatim", "/search", b"[" + b" " * (4 << 20) + b"]", None),
                ("nominatim", "/search", NESTED, None),
                ("nominatim", "/search", b'[{"x": ' + b"[" * 40 + b"]" * 40 + b"}]", None),
                ("photon", "/api", json.dumps({"features": [FEATURE] * 10}).encode(), "OK"),
                ("photon", "/api", json.dumps({"features": [FEATURE] * 11}).encode(), None),
                ("photon", "/api", NESTED, None),
                ("osrm", ROUTE, osrm_route(5000), "OK"),
                ("osrm", ROUTE, osrm_route(5001), None),
                ("osrm", ROUTE, osrm_route(1).replace(b'"Rue"', b'"%s"' % (b"R" * 100000)), None),
                ("osrm", ROUTE, NESTED, None),
                ("osrm", ROUTE, b'{"code": "Ok", "routes": [' + b" " * (16 << 20) + b"]}", None)):
            with self.subTest(backend=backend, size=len(answer), start=answer[:30]):
                self.serve(backend, {path: (200, answer)})
                status, log = self.ask("/maps/api/directions/xml", **ends) \
                    if backend == "osrm" else self.ask(address="M")
                cache = os.path.join(self.data.name, "cache", "geocoding")
                cached = len(os.listdir(cache)) if os.path.isdir(cache) else 0
                self.assertEqual(status, expected or "UNKNOWN_ERROR", log)
                self.assertEqual(cached, 1 if expected and backend != "osrm" else 0)
                if not expected:
                    self.assertRegex(log, "refused an answer|too_large")


class RequestLimitsTest(ProviderCase):
    def setUp(self):
        for name, value in (("DEADLINE", 2.0), ("MIN_INTERVAL", 0.0)):
            self.addCleanup(setattr, upstream, name, getattr(upstream, name))
            setattr(upstream, name, value)

    def test_deadline_and_redirects(self):
        other = socket.create_server(("127.0.0.1", 0))   # a loopback port nothing may reach
        other.setblocking(False)
        self.addCleanup(other.close)
        elsewhere = "127.0.0.1:%d" % other.getsockname()[1]

        def hop(handler):
            q, n = (int(v) for v in urlsplit(handler.path).query.split("."))
            return ("redirect", "/hop?%d.%d" % (q, n + 1)) if n < q else (200, b"[]")

        self.serve("nominatim", {"/search": lambda handler: table[parse_qs(
            urlsplit(handler.path).query)["q"][0]][0], "/hop": hop})
        table = {"drip": (("drip", 0.5, 120), "UNKNOWN_ERROR", 1),
                 "self": (("redirect", "http://127.0.0.1:%d/maps/api/geocode/xml?address=self"
                           % self.service.port), "UNKNOWN_ERROR", 1),
                 "other": (("redirect", "http://%s/search?q=x" % elsewhere), "UNKNOWN_ERROR", 1),
                 "ftp": (("redirect", "ftp://%s/x.json" % elsewhere), "UNKNOWN_ERROR", 1),
                 "3": (("redirect", "/hop?3.1"), "ZERO_RESULTS", 4),
                 "5": (("redirect", "/hop?5.1"), "UNKNOWN_ERROR", 4)}
        for question, (_, expected, requests) in table.items():
            with self.subTest(question=question):
                before, started = len(self.stub.requests), time.monotonic()
                status, log = self.ask(address=question)
                self.assertEqual(status, expected, log)
                self.assertLess(time.monotonic() - started, 20)
                self.assertEqual(len(self.stub.requests) - before, requests)
                self.assertRaises(BlockingIOError, other.accept)

    def test_requests_to_one_provider_are_bounded(self):
        release, seen, replies = threading.Event(), [], []
        self.serve("nominatim", {"/search": lambda handler: seen.append(1) or release.wait(30)
                                 and (200, b"[]")})
        self.addCleanup(release.set)

        def ask(count, deadline):
            upstream.DEADLINE = deadline
            for i in range(count):
                threading.Thread(target=lambda i=i: replies.append(
                    self.ask(address="q%d.%d" % (count, i))[0]), daemon=True).start()
            support.wait_until(lambda: len(seen) >= bound)

        bound = upstream.PER_PROVIDER
        ask(bound, 20)   # held by the provider
        # Those beyond the bound wait for their turn until their deadline, then give up.
        ask(bound + 1, 0.5)
        support.wait_until(lambda: len(replies) == bound + 1)
        self.assertEqual((replies, len(seen)), (["UNKNOWN_ERROR"] * (bound + 1), bound))
        release.set()
        support.wait_until(lambda: len(replies) == 2 * bound + 1)
        self.assertEqual(replies[bound + 1:], ["ZERO_RESULTS"] * bound)
