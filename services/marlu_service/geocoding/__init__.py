"""The geocoding endpoint, /maps/api/geocode/xml, in the Google web service's XML format.

Answers ?address=... through the back-end of the configuration: offline (the
default: coordinate pairs, the imported regions' streets and addresses, the
world's places) or an online provider (Nominatim, Photon) whose answers are
cached on disk. Other parameters (sensor, key, ...) are ignored.
"""

import os
import sys

from .. import xmlreply

from . import nominatim, online, osmindex, photon
from .cache import Cache
from .offline import Bias, Offline, NO_BIAS
from .places import PlacesIndex, PlacesUnavailable

PATH = "/maps/api/geocode/xml"
CONTENT_TYPE = xmlreply.CONTENT_TYPE
# Longer than any real address; a longer one is refused unread.
MAX_ADDRESS = 500
PROVIDERS = {"nominatim": nominatim, "photon": photon}
# Tabs, line breaks and other control characters read as spaces.
_CONTROLS = dict.fromkeys(list(range(0x20)) + list(range(0x7f, 0xa0)), " ")
# The application's view and own position travel in headers, so the request
# URL stays the service's own.
VIEW_HEADER = "X-Marlu-View"
POSITION_HEADER = "X-Marlu-Position"


def _numbers(text, count):
    """count finite numbers separated by commas, or None."""
    try:
        values = [float(v) for v in (text or "")[:200].split(",")]
    except ValueError:
        return None
    if len(values) != count or any(v != v or v in (float("inf"), float("-inf"))
                                   for v in values):
        return None
    return values


def bias_of(headers):
    """The Bias that a request's headers give; a header that does not parse is ignored."""
    view = _numbers(headers.get(VIEW_HEADER), 4)
    if view is not None:
        s, w, n, e = view
        # West beyond east is a view across the date line.
        if not (-90 <= s <= n <= 90 and -180 <= w <= 180 and -180 <= e <= 180):
            view = None
    position = _numbers(headers.get(POSITION_HEADER), 2)
    if position is not None and not (-90 <= position[0] <= 90 and -180 <= position[1] <= 180):
        position = None
    return Bias(tuple(view) if view else None, tuple(position) if position else None)

Unavailable = PlacesUnavailable



# What the application shows; the log says which file is missing.
MISSING_DATA = ("The map data is missing: run scripts/run once, or import a region in "
                "Map Regions.")


class Geocoder:
    """The endpoint on one configuration: its back-end and, offline, the
    places and street indexes of its data folder."""

    def __init__(self, cfg):
        self.reload(cfg)

    def reload(self, cfg):
        """Takes a configuration and opens its indexes; requests under way
        finish on the earlier ones."""
        self._state = (cfg, Offline(PlacesIndex(cfg.places_path),
                                    osmindex.StreetIndex(cfg.regions())))

    def routes(self):
        return {PATH: self.handle}

    def geocode(self, address, bias=NO_BIAS):
        """(status, results) for an address, best first; results are xmlreply's dicts.

        Failures are statuses too: UNKNOWN_ERROR (no places index, provider
        unreachable), OVER_QUERY_LIMIT, REQUEST_DENIED.
        """
        return self.lookup(address, bias)[:2]

    def lookup(self, address, bias=NO_BIAS):
        """(status, results, error message or None) for an address."""
        cfg, offline = self._state
        backend = cfg.geocoding_backend
        try:
            if backend == "offline":
                return offline.geocode(address, bias) + (None,)
            provider = PROVIDERS[backend]
            url = cfg.provider_url(backend, provider.DEFAULT_URL)
            cache = Cache(os.path.join(cfg.cache_dir, "geocoding"))
            # An answer for one view is not the answer for another.
            question = address if bias.view is None else "%s\n%r" % (address, bias.view)
            answer = cache.get(backend, url, question)
            if answer is None:
                answer = provider.geocode(url, address, bias.view)
                cache.put(backend, url, question, *answer)
            return answer + (None,)
        except PlacesUnavailable as exc:
            sys.stderr.write("geocoding: %s\n" % exc)
            return "UNKNOWN_ERROR", [], MISSING_DATA
        except online.ProviderFailure as exc:
            return exc.status, [], str(exc)

    def handle(self, handler, query):
        address = (query.get("address") or [""])[0].translate(_CONTROLS).strip()
        if not address:
            body = render("INVALID_REQUEST", error_message=(
                "Invalid request. Missing the 'address' parameter."))
        elif len(address) > MAX_ADDRESS:
            body = render("INVALID_REQUEST", error_message=(
                "Invalid request. The address is longer than %d characters." % MAX_ADDRESS))
        else:
            body = render(*self.lookup(address, bias_of(handler.headers)))
        handler.send_body(200, CONTENT_TYPE, body)


def render(status, results=(), error_message=None):
    """The reply document as UTF-8 bytes, laid out like the service's own."""
    return xmlreply.geocode_document(status, results, error_message)
