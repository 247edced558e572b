"""Map tiles of the local service: /tiles/sources.json tells the page which
tile sets exist, /tiles/<set>/{z}/{x}/{y}.png serves the offline ones, and
/tiles/<set>/{z}/{x}/{y}.labels.json names the labels that tile shows (for
checking what a rendered map holds; rendered anew on each request)."""

import json
import os
import re
import sys
import threading
from http import HTTPStatus

import config

from . import sources

TILE_PATH = re.compile(r"^/tiles/([a-z]+)/(\d{1,2})/(\d{1,7})/(\d{1,7})\.(png|labels\.json)$")

_cfg = None
_lock = threading.Lock()
_current = {"watch": None, "generation": None, "empty": None}


def log(text):
    sys.stderr.write("tiles: %s\n" % text)


def configure(cfg):
    global _cfg
    with _lock:
        _cfg = cfg
        _current["watch"] = _current["generation"] = None


def _config():
    global _cfg
    if _cfg is None:
        _cfg = config.Config()
    return _cfg


def register(routes):
    routes["/tiles/sources.json"] = serve_sources


def register_prefix(prefix_routes):
    prefix_routes["/tiles/"] = serve_tile


def serve_sources(handler, query):
    body = json.dumps(sources.document(_config(), log), ensure_ascii=False, indent=1)
    handler.send_body(HTTPStatus.OK, "application/json; charset=utf-8", body.encode("utf-8"))


def serve_tile(handler, path, query):
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
        generation = current_generation()
    except ImportError as exc:
        handler.send_text(HTTPStatus.SERVICE_UNAVAILABLE,
                          "no map renderer (Debian package python3-mapnik): %s\n" % exc)
        return
    if kind == "labels.json":
        body = json.dumps({"labels": generation.labels(tile_set, z, x, y)}, ensure_ascii=False)
        handler.send_body(HTTPStatus.OK, "application/json; charset=utf-8", body.encode("utf-8"))
        return
    if tile_set == "bicycling" and not generation.has_streets(z, x, y):
        data = _current["empty"]
    else:
        data = generation.tile(tile_set, z, x, y)
    handler.send_body(HTTPStatus.OK, "image/png", data)


def _watch(cfg):
    """Cheap signs that the inputs changed: an import renames region folders."""
    signs = []
    for path in (cfg.regions_dir, cfg.places_path):
        try:
            signs.append(os.stat(path).st_mtime_ns)
        except OSError:
            signs.append(None)
    return signs


def current_generation():
    cfg = _config()
    signs = _watch(cfg)
    with _lock:
        if _current["generation"] is None or _current["watch"] != signs:
            from . import renderer  # Mapnik loads on the first tile, not at start-up
            _current["generation"] = renderer.Generation(cfg, log)
            _current["empty"] = renderer.transparent_tile()
            _current["watch"] = signs
        return _current["generation"]
