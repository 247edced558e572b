#!/usr/bin/env python3
"""How the import and the service grow with a region's size: regions of 1, 16
and 64 copies of one extract (tools/make_scaled_region.py), each imported
into a scratch data folder, then served; one table, each figure beside its
target.

  bench_scale.py [N ...] [--extract FILE.osm.pbf] [--data DIR]

--data names the data folder whose places index and world map the scratch
folders borrow (default: $MARLU_DATA or build/data, made by the set-up).
"""

import argparse
import http.client
import json
import math
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time
from urllib.parse import urlencode

from servicepath import REPO

import make_scaled_region  # noqa: E402
from marlu_service import config, server as mapservice  # noqa: E402

PYTHON = "/usr/bin/python3"
STREET = "Avenue de Verdun, Beausoleil"
ADDRESS = "Quai Antoine 1er 6, Monaco"
MIB = 1024 * 1024


class Quiet(mapservice.MapRequestHandler):
    def log_request(self, code="-", size="-"):
        pass


def tile_of(lat, lng, z):
    n = 1 << z
    y = (1 - math.log(math.tan(math.radians(lat)) + 1 / math.cos(math.radians(lat))) / math.pi) / 2
    return z, int((lng + 180) / 360 * n), int(y * n)


def folder_bytes(*folders):
    total = 0
    for folder in folders:
        for root, _, files in os.walk(folder):
            for name in files:
                try:
                    total += os.lstat(os.path.join(root, name)).st_size
                except OSError:
                    pass  # renamed or removed while counted
    return total


