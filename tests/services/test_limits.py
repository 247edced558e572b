"""How much a client can make the service do: the longest request line it
accepts, on every endpoint, in bounded time and memory; strangers that hold
connections or drip their requests beside the application; a stop whatever
the requests wait on. The service runs as its own process, as installed."""

import http.client
import os
import re
import select
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest
from urllib.parse import quote

import support

# http.server reads at most this much of a request line (CRLF included).
LONGEST_LINE = 65536
# Few open files, so that the connections' bound is the open-file limit's share.
STARTER = """
import resource, sys
resource.setrlimit(resource.RLIMIT_NOFILE, (128, resource.getrlimit(resource.RLIMIT_NOFILE)[1]))
from marlu_service import server
server.HEAD_DEADLINE = 2.0
server.MapRequestHandler.timeout = 600
sys.exit(server.main(sys.argv[1:]))
"""


class RunningService:
    """services/mapservice.py in a process of its own on a free port."""

    def __init__(self, test, *args):
        runtime = tempfile.TemporaryDirectory(prefix="marlu-runtime-")
        test.addCleanup(runtime.cleanup)
        config = os.path.join(runtime.name, "mapservice.ini")
        with open(config, "w", encoding="utf-8") as f:
            # A catalogue nobody serves: the fetch fails at once.
            f.write("[regions]\ncatalogue = http://127.0.0.1:9/index.json\n")
        env = dict(os.environ, XDG_RUNTIME_DIR=runtime.name, PYTHONPATH=support.SERVICES)
        self.proc = subprocess.Popen(
            [sys.executable, "-c", STARTER, "--port", "0", "--config", config]
            + list(args), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, env=env)
        test.addCleanup(self.proc.wait)
        test.addCleanup(lambda: self.proc.poll() is None and self.proc.kill())
        test.assertTrue(select.select([self.proc.stdout], [], [], 60)[0], "no banner")
        self.port = int(re.search(r":(\d+)$", self.proc.stdout.readline().strip()).group(1))
        with open(os.path.join(runtime.name, "marlu", "mapservice.secret")) as f:
            self.key = f.read().strip()
        self.host = "127.0.0.1:%d" % self.port

    def request(self, method, path, headers=None, timeout=120):
        """(status, body) of one request, or (None, error) when it got no status."""
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout)
        try:
            conn.putrequest(method, path, skip_host=True, skip_accept_encoding=True)
            for name, value in dict({"Host": self.host}, **(headers or {})).items():
                conn.putheader(name, value)
            conn.endheaders()
            resp = conn.getresponse()
            return resp.status, resp.read()
        except OSError as exc:
            return None, repr(exc)
        finally:
            conn.close()

    def memory(self, field):
        """kB of VmRSS or VmHWM."""
        with open("/proc/%d/status" % self.proc.pid) as f:
            return int(re.search(field + r":\s*(\d+)", f.read()).group(1))


