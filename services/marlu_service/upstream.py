"""Requests to online providers, with the manners public servers ask for and
the limits a hostile one needs.

Every request carries the User-Agent "Marlu/<version>", waits so that one
upstream host gets at most one request a second, and gives up after a time
limit per read and a total deadline (below the application's own 30 s, so
the application hears a status, not a time-out). At most a few requests run
at once per provider; a redirect is followed a few times, only to http(s) on
the same host or https elsewhere, and never to a loopback or private address
unless the configured provider itself is there. Callers map the outcome to
the service's status words.
"""

import http.client
import ipaddress
import socket
import ssl
import threading
import time
from urllib.parse import urljoin, urlsplit

VERSION = "0.1"
USER_AGENT = "Marlu/" + VERSION
TIMEOUT = 10.0
DEADLINE = 15.0
MAX_BODY = 16 * 1024 * 1024
MIN_INTERVAL = 1.0
MAX_REDIRECTS = 3
PER_PROVIDER = 4
REDIRECTS = (301, 302, 303, 307, 308)
CHUNK = 64 * 1024


class UpstreamError(Exception):
    """No usable answer: kind is "timeout", "network", "truncated", "too_large",
    "redirect" (one not followed) or "busy" (too many requests waiting)."""

    def __init__(self, kind, detail, status=None):
        super().__init__("%s: %s" % (kind, detail))
        self.kind, self.detail, self.status = kind, detail, status


_lock = threading.Lock()
_next_slot = {}
_running = {}


def _wait_for_slot(host, interval, deadline):
    with _lock:
        now = time.monotonic()
        slot = max(now, _next_slot.get(host, 0.0))
        if slot >= deadline:
            raise UpstreamError("busy", "too many requests waiting for %s" % host)
        _next_slot[host] = slot + interval
    if slot > now:
        time.sleep(slot - now)


def _gate(host):
    with _lock:
        return _running.setdefault(host, threading.BoundedSemaphore(PER_PROVIDER))


class _Target:
    """One URL of a request: where it goes and the address it may use."""

    def __init__(self, url):
        parts = urlsplit(url)
        if parts.scheme not in ("http", "https") or not parts.hostname:
            raise UpstreamError("redirect", "not an http(s) URL: %.200s" % url)
        self.url, self.scheme, self.host = url, parts.scheme, parts.hostname.lower()
        try:
            self.port = parts.port or (443 if self.scheme == "https" else 80)
        except ValueError:
            raise UpstreamError("redirect", "a bad port in %.200s" % url)
        self.path = (parts.path or "/") + ("?" + parts.query if parts.query else "")
        self.netloc = parts.netloc

    def resolve(self, configured):
        """The address to connect to: the first one the name resolves to; a
        loopback or private one only when the configured provider is there."""
        try:
            infos = socket.getaddrinfo(self.host, self.port, type=socket.SOCK_STREAM)
        except (OSError, UnicodeError) as exc:
            raise UpstreamError("network", "cannot resolve %s: %s" % (self.host, exc))
        address = infos[0][4][0]
        ip = ipaddress.ip_address(address.split("%", 1)[0])
        if not ip.is_global and (self.host, self.port) != (configured.host, configured.port):
            raise UpstreamError("redirect", "%s:%d is a local or private address (%s)"
                                % (self.host, self.port, address))
        return address

    def may_follow(self, target):
        return target.scheme == "https" or target.host == self.host


def _connection(target, address, timeout, sockets):
    """An HTTP(S) connection to the checked address; its socket goes into
    sockets when made (a connection drops its own once an answer is read)."""
    if target.scheme == "https":
        conn = http.client.HTTPSConnection(target.host, target.port, timeout=timeout,
                                           context=ssl.create_default_context())
    else:
        conn = http.client.HTTPConnection(target.host, target.port, timeout=timeout)

    # Connect to the address that was checked, not to a second look-up of the name.
    def connect(_, t, source=None):
        sock = socket.create_connection((address, target.port), t, source)
        sockets.append(sock)
        return sock

    conn._create_connection = connect
    return conn


def get(url, timeout=TIMEOUT, interval=None, accept="application/json",
        max_bytes=MAX_BODY, deadline=None):
    """(HTTP status, body bytes) of a GET; raises UpstreamError for no answer.

    Answers with an HTTP error status are returned, not raised: 429 and 403
    mean something to the caller. timeout bounds each read, deadline (seconds,
    DEADLINE by default) the whole request, waiting included.
    """
    return request(url, timeout=timeout, interval=interval, accept=accept,
                   max_bytes=max_bytes, deadline=deadline)[:2]


