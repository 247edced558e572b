"""scripts/import-region: a bad extract stops with one line and leaves the
earlier import of its region working."""

import math
import os
import shutil
import sqlite3
import subprocess
import tempfile
import time
import unittest
from unittest import mock

import support

import make_scaled_region
from marlu_service import regions as service_regions
from marlu_service import config, importregion, osmexport, setupdata
from marlu_service.directions import routino
from marlu_service.geocoding import osmindex, places

SCRIPT = os.path.join(support.REPO, "scripts", "import-region")
MONACO = support.fixture("osm", "monaco.osm.pbf")
HARRISBURG = support.fixture("osm", "harrisburg.osm.pbf")  # unsorted, as published


def snapshot(folder):
    found = {}
    for where, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(where, name)
            with open(path, "rb") as f:
                found[os.path.relpath(path, folder)] = f.read()
    return found


class BadExtracts(unittest.TestCase):
    def test_missing_truncated_and_foreign_files(self):
        with tempfile.TemporaryDirectory(prefix="marlu-import-") as work:
            data = os.path.join(work, "data")
            region = importregion.import_region(MONACO, data, log=lambda text: None,
                                                importers=("directions.routino",))
            before = snapshot(data)
            self.assertIn(os.path.join("regions", "monaco", "routino", "nodes.mem"), before)
            # Same region name as the good import: a failure must not replace it.
            bad = os.path.join(work, "bad")
            os.mkdir(bad)
            truncated = os.path.join(bad, "monaco.osm.pbf")
            with open(MONACO, "rb") as f, open(truncated, "wb") as out:
                out.write(f.read(100000))
            foreign = os.path.join(bad, "monaco.pbf")
            with open(foreign, "w") as out:
                out.write("<html>not found</html>\n")
            for path, reason in ((os.path.join(bad, "missing.osm.pbf"), "no such file"),
                                 (truncated, "damaged or truncated"),
                                 (foreign, "not an OpenStreetMap PBF extract")):
                with self.subTest(reason=reason):
                    result = subprocess.run([SCRIPT, path], capture_output=True, text=True,
                                            env=dict(os.environ, MARLU_DATA=data), timeout=600)
                    self.assertEqual(result.returncode, 1)
                    lines = result.stderr.splitlines()
                    self.assertEqual(len(lines), 1, result.stderr)
                    self.assertIn(reason, lines[0])
                    self.assertEqual(snapshot(data), before)
            self.assertTrue(os.path.isfile(os.path.join(region, "region.json")))


class UnsortedExtract(unittest.TestCase):
    def test_an_extract_out_of_order_is_sorted_first(self):
        with tempfile.TemporaryDirectory(prefix="marlu-import-") as work:
            said = []
            region = importregion.import_region(HARRISBURG, os.path.join(work, "data"),
                                                log=said.append)
            self.assertTrue([line for line in said if line.startswith("sorted the extract")])
            self.assertEqual(sorted(os.listdir(region)),
                             ["osmindex", "region.json", "routino", "tiles"])
            self.assertGreater(os.path.getsize(os.path.join(region, "routino", "nodes.mem")),
                               100000)


class DemoRegion(unittest.TestCase):
    def test_the_demo_extract_comes_with_the_project(self):
        # A plain clone has nothing beside it: the set-up must not read outside.
        demo = os.path.realpath(setupdata.DEFAULT_DEMO)
        self.assertTrue(demo.startswith(os.path.realpath(support.REPO) + os.sep), demo)
        self.assertIsNotNone(importregion.check_extract(demo))


