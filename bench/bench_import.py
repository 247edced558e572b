#!/usr/bin/env python3
"""An import at growing region sizes: wall time, peak memory of the whole
process tree, peak temporary files, then a low-zoom and a street tile and a
street and an address search over each imported region, timed against the
1x region in the same run (alternating, medians).

  bench_import.py --data DIR [--services DIR] [--work DIR] NAME=FILE.osm.pbf ...

The first extract is the 1x baseline; the others are N-times copies of it
(tools/make_scaled_region.py), whose copy 0 lies where the baseline does. --data
lends its gazetteer and world (never written); --services runs another
checkout's importer (a before/after comparison); the tiles and searches are
this checkout's readers.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from servicepath import REPO
ROUNDS = 7
# Tiles on the baseline's centre, a z8 to z12 low zoom and a street tile.
TILE_ZOOMS = (8, 10, 12, 16)
TARGETS = {"peak MiB": 250, "wall s": 90, "temp x extract": 2.0}


def tree_memory(root):
    """(anonymous, file-mapped, {program: its largest resident}) bytes of root
    and its descendants now; file-mapped counts shared memory too."""
    children = {}
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % pid) as f:
                parent = int(f.read().rsplit(")", 1)[1].split()[1])
        except (OSError, IndexError, ValueError):
            continue
        children.setdefault(parent, []).append(int(pid))
    anonymous, mapped, programs, todo = 0, 0, {}, [root]
    while todo:
        pid = todo.pop()
        todo += children.get(pid, [])
        try:
            with open("/proc/%d/status" % pid) as f:
                fields = dict(line.split(":", 1) for line in f
                              if line.startswith(("Name:", "Rss")))
        except (OSError, ValueError):
            continue  # ended meanwhile

        def kib(key):
            return int(fields.get(key, "0 kB").split()[0]) * 1024
        anon, files = kib("RssAnon"), kib("RssFile") + kib("RssShmem")
        anonymous += anon
        mapped += files
        name = fields.get("Name", "?").strip()
        programs[name] = max(programs.get(name, 0), anon + files)
    return anonymous, mapped, programs


def tree_rss(root, peaks):
    """Summed RSS (bytes) of root and its descendants; peaks: program ->
    its largest RSS so far."""
    anonymous, mapped, programs = tree_memory(root)
    for name, rss in programs.items():
        peaks[name] = max(peaks.get(name, 0), rss)
    # Pages of memory rather than of mapped files, which the system may drop.
    peaks["(all, anonymous)"] = max(peaks.get("(all, anonymous)", 0), anonymous)
    return anonymous + mapped


def du(path):
    total = 0
    for folder, _, files in os.walk(path):
        for name in files:
            try:
                total += os.lstat(os.path.join(folder, name)).st_size
            except OSError:
                pass
    return total


def imported(services, data, name, pbf):
    """(wall s, peak tree bytes, peak temporary bytes) of one import."""
    tmp = os.path.join(data, "tmp")
    os.makedirs(tmp, exist_ok=True)
    env = dict(os.environ, PYTHONPATH=services, TMPDIR=tmp)
    started = time.monotonic()
    proc = subprocess.Popen([sys.executable, "-m", "marlu_service.importregion", pbf,
                             "--name", name, "--data", data], env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    partial = os.path.join(data, "regions", "." + name + ".partial")
    peak_rss = peak_tmp = 0
    peaks = {}
    while proc.poll() is None:
        peak_rss = max(peak_rss, tree_rss(proc.pid, peaks))
        peak_tmp = max(peak_tmp, du(partial) + du(tmp))
        time.sleep(0.1)
    wall = time.monotonic() - started
    log = proc.stderr.read()
    if proc.returncode != 0:
        sys.exit("import of %s failed:\n%s" % (name, log))
    kept = du(os.path.join(data, "regions", name))
    log += "peak RSS by program: %s\n" % ", ".join(
        "%s %.0f MiB" % (n, v / 2 ** 20) for n, v in sorted(peaks.items(), key=lambda kv: -kv[1]))
    return wall, peak_rss, max(0, peak_tmp - kept), log


def tile_timer(data, region_names):
    import mapnik
    from marlu_service.tiles import geo, osmimport, style

    maps = {}
    for name in region_names:
        db = os.path.join(data, "regions", name, osmimport.SUBFOLDER, osmimport.DATABASE)
        xml = style.build("roadmap", {"world": os.path.join(data, "tiles", "base", "world.sqlite"),
                                      "places": os.path.join(data, "tiles", "base", "places.sqlite"),
                                      "regions": [db], "imagery": None})
        m = mapnik.Map(256, 256)
        mapnik.load_map_from_string(m, xml)
        maps[name] = m

    def render(name, z, x, y):
        m = maps[name]
        m.zoom_to_box(mapnik.Box2d(*geo.tile_bounds(z, x, y)))
        started = time.perf_counter()
        mapnik.render(m, mapnik.Image(256, 256))
        return time.perf_counter() - started
    return render


def tile_xy(lat, lng, z):
    import math
    n = 1 << z
    y = (1 - math.log(math.tan(math.radians(lat)) + 1 / math.cos(math.radians(lat))) / math.pi) / 2
    return int((lng + 180) / 360 * n), int(y * n)


def search_queries(data, name, count=15):
    import sqlite3
    con = sqlite3.connect(os.path.join(data, "regions", name, "osmindex", "index.sqlite"))
    streets = [r[0] for r in con.execute(
        "SELECT DISTINCT name FROM features WHERE kind = 'street' ORDER BY name LIMIT ?",
        (count,))]
    addresses = ["%s %s" % r for r in con.execute(
        "SELECT housenumber, street FROM features WHERE kind = 'address' "
        "GROUP BY street ORDER BY street LIMIT ?", (count,))]
    con.close()
    return streets, addresses


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", required=True)
    parser.add_argument("--services", default=os.path.join(REPO, "services"))
    parser.add_argument("--work")
    parser.add_argument("extracts", nargs="+")
    args = parser.parse_args()
    work = args.work or tempfile.mkdtemp(prefix="marlu-bench-import-")
    data = os.path.join(work, "data")
    os.makedirs(os.path.join(data, "tiles", "base"), exist_ok=True)
    for part in ("places.sqlite", os.path.join("tiles", "base", "world.sqlite"),
                 os.path.join("tiles", "base", "places.sqlite")):
        target = os.path.join(data, part)
        if not os.path.exists(target):
            os.symlink(os.path.join(os.path.abspath(args.data), part), target)
    names = []
    print("%-8s %9s %9s %9s %9s" % ("region", "MB", "wall s", "peak MiB", "temp MiB"))
    for entry in args.extracts:
        name, pbf = entry.split("=", 1)
        shutil.rmtree(os.path.join(data, "regions", name), ignore_errors=True)
        wall, rss, tmp, log = imported(args.services, data, name, os.path.abspath(pbf))
        size = os.path.getsize(pbf)
        names.append(name)
        print("%-8s %9.1f %9.1f %9.1f %9.1f   (temp %.2fx the extract)" % (
            name, size / 1e6, wall, rss / 2 ** 20, tmp / 2 ** 20, tmp / size), flush=True)
        print("#bench import %s: wall %.1f s, peak %.0f MiB, temp %.2fx" % (
            name, wall, rss / 2 ** 20, tmp / size))
        sys.stderr.write(log)
    base = names[0]
    render = tile_timer(data, names)
    from marlu_service.geocoding.offline import Offline
    from marlu_service.geocoding.osmindex import StreetIndex
    from marlu_service.geocoding.places import PlacesIndex
    places = PlacesIndex(os.path.join(data, "places.sqlite"))
    geocoders = {n: Offline(places, StreetIndex([os.path.join(data, "regions", n)]))
                 for n in names}
    streets, addresses = search_queries(data, base)
    lat, lng = 43.735, 7.42
    for z in TILE_ZOOMS:
        x, y = tile_xy(lat, lng, z)
        times = {n: [] for n in names}
        for _ in range(ROUNDS):
            for n in names:
                times[n].append(render(n, z, x, y))
        b = statistics.median(times[base])
        for n in names[1:]:
            t = statistics.median(times[n])
            print("#bench tile z%d %s: %.1f ms, 1x %.1f ms, ratio %.2f (target %s)" % (
                z, n, t * 1000, b * 1000, t / b, "2.0" if z <= 12 else "flat"))
    from marlu_service.geocoding import render as reply
    # The search alone, and with its reply document (what a request costs
    # besides HTTP): a name that 64 copies share has 10 results, not 1.
    for how, call in (("", lambda g, q: g.geocode(q)),
                      (" with reply", lambda g, q: reply(*g.geocode(q)))):
        for kind, queries in (("street", streets), ("address", addresses)):
            times = {n: [] for n in names}
            for _ in range(3):
                for n in names:
                    for q in queries:
                        started = time.perf_counter()
                        call(geocoders[n], q)
                        times[n].append(time.perf_counter() - started)
            b = statistics.median(times[base])
            for n in names[1:]:
                t = statistics.median(times[n])
                print("#bench search %s%s %s: %.2f ms, 1x %.2f ms, ratio %.2f (target 1.3)" % (
                    kind, how, n, t * 1000, b * 1000, t / b))


if __name__ == "__main__":
    main()
