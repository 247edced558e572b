"""Regions managed through the service's /marlu/ API: downloads from a
loopback catalogue (resumed, checked, refused), imports and cancels, delete,
and the services settings, all while the service keeps running."""

import hashlib
import json
import os
import socket
import subprocess
import tempfile
import unittest
from urllib.parse import urlencode

import support

from marlu_service import config, directions, upstream
from marlu_service.regions import catalogue

MONACO = support.fixture("osm", "monaco.osm.pbf")
HARRISBURG = support.fixture("osm", "harrisburg.osm.pbf")
STREET = "Boulevard Albert 1er"
GRIMALDI_UPPER, GRIMALDI_LOWER = "43.7354,7.4196", "43.7337,7.4186"


def feature(ident, path, parent=None):
    return {"type": "Feature", "properties": {"id": ident, "name": ident.title(), "parent": parent,
                                              "urls": {"pbf": SITE.url + path}},
            "geometry": {"type": "Polygon", "coordinates": [[[7.4, 43.7], [7.5, 43.8],
                                                             [7.4, 43.8], [7.4, 43.7]]]}}


def read(path):
    with open(path, "rb") as f:
        return f.read()


def setUpModule():
    global SITE, SERVICE, DATA
    DATA = tempfile.TemporaryDirectory(prefix="marlu-regions-data-")
    # The fixture is not in the order the importers need.
    harrisburg = os.path.join(DATA.name, "harrisburg.osm.pbf")
    subprocess.run(["osmium", "sort", HARRISBURG, "-o", harrisburg], check=True)
    monaco, harrisburg = read(MONACO), read(harrisburg)
    os.remove(os.path.join(DATA.name, "harrisburg.osm.pbf"))
    SITE = support.DownloadSite({
        "/europe/monaco-latest.osm.pbf": monaco,
        "/europe/monaco-latest.osm.pbf.md5":
            hashlib.md5(monaco).hexdigest().encode() + b"  monaco-latest.osm.pbf\n",
        "/harrisburg.osm.pbf": harrisburg,                     # no .md5 beside it
        "/bad/monaco.osm.pbf": monaco, "/bad/monaco.osm.pbf.md5": b"0" * 32 + b"\n",
        "/drip/monaco.osm.pbf": monaco,
        "/unsized/monaco.osm.pbf": monaco,
        "/slowmd5/monaco.osm.pbf": monaco,
        "/slowmd5/monaco.osm.pbf.md5": hashlib.md5(monaco).hexdigest().encode() + b"\n",
        "/nested.json": b'{"features": ' + b"[" * 100000 + b"]" * 100000 + b"}",
        "/slow.json": json.dumps({"features": []}).encode() + b" " * 400,
        "/notjson.json": b"<html>Moved</html>", "/list.json": b"[1, 2]",
    })
    SITE.files["/index.json"] = json.dumps({"type": "FeatureCollection", "features": [
        feature("europe", "/europe-latest.osm.pbf"),
        feature("monaco", "/europe/monaco-latest.osm.pbf", "europe")]}).encode()
    SITE.drip.update(("/drip/monaco.osm.pbf", "/slowmd5/monaco.osm.pbf.md5", "/slow.json"))
    SITE.unsized.add("/unsized/monaco.osm.pbf")
    SITE.redirects.update({"/away/monaco.osm.pbf": "http://127.0.0.1:9/monaco.osm.pbf",
                           "/ftp/monaco.osm.pbf": "ftp://127.0.0.1/monaco.osm.pbf"})
    many = [feature("r%d" % i, "/r%d.osm.pbf" % i) for i in range(catalogue.MAX_ENTRIES + 50)]
    SITE.files["/many.json"] = json.dumps({"type": "FeatureCollection",
                                           "features": many}).encode()
    os.symlink(config.Config().places_path, os.path.join(DATA.name, "places.sqlite"))
    with open(ini(), "w", encoding="utf-8") as f:
        f.write(base_ini())
    SERVICE = support.InProcessService(config.Config(ini(), DATA.name))


