"""Renders the low zooms ahead of time at set-up, so the world view never
waits for Mapnik. Skipped when the tile cache for the current inputs is
already complete; of the caches of earlier inputs only the tiles that no
changed region reaches are kept."""

import os
import time
from concurrent.futures import ThreadPoolExecutor

from . import renderer
from .cache import AHEAD
WORKERS = 2


def build(cfg, log):
    generation = renderer.Generation(cfg, log)
    generation.keep_earlier()
    done = os.path.join(generation.folder, "ahead.done")
    want = repr(sorted(AHEAD.items()))
    try:
        with open(done, encoding="utf-8") as f:
            if f.read() == want:
                log("tiles of the low zooms are up to date")
                return
    except OSError:
        pass
    started = time.monotonic()
    jobs = [(tile_set, z, x, y) for tile_set, top in AHEAD.items() for z in range(top + 1)
            for x in range(0, 1 << z, renderer.meta_size(z))
            for y in range(0, 1 << z, renderer.meta_size(z))]
    with ThreadPoolExecutor(WORKERS) as pool:
        list(pool.map(lambda job: generation.tile(*job), jobs))
    os.makedirs(generation.folder, exist_ok=True)
    with open(done, "w", encoding="utf-8") as f:
        f.write(want)
    count = sum(name.endswith(".png") for _, _, files in os.walk(generation.folder)
                for name in files)
    log("%d tiles of the low zooms rendered in %.1f s" % (count, time.monotonic() - started))
