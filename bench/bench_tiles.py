#!/usr/bin/env python3
"""Tile serving times through HTTP: a cached tile, and a street-level tile
rendered on request (one meta-tile render each), over the imported regions.

  bench_tiles.py [--data DIR]   (default: $MARLU_DATA, built by set-up)

Renders into a scratch copy of the data folder's tile cache, never into it.
"""

import argparse
import http.client
import json
import math
import os
import shutil
import statistics
import tempfile
import threading
import time

from servicepath import REPO

from marlu_service import config, server as mapservice  # noqa: E402
from marlu_service.tiles import renderer  # noqa: E402

CACHED_TARGET_MS, RENDER_TARGET_MS = 5, 300


class QuietHandler(mapservice.MapRequestHandler):
    def log_request(self, code="-", size="-"):
        pass


def tile_of(lat, lng, z):
    n = 1 << z
    y = (1 - math.log(math.tan(math.radians(lat)) + 1 / math.cos(math.radians(lat))) / math.pi) / 2
    return int((lng + 180) / 360 * n), int(y * n)


def street_tiles(cfg, count):
    """One tile from each of count meta-tiles at zooms 16-18 inside the regions."""
    found = []
    for folder in cfg.regions():
        with open(os.path.join(folder, "region.json"), encoding="utf-8") as f:
            west, south, east, north = json.load(f)["bbox"]
        for z in (16, 17, 18):
            x0, y0 = tile_of(north, west, z)
            x1, y1 = tile_of(south, east, z)
            m = renderer.meta_size(z)
            found += [(z, x, y) for x in range(x0 - x0 % m, x1 + 1, m)
                      for y in range(y0 - y0 % m, y1 + 1, m)]
    return found[:: max(1, len(found) // count)][:count]


def timed_get(port, path):
    conn = http.client.HTTPConnection("127.0.0.1", port, timeout=60)
    started = time.perf_counter()
    conn.request("GET", path)
    response = conn.getresponse()
    body = response.read()
    elapsed = (time.perf_counter() - started) * 1000
    conn.close()
    if response.status != 200 or not body.startswith(b"\x89PNG"):
        raise SystemExit("%s: HTTP %d" % (path, response.status))
    return elapsed


def scratch_service(data_dir, prefix, copy_regions=False):
    """(scratch folder, cfg, running server): a service on a folder of its own
    that reads data_dir's regions and places and starts from its low-zoom
    tiles, so that what a benchmark renders or imports stays out of data_dir.
    copy_regions: a copy of the regions folder, for benchmarks that import."""
    source = config.Config(data_dir=data_dir)
    if not source.regions():
        raise SystemExit("no imported region in %s: run the set-up first" % source.data_dir)
    scratch = tempfile.mkdtemp(prefix=prefix)
    regions = os.path.join(scratch, "regions")
    if copy_regions:
        shutil.copytree(source.regions_dir, regions, symlinks=True)
    else:
        os.symlink(source.regions_dir, regions)
    if os.path.exists(source.places_path):
        os.symlink(source.places_path, os.path.join(scratch, "places.sqlite"))
    base = os.path.join(source.tiles_dir, "base")
    if os.path.isdir(base):
        shutil.copytree(base, os.path.join(scratch, "tiles", "base"))
    cfg = config.Config(os.path.join(scratch, "none.ini"), scratch)
    server = mapservice.MapServer(cfg, os.path.join(REPO, "web"), port=0)
    server.RequestHandlerClass = QuietHandler
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return scratch, cfg, server


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", default=config.default_data_dir())
    parser.add_argument("--count", type=int, default=30)
    args = parser.parse_args()
    scratch, cfg, server = scratch_service(args.data, "marlu-bench-tiles-")
    try:
        path = "/tiles/roadmap/%d/%d/%d.png"
        timed_get(server.port, path % (15, *tile_of(43.735, 7.42, 15)))  # loads the style
        wanted = street_tiles(cfg, args.count)
        rendered = [timed_get(server.port, path % t) for t in wanted]
        cached = [timed_get(server.port, path % t) for t in wanted * 5]
        server.shutdown()
        print("tile rendered on request (zoom 16-18, %d meta-tiles): median %.1f ms, target <= %d ms"
              % (len(rendered), statistics.median(rendered), RENDER_TARGET_MS))
        print("cached tile (%d requests): median %.2f ms, target <= %d ms"
              % (len(cached), statistics.median(cached), CACHED_TARGET_MS))
        print("#bench\ttile rendered on request, zoom 16-18 (ms)\t%.1f\t-\t<=%d"
              % (statistics.median(rendered), RENDER_TARGET_MS))
        print("#bench\tcached tile over HTTP (ms)\t%.2f\t-\t<=%d" % (statistics.median(cached), CACHED_TARGET_MS))
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
