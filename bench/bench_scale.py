#!/usr/bin/env python3
"""How the import and the service grow with a region's size: regions of 1,
16, 64 and 128 copies of one extract (tools/make_scaled_region.py), each
imported into a scratch data folder, then served; and the real extracts of
the shared fixtures (osm/*.osm.pbf, when there are any), imported only. One
table, each figure beside its target; the import's cost also per MB of
extract: CPU seconds (the importer and every program it ran), the peak of
all its processes' memory at once (anonymous and file-mapped apart), disk
at the peak and at the end.

  bench_scale.py [N ...] [--extract FILE.osm.pbf] [--data DIR] [--no-real]

--data names the data folder whose places index and world map the scratch
folders borrow (default: $MARLU_DATA or build/data, made by the set-up).
"""

import argparse
import glob
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
from bench_import import du as folder_bytes, tree_memory  # noqa: E402
from marlu_service import config, server as mapservice  # noqa: E402

PYTHON = "/usr/bin/python3"
STREET = "Avenue de Verdun, Beausoleil"
ADDRESS = "Quai Antoine 1er 6, Monaco"
MIB = 1024 * 1024
MB = 1e6
# The import's targets: a 166 MB region (128 copies) in 90 s on two cores;
# memory bounded by settings, not by the extract; disk a few times the extract.
WALL_TARGET_S, WALL_TARGET_MB = 90, 166
ANON_TARGET_MIB = 300
DISK_PEAK_TARGET, DISK_END_TARGET = 4, 3
FLAT = 1.2


class Quiet(mapservice.MapRequestHandler):
    def log_request(self, code="-", size="-"):
        pass


def tile_of(lat, lng, z):
    n = 1 << z
    y = (1 - math.log(math.tan(math.radians(lat)) + 1 / math.cos(math.radians(lat))) / math.pi) / 2
    return z, int((lng + 180) / 360 * n), int(y * n)