def tearDownModule():
    SERVICE.close()
    SITE.close()
    DATA.cleanup()


def base_ini():
    return "[regions]\ncatalogue = %s/index.json\n" % SITE.url


def ini(text=None):
    path = os.path.join(DATA.name, "mapservice.ini")
    if text is not None:
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        SERVICE.server.reload()
    return path


def regions():
    status, answer = SERVICE.call("GET", "/marlu/regions")
    assert status == 200, answer
    return {entry["name"]: entry for entry in answer["regions"]}


def settled(name):
    """The region's entry once its job has ended."""
    return support.wait_until(
        lambda: (lambda e: e if e and e["state"] in ("ready", "failed") else None)(
            regions().get(name)), timeout=300, what="the job of %s to end" % name)


def downloads():
    folder = os.path.join(DATA.name, "downloads")
    return sorted(os.listdir(folder)) if os.path.isdir(folder) else []


def leftovers():
    return [n for n in os.listdir(os.path.join(DATA.name, "regions")) if n.startswith(".")]


def snapshot(folder):
    return {os.path.join(where, n): os.path.getsize(os.path.join(where, n))
            for where, _, names in os.walk(folder) for n in names}


def geocode_street():
    status, results = SERVICE.server.geocoder.geocode(STREET)
    return status, [r for r in results if STREET in str(r)]


def route():
    status, resp, body = SERVICE.get(directions.PATH + "?" + urlencode(
        {"origin": GRIMALDI_UPPER, "destination": GRIMALDI_LOWER, "mode": "walking"}))
    return b"<status>OK</status>" in body


