"""Renders tiles with Mapnik in meta-tiles and keeps them in the tile cache.

The cache lives in DATA/tiles/cache/KEY/SET/Z/X/Y.png, KEY naming the style
version and every input (world shapes, places, each region's import), so a
new import or style starts a fresh folder instead of serving stale tiles; after
an import the tiles far from the regions that changed move into it.
Maps are not shared between threads: each set has a small pool of them. A
meta-tile that one request is rendering is waited for, not rendered twice.
"""

import functools
import glob
import hashlib
import json
import os
import queue
import shutil
import threading

from . import geo, osmimport, style, world


class _Mapnik:
    """Debian's python3-mapnik (the service runs on /usr/bin/python3), loaded
    on first use: it takes a few hundred milliseconds, and the tiles of the
    cache, the first a map page asks for, need none of it."""

    _module = None
    _lock = threading.Lock()

    def __getattr__(self, name):
        if _Mapnik._module is None:
            with _Mapnik._lock:
                if _Mapnik._module is None:
                    import mapnik as module
                    module.register_fonts(style.FONT_DIR)
                    _Mapnik._module = module
        return getattr(_Mapnik._module, name)


mapnik = _Mapnik()

IMAGERY = "/usr/share/marble/data/maps/earth/bluemarble/bluemarble.jpg"
MAPS_PER_SET = 2
BUFFER = 128
FORMATS = {"satellite": "png", "hybrid": "png"}
DEFAULT_FORMAT = "png8:m=h"
# In each cache folder: the inputs its tiles were drawn from.
INPUTS = "inputs.json"
# The sets that draw the regions; the others keep every tile when only regions change.
REGION_SETS = {"roadmap", "bicycling"}


def meta_size(z):
    """Tiles per side rendered at once: big at the low zooms rendered ahead of
    time, small enough at street level to answer a request quickly."""
    return min(1 << z, 8 if z <= 5 else 4)


def ensure_imagery(cfg, log):
    """A copy of the Blue Marble image with a world file beside it, which GDAL
    reads as its place on Earth (the plain raster input seams when warped)."""
    source = IMAGERY if os.path.isfile(IMAGERY) else next(iter(glob.glob(
        "/usr/share/marble/data/maps/earth/bluemarble/*.jpg")), None)
    if source is None:
        log("no Blue Marble image (Debian package marble-qt-data): no satellite imagery")
        return None
    target = os.path.join(world.base_dir(cfg), "bluemarble.jpg")
    st = os.stat(source)
    stamp = "%s %d %d" % (source, st.st_size, st.st_mtime_ns)
    if _read(target + ".stamp") == stamp and os.path.isfile(target):
        return target
    os.makedirs(world.base_dir(cfg), exist_ok=True)
    image = mapnik.Image.open(source)
    dx, dy = 360.0 / image.width(), 180.0 / image.height()
    _write(os.path.splitext(target)[0] + ".jgw", ("%r\n0\n0\n%r\n%r\n%r\n" % (
        dx, -dy, -180 + dx / 2, 90 - dy / 2)).encode())
    with open(source, "rb") as f:
        _write(target, f.read())
    _write(target + ".stamp", stamp.encode())
    log("satellite imagery from %s" % source)
    return target


@functools.lru_cache(maxsize=1)
def transparent_tile():
    return mapnik.Image(256, 256).tostring(DEFAULT_FORMAT)