def request(url, method="GET", timeout=TIMEOUT, interval=None, accept="application/json",
            max_bytes=MAX_BODY, deadline=None, into=None):
    """(HTTP status, body bytes, headers) of a request, as get() does; with
    into, a binary file, the body goes there instead (the bytes given are b"")."""
    ends = time.monotonic() + (DEADLINE if deadline is None else deadline)
    configured = _Target(url)
    gate = _gate(configured.netloc)
    if not gate.acquire(timeout=max(0.0, ends - time.monotonic())):
        raise UpstreamError("busy", "%d requests to %s are running" % (PER_PROVIDER,
                                                                      configured.netloc))
    try:
        _wait_for_slot(configured.netloc, MIN_INTERVAL if interval is None else interval, ends)
        target = configured
        for _ in range(MAX_REDIRECTS + 1):
            status, location, body, headers = _exchange(target, configured, method, timeout,
                                                        accept, max_bytes, ends, into)
            if location is None:
                return status, body, headers
            following = _Target(urljoin(target.url, location))
            if not target.may_follow(following):
                raise UpstreamError("redirect", "not followed from %s to %.200s"
                                    % (target.scheme, following.url))
            target = following
        raise UpstreamError("redirect", "more than %d redirects" % MAX_REDIRECTS)
    finally:
        gate.release()


def _exchange(target, configured, method, timeout, accept, max_bytes, ends, into):
    """(status, redirect location or None, body, headers) of one request."""
    address = target.resolve(configured)
    remaining = ends - time.monotonic()
    if remaining <= 0:
        raise UpstreamError("timeout", "no answer within the deadline")
    sockets = []
    conn = _connection(target, address, min(timeout, remaining), sockets)
    # The per-read time-out does not stop a server that drips: at the
    # deadline the socket is shut, which ends any read under way.
    expired = threading.Event()

    def expire():
        expired.set()
        for sock in sockets:
            try:
                sock.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    watchdog = threading.Timer(remaining, expire)
    watchdog.daemon = True
    watchdog.start()
    try:
        conn.request(method, target.path, headers={"User-Agent": USER_AGENT, "Accept": accept,
                                                   "Accept-Encoding": "identity"})
        response = conn.getresponse()
        if response.status in REDIRECTS and response.getheader("Location"):
            return response.status, response.getheader("Location"), b"", response.headers
        body = _read_limited(response, max_bytes, into)
        if expired.is_set():
            raise UpstreamError("timeout", "no complete answer within the deadline")
        return response.status, None, body, response.headers
    except UpstreamError as exc:
        if expired.is_set() and exc.kind == "truncated":
            raise UpstreamError("timeout", "no complete answer within the deadline")
        raise
    except (TimeoutError, socket.timeout) as exc:
        raise UpstreamError("timeout", str(exc) or "no answer in time")
    except http.client.IncompleteRead as exc:
        if expired.is_set():
            raise UpstreamError("timeout", "no complete answer within the deadline")
        raise UpstreamError("truncated", "%d bytes missing" % (exc.expected or 0))
    except (OSError, http.client.HTTPException) as exc:
        if expired.is_set():
            raise UpstreamError("timeout", "no complete answer within the deadline")
        raise UpstreamError("network", str(exc) or type(exc).__name__)
    finally:
        watchdog.cancel()
        conn.close()
        for sock in sockets:
            sock.close()


def _read_limited(response, max_bytes, into=None):
    announced = response.length
    if announced is not None and announced > max_bytes:
        raise UpstreamError("too_large", "%d bytes announced, at most %d read"
                            % (announced, max_bytes))
    chunks, size = [], 0
    while True:
        chunk = response.read1(CHUNK)
        if not chunk:
            break
        size += len(chunk)
        if size > max_bytes:
            raise UpstreamError("too_large", "more than %d bytes" % max_bytes)
        if into is None:
            chunks.append(chunk)
        else:
            into.write(chunk)
    # A read returns what came before the connection closed, even when
    # that is less than the announced length.
    if response.length:
        raise UpstreamError("truncated", "%d bytes missing" % response.length)
    return b"".join(chunks)
