"""The map service's configuration file and data folder.

The file is INI, by default $XDG_CONFIG_HOME/marlu/mapservice.ini; every key is
optional and a missing file means the offline defaults. Sections:

  [geocoding]   backend = offline | nominatim | photon
  [directions]  backend = offline | osrm
  [nominatim] [photon] [osrm]   url = base URL of the provider
  [tiles:SET]   url, minzoom, maxzoom, attribution: an online tile source for
                SET (roadmap, satellite, terrain, hybrid, traffic, bicycling)
  [tiles]       cache_size = the bound on the rendered tiles kept on disk,
                in bytes or with a unit: 500M, 2G (the default), 10 GiB

Derived data (regions, tiles, indexes, caches) lives in the data folder,
by default $MARLU_DATA or $XDG_DATA_HOME/marlu:

  DATA/places.sqlite            the world's places (GeoNames)
  DATA/regions/NAME/            one imported OpenStreetMap extract; each
                                back-end keeps its files in a subfolder
  DATA/tiles/                   rendered tiles
  DATA/cache/                   answers of online providers
"""

import configparser
import os
import shutil
import sys

GEOCODING_BACKENDS = ("offline", "nominatim", "photon")
DIRECTIONS_BACKENDS = ("offline", "osrm")
TILE_SETS = ("roadmap", "satellite", "terrain", "hybrid", "traffic", "bicycling")


def _home_dir(variable, fallback):
    value = os.environ.get(variable)
    return value if value and os.path.isabs(value) else os.path.join(
        os.path.expanduser("~"), fallback)


def default_config_path():
    return os.path.join(_home_dir("XDG_CONFIG_HOME", ".config"), "marlu", "mapservice.ini")


def default_data_dir():
    value = os.environ.get("MARLU_DATA")
    if value:
        return os.path.abspath(value)
    return os.path.join(_home_dir("XDG_DATA_HOME", os.path.join(".local", "share")), "marlu")


class Config:
    def __init__(self, path=None, data_dir=None):
        self.path = path or default_config_path()
        self.data_dir = os.path.abspath(data_dir or default_data_dir())
        self._ini = configparser.ConfigParser(interpolation=None)
        self.problems = []
        try:
            with open(self.path, encoding="utf-8") as f:
                self._ini.read_file(f)
        except FileNotFoundError:
            pass
        except (OSError, UnicodeDecodeError, configparser.Error) as exc:
            # A broken file must not keep the map from working: say so, run offline.
            self.problems.append("%s: %s; using the offline defaults" % (self.path, exc))
            self._ini = configparser.ConfigParser(interpolation=None)
        for problem in self.problems:
            sys.stderr.write("config: %s\n" % problem)

    def get(self, section, key, default=None):
        return self._ini.get(section, key, fallback=default)

    def _backend(self, section, allowed):
        value = (self.get(section, "backend") or "offline").strip().lower()
        if value not in allowed:
            sys.stderr.write("config: unknown %s backend %r; using offline\n" % (section, value))
            return "offline"
        return value

    @property
    def geocoding_backend(self):
        return self._backend("geocoding", GEOCODING_BACKENDS)

    @property
    def directions_backend(self):
        return self._backend("directions", DIRECTIONS_BACKENDS)

    def provider_url(self, name, default):
        return (self.get(name, "url") or default).rstrip("/")

    def tile_source(self, tile_set):
        """The online source configured for a tile set, or None for the offline one."""
        section = "tiles:" + tile_set
        url = self.get(section, "url")
        if not url:
            return None
        return {
            "url": url.strip(),
            "minzoom": self._int(section, "minzoom", 0),
            "maxzoom": self._int(section, "maxzoom", 19),
            "attribution": self.get(section, "attribution", ""),
        }

    def tile_cache_size(self, default):
        text = self.get("tiles", "cache_size")
        if text is None:
            return default
        from .tiles.cache import parse_size
        try:
            return parse_size(text)
        except (ValueError, IndexError):
            sys.stderr.write("config: [tiles] cache_size %r is not a size; using %d bytes\n"
                             % (text, default))
            return default

    def _int(self, section, key, default):
        try:
            return max(0, min(22, int(self.get(section, key, default))))
        except (TypeError, ValueError):
            return default

    # --- Data folder ---------------------------------------------------------

    @property
    def regions_dir(self):
        return os.path.join(self.data_dir, "regions")

    def regions(self):
        """Folders of the imported regions, complete ones only, sorted by name."""
        try:
            names = sorted(os.listdir(self.regions_dir))
        except OSError:
            return []
        return [os.path.join(self.regions_dir, n) for n in names
                if not n.startswith(".") and os.path.isfile(
                    os.path.join(self.regions_dir, n, "region.json"))]

    @property
    def places_path(self):
        return os.path.join(self.data_dir, "places.sqlite")

    @property
    def tiles_dir(self):
        return os.path.join(self.data_dir, "tiles")

    @property
    def cache_dir(self):
        return os.path.join(self.data_dir, "cache")


def remove_region_folder(regions_dir, path):
    """Removes a folder only when it sits directly in regions/: a name that
    slipped through as a path must never delete anything else."""
    regions = os.path.realpath(regions_dir)
    target = os.path.realpath(path)
    if os.path.dirname(target) != regions or target == regions:
        raise ValueError("refusing to remove %s: it is not a region folder of %s"
                         % (path, regions_dir))
    shutil.rmtree(target, ignore_errors=True)


def finish_interrupted_swaps(regions_dir):
    """An import killed between its two renames leaves NAME missing beside
    .NAME.old (the earlier region) and .NAME.partial (the new one). Finish the
    swap when the new one is complete, else put the earlier one back."""
    try:
        names = os.listdir(regions_dir)
    except OSError:
        return
    for entry in names:
        if not (entry.startswith(".") and entry.endswith(".old")):
            continue
        name = entry[1:-len(".old")]
        final = os.path.join(regions_dir, name)
        old = os.path.join(regions_dir, entry)
        partial = os.path.join(regions_dir, "." + name + ".partial")
        if not os.path.exists(final):
            if os.path.isfile(os.path.join(partial, "region.json")):
                os.rename(partial, final)
            else:
                os.rename(old, final)
                continue
        remove_region_folder(regions_dir, old)