def run_import(pbf, data, scratch_tmp):
    """(wall seconds, peak RSS MiB of the import and its tools, peak bytes on disk)."""
    env = dict(os.environ, TMPDIR=scratch_tmp)
    started = time.monotonic()
    process = subprocess.Popen([PYTHON, os.path.join(REPO, "services", "importregion.py"), pbf,
                                "--name", "scale", "--data", data], env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    peak_disk = [0]
    done = threading.Event()

    def watch():
        while not done.wait(0.2):
            peak_disk[0] = max(peak_disk[0], folder_bytes(os.path.join(data, "regions"),
                                                          scratch_tmp))
    watcher = threading.Thread(target=watch, daemon=True)
    watcher.start()
    # wait4 reports the largest resident set of the importer and of the tools it waited for.
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.monotonic() - started
    done.set()
    watcher.join()
    errors = process.stderr.read().decode("utf-8", "replace")
    process.stderr.close()
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0:
        raise SystemExit("import failed (exit %d): %s" % (process.returncode, errors[-2000:]))
    return wall, usage.ru_maxrss / 1024, peak_disk[0]


def http_get(port, path):
    conn = http.client.HTTPConnection("127.0.0.1", port, timeout=120)
    try:
        conn.request("GET", path)
        response = conn.getresponse()
        body = response.read()
    finally:
        conn.close()
    if response.status != 200:
        raise SystemExit("%s: HTTP %d" % (path, response.status))
    return body


def timed(call, repeat):
    samples = []
    for _ in range(repeat):
        t0 = time.perf_counter()
        call()
        samples.append((time.perf_counter() - t0) * 1000)
    return statistics.median(samples)


def measure(copies, extract, source, keep):
    scratch = tempfile.mkdtemp(prefix="marlu-scale-%dx-" % copies)
    try:
        pbf = os.path.join(scratch, "scale.osm.pbf")
        summary = make_scaled_region.make(copies, pbf, extract)
        data = os.path.join(scratch, "data")
        scratch_tmp = os.path.join(scratch, "tmp")
        os.makedirs(scratch_tmp)
        os.makedirs(os.path.join(data, "tiles"))
        if os.path.exists(source.places_path):
            os.symlink(source.places_path, os.path.join(data, "places.sqlite"))
        base = os.path.join(source.tiles_dir, "base")
        if os.path.isdir(base):
            shutil.copytree(base, os.path.join(data, "tiles", "base"))
        wall, rss, disk = run_import(pbf, data, scratch_tmp)
        region_bytes = folder_bytes(os.path.join(data, "regions"))
        row = {"copies": copies, "extract MiB": summary["bytes"] / MIB, "import s": wall,
               "import MiB": rss, "temporary MiB": max(0, disk - region_bytes) / MIB}

        cfg = config.Config(os.path.join(scratch, "none.ini"), data)
        server = mapservice.MapServer(cfg, os.path.join(REPO, "web"), port=0)
        server.RequestHandlerClass = Quiet
        threading.Thread(target=server.serve_forever, daemon=True).start()
        try:
            first_lat, first_lng = summary["first"]
            centre_lat, centre_lng = summary["centre"]
            step_x, step_y = summary["step"]
            generation = server.tiles.current_generation()
            generation.tile("roadmap", *tile_of(first_lat, first_lng, 15))  # loads the style
            # Street tiles across the copies, one meta-tile each, zooms 14-18.
            rendered = []
            for i in range(10):
                copy = (i * 7) % copies
                lat = centre_lat - (copy // summary["columns"]) * step_y + 0.003 * (i % 3 - 1)
                lng = centre_lng + (copy % summary["columns"]) * step_x + 0.004 * (i % 4 - 1)
                z, x, y = tile_of(lat, lng, 14 + i % 5)
                rendered.append(timed(lambda: generation.tile("roadmap", z, x, y), 1))
            row["street tile ms"] = statistics.median(rendered)
            # The z8 tile under the first copy: at 64x it holds most of the region.
            row["z8 tile ms"] = timed(
                lambda: generation.tile("roadmap", *tile_of(first_lat, first_lng, 8)), 1)
            for name, query in (("street", STREET), ("address", ADDRESS)):
                path = "/maps/api/geocode/xml?" + urlencode({"address": query})
                if b"<status>OK</status>" not in http_get(server.port, path):
                    raise SystemExit("geocoding %r at %dx found nothing" % (query, copies))
                row["geocode %s ms" % name] = timed(lambda: http_get(server.port, path), 20)
            last_lat, last_lng = summary["last"]
            query = {"origin": ["%.7f,%.7f" % (first_lat, first_lng)],
                     "destination": ["%.7f,%.7f" % (last_lat, last_lng)], "mode": ["driving"]}
            answer = []
            row["route ms"] = timed(lambda: answer.append(server.directions.directions(query)), 3)
            status, routes = answer[-1][0], answer[-1][1]
            if status != "OK":
                raise SystemExit("the longest route at %dx: %s %s" % (copies, status, answer[-1][3]))
            row["route km"] = routes[0]["distance"][0] / 1000
        finally:
            server.shutdown()
            server.server_close()
        return row
    finally:
        if keep:
            print("kept %s" % scratch, file=sys.stderr)
        else:
            shutil.rmtree(scratch, ignore_errors=True)


def report(rows):
    sizes = [r["copies"] for r in rows]
    head = "%-40s" % "figure" + "".join("%12s" % ("%dx" % n) for n in sizes) + "   target"
    print(head)
    print("-" * len(head))

    def line(label, key, fmt, target, met=None):
        cells = "".join("%12s" % (fmt % r[key]) for r in rows)
        verdict = "" if met is None else ("  met" if met else "  MISSED")
        print("%-40s%s   %s%s" % (label, cells, target, verdict))

    biggest = rows[-1]
    line("extract (MiB)", "extract MiB", "%.1f", "")
    line("import wall time (s)", "import s", "%.1f", "<= 90 s at 64x",
         biggest["import s"] <= 90 if biggest["copies"] >= 64 else None)
    mem_met = biggest["import MiB"] <= 250
    line("import peak memory (MiB)", "import MiB", "%.0f",
         "<= 250 MiB; 16x and 64x within 1.3x", mem_met and _within(rows, "import MiB", 1.3, 16))
    line("import temporary files (MiB)", "temporary MiB", "%.1f", "<= 2x the extract",
         all(r["temporary MiB"] <= 2 * r["extract MiB"] for r in rows))
    line("street tile z14-18 on request (ms)", "street tile ms", "%.0f", "flat: within 1.3x of 1x",
         _within(rows, "street tile ms", 1.3))
    line("tile z8 on request (ms)", "z8 tile ms", "%.0f", "within 2x of 1x",
         _within(rows, "z8 tile ms", 2))
    line("geocoding a street over HTTP (ms)", "geocode street ms", "%.2f", "within 1.3x of 1x",
         _within(rows, "geocode street ms", 1.3))
    line("geocoding an address over HTTP (ms)", "geocode address ms", "%.2f", "within 1.3x of 1x",
         _within(rows, "geocode address ms", 1.3))
    line("longest route (ms)", "route ms", "%.0f", "-")
    line("longest route (km)", "route km", "%.0f", "-")
    if len(rows) > 1:
        print()
        print("growth against 1x: " + ", ".join(
            "%s %s" % (key, " ".join("%.2fx" % (r[key] / rows[0][key]) for r in rows[1:]))
            for key in ("import s", "import MiB", "z8 tile ms", "geocode street ms",
                        "geocode address ms") if rows[0][key]))


def _within(rows, key, factor, from_copies=None):
    """Whether the largest size's figure is within factor of the smallest's
    (or of the row for from_copies, when there is one)."""
    base = next((r for r in rows if r["copies"] == from_copies), rows[0]) if from_copies else rows[0]
    if base is rows[-1] or not base[key]:
        return None
    return rows[-1][key] <= factor * base[key]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("sizes", nargs="*", type=int, metavar="N", default=[1, 16, 64])
    parser.add_argument("--extract", default=make_scaled_region.DEFAULT_EXTRACT)
    parser.add_argument("--data", default=os.environ.get("MARLU_DATA") or
                        os.path.join(REPO, "build", "data"))
    parser.add_argument("--keep", action="store_true", help="keep the scratch folders")
    args = parser.parse_args()
    source = config.Config(os.devnull, args.data)
    rows = []
    for copies in sorted(set(args.sizes)):
        print("scale %dx: making, importing, serving" % copies, file=sys.stderr)
        rows.append(measure(copies, args.extract, source, args.keep))
        print(json.dumps(rows[-1]), file=sys.stderr)
    report(rows)
    return 0


if __name__ == "__main__":
    sys.exit(main())
