"""The catalogue of extracts one can download: a GeoJSON FeatureCollection
whose features' properties give id, name, parent and urls.pbf (the format of
Geofabrik's index), fetched at most once a day and kept in DATA/cache/."""

import hashlib
import http.client
import json
import os
import sys
import threading
import time
from urllib.parse import urlsplit

from .. import providerfailure
from . import download

DEFAULT_URL = "https://download.geofabrik.de/index-v1.json"
# What a user can do without the catalogue.
WAY_BACK = "An extract already on this computer can be added with \"Import from File\u2026\"."
MAX_AGE = 24 * 3600
# Geofabrik's index with outlines is some tens of MB; more is not a catalogue.
SIZE_LIMIT = 256 * 1024 * 1024


class Unavailable(Exception):
    """The catalogue cannot be had; its text is one sentence."""


def _bbox(geometry):
    """[w, s, e, n] of a GeoJSON geometry's coordinates, or None."""
    lngs, lats = [], []

    def walk(item):
        if isinstance(item, list) and len(item) >= 2 and all(
                isinstance(v, (int, float)) and not isinstance(v, bool) for v in item[:2]):
            lngs.append(item[0])
            lats.append(item[1])
        elif isinstance(item, list):
            for sub in item:
                walk(sub)

    if isinstance(geometry, dict):
        walk(geometry.get("coordinates"))
    if not lngs:
        return None
    return [min(lngs), min(lats), max(lngs), max(lats)]


def entries(document, url):
    """The catalogue's entries from its parsed JSON; raises Unavailable for a wrong shape."""
    features = document.get("features") if isinstance(document, dict) else None
    if not isinstance(features, list):
        raise Unavailable("The catalogue at %s is not a list of extracts (a GeoJSON "
                          "FeatureCollection)." % url)
    found = []
    for feature in features:
        props = feature.get("properties") if isinstance(feature, dict) else None
        if not isinstance(props, dict):
            continue
        urls = props.get("urls")
        pbf = urls.get("pbf") if isinstance(urls, dict) else None
        ident = props.get("id")
        if not isinstance(ident, str) or not ident or download.check_url(pbf):
            continue
        name, parent, size = props.get("name"), props.get("parent"), props.get("size")
        found.append({
            "id": ident,
            "name": name if isinstance(name, str) and name else ident,
            "parent": parent if isinstance(parent, str) else "",
            "pbf": pbf,
            "size": size if isinstance(size, int) and not isinstance(size, bool) and size >= 0
            else None,
            "bbox": _bbox(feature.get("geometry")),
        })
    if features and not found:
        raise Unavailable("The catalogue at %s lists no extract with a download address." % url)
    return found


class Catalogue:
    """Fetches and caches the catalogue of one configured URL."""

    def __init__(self, cache_dir, timeout=30):
        self.cache_dir, self.timeout = cache_dir, timeout
        self._lock = threading.Lock()

    def _cache_path(self, url):
        return os.path.join(self.cache_dir, "catalogue-%s.json"
                            % hashlib.sha256(url.encode("utf-8")).hexdigest()[:16])

    def entries(self, url):
        problem = download.check_url(url)
        if problem:
            raise Unavailable("The catalogue address in the configuration, %s" % problem)
        path = self._cache_path(url)
        with self._lock:   # one fetch at a time, the others read its result
            try:
                fresh = time.time() - os.path.getmtime(path) < MAX_AGE
            except OSError:
                fresh = False
            if not fresh:
                try:
                    data = self._fetch(url)
                except Unavailable:
                    if os.path.exists(path):   # yesterday's list beats none
                        fresh = True
                    else:
                        raise
                else:
                    os.makedirs(self.cache_dir, exist_ok=True)
                    temporary = path + ".%d.tmp" % os.getpid()
                    with open(temporary, "w", encoding="utf-8") as f:
                        json.dump(data, f)
                    os.replace(temporary, path)
                    return data
            with open(path, encoding="utf-8") as f:
                return json.load(f)

    def _fetch(self, url):
        try:
            with download.open_url(url, self.timeout) as resp:
                body = resp.read(SIZE_LIMIT + 1)
        except (OSError, http.client.HTTPException) as exc:
            sys.stderr.write("regions: catalogue %s: %s\n" % (url, download.reason(exc)))
            status = getattr(exc, "code", None)
            provider = "The catalogue server %s" % urlsplit(url).hostname
            raise Unavailable(providerfailure.of_status(provider, status, WAY_BACK)
                              if isinstance(status, int) else
                              providerfailure.of_error(provider, exc, WAY_BACK)) from exc
        if len(body) > SIZE_LIMIT:
            raise Unavailable("The catalogue at %s is larger than %d MB." % (url, SIZE_LIMIT >> 20))
        try:
            document = json.loads(body.decode("utf-8"))
        except (UnicodeDecodeError, ValueError):
            raise Unavailable("The catalogue at %s is not JSON." % url) from None
        return entries(document, url)