class Generation:
    """The tiles of one set of inputs: its maps, its cache folder, its renders."""

    def __init__(self, cfg, log, cache=None):
        """cache: the TileCache that bounds the folder, or None (set-up)."""
        self.log, self.cache = log, cache
        world.ensure_world(cfg, log)
        world.ensure_places(cfg, log)
        self.inputs = {"world": world.world_path(cfg), "places": world.places_path(cfg),
                       "imagery": ensure_imagery(cfg, log), "regions": []}
        self.region_boxes = []
        # What every tile depends on, and what only tiles near a region do.
        self.stamps = {"base": [style.VERSION, _read(world.world_path(cfg) + ".stamp"),
                                _read(world.places_path(cfg) + ".stamp"),
                                _read(os.path.join(world.base_dir(cfg), "bluemarble.jpg.stamp"))],
                       "regions": []}
        stamps = list(self.stamps["base"])
        for folder in cfg.regions():
            db = os.path.join(folder, osmimport.SUBFOLDER, osmimport.DATABASE)
            if not os.path.isfile(db):
                continue
            info = _region_info(folder)
            self.inputs["regions"].append(db)
            self.region_boxes.append(_mercator_box(info.get("bbox")))
            stamp = [os.path.basename(folder), info.get("sha256"), info.get("imported")]
            stamps.append(stamp)
            self.stamps["regions"].append(stamp + [info.get("bbox")])
        self.key = hashlib.sha1(json.dumps(stamps).encode()).hexdigest()[:16]
        self.folder = os.path.join(cfg.tiles_dir, "cache", self.key)
        self._pools = {}
        self._made = {}
        self._guard = threading.Lock()
        self._inflight = {}

    def keep_earlier(self):
        """Moves the tiles of earlier caches that no changed region reaches into
        this one, and removes those caches: an import re-renders the tiles of
        its own region, not the world. A tile counts as reached when the region
        touches it or a neighbour, whose labels may reach into it."""
        try:
            os.makedirs(self.folder, exist_ok=True)
            _write(os.path.join(self.folder, INPUTS), json.dumps(self.stamps).encode())
        except OSError as exc:
            self.log("tile cache %s not written: %s" % (self.folder, exc))
            return
        root = os.path.dirname(self.folder)
        mine = {json.dumps(stamp) for stamp in self.stamps["regions"]}
        for name in sorted(os.listdir(root)):
            old = os.path.join(root, name)
            if name == self.key or not os.path.isdir(old):
                continue
            try:
                with open(os.path.join(old, INPUTS), encoding="utf-8") as f:
                    earlier = json.load(f)
                changed = [json.loads(stamp) for stamp in
                           mine ^ {json.dumps(stamp) for stamp in earlier["regions"]}]
                boxes = [_mercator_box(stamp[-1]) for stamp in changed]
                names = ", ".join(sorted({str(stamp[0]) for stamp in changed}))
                same_base = earlier["base"] == self.stamps["base"]
            except (OSError, ValueError, TypeError, KeyError, IndexError):
                same_base = False   # another version's cache, or damaged
            if same_base:
                moved = _move_unreached(old, self.folder, boxes)
                self.log("kept %d tiles of the earlier cache; changed regions: %s"
                         % (moved, names))
            shutil.rmtree(old, ignore_errors=True)
        if self.cache:
            self.cache.forget()

    def path(self, tile_set, z, x, y):
        return os.path.join(self.folder, tile_set, str(z), str(x), "%d.png" % y)

    def has_streets(self, z, x, y):
        bounds = geo.tile_bounds(z, x, y)
        return any(box is None or (box[0] < bounds[2] and bounds[0] < box[2] and
                                   box[1] < bounds[3] and bounds[1] < box[3])
                   for box in self.region_boxes)

    def cached(self, tile_set, z, x, y):
        """PNG bytes of a tile from the cache, or None."""
        path = self.path(tile_set, z, x, y)
        data = _read_bytes(path)
        if data is not None and self.cache:
            self.cache.used(path)
        return data

    def tile(self, tile_set, z, x, y, run=lambda render: render()):
        """PNG bytes of a tile, from the cache or rendered now; run(render)
        calls render() where renders may run (the endpoint's pool)."""
        path = self.path(tile_set, z, x, y)
        data = self.cached(tile_set, z, x, y)
        if data is not None:
            return data
        m = meta_size(z)
        key = (tile_set, z, x - x % m, y - y % m)
        while True:
            with self._guard:
                event = self._inflight.get(key)
                if event is None:
                    event = self._inflight[key] = threading.Event()
                    break
            event.wait()
            data = _read_bytes(path)
            if data is not None:
                return data
            # The other render failed; try it here.
        try:
            return run(lambda: self._render_meta(tile_set, z, key[2], key[3], m))[(x, y)]
        finally:
            with self._guard:
                del self._inflight[key]
            event.set()

    def labels(self, tile_set, z, x, y):
        """The sorted names whose labels Mapnik places in tile z/x/y: the label
        layers of its meta-tile, same extent, size and buffer as the image,
        drawn into a hit grid that records which feature painted each pixel.
        Each layer is placed on its own here, so a name the image hid only
        behind another layer's label (a place name) may be listed too."""
        m = meta_size(z)
        mx, my = x - x % m, y - y % m
        names = set()
        m_map = self._take(tile_set)
        try:
            self._frame(m_map, z, mx, my, m)
            for i, layer in enumerate(m_map.layers):
                if not style.LABEL_STYLES.intersection(layer.styles):
                    continue
                grid = mapnik.Grid(m_map.width, m_map.height)
                mapnik.render_layer(m_map, grid, i, ["name"])
                view = grid.view((x - mx) * 256, (y - my) * 256, 256, 256)
                names.update(str(f["name"]) for f in view.encode("utf", True, 4)["data"].values()
                             if f.get("name"))
        finally:
            self._give(tile_set, m_map)
        return sorted(names)

    @staticmethod
    def _frame(m_map, z, mx, my, m):
        m_map.resize(256 * m, 256 * m)
        m_map.buffer_size = BUFFER
        m_map.zoom_to_box(mapnik.Box2d(*geo.tile_bounds(z, mx, my, m)))

    def _render_meta(self, tile_set, z, mx, my, m):
        size = 256 * m
        tiles = {}
        m_map = self._take(tile_set)
        try:
            self._frame(m_map, z, mx, my, m)
            image = mapnik.Image(size, size)
            mapnik.render(m_map, image)
        finally:
            self._give(tile_set, m_map)
        fmt = FORMATS.get(tile_set, DEFAULT_FORMAT)
        top = min(m, 1 << z)
        failure = None
        for dx in range(top):
            for dy in range(top):
                data = image.view(dx * 256, dy * 256, 256, 256).tostring(fmt)
                tiles[(mx + dx, my + dy)] = data
                failure = self._store(self.path(tile_set, z, mx + dx, my + dy), data) or failure
        if failure:
            # A full disk costs the cache, not the tiles.
            self.log("tiles of %s/%d/%d/%d not cached: %s" % (tile_set, z, mx, my, failure))
        return tiles

    def _store(self, path, data):
        """Keeps a tile in the cache; the error when it cannot."""
        try:
            _write(path, data)
        except OSError as exc:
            return exc
        if self.cache:
            self.cache.stored(path, len(data))
        return None

    def _take(self, tile_set):
        with self._guard:
            pool = self._pools.setdefault(tile_set, queue.LifoQueue())
            build = pool.empty() and self._made.get(tile_set, 0) < MAPS_PER_SET
            if build:
                self._made[tile_set] = self._made.get(tile_set, 0) + 1
        if not build:
            return pool.get()
        m_map = mapnik.Map(256, 256)
        mapnik.load_map_from_string(m_map, style.build(tile_set, self.inputs), True)
        return m_map

    def _give(self, tile_set, m_map):
        self._pools[tile_set].put(m_map)


