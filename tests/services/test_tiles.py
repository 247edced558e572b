"""The tile endpoints through the in-process service, on a data folder of
their own: the Monaco extract imported, a few real places, the world shapes."""

import json
import math
import os
import resource
import shutil
import sqlite3
import tempfile
import threading
import unittest

import support

from marlu_service import config, importregion
from marlu_service.tiles import prerender, renderer, style

MONACO_Z16 = (16, 34119, 23896)
ATLANTIC_Z12 = (12, 1500, 1600)
# GeoNames: name, lat, lng, population, feature
PLACES = [("Paris", 48.85341, 2.3488, 2138551, "PPLC"),
          ("Berlin", 52.52437, 13.41053, 3426354, "PPLC"),
          ("Madrid", 40.4165, -3.70256, 3255944, "PPLC"),
          ("Milan", 45.46427, 9.18951, 1236837, "PPLA"),
          ("Nice", 43.70313, 7.26608, 338620, "PPLA2"),
          ("Monaco", 43.73333, 7.41667, 32965, "PPLC")]


def make_places(path):
    db = sqlite3.connect(path)
    db.execute("CREATE TABLE places(id INTEGER PRIMARY KEY, name TEXT, lat REAL, lng REAL, "
               "country TEXT, admin1 TEXT, population INTEGER, feature TEXT)")
    db.executemany("INSERT INTO places(name, lat, lng, population, feature) VALUES (?,?,?,?,?)",
                   PLACES)
    db.commit()
    db.close()


