"""Runs the real map service as a subprocess and talks HTTP to it on 127.0.0.1."""

import http.client
import os
import re
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest
from urllib.parse import quote

import support

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
SERVICE = os.path.join(REPO, "services", "mapservice.py")
LISTENING = re.compile(r"^Marlu map service listening on http://127\.0\.0\.1:(\d+)$")


class Service:
    """A running mapservice.py process on a free port."""

    def __init__(self, *args):
        self.proc = subprocess.Popen(
            [sys.executable, SERVICE, "--port", "0", *args],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        ready, _, _ = select.select([self.proc.stdout], [], [], 15)
        if not ready:
            self.proc.kill()
            raise AssertionError("service did not announce itself within 15 s")
        self.banner = self.proc.stdout.readline().rstrip("\n")
        match = LISTENING.match(self.banner)
        if not match:
            self.proc.kill()
            raise AssertionError("unexpected banner %r, stderr %r"
                                 % (self.banner, self.proc.stderr.read()))
        self.port = int(match.group(1))

    def request(self, path, method="GET"):
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        try:
            conn.request(method, path)  # http.client sends the path verbatim
            resp = conn.getresponse()
            return resp.status, resp.getheader("Content-Type"), resp.read()
        finally:
            conn.close()

    def stop(self, sig=signal.SIGTERM):
        """Signal the service and return (exit code, stderr)."""
        if self.proc.poll() is None:
            self.proc.send_signal(sig)
        try:
            code = self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            raise AssertionError("service did not exit within 10 s of signal %d" % sig)
        err = self.proc.stderr.read()
        self.close()
        return code, err

    def close(self):
        """Idempotent cleanup for tests that failed before stop()."""
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self.proc.stdout.close()
        self.proc.stderr.close()


class WebRootTest(unittest.TestCase):
    """The service with its default root: the repository's web/ folder."""

    @classmethod
    def setUpClass(cls):
        cls.service = Service()

    @classmethod
    def tearDownClass(cls):
        cls.service.stop()

    def test_serves_map_page_as_html(self):
        status, ctype, body = self.service.request("/gps2.html")
        self.assertEqual(status, 200)
        self.assertTrue(ctype.startswith("text/html"), ctype)
        with open(os.path.join(REPO, "web", "gps2.html"), "rb") as f:
            self.assertEqual(body, f.read())
        # The query string is not part of the file name.
        self.assertEqual(self.service.request("/gps2.html?lang=en")[2], body)


class FileServingTest(unittest.TestCase):
    """The service on a scratch root whose contents the test controls."""

    FILES = {
        "page.html": ("<p>hi</p>", "text/html"),
        "data/world.json": ('{"type": "Topology"}', "application/json"),
        "js/app.js": ("var x = 1;", "application/javascript"),
        "css/app.css": ("body { margin: 0 }", "text/css"),
    }
    SECRET = "outside the root"

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="mapservice-test-")
        cls.root = os.path.join(cls.tmp, "root")
        for rel, (content, _) in cls.FILES.items():
            path = os.path.join(cls.root, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w") as f:
                f.write(content)
        with open(os.path.join(cls.tmp, "secret.txt"), "w") as f:
            f.write(cls.SECRET)
        os.symlink(os.path.join(cls.tmp, "secret.txt"), os.path.join(cls.root, "link.txt"))
        cls.service = Service("--root", cls.root)

    @classmethod
    def tearDownClass(cls):
        cls.service.stop()
        shutil.rmtree(cls.tmp)

    def test_content_types_and_bodies(self):
        for rel, (content, ctype) in self.FILES.items():
            with self.subTest(path=rel):
                status, got_type, body = self.service.request("/" + rel)
                self.assertEqual(status, 200)
                self.assertEqual(got_type.split(";")[0], ctype)
                self.assertEqual(body.decode(), content)

    def test_missing_files_and_directories_are_404(self):
        for path in ("/missing.html", "/js/missing.js", "/js/", "/",
                     "/maps/api/elevation/xml?locations=1,2"):
            with self.subTest(path=path):
                self.assertEqual(self.service.request(path)[0], 404)

    def test_refuses_paths_escaping_the_root(self):
        for path in ("/../secret.txt", "/js/../../secret.txt", "/%2e%2e/secret.txt",
                     "/js/%2E%2E/%2e%2e/secret.txt", "/..%2fsecret.txt", "/link.txt",
                     "/js/../page.html"):
            with self.subTest(path=path):
                status, _, body = self.service.request(path)
                self.assertEqual(status, 403)
                self.assertNotIn(self.SECRET.encode(), body)


class ConfigurationTest(unittest.TestCase):
    def test_config_file_and_data_folder_are_the_ones_given(self):
        with open(support.fixture("nominatim", "london-search-json.json"), "rb") as f:
            stub = support.StubUpstream({"/search": (200, f.read())})
        self.addCleanup(stub.close)
        data = tempfile.mkdtemp(prefix="mapservice-data-")
        self.addCleanup(shutil.rmtree, data)
        ini = os.path.join(data, "service.ini")
        with open(ini, "w") as f:
            f.write("[geocoding]\nbackend = nominatim\n[nominatim]\nurl = %s\n" % stub.url)
        service = Service("--config", ini, "--data", data)
        self.addCleanup(service.close)
        status, _, body = service.request("/maps/api/geocode/xml?address=" + quote("London"))
        self.assertEqual(status, 200)
        self.assertIn(b"<status>OK</status>", body)
        self.assertEqual(len(stub.requests), 1)
        self.assertEqual(len(os.listdir(os.path.join(data, "cache", "geocoding"))), 1)


class PrefixRouteTest(unittest.TestCase):
    def test_a_prefix_route_answers_every_path_below_it(self):
        seen = []

        def tiles(handler, path, query):
            seen.append((path, query))
            handler.send_body(200, "image/png", b"png")

        service = support.InProcessService()
        self.addCleanup(service.close)
        service.server.prefix_routes["/test-tiles/"] = tiles
        status, resp, body = service.get("/test-tiles/roadmap/3/4/2.png?v=1")
        self.assertEqual((status, body), (200, b"png"))
        self.assertEqual(resp.getheader("Cache-Control"), "no-cache")
        self.assertEqual(seen, [("/test-tiles/roadmap/3/4/2.png", {"v": ["1"]})])
        self.assertEqual(service.get("/test-tiles")[0], 404)


class LoggingTest(unittest.TestCase):
    def test_exactly_one_line_per_request(self):
        service = Service()
        self.addCleanup(service.close)
        requests = [("GET", "/gps2.html", 200), ("GET", "/nothing-here", 404),
                    ("GET", "/../etc/passwd", 403), ("HEAD", "/gps2.html", 200)]
        for method, path, expected in requests:
            self.assertEqual(service.request(path, method)[0], expected)
        code, err = service.stop()
        self.assertEqual(code, 0)
        lines = err.splitlines()
        self.assertEqual(len(lines), len(requests), err)
        for line, (method, path, status) in zip(lines, requests):
            self.assertEqual(line.split(), [method, path, str(status)])


class LifecycleTest(unittest.TestCase):
    def assert_port_closed(self, port):
        with self.assertRaises(ConnectionRefusedError):
            socket.create_connection(("127.0.0.1", port), timeout=5).close()

    def check_clean_exit(self, sig):
        service = Service()
        self.addCleanup(service.close)
        self.assertEqual(service.request("/gps2.html")[0], 200)
        code, _ = service.stop(sig)
        self.assertEqual(code, 0)
        self.assert_port_closed(service.port)

    def test_sigterm_exits_cleanly(self):
        self.check_clean_exit(signal.SIGTERM)

    def test_sigint_exits_cleanly(self):
        self.check_clean_exit(signal.SIGINT)

    def test_busy_port_is_an_error(self):
        first = Service()
        self.addCleanup(first.close)
        second = subprocess.run([sys.executable, SERVICE, "--port", str(first.port)],
                                capture_output=True, text=True, timeout=15)
        self.assertEqual(second.returncode, 1)
        self.assertEqual(second.stdout, "")
        self.assertIn(str(first.port), second.stderr)

    def test_exits_when_the_parent_that_started_it_is_killed(self):
        # A shell that starts the service in the background, says its pid, and waits.
        parent = subprocess.Popen(
            ["sh", "-c", '"$0" "$1" --port 0 --parent-pid $$ >/dev/null 2>&1 & echo $!; wait',
             sys.executable, SERVICE], stdout=subprocess.PIPE, text=True)
        child = int(parent.stdout.readline())
        parent.stdout.close()
        self.addCleanup(lambda: os.path.exists("/proc/%d" % child) and os.kill(child, signal.SIGKILL))
        parent.kill()
        parent.wait()
        deadline = time.monotonic() + 30
        while os.path.exists("/proc/%d/cmdline" % child) and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertFalse(os.path.exists("/proc/%d/cmdline" % child) and
                         open("/proc/%d/stat" % child).read().split()[2] != "Z")


if __name__ == "__main__":
    unittest.main()


class DefaultDataTest(unittest.TestCase):
    """An installed service's first start copies the packaged data the user lacks."""

    def test_copies_only_what_is_missing_once(self):
        from marlu_service import seeddata
        with tempfile.TemporaryDirectory() as tmp:
            source, data = os.path.join(tmp, "default-data"), os.path.join(tmp, "user")
            os.makedirs(os.path.join(source, "regions", "monaco"))
            os.makedirs(os.path.join(source, "tiles", "base"))
            for name, text in (("places.sqlite", "places"), ("regions/monaco/region.json", "{}"),
                               ("tiles/base/world.sqlite", "world")):
                with open(os.path.join(source, name), "w") as f:
                    f.write(text)
            os.makedirs(os.path.join(data, "regions", "mine"))   # the user's own import
            logged = []

            self.assertEqual(seeddata.seed(data, source, logged.append), ["places.sqlite", "tiles"])
            self.assertEqual(sorted(os.listdir(data)), ["places.sqlite", "regions", "tiles"])
            self.assertEqual(os.listdir(os.path.join(data, "regions")), ["mine"])
            with open(os.path.join(data, "tiles", "base", "world.sqlite")) as f:
                self.assertEqual(f.read(), "world")
            self.assertEqual(len(logged), 1)
            self.assertEqual(seeddata.seed(data, source, logged.append), [])
            self.assertEqual(seeddata.seed(data, os.path.join(tmp, "none"), logged.append), [])
