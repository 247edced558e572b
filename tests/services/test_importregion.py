"""scripts/import-region: a bad extract stops with one line and leaves the
earlier import of its region working."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import support

from marlu_service import config, importregion, setupdata
from marlu_service.directions import routino

sys.path.insert(0, os.path.join(support.REPO, "tools"))
import make_scaled_region  # noqa: E402

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
            for name in (victim, "../places.sqlite", "../x", ".", "..", "a/b", "",
                         "x" * 65, ".monaco.old"):
                with self.subTest(name=name):
                    result = subprocess.run([SCRIPT, MONACO, "--name", name],
                                            capture_output=True, text=True,
                                            env=dict(os.environ, MARLU_DATA=data), timeout=600)
                    self.assertEqual(result.returncode, 1)
                    self.assertEqual(len(result.stderr.splitlines()), 1, result.stderr)
                    self.assertIn("is not a region name", result.stderr)
                    self.assertEqual(snapshot(work), before)
            self.assertEqual(importregion.checked_name("  Côte d Azur_2 "), "Côte-d-Azur_2")

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


class ScaledRegion(unittest.TestCase):
    def test_two_copies_have_twice_the_ways_and_import_joined(self):
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
            importregion.import_region(pbf, data, log=lambda text: None)
            # From the west of the first copy to the east of the second: over the joining road.
            ends = [tuple(made["first"]), tuple(made["last"])]
            databases, _ = routino.covering(config.Config(os.devnull, data).regions(), ends)
            self.assertEqual(len(databases), 1)
            points = routino.run_router(databases[0], "driving", ends[0], ends[1], "quickest", False)
            self.assertIsNotNone(points)
            self.assertGreater(sum(p["metres"] for p in points), 20000)


if __name__ == "__main__":
    unittest.main()
