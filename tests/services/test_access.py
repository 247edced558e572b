"""Who may use the service and how much of it: the Host rule on every path,
the per-user secret and its proof, idle connections and the open-file limit."""

import hashlib
import hmac
import http.client
import json
import os
import re
import resource
import select
import socket
import stat
import subprocess
import sys
import tempfile
import time
import unittest

import support

from marlu_service import config


class HostAndSecretTest(unittest.TestCase):
    def setUp(self):
        runtime = tempfile.TemporaryDirectory(prefix="marlu-runtime-")
        self.addCleanup(runtime.cleanup)
        saved = os.environ.get("XDG_RUNTIME_DIR")
        os.environ["XDG_RUNTIME_DIR"] = runtime.name
        self.addCleanup(lambda: os.environ.__setitem__("XDG_RUNTIME_DIR", saved) if saved
                        else os.environ.pop("XDG_RUNTIME_DIR", None))
        self.secret_path = os.path.join(runtime.name, "marlu", "mapservice.secret")
        self.service = support.InProcessService(config.Config("none.ini"))
        self.addCleanup(self.service.close)

    def request(self, method, path, host=None, secret=None):
        conn = http.client.HTTPConnection("127.0.0.1", self.service.port, timeout=30)
        try:
            conn.putrequest(method, path, skip_host=host is not None)
            if host:
                conn.putheader("Host", host)
            if secret:
                conn.putheader("X-Marlu-Secret", secret)
            conn.endheaders()
            resp = conn.getresponse()
            return resp.status, resp.read()
        finally:
            conn.close()

    def test_only_the_services_own_loopback_host_is_answered(self):
        port = self.service.port
        for host, status in (("127.0.0.1:%d" % port, 200), ("localhost:%d" % port, 200),
                             ("LocalHost:%d" % port, 200), ("attacker.example:%d" % port, 403),
                             ("127.0.0.1", 403), ("localhost", 403),
                             ("127.0.0.1:%d" % (port + 1), 403), ("127.0.0.2:%d" % port, 403),
                             ("[::1]:%d" % port, 403), ("", 403)):
            for method, path in (("GET", "/tiles/sources.json"), ("HEAD", "/tiles/sources.json"),
                                 ("GET", "/maps/api/geocode/xml?address=48,2"),
                                 ("GET", "/marlu/identity?nonce=" + "ab" * 8),
                                 ("GET", "/tiles/roadmap/0/0/0.png")):
                with self.subTest(host=host, method=method, path=path):
                    self.assertEqual(self.request(method, path, host or "")[0], status)

    def test_the_secret_is_private_and_proved_never_told(self):
        with open(self.secret_path) as f:
            secret = f.read().strip()
        self.assertRegex(secret, "^[0-9a-f]{64}$")
        self.assertEqual(stat.S_IMODE(os.stat(self.secret_path).st_mode), 0o600)
        self.assertEqual(stat.S_IMODE(os.stat(os.path.dirname(self.secret_path)).st_mode), 0o700)
        nonce = "0123456789abcdef" * 2
        status, body = self.request("GET", "/marlu/identity?nonce=" + nonce)
        answer = json.loads(body)
        self.assertEqual((status, answer["name"]), (200, "Marlu map service"))
        self.assertEqual(answer["proof"], hmac.new(secret.encode(), nonce.encode(),
                                                   hashlib.sha256).hexdigest())
        self.assertNotIn(secret.encode(), body)
        for query in ("", "?nonce=", "?nonce=abc", "?nonce=" + "g" * 16, "?nonce=" + "a" * 129):
            with self.subTest(query=query):
                self.assertEqual(self.request("GET", "/marlu/identity" + query)[0], 400)
        for given, status in ((None, 403), ("", 403), (secret[:-1], 403),
                              (secret.upper(), 403), (secret, 404)):
            with self.subTest(secret=given):
                code, body = self.request("GET", "/marlu/regions", secret=given)
                self.assertEqual(code, status)
                if status == 403:
                    self.assertIn("error", json.loads(body))
        # A second service keeps the secret; one others could read is replaced.
        support.InProcessService(config.Config("none.ini")).close()
        with open(self.secret_path) as f:
            self.assertEqual(f.read().strip(), secret)
        os.chmod(self.secret_path, 0o644)
        support.InProcessService(config.Config("none.ini")).close()
        with open(self.secret_path) as f:
            self.assertNotEqual(f.read().strip(), secret)
        self.assertEqual(stat.S_IMODE(os.stat(self.secret_path).st_mode), 0o600)


LISTENING = re.compile(r"listening on http://127\.0\.0\.1:(\d+)$")
LIMITED = """
import resource, sys
sys.path.insert(0, sys.argv[1])
resource.setrlimit(resource.RLIMIT_NOFILE, (64, resource.getrlimit(resource.RLIMIT_NOFILE)[1]))
from marlu_service import server
server.MapRequestHandler.timeout = 1
sys.exit(server.main(["--port", "0"]))
"""


class ConnectionLimitsTest(unittest.TestCase):
    def test_idle_connections_end_and_the_service_answers_at_its_file_limit(self):
        proc = subprocess.Popen([sys.executable, "-c", LIMITED, support.SERVICES],
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.addCleanup(proc.wait)
        self.addCleanup(proc.kill)
        ready, _, _ = select.select([proc.stdout], [], [], 30)
        self.assertTrue(ready, "no banner")
        port = int(LISTENING.search(proc.stdout.readline().strip()).group(1))
        idle = []
        self.addCleanup(lambda: [s.close() for s in idle])
        for _ in range(100):   # more than the service's 64 files
            try:
                idle.append(socket.create_connection(("127.0.0.1", port), timeout=10))
            except OSError:
                break
        # Every idle connection gets closed by the service (EOF or reset).
        for sock in idle:
            try:
                self.assertEqual(sock.recv(1), b"")
            except ConnectionResetError:
                pass
        answered, ends = None, time.monotonic() + 30
        while answered is None and time.monotonic() < ends:
            conn = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
            try:
                conn.request("GET", "/tiles/sources.json")
                answered = conn.getresponse().status
            except OSError:
                time.sleep(0.1)
            finally:
                conn.close()
        self.assertEqual(answered, 200)


if __name__ == "__main__":
    unittest.main()
