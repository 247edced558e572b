#!/usr/bin/env python3
"""Searches and routes while street tiles render: their times through HTTP
during a burst of 100 street-level tiles (each a meta-tile render) asked by
50 clients at once, each on a connection of its own, against the same
requests with the service idle, in the same run.

  bench_burst.py [--data DIR]   (default: $MARLU_DATA, built by set-up)

Renders into a scratch copy of the data folder's tile cache, never into it.
"""

import argparse
import http.client
import shutil
import statistics
import sys
import threading
import time
from urllib.parse import urlencode

import servicepath  # noqa: F401

import bench_tiles
from marlu_service import config  # noqa: E402

QUESTIONS = ["/maps/api/geocode/xml?" + urlencode({"address": a}) for a in (
    "Place du Casino, Monaco", "Boulevard Albert 1er 12, Monaco", "Paris", "Fontvieille")] + [
    "/maps/api/directions/xml?" + urlencode({"origin": "43.7393,7.4276",
                                             "destination": "43.7285,7.4150"})]
BURST, CONNECTIONS = 100, 50


def timed(conn, path):
    started = time.perf_counter()
    conn.request("GET", path)
    response = conn.getresponse()
    response.read()
    if response.status != 200:
        raise SystemExit("%s: HTTP %d" % (path, response.status))
    return (time.perf_counter() - started) * 1000


def questions(port, until):
    """Times of the questions asked one after another until until() is true."""
    conn = http.client.HTTPConnection("127.0.0.1", port, timeout=60)
    times, i = [], 0
    while not until() or len(times) < len(QUESTIONS):
        times.append(timed(conn, QUESTIONS[i % len(QUESTIONS)]))
        i += 1
    conn.close()
    return times


def burst(port, tiles):
    queue = list(tiles)
    lock = threading.Lock()

    def fetch():
        conn = http.client.HTTPConnection("127.0.0.1", port, timeout=120)
        while True:
            with lock:
                if not queue:
                    break
                tile = queue.pop()
            timed(conn, "/tiles/roadmap/%d/%d/%d.png" % tile)
        conn.close()

    threads = [threading.Thread(target=fetch) for _ in range(CONNECTIONS)]
    for t in threads:
        t.start()
    return threads


def p95(values):
    return sorted(values)[int(len(values) * 0.95)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", default=config.default_data_dir())
    args = parser.parse_args()
    scratch, cfg, server = bench_tiles.scratch_service(args.data, "marlu-bench-burst-")
    try:
        port = server.port
        bench_tiles.timed_get(port, "/tiles/roadmap/15/%d/%d.png"
                              % bench_tiles.tile_of(43.735, 7.42, 15))  # loads the style
        idle_until = time.monotonic() + 3
        idle = questions(port, lambda: time.monotonic() > idle_until)
        started = time.perf_counter()
        threads = burst(port, bench_tiles.street_tiles(cfg, BURST))
        during = questions(port, lambda: not any(t.is_alive() for t in threads))
        seconds = time.perf_counter() - started
        server.shutdown()
        print("%d street tiles in %.1f s; searches and routes: idle median %.1f ms, 95th %.1f ms;"
              " during the burst (%d) median %.1f ms, 95th %.1f ms"
              % (BURST, seconds, statistics.median(idle), p95(idle), len(during),
                 statistics.median(during), p95(during)))
        print("#bench\tsearch/route during a 50-client tile burst, median (ms)\t%.1f\t%.1f\t<=50"
              % (statistics.median(during), statistics.median(idle)))
        print("#bench\tsearch/route during a 50-client tile burst, 95th percentile (ms)"
              "\t%.1f\t%.1f\tratio<=3" % (p95(during), p95(idle)))
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