class RegionNames(unittest.TestCase):
    def test_a_name_that_is_a_path_is_refused_before_anything_is_touched(self):
        with tempfile.TemporaryDirectory(prefix="marlu-import-") as work:
            data = os.path.join(work, "data")
            importregion.import_region(MONACO, data, log=lambda text: None,
                                       importers=("directions.routino",))
            victim = os.path.join(work, "victim")
            os.mkdir(victim)
            with open(os.path.join(victim, "keep.txt"), "w") as f:
                f.write("mine\n")
            before = snapshot(work)
            # ASCII only, as the application lists them: 64 four-byte letters
            # would not even fit a folder name.
            for name in (victim, "../places.sqlite", "../x", ".", "..", "a/b", "",
                         "x" * 65, ".monaco.old", "Côte", "\U0001d49c" * 64):
                with self.subTest(name=name):
                    result = subprocess.run([SCRIPT, MONACO, "--name", name],
                                            capture_output=True, text=True,
                                            env=dict(os.environ, MARLU_DATA=data), timeout=600)
                    self.assertEqual(result.returncode, 1)
                    self.assertEqual(len(result.stderr.splitlines()), 1, result.stderr)
                    self.assertIn("is not a region name", result.stderr)
                    self.assertEqual(snapshot(work), before)
            self.assertEqual(importregion.checked_name("  Cote d Azur_2 "), "Cote-d-Azur_2")

    def test_a_failing_step_is_named_with_its_cause_not_a_tool_s_banner(self):
        with tempfile.TemporaryDirectory(prefix="marlu-import-") as work:
            data = os.path.join(work, "data")
            for error, said in ((RuntimeError("planetsplitter failed: ================"),
                                 "planetsplitter failed"),
                                (OSError(28, "No space left on device"),
                                 "no space left on device")):
                with self.subTest(said=said), mock.patch.object(routino, "import_region",
                                                                side_effect=error):
                    with self.assertRaises(importregion.ImportError_) as caught:
                        importregion.import_region(MONACO, data, log=lambda text: None,
                                                   importers=("directions.routino",))
                    self.assertEqual(str(caught.exception), "monaco: the import stopped while "
                                     "building the routing database: " + said)
                    self.assertEqual(os.listdir(os.path.join(data, "regions")), [])

    def test_an_import_killed_between_its_renames_is_finished_or_undone(self):
        with tempfile.TemporaryDirectory(prefix="marlu-import-") as work:
            data = os.path.join(work, "data")
            final = importregion.import_region(MONACO, data, log=lambda text: None,
                                               importers=("directions.routino",))
            regions = os.path.dirname(final)
            old, partial = (os.path.join(regions, ".monaco" + s) for s in (".old", ".partial"))
            for complete in (True, False):
                with self.subTest(complete=complete):
                    # The state right after the first rename: the earlier region
                    # moved aside, the new one not yet in its place.
                    os.rename(final, old)
                    shutil.copytree(old, partial)
                    if not complete:
                        os.remove(os.path.join(partial, "region.json"))
                    config.finish_interrupted_swaps(regions)
                    self.assertEqual(config.Config(data_dir=data).regions(), [final])
                    self.assertFalse(os.path.exists(old))
                    shutil.rmtree(partial, ignore_errors=True)
            # What killed jobs left: gone at the next start, but for an import
            # that may still be writing (another service's).
            for left in (".gone.deleted", ".stale.partial", ".fresh.partial"):
                shutil.copytree(final, os.path.join(regions, left))
            hour_ago = time.time() - 3600
            for where, folders, files in os.walk(os.path.join(regions, ".stale.partial")):
                for name in folders + files + [""]:
                    os.utime(os.path.join(where, name), (hour_ago, hour_ago))
            service_regions.sweep(regions)
            self.assertEqual(sorted(os.listdir(regions)), [".fresh.partial", "monaco"])


class ScaledRegion(unittest.TestCase):
    def test_two_copies_have_twice_the_ways_their_own_towns_and_import_joined(self):
        def way_ids(pbf):
            opl = subprocess.run(["osmium", "cat", pbf, "-f", "opl,add_metadata=false", "-t",
                                  "way", "-o", "-"], capture_output=True, text=True, check=True)
            return [line.split(" ", 1)[0] for line in opl.stdout.splitlines()]

        with tempfile.TemporaryDirectory(prefix="marlu-scale-") as work:
            pbf = os.path.join(work, "twice.osm.pbf")
            made = make_scaled_region.make(2, pbf, MONACO)
            ids, once = way_ids(pbf), way_ids(MONACO)
            self.assertEqual(len(set(ids)), len(ids))
            self.assertEqual(len(ids), 2 * len(once) + made["joining_roads"])
            self.assertEqual(made["joining_roads"], 1)
            data = os.path.join(work, "data")
            region = importregion.import_region(pbf, data, log=lambda text: None)
            # The second copy's towns are its own: its streets and addresses
            # are the first copy's, in towns of their own names (but where
            # no boundary of the extract holds them: there the gazetteer's
            # town near each copy names them).
            word = make_scaled_region.copy_word(1)
            index = sqlite3.connect(os.path.join(region, osmindex.SUBFOLDER, osmindex.FILENAME))
            self.addCleanup(index.close)
            rows = set(index.execute("SELECT kind, name, housenumber, town FROM features "
                                     "WHERE kind IN ('street', 'address')"))
            second = {r[:3] + (r[3][:-len(word)],) for r in rows if r[3].endswith(word)}
            self.assertLessEqual({"Monaco", "Beausoleil", "Cap-d'Ail"}, {r[3] for r in second})
            self.assertLessEqual(second, rows)
            beausoleil = {r for r in rows if r[3] == "Beausoleil"}
            self.assertEqual({r for r in second if r[3] == "Beausoleil"}, beausoleil)
            # From the west of the first copy to the east of the second: over the joining road.
            ends = [tuple(made["first"]), tuple(made["last"])]
            databases, _ = routino.covering(config.Config(os.devnull, data).regions(), ends)
            self.assertEqual(len(databases), 1)
            points = routino.run_router(databases[0], "driving", ends[0], ends[1], "quickest", False)
            self.assertIsNotNone(points)
            self.assertGreater(sum(p["metres"] for p in points), 20000)


