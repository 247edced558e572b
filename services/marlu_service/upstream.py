"""Requests to online providers, with the manners public servers ask for.

Every request carries the User-Agent "Marlu/<version>", waits so that one
upstream host gets at most one request a second, and gives up after a time
limit. Callers map the outcome to the service's status words.
"""

import threading
import time
import urllib.error
import urllib.request
from urllib.parse import urlsplit

VERSION = "0.1"
USER_AGENT = "Marlu/" + VERSION
TIMEOUT = 10.0
MAX_BODY = 16 * 1024 * 1024
MIN_INTERVAL = 1.0


class UpstreamError(Exception):
    """No usable answer: kind is "timeout", "network", "truncated" or "too_large"."""

    def __init__(self, kind, detail, status=None):
        super().__init__("%s: %s" % (kind, detail))
        self.kind, self.detail, self.status = kind, detail, status


_lock = threading.Lock()
_next_slot = {}


def _wait_for_slot(host, interval):
    with _lock:
        now = time.monotonic()
        slot = max(now, _next_slot.get(host, 0.0))
        _next_slot[host] = slot + interval
    if slot > now:
        time.sleep(slot - now)


def get(url, timeout=TIMEOUT, interval=MIN_INTERVAL, accept="application/json"):
    """(HTTP status, body bytes) of a GET; raises UpstreamError for no answer.

    Answers with an HTTP error status are returned, not raised: 429 and 403
    mean something to the caller.
    """
    _wait_for_slot(urlsplit(url).netloc, interval)
    request = urllib.request.Request(url, headers={"User-Agent": USER_AGENT, "Accept": accept})
    try:
        with urllib.request.urlopen(request, timeout=timeout) as response:
            status, reader = response.status, response
            body = _read_limited(reader)
    except urllib.error.HTTPError as exc:
        try:
            body = _read_limited(exc)
        except Exception:
            body = b""
        return exc.code, body
    except TimeoutError as exc:
        raise UpstreamError("timeout", str(exc))
    except urllib.error.URLError as exc:
        kind = "timeout" if isinstance(exc.reason, TimeoutError) else "network"
        raise UpstreamError(kind, str(exc.reason))
    except OSError as exc:
        raise UpstreamError("network", str(exc))
    return status, body


def _read_limited(reader):
    body = reader.read(MAX_BODY + 1)
    if len(body) > MAX_BODY:
        raise UpstreamError("too_large", "more than %d bytes" % MAX_BODY)
    # A read with a size returns what came before the connection closed,
    # even when that is less than the announced length.
    if getattr(reader, "length", None):
        raise UpstreamError("truncated", "%d bytes missing" % reader.length)
    return body
