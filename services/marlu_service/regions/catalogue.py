"""The catalogue of extracts one can download: a GeoJSON FeatureCollection
whose features' properties give id, name, parent and urls.pbf (the format of
Geofabrik's index), fetched at most once a day and kept in DATA/cache/.

A fetch runs on its own, one per catalogue at a time, within the providers'
deadline; a request answers from the kept list at once (and a stale list
starts a fetch for the next one), or waits for the fetch's end. The body
goes to a file and is read one feature at a time, keeping of each only what
the application reads, so a catalogue's size costs disk, not memory.
"""

import hashlib
import io
import json
import os
import re
import tempfile
import sys
import threading
import time
from urllib.parse import urlsplit

from .. import upstream
from .. import providerfailure
from . import download

DEFAULT_URL = "https://download.geofabrik.de/index-v1.json"
# What a user can do without the catalogue.
WAY_BACK = "An extract already on this computer can be added with \"Import from File\u2026\"."
MAX_AGE = 24 * 3600
# Geofabrik's index with outlines is some tens of MB; more is not a catalogue.
SIZE_LIMIT = 256 * 1024 * 1024
DEADLINE = upstream.DEADLINE
# What the application reads: texts it cuts at 200 characters, and some
# hundreds of entries in a real catalogue.
MAX_ENTRIES = 10000
TEXT_LIMIT = 200
URL_LIMIT = 2000
CHUNK = 1 << 20


class Unavailable(Exception):
    """The catalogue cannot be had; its text is one sentence."""


def _bbox(geometry):
    """[w, s, e, n] of a GeoJSON geometry's coordinates, or None."""
    lngs, lats = [], []
    stack = [geometry.get("coordinates")] if isinstance(geometry, dict) else []
    while stack:
        item = stack.pop()
        if isinstance(item, list) and len(item) >= 2 and all(
                isinstance(v, (int, float)) and not isinstance(v, bool) for v in item[:2]):
            lngs.append(item[0])
            lats.append(item[1])
        elif isinstance(item, list):
            stack.extend(item)
    if not lngs:
        return None
    return [min(lngs), min(lats), max(lngs), max(lats)]


def entry(feature):
    """The entry of one feature, or None when it offers no download."""
    props = feature.get("properties") if isinstance(feature, dict) else None
    if not isinstance(props, dict):
        return None
    urls = props.get("urls")
    pbf = urls.get("pbf") if isinstance(urls, dict) else None
    ident = props.get("id")
    if not isinstance(ident, str) or not ident or download.check_url(pbf) or len(pbf) > URL_LIMIT:
        return None
    name, parent, size = props.get("name"), props.get("parent"), props.get("size")
    return {
        "id": ident[:TEXT_LIMIT],
        "name": (name if isinstance(name, str) and name else ident)[:TEXT_LIMIT],
        "parent": parent[:TEXT_LIMIT] if isinstance(parent, str) else "",
        "pbf": pbf,
        "size": size if isinstance(size, int) and not isinstance(size, bool) and size >= 0
        else None,
        "bbox": _bbox(feature.get("geometry")),
    }


class _NotJson(ValueError):
    pass


class _Features:
    """The features of a FeatureCollection read from a text file one at a
    time; ValueError for what is not one."""

    _SPACE = re.compile(r"\s*")
    _DECODER = json.JSONDecoder()

    def __init__(self, f):
        self.f, self.buf, self.pos, self.eof = f, "", 0, False

    def _more(self):
        # Doubling what is read keeps a large value's retries linear.
        chunk = self.f.read(max(CHUNK, len(self.buf) - self.pos))
        if not chunk:
            self.eof = True
            return False
        self.buf, self.pos = self.buf[self.pos:] + chunk, 0
        return True

    def _peek(self):
        while True:
            self.pos = self._SPACE.match(self.buf, self.pos).end()
            if self.pos < len(self.buf) or not self._more():
                return self.buf[self.pos:self.pos + 1]

    def _expect(self, characters):
        found = self._peek()
        if not found or found not in characters:
            raise ValueError("expected one of %r" % characters)
        self.pos += 1
        return found

    def _value(self):
        self._peek()
        while True:
            try:
                value, end = self._DECODER.raw_decode(self.buf, self.pos)
            except ValueError:
                if not self._more():
                    raise
                continue
            # A number may go on in the next chunk.
            if end == len(self.buf) and not self.eof and self._more():
                continue
            self.pos = end
            return value

    def __iter__(self):
        first = self._peek()
        if not first or first not in "{[":
            raise _NotJson()
        self._expect("{")
        if self._peek() == "}":
            raise ValueError("no features")
        found = False
        while True:
            key = self._value()
            self._expect(":")
            if key == "features" and self._peek() == "[":
                found = True
                self._expect("[")
                if self._peek() == "]":
                    self.pos += 1
                else:
                    while True:
                        yield self._value()
                        if self._expect(",]") == "]":
                            break
            else:
                self._value()
            if self._expect(",}") == "}":
                break
        if not found:
            raise ValueError("no features")