def longest(prefix, filler):
    """prefix followed by filler, repeated and cut, so that the request line
    'GET PATH HTTP/1.1\\r\\n' is exactly the longest the service reads."""
    room = LONGEST_LINE - len("GET  HTTP/1.1\r\n") - len(prefix)
    return prefix + (filler * (room // len(filler) + 1))[:room]


class BoundedWork(unittest.TestCase):
    def test_the_longest_request_line_costs_every_endpoint_little_time_and_memory(self):
        service = RunningService(self)
        words = quote("Boulevard Albert 1er Monaco ")
        half = (LONGEST_LINE - 100) // 2
        keyed = {"X-Marlu-Secret": service.key}
        table = [
            # (what, path, headers, status wanted, text in the answer)
            ("geocoding", longest("/maps/api/geocode/xml?address=", words), {
                "X-Marlu-View": "1," * 30000}, 200, b"INVALID_REQUEST"),
            ("directions, long ends", longest("/maps/api/directions/xml?origin=%s&destination="
                                              % (words * (half // len(words)))[:half], words),
             {}, 200, b"INVALID_REQUEST"),
            ("directions, long waypoints", longest(
                "/maps/api/directions/xml?origin=Monaco&destination=Nice&waypoints=", words),
             {}, 200, b"INVALID_REQUEST"),
            ("tiles", longest("/tiles/roadmap/1/1/1.png?", "x"), {}, 200, b""),
            ("tile sources", longest("/tiles/sources.json?", "x"), {}, 200, b""),
            ("a tile path", longest("/tiles/roadmap/", "1/"), {}, 404, b""),
            ("the page", longest("/gps2.html?", "x"), {}, 200, b"map_canvas"),
            ("a file path", longest("/", "a/../"), {}, 403, b""),
            ("identity", longest("/marlu/identity?nonce=", "ab"), {}, 400, b""),
            ("regions", longest("/marlu/regions?", "x"), keyed, 200, b"regions"),
            ("a region's name", longest("/marlu/regions/", "%C3%A9"), keyed, 405, b""),
            ("catalogue", longest("/marlu/catalogue?", "x"), keyed, 502, b"catalogue"),
            ("no key", longest("/marlu/regions?", "x"), {}, 403, b""),
        ]
        # Warm: every endpoint loaded once, so what grows after is the long requests' doing.
        for what, path, headers, status, text in table:
            service.request("GET", path[:200], headers)
        before = service.memory("VmHWM")
        for what, path, headers, status, text in table:
            with self.subTest(what):
                started = time.monotonic()
                got, body = service.request("GET", path, headers)
                self.assertEqual((got, text in body), (status, True), body[:300])
                # Generous: a quadratic matcher took minutes here, a bounded one a second.
                self.assertLess(time.monotonic() - started, 60)
        self.assertLess(service.memory("VmHWM") - before, 200 * 1024, "kB grown")
        self.assertEqual(service.request("GET", longest("/tiles/sources.json?", "x") + "x")[0],
                         414)


class Connections(unittest.TestCase):
    def test_strangers_holding_connections_leave_room_for_the_application(self):
        service = RunningService(self)
        keyed = {"X-Marlu-Secret": service.key}
        # As many idle connections as the service holds, and drippers of heads.
        idle = [socket.create_connection(("127.0.0.1", service.port), timeout=30)
                for _ in range(128)]
        drips = []
        for _ in range(40):
            sock = socket.create_connection(("127.0.0.1", service.port), timeout=30)
            sock.sendall(b"GET /tiles/sources.json HTTP/1.1\r\nHost: ")
            drips.append(sock)
        try:
            for method, path, headers in (("GET", "/marlu/regions", keyed),
                                          ("GET", "/tiles/sources.json", {}),
                                          ("GET", "/maps/api/geocode/xml?address=Monaco", {})):
                with self.subTest(path):
                    self.assertEqual(service.request(method, path, headers, timeout=60)[0], 200)
        finally:
            for sock in idle + drips:
                sock.close()
        # A dripped head is cut off at its deadline (idle ones would wait ten minutes).
        with socket.create_connection(("127.0.0.1", service.port), timeout=5) as sock:
            sock.sendall(b"GET /tiles/sources.json HTTP/1.1\r\nHost: ")
            support.wait_until(lambda: _closed(sock), timeout=120, what="the dripper's end")
        # Two hundred at once: each gets a status, none a silent close.
        statuses = _concurrent(service, 200)
        self.assertEqual(sorted(set(statuses) - {200, 503}), [], statuses)

    def test_a_stop_ends_the_process_whatever_requests_wait_on(self):
        service = RunningService(self)
        holders = [socket.create_connection(("127.0.0.1", service.port), timeout=30)
                   for _ in range(20)]
        for sock in holders[:10]:
            sock.sendall(b"GET /tiles/sources.json HTTP/1.1\r\nHost: ")
        self.addCleanup(lambda: [sock.close() for sock in holders])
        service.proc.send_signal(signal.SIGTERM)
        self.assertEqual(service.proc.wait(timeout=60), 0)


def _closed(sock):
    try:
        return sock.recv(1) == b""
    except socket.timeout:
        return False
    except OSError:
        return True


def _concurrent(service, count):
    """The statuses of count GETs sent at once on connections of their own."""
    paths = ("/tiles/sources.json", "/maps/api/geocode/xml?address=Monaco",
             "/tiles/roadmap/2/2/1.png", "/gps2.html")
    socks = []
    for i in range(count):
        sock = socket.create_connection(("127.0.0.1", service.port), timeout=60)
        sock.sendall(("GET %s HTTP/1.1\r\nHost: %s\r\nConnection: close\r\n\r\n"
                      % (paths[i % len(paths)], service.host)).encode())
        socks.append(sock)
    statuses = []
    for sock in socks:
        with sock:
            head = b""
            try:
                while b"\r\n" not in head:
                    chunk = sock.recv(4096)
                    if not chunk:
                        break
                    head += chunk
            except OSError:
                pass
            match = re.match(rb"HTTP/1\.[01] (\d{3})", head)
            statuses.append(int(match.group(1)) if match else None)
    return statuses


if __name__ == "__main__":
    unittest.main()