def run_import(pbf, data, scratch_tmp):
    """What one import costs: wall and CPU seconds, the peaks of the summed
    anonymous and file-mapped memory of its processes, the peak bytes on disk."""
    env = dict(os.environ, TMPDIR=scratch_tmp)
    started = time.monotonic()
    process = subprocess.Popen([PYTHON, os.path.join(REPO, "services", "importregion.py"), pbf,
                                "--name", "scale", "--data", data], env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    peaks = {"disk": 0, "anon": 0, "mapped": 0, "programs": {}}
    done = threading.Event()

    def watch():
        while not done.wait(0.1):
            peaks["disk"] = max(peaks["disk"], folder_bytes(os.path.join(data, "regions")) +
                                folder_bytes(scratch_tmp))
            anon, mapped, programs = tree_memory(process.pid)
            peaks["anon"], peaks["mapped"] = max(peaks["anon"], anon), max(peaks["mapped"], mapped)
            for name, rss in programs.items():
                peaks["programs"][name] = max(peaks["programs"].get(name, 0), rss)
    watcher = threading.Thread(target=watch, daemon=True)
    watcher.start()
    errors = []
    reader = threading.Thread(target=lambda: errors.append(process.stderr.read()), daemon=True)
    reader.start()
    # wait4 counts the CPU of the importer and of every program it waited for
    # (not its largest resident set: a child forked from this process starts
    # with this one's, whatever it runs then).
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.monotonic() - started
    done.set()
    watcher.join()
    reader.join()
    process.stderr.close()
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0:
        raise SystemExit("import failed (exit %d): %s" % (
            process.returncode, b"".join(errors).decode("utf-8", "replace")[-2000:]))
    # The importer's own account: each step's time.
    sys.stderr.write("".join("  " + line + "\n" for line in
                             b"".join(errors).decode("utf-8", "replace").splitlines()))
    print("  largest resident set by program: " + ", ".join(
        "%s %.0f MiB" % (n, v / MIB) for n, v in sorted(peaks["programs"].items(),
                                                        key=lambda kv: -kv[1])[:6]),
          file=sys.stderr)
    return {"import s": wall, "import cpu s": usage.ru_utime + usage.ru_stime,
            "anon MiB": peaks["anon"] / MIB, "mapped MiB": peaks["mapped"] / MIB,
            "largest MiB": max(peaks["programs"].values(), default=0) / MIB,
            "disk peak": peaks["disk"]}


def scratch_data(scratch, source):
    """A data folder in scratch that borrows the places and world of source."""
    data = os.path.join(scratch, "data")
    os.makedirs(os.path.join(scratch, "tmp"))
    os.makedirs(os.path.join(data, "tiles"))
    if os.path.exists(source.places_path):
        os.symlink(source.places_path, os.path.join(data, "places.sqlite"))
    base = os.path.join(source.tiles_dir, "base")
    if os.path.isdir(base):
        shutil.copytree(base, os.path.join(data, "tiles", "base"))
    return data


def imported(label, pbf, data, scratch):
    """The import's row: its figures, absolute and per MB of the extract."""
    size = os.path.getsize(pbf)
    row = {"label": label, "extract MB": size / MB}
    row.update(run_import(pbf, data, os.path.join(scratch, "tmp")))
    end = folder_bytes(os.path.join(data, "regions"))
    row["disk peak x"] = row.pop("disk peak") / size
    row["disk end x"] = end / size
    row["temporary MiB"] = max(0.0, row["disk peak x"] * size - end) / MIB
    for key in ("import s", "import cpu s", "anon MiB", "mapped MiB"):
        row[key + " per MB"] = row[key] / row["extract MB"]
    return row


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


def measure_real(pbf, source, keep):
    """A real extract's row: the import only."""
    label = os.path.basename(pbf).split(".")[0]
    scratch = tempfile.mkdtemp(prefix="marlu-scale-%s-" % label)
    try:
        return imported(label, pbf, scratch_data(scratch, source), scratch)
    finally:
        if keep:
            print("kept %s" % scratch, file=sys.stderr)
        else:
            shutil.rmtree(scratch, ignore_errors=True)


def measure(copies, extract, source, keep):
    scratch = tempfile.mkdtemp(prefix="marlu-scale-%dx-" % copies)
    try:
        pbf = os.path.join(scratch, "scale.osm.pbf")
        summary = make_scaled_region.make(copies, pbf, extract)
        data = scratch_data(scratch, source)
        row = imported("%dx" % copies, pbf, data, scratch)
        row["copies"] = copies

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
    """The table: scaled regions first (by copies), then the real extracts."""
    scaled = [r for r in rows if "copies" in r]
    head = "%-44s" % "figure" + "".join("%11s" % r["label"] for r in rows) + "   target"
    print(head)
    print("-" * len(head))

    def line(label, key, fmt, target="-", met=None):
        cells = "".join("%11s" % (fmt % r[key] if r.get(key) is not None else "-")
                        for r in rows)
        verdict = "" if met is None else ("  met" if met else "  MISSED")
        print("%-44s%s   %s%s" % (label, cells, target, verdict))

    biggest = scaled[-1] if scaled else None
    # Disk has fixed costs (the router's files, the styles' tables): judged on the largest.
    largest = max(rows, key=lambda r: r["extract MB"])
    at16 = next((r for r in scaled if r["copies"] == 16), None)
    wall_per_mb = WALL_TARGET_S / WALL_TARGET_MB
    line("extract (MB)", "extract MB", "%.1f")
    line("import wall time (s)", "import s", "%.1f",
         "<= %d s at %d MB" % (WALL_TARGET_S, WALL_TARGET_MB))
    line("  per MB", "import s per MB", "%.2f", "<= %.2f at the largest" % wall_per_mb,
         biggest["import s per MB"] <= wall_per_mb if biggest and biggest["copies"] > 1
         else None)
    line("import CPU, all processes (s)", "import cpu s", "%.1f")
    line("  per MB", "import cpu s per MB", "%.2f",
         "16x to %s within %.1fx" % (biggest["label"] if biggest else "-", FLAT),
         _flat(at16, biggest, "import cpu s per MB"))
    line("peak anonymous memory, all (MiB)", "anon MiB", "%.0f",
         "<= %d; 16x to %s within %.1fx" % (ANON_TARGET_MIB, biggest["label"] if biggest
                                            else "-", FLAT),
         all(r["anon MiB"] <= ANON_TARGET_MIB for r in rows) and
         _flat(at16, biggest, "anon MiB") is not False)
    line("  per MB", "anon MiB per MB", "%.2f")
    line("peak file-mapped memory, all (MiB)", "mapped MiB", "%.0f")
    line("  per MB", "mapped MiB per MB", "%.2f")
    line("largest process (MiB, sampled)", "largest MiB", "%.0f")
    line("disk at peak (x extract)", "disk peak x", "%.2f",
         "<= %d at the largest" % DISK_PEAK_TARGET, largest["disk peak x"] <= DISK_PEAK_TARGET)
    line("disk at the end: region (x extract)", "disk end x", "%.2f",
         "<= %d at the largest" % DISK_END_TARGET, largest["disk end x"] <= DISK_END_TARGET)
    line("temporary files at peak (MiB)", "temporary MiB", "%.1f")
    if not scaled:
        return
    line("street tile z14-18 on request (ms)", "street tile ms", "%.0f", "flat: within 1.3x of 1x",
         _within(scaled, "street tile ms", 1.3))
    line("tile z8 on request (ms)", "z8 tile ms", "%.0f", "within 2x of 1x",
         _within(scaled, "z8 tile ms", 2))
    line("geocoding a street over HTTP (ms)", "geocode street ms", "%.2f", "within 1.3x of 1x",
         _within(scaled, "geocode street ms", 1.3))
    line("geocoding an address over HTTP (ms)", "geocode address ms", "%.2f",
         "within 1.3x of 1x", _within(scaled, "geocode address ms", 1.3))
    line("longest route (ms)", "route ms", "%.0f")
    line("longest route (km)", "route km", "%.0f")
    if len(scaled) > 1:
        print()
        print("growth against 1x: " + ", ".join(
            "%s %s" % (key, " ".join("%.2fx" % (r[key] / scaled[0][key]) for r in scaled[1:]))
            for key in ("import s", "import cpu s per MB", "anon MiB", "z8 tile ms",
                        "geocode street ms", "geocode address ms") if scaled[0][key]))


def _flat(base, last, key):
    """Whether last's figure is within FLAT of base's; None without both."""
    if base is None or last is None or base is last or not base[key]:
        return None
    return last[key] <= FLAT * base[key]


def _within(rows, key, factor):
    """Whether the largest size's figure is within factor of the smallest's."""
    if len(rows) < 2 or not rows[0][key]:
        return None
    return rows[-1][key] <= factor * rows[0][key]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("sizes", nargs="*", type=int, metavar="N", default=[1, 16, 64, 128])
    parser.add_argument("--extract", default=make_scaled_region.DEFAULT_EXTRACT)
    parser.add_argument("--no-real", action="store_true",
                        help="leave out the real extracts of the shared fixtures")
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
    real = [] if args.no_real else sorted(
        glob.glob(os.path.join(make_scaled_region.FIXTURES, "osm", "*.osm.pbf")),
        key=os.path.getsize)
    for pbf in real:
        print("%s: importing" % pbf, file=sys.stderr)
        rows.append(measure_real(pbf, source, args.keep))
        print(json.dumps(rows[-1]), file=sys.stderr)
    if not rows:
        raise SystemExit("nothing to measure")
    report(rows)
    return 0


if __name__ == "__main__":
    sys.exit(main())
