"""scripts/import-region: a bad extract stops with one line and leaves the
earlier import of its region working."""

import os
import subprocess
import tempfile
import unittest

import support

import importregion  # noqa: E402  (support puts services/ on the path)

SCRIPT = os.path.join(support.REPO, "scripts", "import-region")
MONACO = support.fixture("osm", "monaco.osm.pbf")


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


if __name__ == "__main__":
    unittest.main()
