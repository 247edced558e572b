"""The bound on the tile cache (DATA/tiles/cache): past its size the least
recently used tiles are removed; the low zooms rendered at set-up stay.

A tile's last use is its file's modification time, touched when it is
served, so the order survives a restart; the folder is read once, when the
first tile is stored or served.
"""

import collections
import os
import threading

# set -> the highest zoom rendered ahead at set-up (prerender), kept here
AHEAD = {"roadmap": 5, "satellite": 3, "hybrid": 3}
DEFAULT_SIZE = 2 * 1024 ** 3
# Removal goes below the bound by this share, so it does not run on every tile.
SLACK = 0.05
_UNITS = {"": 1, "k": 1024, "m": 1024 ** 2, "g": 1024 ** 3, "t": 1024 ** 4}


def parse_size(text):
    """Bytes of a size such as "2G", "500 MiB" or "1048576"; ValueError otherwise."""
    value = text.strip().lower().replace(" ", "")
    for suffix in ("ib", "b"):
        if value.endswith(suffix) and value[:-len(suffix)][-1:] in _UNITS:
            value = value[:-len(suffix)]
            break
    unit = value[-1:] if value[-1:] in _UNITS and value[-1:].isalpha() else ""
    number = float(value[:-1] if unit else value)
    if not number >= 0 or number == float("inf"):
        raise ValueError(text)
    return int(number * _UNITS[unit])


def kept(relative):
    """Whether a path below the cache folder (KEY/SET/Z/X/Y.png) is one of
    the low zooms made at set-up."""
    parts = relative.split(os.sep)
    try:
        return len(parts) == 5 and int(parts[2]) <= AHEAD.get(parts[1], -1)
    except ValueError:
        return False


class TileCache:
    def __init__(self, folder, limit, log):
        self.folder, self.limit, self.log = folder, limit, log
        self._lock = threading.Lock()
        self._used = None   # path -> size, least recently used first
        self.size = 0

    def _scan(self):
        found = []
        for top, _, files in os.walk(self.folder):
            for name in files:
                path = os.path.join(top, name)
                try:
                    st = os.stat(path)
                except OSError:
                    continue
                self.size += st.st_size
                if name.endswith(".png") and not kept(os.path.relpath(path, self.folder)):
                    found.append((st.st_mtime_ns, path, st.st_size))
        found.sort()
        self._used = collections.OrderedDict((path, size) for _, path, size in found)

    def forget(self):
        """Tiles moved between folders: read the folder again when next needed."""
        with self._lock:
            self._used = None
            self.size = 0

    def used(self, path):
        """A tile was served from the cache."""
        with self._lock:
            if self._used is None:
                self._scan()
            if path in self._used:
                self._used.move_to_end(path)
        try:
            os.utime(path)
        except OSError:
            pass

    def stored(self, path, size):
        """A tile was written; removes old ones when the cache is past its bound."""
        with self._lock:
            if self._used is None:
                self._scan()
            self.size += size - self._used.pop(path, 0)
            if not kept(os.path.relpath(path, self.folder)):
                self._used[path] = size
            if self.size <= self.limit:
                return
            target, removed = self.limit * (1 - SLACK), 0
            while self.size > target and self._used:
                old, old_size = self._used.popitem(last=False)
                try:
                    os.unlink(old)
                except FileNotFoundError:
                    pass
                except OSError:
                    continue
                self.size -= old_size
                removed += 1
        self.log("tile cache past %d bytes: removed the %d least recently used tiles"
                 % (self.limit, removed))
