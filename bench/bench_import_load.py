#!/usr/bin/env python3
"""Does an import slow the map down? Street-level tiles rendered on request
and geocoding answers over HTTP, timed while a region is being imported in
the background and while the service is idle, in alternating rounds.
Target: the median during an import at most 3 times the idle one.

  bench_import_load.py [--data DIR] [--rounds N]   (default: $MARLU_DATA, built by set-up)

Works in a scratch folder (the data folder's regions copied, its places
linked), never in the data folder itself.
"""

import argparse
import http.client
import os
import random
import shutil
import statistics
import time
from urllib.parse import quote

import servicepath  # noqa: F401

from bench_tiles import scratch_service, street_tiles  # noqa: E402
from marlu_service import config, setupdata  # noqa: E402

TARGET_RATIO = 3
QUERIES = ["Place du Casino, Monaco", "Boulevard Albert 1er", "Avenue de Verdun, Beausoleil",
           "Paris", "Fontvieille", "Köln", "Rue Grimaldi", "Springfield", "48.8566 2.3522"]


def timed_get(port, path):
    conn = http.client.HTTPConnection("127.0.0.1", port, timeout=120)
    started = time.perf_counter()
    conn.request("GET", path)
    response = conn.getresponse()
    response.read()
    elapsed = (time.perf_counter() - started) * 1000
    conn.close()
    if response.status != 200:
        raise SystemExit("%s: HTTP %d" % (path, response.status))
    return elapsed


def sample(port, tiles, rng, timings, until):
    """Times a rendered tile and two geocoding requests at a time until until() says stop."""
    while tiles and not until():
        timings["tile"].append(timed_get(port, "/tiles/roadmap/%d/%d/%d.png" % tiles.pop()))
        for _ in range(2):
            timings["geocode"].append(timed_get(
                port, "/maps/api/geocode/xml?address=" + quote(rng.choice(QUERIES))))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", default=config.default_data_dir())
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--extract", default=setupdata.DEFAULT_DEMO)
    args = parser.parse_args()
    scratch, cfg, server = scratch_service(args.data, "marlu-bench-import-", copy_regions=True)
    try:
        regions = server.regions
        tiles = street_tiles(cfg, 10000)
        random.Random(1).shuffle(tiles)
        rng = random.Random(2)
        timings = {phase: {"tile": [], "geocode": []} for phase in ("idle", "import")}
        per_phase = max(4, len(tiles) // (2 * args.rounds) - 1)
        for round_ in range(args.rounds):
            timed_get(server.port, "/tiles/roadmap/15/17059/11948.png")   # loads the style
            started = time.monotonic()
            sample(server.port, tiles[-per_phase:], rng, timings["idle"],
                   lambda: time.monotonic() - started > 20)
            del tiles[-per_phase:]
            name = "bench-load-%d" % round_
            status, answer = regions.start_import({"path": os.path.abspath(args.extract),
                                                   "name": name})
            if status != 202:
                raise SystemExit("the import did not start: %s" % answer)

            def imported():
                entry = {e["name"]: e for e in regions.list({})[1]["regions"]}[name]
                if entry["state"] == "failed":
                    raise SystemExit("the import failed: %s" % entry["error"])
                return entry["state"] == "ready"
            # Once the import process runs: the job's first stage.
            while not imported() and not \
                    {e["name"]: e for e in regions.list({})[1]["regions"]}[name]["stage"]:
                time.sleep(0.05)
            sample(server.port, tiles[-per_phase:], rng, timings["import"], imported)
            del tiles[-per_phase:]
            while not imported():
                time.sleep(0.1)
            regions.delete({}, name)
        server.shutdown()
        for kind, label in (("tile", "street tile rendered on request"),
                            ("geocode", "geocoding request")):
            busy, idle = (statistics.median(timings[p][kind]) for p in ("import", "idle"))
            print("%s: median %.1f ms during an import (%d), %.1f ms idle (%d): ratio %.2f"
                  % (label, busy, len(timings["import"][kind]), idle,
                     len(timings["idle"][kind]), busy / idle))
            print("#bench\t%s during an import vs idle (ms)\t%.2f\t%.2f\tratio<=%d"
                  % (label, busy, idle, TARGET_RATIO))
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