class TileService(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.data = tempfile.mkdtemp(prefix="marlu-tiles-")
        make_places(os.path.join(cls.data, "places.sqlite"))
        importregion.import_region(support.fixture("osm", "monaco.osm.pbf"), cls.data,
                                   log=lambda text: None, importers=("tiles.osmimport",))
        cls.ini = os.path.join(cls.data, "mapservice.ini")
        cls.service = support.InProcessService(config.Config(cls.ini, cls.data))
        cls.tiles = cls.service.server.tiles

    @classmethod
    def tearDownClass(cls):
        cls.service.close()
        shutil.rmtree(cls.data, ignore_errors=True)

    def tile(self, tile_set, z, x, y):
        status, resp, body = self.service.get("/tiles/%s/%d/%d/%d.png" % (tile_set, z, x, y))
        self.assertEqual(status, 200, body[:200])
        self.assertEqual(resp.getheader("Content-Type"), "image/png")
        return renderer.mapnik.Image.fromstring(body)

    def test_low_zooms_draw_from_generalised_tables_as_from_the_full_ones(self):
        db = os.path.join(self.data, "regions", "monaco", "tiles", "osm.sqlite")
        con = sqlite3.connect(db)
        for suffix, top in style.LOW_ZOOMS.items():
            kinds = {k for k, in con.execute("SELECT DISTINCT kind FROM lines_" + suffix)}
            self.assertTrue(kinds and all(style.LINES[k][0] <= top for k in kinds), kinds)
        (low,), (full,) = (con.execute("SELECT sum(length(geom)) FROM " + t).fetchone()
                           for t in ("lines_z10", "lines"))
        self.assertLess(low, full / 4)
        # The region as an earlier import wrote it: only the full tables.
        old = os.path.join(self.data, "old-osm.sqlite")
        shutil.copy(db, old)
        con.close()
        con = sqlite3.connect(old)
        for suffix in style.LOW_ZOOMS:
            con.execute("DROP TABLE lines_%s" % suffix)
            con.execute("DROP TABLE areas_%s" % suffix)
        con.commit()
        con.close()
        inputs = self.tiles.current_generation().inputs
        mapnik = renderer.mapnik
        for z in (8, 9, 11, 12):
            n = 1 << z
            x, y = int((7.42 + 180) / 360 * n), int((1 - math.asinh(math.tan(math.radians(
                43.735))) / math.pi) / 2 * n)
            images = []
            for path in (db, old):
                m = mapnik.Map(256, 256)
                mapnik.load_map_from_string(m, style.build("roadmap", dict(inputs, regions=[path])))
                m.zoom_to_box(mapnik.Box2d(*renderer.geo.tile_bounds(z, x, y)))
                image = mapnik.Image(256, 256)
                mapnik.render(m, image)
                images.append(image.tostring())
            a, b = images
            # Simplified by a quarter of a pixel: a few edges shade a little differently.
            off = sum(1 for i in range(0, len(a), 4)
                      if max(abs(p - q) for p, q in zip(a[i:i + 4], b[i:i + 4])) > 24)
            self.assertLess(off, 64, "z%d" % z)

    def test_sources_follow_the_configuration(self):
        with open(self.ini, "w", encoding="utf-8") as f:
            f.write("[tiles:roadmap]\nurl = https://tile.example.org/{z}/{x}/{y}.png\n"
                    "maxzoom = 19\nattribution = Example\n"
                    "[tiles:satellite]\nurl = file:///etc/passwd\n"
                    "[tiles:hybrid]\nurl = ftp://tile.example.org/{z}/{x}/{y}.png\n"
                    "[tiles:terrain]\nurl = https://t.example.org/{z}/{x}/{y}.png?key={apikey}\n"
                    "[tiles:traffic]\nurl = https://t.example.org/{z}/{x}.png\n"
                    "[tiles:bicycling]\nurl = https://t.example.org/{z}/{x}/{y}.png\n"
                    "minzoom = 5\nmaxzoom = 2\n")
        self.service.server.reload()
        try:
            status, resp, body = self.service.get("/tiles/sources.json")
        finally:
            os.remove(self.ini)
            self.service.server.reload()
        self.assertEqual(status, 200)
        self.assertTrue(resp.getheader("Content-Type").startswith("application/json"))
        sets = json.loads(body)["sets"]
        self.assertEqual(set(sets), set(config.TILE_SETS))
        self.assertEqual(sets["roadmap"], {"url": "https://tile.example.org/{z}/{x}/{y}.png",
                                           "minzoom": 0, "maxzoom": 19, "attribution": "Example"})
        # A source the page cannot draw is ignored, never handed to it.
        self.assertEqual(sets["satellite"]["url"], "/tiles/satellite/{z}/{x}/{y}.png")
        self.assertEqual(sets["bicycling"]["url"], "/tiles/bicycling/{z}/{x}/{y}.png")
        self.assertEqual(sets["traffic"], {"url": None, "overlay": True, "attribution": "",
                                           "note": "No traffic data"})
        self.assertIsNone(sets["terrain"]["url"])
        self.assertEqual(sets["hybrid"]["note"], "No imagery at this zoom")

    def test_the_offline_street_map_says_where_its_streets_are(self):
        [box] = json.loads(self.service.get("/tiles/sources.json")[2])["sets"]["roadmap"]["streets"]
        self.assertTrue(box[0] < 7.4246 < box[2] and box[1] < 43.7384 < box[3], box)

    def test_tiles_where_there_is_data_and_where_there_is_none(self):
        self.assertFalse(self.tile("roadmap", *MONACO_Z16).is_solid(), "Monaco has streets")
        self.assertTrue(self.tile("roadmap", *ATLANTIC_Z12).is_solid(), "open sea is plain sea")
        empty = self.tile("bicycling", *ATLANTIC_Z12)
        self.assertTrue(empty.is_solid())
        self.assertEqual(empty.get_pixel(0, 0), 0, "an overlay without data is transparent")
        self.assertFalse(self.tile("satellite", 1, 1, 0).is_solid())

    def test_the_sea_along_the_coast_is_water(self):
        # The port basin has no water tags: the coastline alone bounds it; the
        # world's coarse shapes reach out over it and over the sea by the coast.
        for z in (12, 16):
            for lat, lng in ((43.7360, 7.4240), (43.7200, 7.4000), (43.725, 7.43)):
                with self.subTest(z=z, lat=lat, lng=lng):
                    self.assertEqual(colour_at(self.service, z, lat, lng), style.SEA)
        self.assertNotEqual(colour_at(self.service, 16, 43.7440, 7.4200), style.SEA)

    def test_bad_tile_paths_are_not_found(self):
        for path in ("/tiles/moon/1/0/0.png", "/tiles/terrain/1/0/0.png",
                     "/tiles/traffic/1/0/0.png", "/tiles/roadmap/19/0/0.png",
                     "/tiles/satellite/4/0/0.png", "/tiles/bicycling/9/0/0.png",
                     "/tiles/roadmap/2/4/0.png", "/tiles/roadmap/2/0/-1.png",
                     "/tiles/roadmap/a/0/0.png", "/tiles/roadmap/1/0/0.jpg",
                     "/tiles/roadmap/1/0/0.json", "/tiles/roadmap/1/0/0.labels.json.png",
                     "/tiles/roadmap/1/0/0.png/../../../../etc/passwd",
                     "/tiles/../../../../etc/passwd", "/tiles/%2e%2e/%2e%2e/etc/passwd",
                     "/tiles/roadmap/1/0/../../../../region.json", "/tiles/"):
            with self.subTest(path=path):
                status, _, body = self.service.get(path)
                self.assertEqual(status, 404)
                self.assertNotIn(b"root:", body)

    def test_one_render_for_simultaneous_requests(self):
        generation = self.tiles.current_generation()
        renders = []
        real = generation._render_meta
        generation._render_meta = lambda *args: renders.append(args) or real(*args)
        start = threading.Barrier(4)
        results = []

        def fetch():
            start.wait()
            results.append(generation.tile("roadmap", 15, 17059, 11948))

        threads = [threading.Thread(target=fetch) for _ in range(4)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        del generation._render_meta
        self.assertEqual(len(renders), 1)
        self.assertEqual(len(results), 4)
        self.assertEqual(len(set(results)), 1)

    def test_cache_follows_the_regions(self):
        before = self.tiles.current_generation()
        region = os.path.join(self.data, "regions", "monaco")
        away = os.path.join(self.data, "regions", ".monaco.away")
        os.rename(region, away)
        try:
            after = self.tiles.current_generation()
            self.assertNotEqual(before.key, after.key)
            self.assertFalse(after.has_streets(*MONACO_Z16))
        finally:
            os.rename(away, region)
        self.assertEqual(self.tiles.current_generation().key, before.key)

    def test_ahead_of_time_rendering_is_skipped_when_done(self):
        lines = []
        saved = prerender.AHEAD
        prerender.AHEAD = {"roadmap": 1}
        try:
            cfg = config.Config(self.ini, self.data)
            prerender.build(cfg, lines.append)
            prerender.build(cfg, lines.append)
        finally:
            prerender.AHEAD = saved
        self.assertTrue(os.path.isfile(self.tiles.current_generation().path("roadmap", 1, 1, 1)))
        self.assertIn("tiles of the low zooms are up to date", lines[-1])

    def test_the_cache_keeps_its_bound_and_a_full_disk_costs_only_the_cache(self):
        generation = self.tiles.current_generation()
        self.tile("roadmap", 0, 0, 0)
        low = generation.path("roadmap", 0, 0, 0)
        with open(self.ini, "w", encoding="utf-8") as f:
            f.write("[tiles]\ncache_size = 100K\n")
        self.addCleanup(self.service.server.reload)
        self.addCleanup(os.remove, self.ini)
        self.service.server.reload()
        cache = os.path.join(self.data, "tiles", "cache")

        def street_bytes():
            return sum(os.path.getsize(os.path.join(top, name))
                       for top, _, names in os.walk(cache) for name in names
                       if name.endswith(".png") and int(top.split(os.sep)[-2]) > 5)

        # Meta-tiles of Monaco's streets, each larger than a fifth of the bound.
        for x in range(136464, 136484, 4):
            self.tile("roadmap", 18, x, 95600)
            self.assertLessEqual(street_bytes(), 100 * 1024)
        self.assertTrue(os.path.isfile(low), "the low zooms stay")
        self.assertTrue(os.path.isfile(generation.path("roadmap", 18, x, 95600)))
        soft, hard = resource.getrlimit(resource.RLIMIT_FSIZE)
        resource.setrlimit(resource.RLIMIT_FSIZE, (0, hard))
        try:
            image = self.tile("roadmap", *MONACO_Z16)
        finally:
            resource.setrlimit(resource.RLIMIT_FSIZE, (soft, hard))
        self.assertFalse(image.is_solid())
        self.assertFalse(os.path.exists(generation.path("roadmap", *MONACO_Z16)))


def square(first, lat, lng, size=0.1):
    """The nodes of a closed square from its south-west corner, and their ids in order."""
    nodes = {first: (lat, lng), first + 1: (lat, lng + size), first + 2: (lat + size, lng + size),
             first + 3: (lat + size, lng)}
    return nodes, [first, first + 1, first + 2, first + 3, first]


def pixel(z, lat, lng):
    """(tile x, tile y, pixel x, pixel y) of a point on a 256-pixel tile."""
    n = 256 * 2 ** z
    x = (lng + 180.0) / 360.0 * n
    y = (1.0 - math.asinh(math.tan(math.radians(lat))) / math.pi) / 2.0 * n
    return int(x // 256), int(y // 256), int(x % 256), int(y % 256)


def colour_at(service, z, lat, lng):
    """The colour of the street map at a point, as #rrggbb."""
    x, y, px, py = pixel(z, lat, lng)
    status, _, body = service.get("/tiles/roadmap/%d/%d/%d.png" % (z, x, y))
    assert status == 200, body[:200]
    colour = renderer.mapnik.Image.fromstring(body).get_pixel(px, py, True)
    return "#%02x%02x%02x" % (colour.r, colour.g, colour.b)


class WaterAreas(unittest.TestCase):
    def test_basins_reservoirs_and_docks_are_water_at_every_zoom(self):
        # On land (the Sahara): a harbour mapped as a multipolygon, a
        # reservoir by its water tag alone, a dock.
        harbour, ring_a = square(1, 20.0, 10.0)
        reservoir, ring_b = square(11, 20.0, 10.2)
        dock, ring_c = square(21, 20.0, 10.4)
        with tempfile.TemporaryDirectory(prefix="marlu-water-") as data:
            make_places(os.path.join(data, "places.sqlite"))
            pbf = support.made_up_extract(data, "lakes", harbour | reservoir | dock, {
                1: (ring_a, {}), 2: (ring_b, {"water": "reservoir"}),
                3: (ring_c, {"waterway": "dock"})},
                {1: ([("way", 1, "outer")], {"type": "multipolygon", "natural": "water",
                                            "water": "harbour"})})
            importregion.import_region(pbf, data, log=lambda text: None,
                                       importers=("tiles.osmimport",))
            service = support.InProcessService(config.Config(os.path.join(data, "x.ini"), data))
            try:
                for z in (8, 12):
                    for lng in (10.05, 10.25, 10.45):
                        with self.subTest(z=z, lng=lng):
                            self.assertEqual(colour_at(service, z, 20.05, lng), style.SEA)
            finally:
                service.close()

    def test_the_sea_beside_a_coastline_the_extract_cuts(self):
        # Land to the north of a coast running east that ends short of the
        # box's east edge, an island off it; two corner nodes give the extent.
        coast = {"natural": "coastline"}
        nodes, ring = square(11, 20.03, 10.08, 0.03)
        nodes.update({1: (20.1, 10.0), 2: (20.12, 10.1), 3: (20.1, 10.19),
                      8: (20.0, 10.0), 9: (20.2, 10.2)})
        with tempfile.TemporaryDirectory(prefix="marlu-coast-") as data:
            make_places(os.path.join(data, "places.sqlite"))
            pbf = support.made_up_extract(data, "coast", nodes, {
                1: ([1, 2], coast), 2: ([2, 3], coast), 3: (ring, coast)})
            importregion.import_region(pbf, data, log=lambda text: None,
                                       importers=("tiles.osmimport",))
            service = support.InProcessService(config.Config(os.path.join(data, "x.ini"), data))
            try:
                for lat, lng, sea in ((20.02, 10.05, True), (20.05, 10.197, True),
                                      (20.045, 10.095, False), (20.16, 10.1, False),
                                      (19.95, 10.1, False)):
                    with self.subTest(lat=lat, lng=lng):
                        self.assertEqual(colour_at(service, 12, lat, lng) == style.SEA, sea)
            finally:
                service.close()


class CacheAcrossImports(unittest.TestCase):
    def test_an_import_re_renders_only_the_tiles_its_region_reaches(self):
        far, near = (5, 9, 11), (5, 17, 11)   # the Atlantic; Rome
        with tempfile.TemporaryDirectory(prefix="marlu-keep-") as data:
            make_places(os.path.join(data, "places.sqlite"))
            service = support.InProcessService(config.Config(os.path.join(data, "x.ini"), data))
            try:
                path = "/tiles/roadmap/%d/%d/%d.png"
                before = {tile: service.get(path % tile)[2] for tile in (far, near)}
                importregion.import_region(support.fixture("osm", "rome.osm.pbf"), data,
                                           log=lambda text: None, importers=("tiles.osmimport",))
                generation = service.server.tiles.current_generation()
                renders = []
                real = generation._render_meta
                generation._render_meta = lambda *args: renders.append(args) or real(*args)
                self.assertEqual(service.get(path % far)[2], before[far])
                self.assertEqual(renders, [])
                self.assertEqual(service.get(path % near)[0], 200)
                self.assertEqual(len(renders), 1)
            finally:
                service.close()


if __name__ == "__main__":
    unittest.main()