class Downloads(unittest.TestCase):
    def test_a_catalogue_download_resumes_imports_serves_and_deletes(self):
        status, answer = SERVICE.call("GET", "/marlu/catalogue")
        self.assertEqual(status, 200, answer)
        entry = {e["id"]: e for e in answer["entries"]}["monaco"]
        self.assertEqual((entry["parent"], entry["bbox"], entry["imported"]),
                         ("europe", [7.4, 43.7, 7.5, 43.8], False))
        self.assertEqual((geocode_street()[1], route()), ([], False))
        SITE.cut_once.add("/europe/monaco-latest.osm.pbf")
        status, answer = SERVICE.call("POST", "/marlu/regions/download", {"url": entry["pbf"]})
        self.assertEqual((status, answer["name"]), (202, "monaco"), answer)
        ready = settled("monaco")
        self.assertEqual(ready["state"], "ready", ready)
        self.assertEqual(ready["date"], "2016-03-05T00:26:02Z")
        self.assertGreater(ready["size"], os.path.getsize(MONACO))
        # Broken off half-way, then resumed from where it stopped, then checked.
        asked = [r for m, p, r in SITE.requests if p == "/europe/monaco-latest.osm.pbf"]
        self.assertEqual(asked[0], None)
        self.assertEqual(asked[1], "bytes=%d-" % (os.path.getsize(MONACO) // 2))
        self.assertIn(("GET", "/europe/monaco-latest.osm.pbf.md5", None), SITE.requests)
        self.assertEqual(downloads(), [])
        # Usable at once: search, routes, the catalogue's mark, the update check.
        self.assertEqual(geocode_street()[0], "OK")
        self.assertTrue(geocode_street()[1])
        self.assertTrue(route())
        status, answer = SERVICE.call("GET", "/marlu/catalogue")
        self.assertTrue({e["id"]: e for e in answer["entries"]}["monaco"]["imported"])
        self.assertEqual(SERVICE.call("POST", "/marlu/regions/monaco/update"),
                         (200, {"uptodate": True}))
        self.assertEqual(SERVICE.call("DELETE", "/marlu/regions/monaco"), (200, {}))
        self.assertNotIn("monaco", regions())
        self.assertNotIn("monaco", os.listdir(os.path.join(DATA.name, "regions")))
        self.assertEqual((geocode_street()[1], route()), ([], False))
        self.assertEqual(SERVICE.call("DELETE", "/marlu/regions/monaco")[0], 404)

    def test_failures_leave_nothing_and_never_touch_the_region_they_replace(self):
        status, answer = SERVICE.call("POST", "/marlu/regions/download",
                                      {"url": SITE.url + "/harrisburg.osm.pbf", "name": "old"})
        self.assertEqual(status, 202, answer)
        ready = settled("old")
        self.assertEqual(ready["state"], "ready", ready)   # no .md5: no check
        before = snapshot(DATA.name)
        work = tempfile.TemporaryDirectory(prefix="marlu-regions-")
        self.addCleanup(work.cleanup)
        truncated = os.path.join(work.name, "cut.osm.pbf")
        with open(MONACO, "rb") as f, open(truncated, "wb") as out:
            out.write(f.read(100000))
        size = os.path.getsize(MONACO)
        cases = (("download", SITE.url + "/bad/monaco.osm.pbf", "checksum does not match"),
                 ("download", SITE.url + "/missing.osm.pbf", "404"),
                 ("download", SITE.url + "/europe/monaco-latest.osm.pbf", "disk space"),
                 # Without a length, the same bound as the bytes come.
                 ("download", SITE.url + "/unsized/monaco.osm.pbf", "disk space so far"),
                 ("download", SITE.url + "/away/monaco.osm.pbf", "redirect not followed"),
                 ("download", SITE.url + "/ftp/monaco.osm.pbf", "redirect not followed"),
                 ("download", SITE.url + "/slowmd5/monaco.osm.pbf", "no complete answer"),
                 ("import", truncated, "damaged or truncated"))
        for kind, source, reason in cases:
            with self.subTest(reason=reason):
                if reason.startswith("disk space"):   # room for the extract, not its import
                    SERVICE.server.regions.free_space = lambda path: 3 * size - 1
                    self.addCleanup(vars(SERVICE.server.regions).pop, "free_space", None)
                if reason == "no complete answer":
                    self.addCleanup(setattr, upstream, "DEADLINE", upstream.DEADLINE)
                    upstream.DEADLINE = 1
                body = {"url" if kind == "download" else "path": source, "name": "old"}
                status, answer = SERVICE.call("POST", "/marlu/regions/" + kind, body)
                self.assertEqual(status, 202, answer)
                failed = settled("old")
                self.assertEqual(failed["state"], "failed")
                self.assertIn(reason.replace(" so far", ""), failed["error"])
                self.assertEqual(len(failed["error"].splitlines()), 1)
                self.assertEqual(SERVICE.call("DELETE", "/marlu/regions/old"), (200, {}))
                vars(SERVICE.server.regions).pop("free_space", None)
                self.assertEqual(regions()["old"]["state"], "ready")
                self.assertEqual((downloads(), leftovers()), ([], []))
                self.assertEqual(snapshot(DATA.name), before)

    def test_a_dripping_download_gives_up_resumes_and_is_cancelled(self):
        drip = {"url": SITE.url + "/drip/monaco.osm.pbf"}
        SERVICE.server.regions.timeout = 1
        self.addCleanup(vars(SERVICE.server.regions).pop, "timeout", None)
        self.assertEqual(SERVICE.call("POST", "/marlu/regions/download", drip)[0], 202)
        self.assertIn("sends too slowly", settled("monaco")["error"])
        self.assertEqual(SERVICE.call("DELETE", "/marlu/regions/monaco"), (200, {}))
        self.assertEqual(downloads(), ["monaco.osm.pbf.part", "monaco.osm.pbf.part.json"])
        kept = os.path.getsize(os.path.join(DATA.name, "downloads", "monaco.osm.pbf.part"))
        del SERVICE.server.regions.timeout
        status, answer = SERVICE.call("POST", "/marlu/regions/download", drip)
        self.assertEqual((status, answer["name"]), (202, "monaco"), answer)
        support.wait_until(lambda: regions()["monaco"]["bytes"], what="bytes")
        entry = regions()["monaco"]
        self.assertEqual((entry["state"], entry["stage"], entry["total"]),
                         ("downloading", "download", os.path.getsize(MONACO)))
        self.assertIn("eta", entry)
        self.assertIn(("GET", "/drip/monaco.osm.pbf", "bytes=%d-" % kept), SITE.requests)
        cancel = "/marlu/jobs/%s/cancel" % answer["job"]
        self.assertEqual(SERVICE.call("POST", cancel), (200, {}))
        self.assertNotIn("monaco", regions())
        support.wait_until(lambda: downloads() == [], what="the .part file to go")
        self.assertEqual(SERVICE.call("POST", cancel)[0], 404)
        # The name is free at once, though the cancelled job's read still waits.
        status, again = SERVICE.call("POST", "/marlu/regions/download", drip)
        self.assertEqual(status, 202, again)
        self.assertEqual(SERVICE.call("POST", "/marlu/jobs/%s/cancel" % again["job"]), (200, {}))


class Imports(unittest.TestCase):
    def test_bad_requests_and_a_cancelled_import(self):
        for body, status in (({"path": "/nowhere/x.osm.pbf"}, 400),
                             ({"path": MONACO, "name": "../x"}, 400),
                             ({"url": "file:///etc/passwd"}, 400)):
            kind = "download" if "url" in body else "import"
            self.assertEqual(SERVICE.call("POST", "/marlu/regions/" + kind, body)[0], status)
        status, answer = SERVICE.call("POST", "/marlu/regions/import",
                                      {"path": MONACO, "name": "stopped"})
        self.assertEqual(status, 202, answer)
        self.assertEqual(SERVICE.call("POST", "/marlu/regions/import",
                                      {"path": MONACO, "name": "stopped"})[0], 409)
        support.wait_until(lambda: regions()["stopped"]["stage"], what="the import to start")
        self.assertEqual(SERVICE.call("DELETE", "/marlu/regions/stopped")[0], 409)
        self.assertEqual(SERVICE.call("POST", "/marlu/jobs/%s/cancel" % answer["job"]), (200, {}))
        self.assertNotIn("stopped", regions())
        self.assertEqual(leftovers(), [])
        self.assertFalse(os.path.exists(os.path.join(DATA.name, "regions", "stopped")))


class Settings(unittest.TestCase):
    def tearDown(self):
        ini(base_ini())

    def test_a_catalogue_that_is_not_a_catalogue(self):
        closed = socket.socket()
        closed.bind(("127.0.0.1", 0))
        refused = "http://127.0.0.1:%d/index.json" % closed.getsockname()[1]
        closed.close()
        way_back = ' An extract already on this computer can be added with "Import from File\u2026".'
        for url, reason in (
                (SITE.url + "/notjson.json", "not JSON"), (SITE.url + "/list.json", "not a list"),
                (SITE.url + "/gone.json", "The catalogue server 127.0.0.1: nothing answers at its "
                                          "address (HTTP 404)." + way_back),
                (SITE.url + "/nested.json", "nested too deeply"),
                (SITE.url + "/slow.json", "no answer in time"),
                (refused, "The catalogue server 127.0.0.1: the connection was refused." + way_back)):
            ini("[regions]\ncatalogue = %s\n" % url)
            SERVICE.server.regions.catalogue.deadline = 2
            status, answer = SERVICE.call("GET", "/marlu/catalogue")
            self.assertEqual(status, 502)
            self.assertIn(reason, answer["error"])
        # Read a feature at a time, and no more than the application reads.
        ini("[regions]\ncatalogue = %s/many.json\n" % SITE.url)
        status, answer = SERVICE.call("GET", "/marlu/catalogue")
        self.assertEqual((status, len(answer["entries"])), (200, catalogue.MAX_ENTRIES))

    def test_services_are_written_into_the_file_keeping_what_it_had(self):
        kept = "# my settings\n[regions]\ncatalogue = %s/index.json ; local\n\n[mine]\nx = 1\n" \
            % SITE.url
        ini(kept)
        osm = {"mode": "online", "url": "https://tile.openstreetmap.org/{z}/{x}/{y}.png",
               "attribution": "\u00a9 OpenStreetMap contributors"}
        status, answer = SERVICE.call("PUT", "/marlu/services", {
            "tiles": osm, "geocoding": {"backend": "photon", "url": "https://photon.example/"}})
        self.assertEqual(status, 200, answer)
        self.assertEqual((answer["tiles"], answer["geocoding"]),
                         (osm, {"backend": "photon", "url": "https://photon.example"}))
        with open(ini(), encoding="utf-8") as f:
            written = f.read()
        self.assertTrue(written.startswith(kept), written)
        status, resp, body = SERVICE.get("/tiles/sources.json")
        self.assertEqual(json.loads(body)["sets"]["roadmap"]["url"], osm["url"])
        # The rule the configuration is read by, asked by the Map Services window.
        for url, usable in (("https://t.example/{z}/{x}/{-y}.png", True),
                            ("https://t.example/{z}/{x}.png", False)):
            status, answer = SERVICE.call("POST", "/marlu/services/tiles/check", {"url": url})
            self.assertEqual((status, answer["usable"]), (200, usable), answer)
        for bad in ({"tiles": dict(osm, url="javascript:alert(1)")},
                    {"directions": {"backend": "osrm", "url": "http://x\n[geocoding]"}},
                    {"tiles": dict(osm, attribution="a\u2028[geocoding]")},
                    {"tiles": dict(osm, attribution="a\u2029b")},
                    {"tiles": dict(osm, attribution="a\x85b")}):
            self.assertEqual(SERVICE.call("PUT", "/marlu/services", bad)[0], 400)
        with open(ini(), encoding="utf-8") as f:
            self.assertEqual(f.read(), written)
        status, answer = SERVICE.call("PUT", "/marlu/services", {"tiles": {"mode": "offline"}})
        self.assertEqual(answer["tiles"]["mode"], "offline")
        status, resp, body = SERVICE.get("/tiles/sources.json")
        self.assertEqual(json.loads(body)["sets"]["roadmap"]["url"], "/tiles/roadmap/{z}/{x}/{y}.png")
        self.assertEqual(SERVICE.call("GET", "/marlu/services")[1], answer)

    def test_a_file_that_does_not_parse_is_named_and_a_linked_one_written_through(self):
        for broken in ("[tiles]\nx = 1\n[tiles]\ny = 2\n", "no section\n"):
            ini(broken)
            for method, body in (("GET", None), ("PUT", {"tiles": {"mode": "offline"}})):
                status, answer = SERVICE.call(method, "/marlu/services", body)
                self.assertEqual(status, 500, answer)
                self.assertIn("configuration file %s cannot be read" % ini(), answer["error"])
            with open(ini(), encoding="utf-8") as f:
                self.assertEqual(f.read(), broken)
        real = os.path.join(DATA.name, "real.ini")
        with open(real, "w", encoding="utf-8") as f:
            f.write(base_ini())
        os.remove(ini())
        os.symlink(real, ini())
        self.addCleanup(os.remove, real)
        self.addCleanup(ini, base_ini())
        self.addCleanup(os.remove, ini())
        status, answer = SERVICE.call("PUT", "/marlu/services", {"geocoding": {"backend": "photon"}})
        self.assertEqual((status, os.path.islink(ini())), (200, True), answer)
        with open(real, encoding="utf-8") as f:
            self.assertIn("backend = photon", f.read())


if __name__ == "__main__":
    unittest.main()
