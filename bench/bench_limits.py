#!/usr/bin/env python3
"""The longest directions request the service accepts (both ends and the
waypoints at the 500 characters an address may have) against a short one:
time through HTTP and the memory the service allocates for it, rounds
alternating, on the set-up's data.

  bench_limits.py [--data DIR] [--rounds N]   (default: $MARLU_DATA, 9 rounds)
"""

import argparse
import http.client
import shutil
import statistics
import sys
import time
import tracemalloc
from urllib.parse import urlencode

import servicepath  # noqa: F401

import bench_tiles
from marlu_service import config, geocoding  # noqa: E402

PATH = "/maps/api/directions/xml?"
SHORT = PATH + urlencode({"origin": "Place du Casino", "destination": "Fontvieille"})
LONGEST = PATH + urlencode({
    "origin": ("Place du Casino Monte Carlo " * 40)[:geocoding.MAX_ADDRESS],
    "destination": ("Fontvieille Monaco " * 40)[:geocoding.MAX_ADDRESS],
    "waypoints": ("Boulevard Albert 1er " * 40)[:geocoding.MAX_ADDRESS]})


def ask(port, path):
    """Seconds the answer took."""
    conn = http.client.HTTPConnection("127.0.0.1", port, timeout=300)
    started = time.perf_counter()
    conn.request("GET", path)
    response = conn.getresponse()
    body = response.read()
    seconds = time.perf_counter() - started
    conn.close()
    if response.status != 200 or b"INVALID_REQUEST" in body:
        raise SystemExit("%s...: HTTP %d %r" % (path[:80], response.status, body[:200]))
    return seconds


def allocated(port, path):
    """Peak bytes the service's Python allocated while answering."""
    tracemalloc.reset_peak()
    base = tracemalloc.get_traced_memory()[0]
    ask(port, path)
    return tracemalloc.get_traced_memory()[1] - base


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", default=config.default_data_dir())
    parser.add_argument("--rounds", type=int, default=9)
    args = parser.parse_args()
    scratch, cfg, server = bench_tiles.scratch_service(args.data, "marlu-bench-limits-")
    try:
        port = server.port
        ask(port, SHORT)   # loads the geocoder and the router
        ask(port, LONGEST)
        times = {SHORT: [], LONGEST: []}
        for _ in range(args.rounds):
            for path in (SHORT, LONGEST):
                times[path].append(ask(port, path))
        tracemalloc.start()
        memory = {SHORT: [], LONGEST: []}
        for _ in range(3):
            for path in (SHORT, LONGEST):
                memory[path].append(allocated(port, path))
        tracemalloc.stop()
        server.shutdown()
        short_ms, long_ms = (statistics.median(times[p]) * 1000 for p in (SHORT, LONGEST))
        short_kb, long_kb = (statistics.median(memory[p]) / 1024 for p in (SHORT, LONGEST))
        print("directions: short %.1f ms, %.0f kB; longest accepted (%d-character ends and "
              "waypoints, a %d-character request) %.1f ms, %.0f kB"
              % (short_ms, short_kb, geocoding.MAX_ADDRESS, len(LONGEST), long_ms, long_kb))
        print("#bench\tlongest accepted directions request vs a short one, time (ms)"
              "\t%.1f\t%.1f\tratio<=2" % (long_ms, short_ms))
        print("#bench\tlongest accepted directions request vs a short one, memory (kB)"
              "\t%.0f\t%.0f\tratio<=2" % (long_kb, short_kb))
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