if __name__ == "__main__":
    unittest.main()


class StreamedStreetIndex(unittest.TestCase):
    """The street index finds towns through spatial indexes: the answers must
    be the ones a look at every boundary and every town would give."""

    def test_a_point_in_a_boundary_s_hole_belongs_to_the_town_in_the_hole(self):
        # Outer: a square with a hole; inner: the town that fills the hole.
        square = {1: (47.10, 9.40), 2: (47.10, 9.60), 3: (47.20, 9.60), 4: (47.20, 9.40),
                  5: (47.14, 9.48), 6: (47.14, 9.52), 7: (47.16, 9.52), 8: (47.16, 9.48)}
        homes = {20: (47.11, 9.41, {"addr:street": "Aussen", "addr:housenumber": "1"}),
                 21: (47.15, 9.50, {"addr:street": "Innen", "addr:housenumber": "2"}),
                 22: (47.30, 9.50, {"addr:street": "Weit", "addr:housenumber": "3"})}
        ways = {100: ([1, 2, 3, 4, 1], {}), 101: ([5, 6, 7, 8, 5], {})}
        town = {"type": "boundary", "boundary": "administrative", "admin_level": "8"}
        relations = {200: ([("way", 100, "outer"), ("way", 101, "inner")], dict(town, name="Ring")),
                     201: ([("way", 101, "outer")], dict(town, name="Kern"))}
        with tempfile.TemporaryDirectory() as work:
            data = os.path.join(work, "data")
            os.makedirs(data)
            os.symlink(config.Config().places_path, os.path.join(data, "places.sqlite"))
            pbf = support.made_up_extract(work, "ring", {**square, **homes}, ways, relations)
            region = importregion.import_region(pbf, data, log=lambda text: None,
                                                importers=("geocoding.osmindex",))
            con = sqlite3.connect(os.path.join(region, "osmindex", "index.sqlite"))
            towns = dict(con.execute("SELECT street, town FROM features WHERE kind = 'address'"))
            con.close()
        self.assertEqual(towns["Aussen"], "Ring")
        self.assertEqual(towns["Innen"], "Kern")
        self.assertNotIn(towns["Weit"], ("Ring", "Kern", ""))

    def test_the_nearest_town_by_size_is_the_one_a_full_scan_finds(self):
        gazetteer = places.PlacesIndex(config.Config().places_path)
        box = (43.5, 7.0, 44.2, 7.8)  # around Monaco: towns of every size
        areas = osmindex.Areas(gazetteer, box, lambda text: None)
        self.assertGreater(len(areas._towns), 50)
        for i in range(400):
            lat, lng = 43.3 + (i % 20) * 0.055, 6.8 + (i // 20) * 0.06

            def score(p):
                km = 111.2 * math.hypot(p.lat - lat, (p.lng - lng) * math.cos(math.radians(lat)))
                return km / (0.5 * max(1.0, p.population / 1000.0) ** 0.4)
            self.assertEqual(areas.at(lat, lng, "").locality,
                             min(areas._towns, key=score).name, (lat, lng))

    def test_a_failing_export_is_an_error_not_an_empty_extract(self):
        with tempfile.TemporaryDirectory() as work:
            broken = os.path.join(work, "broken.osm.pbf")
            with open(MONACO, "rb") as f, open(broken, "wb") as out:
                out.write(f.read()[:300000])
            with self.assertRaises(osmexport.OsmiumError):
                list(osmexport.features(broken))