def _move_unreached(old, new, boxes):
    """Moves OLD/SET/Z/X/Y.png to NEW where the tile and its neighbours meet
    none of the boxes (None: a region of unknown extent, which meets every
    tile); whole columns at once where they can. The count moved."""
    moved = 0
    for tile_set in os.listdir(old):
        def reached(bounds, drawn=tile_set in REGION_SETS):
            return drawn and any(b is None or (b[0] < bounds[2] and bounds[0] < b[2] and
                                               b[1] < bounds[3] and bounds[1] < b[3])
                                 for b in boxes)

        for z_name in _listing(os.path.join(old, tile_set), numbers=True):
            z = int(z_name)
            for x_name in _listing(os.path.join(old, tile_set, z_name), numbers=True):
                x = int(x_name)
                source = os.path.join(old, tile_set, z_name, x_name)
                target = os.path.join(new, tile_set, z_name, x_name)
                column = geo.tile_bounds(z, x - 1, 0, 3)
                if not reached((column[0], -geo.HALF, column[2], geo.HALF)) \
                        and not os.path.exists(target):
                    try:
                        os.makedirs(os.path.dirname(target), exist_ok=True)
                        os.rename(source, target)
                        moved += len(os.listdir(target))
                        continue
                    except OSError:
                        pass
                for y_name in _listing(source):
                    y = y_name[:-4] if y_name.endswith(".png") else ""
                    if not y.isdigit() or reached(geo.tile_bounds(z, x - 1, int(y) - 1, 3)):
                        continue
                    try:
                        os.makedirs(target, exist_ok=True)
                        if not os.path.exists(os.path.join(target, y_name)):
                            os.rename(os.path.join(source, y_name), os.path.join(target, y_name))
                            moved += 1
                    except OSError:
                        pass
    return moved


def _listing(folder, numbers=False):
    try:
        return [name for name in os.listdir(folder) if name.isdigit() or not numbers]
    except OSError:
        return []


def _mercator_box(bbox):
    try:
        minx, miny = geo.project(float(bbox[0]), float(bbox[1]))
        maxx, maxy = geo.project(float(bbox[2]), float(bbox[3]))
        return minx, miny, maxx, maxy
    except (TypeError, ValueError, IndexError):
        return None  # unknown extent: assume it may be anywhere


def _region_info(folder):
    try:
        with open(os.path.join(folder, "region.json"), encoding="utf-8") as f:
            info = json.load(f)
        return info if isinstance(info, dict) else {}
    except (OSError, ValueError):
        return {}


def _read(path):
    try:
        with open(path, encoding="utf-8") as f:
            return f.read()
    except OSError:
        return None


def _read_bytes(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def _write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    temporary = "%s.%d.%d.part" % (path, os.getpid(), threading.get_ident())
    try:
        with open(temporary, "wb") as f:
            f.write(data)
        os.replace(temporary, path)
    except OSError:
        try:
            os.unlink(temporary)
        except OSError:
            pass
        raise
