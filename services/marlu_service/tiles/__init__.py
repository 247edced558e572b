"""Map tiles of the local service: /tiles/sources.json tells the page which
tile sets exist, /tiles/<set>/{z}/{x}/{y}.png serves the offline ones, and
/tiles/<set>/{z}/{x}/{y}.labels.json names the labels that tile shows (for
checking what a rendered map holds; rendered anew on each request)."""

import json
import os
import re
import sys
import threading
from concurrent.futures import ThreadPoolExecutor
from http import HTTPStatus

from . import sources
from .cache import DEFAULT_SIZE, TileCache

# Renders run in this many threads, whatever the number of tile requests, so
# that a burst of tiles leaves searches and routes their share of the machine.
RENDERERS = 2

TILE_PATH = re.compile(r"^/tiles/([a-z]+)/(\d{1,2})/(\d{1,7})/(\d{1,7})\.(png|labels\.json)$")


def log(text):
    sys.stderr.write("tiles: %s\n" % text)


def _watch(cfg):
    """Cheap signs that the inputs changed: an import renames region folders."""
    signs = []
    for path in (cfg.regions_dir, cfg.places_path):
        try:
            signs.append(os.stat(path).st_mtime_ns)
        except OSError:
            signs.append(None)
    return signs


class Tiles:
    """The endpoints on one configuration, with the renderer's generation of
    its data folder, made anew when the regions or places change."""

    def __init__(self, cfg):
        self._lock = threading.Lock()
        self._renderers = ThreadPoolExecutor(RENDERERS, thread_name_prefix="render")
        self.reload(cfg)

    def reload(self, cfg):
        with self._lock:
            self._cfg = cfg
            self._watch = self._generation = self._empty = None
            self.cache = TileCache(os.path.join(cfg.tiles_dir, "cache"),
                                   cfg.tile_cache_size(DEFAULT_SIZE), log)

    def routes(self):
        return {"/tiles/sources.json": self.serve_sources}

    def prefix_routes(self):
        return {"/tiles/": self.serve_tile}

    def serve_sources(self, handler, query):
        body = json.dumps(sources.document(self._cfg, log), ensure_ascii=False, indent=1)
        handler.send_body(HTTPStatus.OK, "application/json; charset=utf-8", body.encode("utf-8"))

    def serve_tile(self, handler, path, query):
        match = TILE_PATH.match(path)
        if not match:
            handler.send_text(HTTPStatus.NOT_FOUND, "no such tile\n")
            return
        tile_set, kind = match.group(1), match.group(5)
        z, x, y = (int(v) for v in match.groups()[1:4])
        served = sources.served_zooms(tile_set)
        if served is None or not served[0] <= z <= served[1] or x >= 1 << z or y >= 1 << z:
            handler.send_text(HTTPStatus.NOT_FOUND, "no such tile\n")
            return
        try:
            generation, empty = self._current()
            if kind == "labels.json":
                body = json.dumps({"labels": generation.labels(tile_set, z, x, y)},
                                  ensure_ascii=False)
                handler.send_body(HTTPStatus.OK, "application/json; charset=utf-8",
                                  body.encode("utf-8"))
                return
            if tile_set == "bicycling" and not generation.has_streets(z, x, y):
                data = empty()
            else:
                data = generation.tile(tile_set, z, x, y,
                                       lambda render: self._renderers.submit(render).result())
        except ImportError as exc:
            # Mapnik loads on the first tile that is not in the cache.
            handler.send_text(HTTPStatus.SERVICE_UNAVAILABLE,
                              "no map renderer (Debian package python3-mapnik): %s\n" % exc)
            return
        handler.send_body(HTTPStatus.OK, "image/png", data)

    def warm_up(self):
        """Loads the renderer ahead of the first tile that is not in the cache."""
        try:
            self._current()[1]()
        except ImportError:
            pass  # said to the first request for a tile

    def current_generation(self):
        return self._current()[0]

    def _current(self):
        """(generation, transparent tile's maker), made anew when the inputs changed."""
        with self._lock:
            signs = _watch(self._cfg)
            if self._generation is None or self._watch != signs:
                from . import renderer  # Mapnik loads on the first tile, not at start-up
                self._generation = renderer.Generation(self._cfg, log, self.cache)
                self._generation.keep_earlier()
                self._empty = renderer.transparent_tile  # Mapnik draws it when first asked
                self._watch = signs
            return self._generation, self._empty
