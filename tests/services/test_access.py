"""Who may use the service: the Host rule on every path, the per-user secret
and its proof (how much of it: test_limits)."""

import hashlib
import hmac
import http.client
import json
import os
import stat
import tempfile
import unittest
from unittest import mock

import support

from marlu_service import config


class HostAndSecretTest(unittest.TestCase):
    def setUp(self):
        runtime = tempfile.TemporaryDirectory(prefix="marlu-runtime-")
        self.addCleanup(runtime.cleanup)
        patch = mock.patch.dict(os.environ, {"XDG_RUNTIME_DIR": runtime.name})
        patch.start()
        self.addCleanup(patch.stop)
        self.secret_path = os.path.join(runtime.name, "marlu", "mapservice.secret")
        self.service = support.InProcessService(config.Config("none.ini"))
        self.addCleanup(self.service.close)
        self.host = "127.0.0.1:%d" % self.service.port

    def status(self, path, **headers):
        return self.service.get(path, headers=dict({"Host": self.host}, **headers))[0]

    def test_only_the_services_own_loopback_host_is_answered(self):
        port = self.service.port
        for host, status in (("127.0.0.1:%d" % port, 200), ("LocalHost:%d" % port, 200),
                             ("attacker.example:%d" % port, 403), ("localhost", 403),
                             ("127.0.0.1:%d" % (port + 1), 403), ("127.0.0.2:%d" % port, 403),
                             ("[::1]:%d" % port, 403), ("", 403)):
            for path in ("/tiles/sources.json", "/maps/api/geocode/xml?address=48,2",
                         "/marlu/identity?nonce=" + "ab" * 8, "/tiles/roadmap/0/0/0.png"):
                self.assertEqual(self.status(path, Host=host), status, (host, path))

    def test_the_secret_is_private_and_proved_never_told(self):
        with open(self.secret_path) as f:
            secret = f.read().strip()
        self.assertEqual([stat.S_IMODE(os.stat(p).st_mode) for p in (
            self.secret_path, os.path.dirname(self.secret_path))], [0o600, 0o700])
        # The proof covers the address asked for and the one listened on, so
        # a relay from another port passes on a proof that does not fit it.
        nonce = "0123456789abcdef" * 2
        for host in (self.host, "localhost:%d" % self.service.port):
            status, _, body = self.service.get("/marlu/identity?nonce=" + nonce,
                                               headers={"Host": host})
            self.assertEqual((status, json.loads(body)), (200, {
                "name": "Marlu map service", "version": json.loads(body)["version"],
                "listen": self.host, "proof": hmac.new(secret.encode(), (
                    "%s\n%s\n%s" % (nonce, host.lower(), self.host)).encode(),
                    hashlib.sha256).hexdigest()}))
        for query in ("", "?nonce=abc", "?nonce=" + "g" * 16, "?nonce=" + "a" * 129):
            self.assertEqual(self.status("/marlu/identity" + query), 400, query)
        for given, status in (("", 403), (secret[:-1], 403), (secret.upper(), 403),
                              (secret, 200)):
            self.assertEqual(self.status("/marlu/regions", **{"X-Marlu-Secret": given}), status)
        # Work that changes data: refused without the secret, or with it for a foreign Host.
        for host, given in ((self.host, ""), ("attacker.example:%d" % self.service.port, secret)):
            conn = http.client.HTTPConnection("127.0.0.1", self.service.port, timeout=30)
            conn.request("POST", "/marlu/regions/import", json.dumps({"path": "/nonexistent.pbf"}),
                         {"Host": host, "X-Marlu-Secret": given})
            self.assertEqual(conn.getresponse().status, 403, host)
            conn.close()
        # A second service keeps the secret; one that others could read is replaced.
        for mode, same in ((0o600, True), (0o644, False)):
            os.chmod(self.secret_path, mode)
            support.InProcessService(config.Config("none.ini")).close()
            with open(self.secret_path) as f:
                self.assertEqual(f.read().strip() == secret, same)


if __name__ == "__main__":
    unittest.main()