def entries_of(text, url):
    """The entries of a fetched catalogue, a text stream; raises Unavailable."""
    found, features = [], 0
    try:
        for feature in _Features(text):
            features += 1
            item = entry(feature)
            if item is not None:
                found.append(item)
                if len(found) >= MAX_ENTRIES:
                    break
    except (UnicodeDecodeError, _NotJson):
        raise Unavailable("The catalogue at %s is not JSON." % url) from None
    except RecursionError:
        raise Unavailable("The catalogue at %s is nested too deeply to read." % url) from None
    except ValueError:
        raise Unavailable("The catalogue at %s is not a list of extracts (a GeoJSON "
                          "FeatureCollection)." % url) from None
    if features and not found:
        raise Unavailable("The catalogue at %s lists no extract with a download address." % url)
    return found


class _Fetch:
    def __init__(self):
        self.done = threading.Event()
        self.error = None


class Catalogue:
    """Fetches and caches the catalogue of one configured URL."""

    def __init__(self, cache_dir, deadline=DEADLINE):
        self.cache_dir, self.deadline = cache_dir, deadline
        self._lock = threading.Lock()
        self._fetches = {}   # url -> _Fetch under way

    def _cache_path(self, url):
        return os.path.join(self.cache_dir, "catalogue-%s.json"
                            % hashlib.sha256(url.encode("utf-8")).hexdigest()[:16])

    def entries(self, url):
        """The kept list when there is one (a day old or older: a fetch then
        starts for the next request), else the list of a fetch, waited for
        within its deadline; raises Unavailable."""
        problem = download.check_url(url)
        if problem:
            raise Unavailable("The catalogue address in the configuration, %s" % problem)
        path = self._cache_path(url)
        try:
            fresh = time.time() - os.path.getmtime(path) < MAX_AGE
        except OSError:
            fresh = None
        if not fresh:
            fetch = self._start(url, path)
            if fresh is None:
                if not fetch.done.wait(self.deadline + 5):
                    raise Unavailable("The catalogue %s did not come within %d s."
                                      % (url, self.deadline))
                if fetch.error:
                    raise Unavailable(fetch.error)
        try:
            with open(path, encoding="utf-8") as f:
                return json.load(f)
        except (OSError, ValueError):
            raise Unavailable("The catalogue kept in %s cannot be read." % path) from None

    def _start(self, url, path):
        with self._lock:
            fetch = self._fetches.get(url)
            if fetch is None:
                fetch = self._fetches[url] = _Fetch()
                threading.Thread(target=self._run, args=(fetch, url, path), daemon=True).start()
            return fetch

    def _run(self, fetch, url, path):
        try:
            data = self._fetch(url)
            os.makedirs(self.cache_dir, exist_ok=True)
            temporary = path + ".%d.tmp" % threading.get_ident()
            with open(temporary, "w", encoding="utf-8") as f:
                json.dump(data, f)
            os.replace(temporary, path)
        except Unavailable as exc:
            fetch.error = str(exc)
        except OSError as exc:
            fetch.error = "Cannot keep the catalogue in %s: %s." % (self.cache_dir, exc.strerror)
        except Exception as exc:  # the request hears of it, the service goes on
            fetch.error = "Cannot read the catalogue %s: %s." % (url, exc)
        finally:
            with self._lock:
                del self._fetches[url]
            fetch.done.set()

    def _fetch(self, url):
        os.makedirs(self.cache_dir, exist_ok=True)
        provider = "The catalogue server %s" % urlsplit(url).hostname
        with tempfile.TemporaryFile(dir=self.cache_dir) as raw:
            try:
                status, _, _ = upstream.request(url, max_bytes=SIZE_LIMIT, deadline=self.deadline,
                                                into=raw)
            except upstream.UpstreamError as exc:
                if exc.kind == "too_large":
                    raise Unavailable("The catalogue at %s is larger than %d MB."
                                      % (url, SIZE_LIMIT >> 20)) from None
                sys.stderr.write("regions: catalogue %s: %s\n" % (url, download.upstream_reason(exc)))
                raise Unavailable(providerfailure.of_error(provider, exc, WAY_BACK)) from None
            if status != 200:
                sys.stderr.write("regions: catalogue %s: HTTP %d\n" % (url, status))
                raise Unavailable(providerfailure.of_status(provider, status, WAY_BACK))
            raw.seek(0)
            with io.TextIOWrapper(raw, encoding="utf-8") as text:
                return entries_of(text, url)
