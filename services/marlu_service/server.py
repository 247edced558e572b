"""Local map service for Marlu.

Serves the map page and its libraries from a web root on 127.0.0.1 so the
QWebView can load them over HTTP, and the web-service endpoints, which
take precedence over files: the server's routes (exact paths) and prefix
routes (tiles), which its endpoint objects give.

  mapservice.py [--port N] [--root DIR] [--config FILE] [--data DIR]

Only the application is served: a request whose Host is not this loopback
address and port (127.0.0.1:PORT or localhost:PORT) is refused, which keeps
web pages out through DNS rebinding. Each connection has a thread of its
own, so a slow client holds only its own; a request's head has a deadline,
idle connections are closed after a while, and a full service makes room by
closing the connection that has waited longest without a request, or else
answers 503. Connections that carry the application's key keep room of their
own; searches and routes share a budget of their own, apart from the tiles.
"""

import argparse
import json
import os
import re
import resource
import signal
import socket
import sys
import threading
import time
from http import HTTPStatus
from http.server import HTTPServer, SimpleHTTPRequestHandler
from urllib.parse import parse_qs, unquote, urlsplit

from . import SERVICES_DIR, config, connections, identity, regions, seeddata, servicesconfig, \
    tiles

DEFAULT_PORT = 8717
# A keep-alive connection that sends nothing for this long is closed.
IDLE_TIMEOUT = 20.0
# A request's head (its line and headers), and a body, must have come this
# long after its first byte: a client that drips them is cut off.
HEAD_DEADLINE = 10.0
# Connections open at once, and at most this share of the open-file limit,
# the rest being for files.
MAX_CONNECTIONS = 128
FD_SHARE = 4
# This share of them is kept for requests that carry the application's key.
RESERVED_SHARE = 4
# Searches and routes computed at once (more than the requests one online
# provider takes at once, so that a slow one leaves room), and how long one
# waits for its turn before the answer is 503.
SEARCH_SLOTS = 8
SEARCH_WAIT = 10.0
BUSY = "The map service is busy with other searches and routes; try again in a moment.\n"
FULL = "The map service has too many connections open; try again in a moment.\n"
JSON_TYPE = "application/json; charset=utf-8"
MAX_JSON_BODY = 64 * 1024
# How long a request waits for the endpoints still loading at start-up.
LOADING_WAIT = 30
# When they and the tiles' renderer load unasked: after the page's first
# burst of requests, which the loading would slow down.
LOADING_DELAY = 2.0
DEFAULT_ROOT = os.path.join(os.path.dirname(SERVICES_DIR), "web")

# Explicit so the answer does not depend on the host's /etc/mime.types.
CONTENT_TYPES = {
    "": "application/octet-stream",
    ".html": "text/html; charset=utf-8",
    ".htm": "text/html; charset=utf-8",
    ".js": "application/javascript; charset=utf-8",
    ".mjs": "application/javascript; charset=utf-8",
    ".json": "application/json; charset=utf-8",
    ".css": "text/css; charset=utf-8",
    ".xml": "application/xml; charset=utf-8",
    ".txt": "text/plain; charset=utf-8",
    ".map": "application/json; charset=utf-8",
    ".svg": "image/svg+xml",
    ".png": "image/png",
    ".jpg": "image/jpeg",
    ".jpeg": "image/jpeg",
    ".gif": "image/gif",
    ".ico": "image/x-icon",
}


class MapRequestHandler(SimpleHTTPRequestHandler):
    server_version = "MarluMapService/1.0"
    extensions_map = CONTENT_TYPES
    timeout = IDLE_TIMEOUT

    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=args[2].root, **kwargs)

    def handle_one_request(self):
        """Waits for a request (at most the idle time), then gives its head
        the head deadline from its first byte on."""
        entry = self.server.connections_entry(self.connection)
        self.server.connections.waiting(entry)
        try:
            started = self.rfile.peek(1)
        except (OSError, ValueError):
            started = b""
        if not started:
            self.close_connection = True
            return
        self.server.connections.receiving(entry)
        super().handle_one_request()

    def parse_request(self):
        """Reads the request line and headers, then refuses (403) a Host other
        than the service's own loopback address and port, for every method,
        and (503) a request without the key when only the reserved room is left."""
        if not super().parse_request():
            return False
        host = (self.headers.get("Host") or "").strip().lower()
        if host not in self.server.hosts:
            self._error = "foreign Host %.100r" % host
            self.close_connection = True
            identity.send_json(self, HTTPStatus.FORBIDDEN, {
                "error": "This service answers only requests for %s." % self.server.hosts[0]})
            return False
        entry = self.server.connections_entry(self.connection)
        if not self.server.connections.serving(entry, self.server.identity.keyed(self)):
            self._error = "no room for a request without the key"
            self.close_connection = True
            self.send_text(HTTPStatus.SERVICE_UNAVAILABLE, FULL)
            return False
        return True

    def do_GET(self):
        self._dispatch(send_body=True)

    def do_HEAD(self):
        self._dispatch(send_body=False)

    def do_POST(self):
        self._dispatch_marlu()

    def do_PUT(self):
        self._dispatch_marlu()

    def do_DELETE(self):
        self._dispatch_marlu()

    def _dispatch(self, send_body):
        self._send_body = send_body
        self.server.connections.received(self.server.connections_entry(self.connection))
        parts = urlsplit(self.path)
        try:
            if not self.server.identity.allows(self):
                return
            route = self.server.routes.get(parts.path)
            if route is None and not parts.path.startswith(tuple(self.server.prefix_routes)) \
                    and self._refusal(parts.path) is not None:
                # Not a file: maybe the route of an endpoint not loaded yet.
                self.server.start_loading()
                if not self.server.loaded.wait(LOADING_WAIT):
                    self.send_text(HTTPStatus.SERVICE_UNAVAILABLE, "the service is starting\n")
                    return
                route = self.server.routes.get(parts.path)
            if route is not None:
                route(self, parse_qs(parts.query, keep_blank_values=True))
                return
            if parts.path.startswith("/marlu/"):
                self._dispatch_marlu()
                return
            for prefix, prefix_route in self.server.prefix_routes.items():
                if parts.path.startswith(prefix):
                    prefix_route(self, parts.path, parse_qs(parts.query, keep_blank_values=True))
                    return
            refusal = self._refusal(parts.path)
            if refusal is not None:
                self.send_text(refusal, "%d %s\n" % (refusal, refusal.phrase))
            elif send_body:
                super().do_GET()
            else:
                super().do_HEAD()
        except (BrokenPipeError, ConnectionResetError):
            pass
        except Exception as exc:  # keep serving; the request's log line names the error
            self._error = repr(exc)
            self.send_text(HTTPStatus.INTERNAL_SERVER_ERROR, "internal error\n")

    def _dispatch_marlu(self):
        """Marlu's private API: JSON in, JSON out, routed by the server's table."""
        self._send_body = self.command != "HEAD"
        path = urlsplit(self.path).path
        try:
            if not self.server.identity.allows(self):
                return
            route, params = self.server.marlu_route(self.command, path)
            if route is None:
                status, answer = params, {"error": "%s %s is not part of this service."
                                          % (self.command, path)}
            else:
                body = self._json_body()
                if isinstance(body, dict):
                    status, answer = route(body, **params)
                else:
                    status, answer = body
            self.send_body(status, JSON_TYPE,
                           json.dumps(answer, ensure_ascii=False).encode("utf-8"))
        except (BrokenPipeError, ConnectionResetError):
            pass
        except Exception as exc:  # keep serving; the request's log line names the error
            self._error = repr(exc)
            self.send_body(HTTPStatus.INTERNAL_SERVER_ERROR, JSON_TYPE,
                           b'{"error": "The service failed on this request."}')

    def _json_body(self):
        """The request's JSON object ({} without a body), or (status, answer)."""
        length = self.headers.get("Content-Length") or "0"
        if not length.isdigit():
            return HTTPStatus.BAD_REQUEST, {"error": "The request's length is not a number."}
        if int(length) > MAX_JSON_BODY:
            return HTTPStatus.REQUEST_ENTITY_TOO_LARGE, {"error": "The request is too long."}
        data = self.rfile.read(int(length)) if int(length) else b"{}"
        self.server.connections.received(self.server.connections_entry(self.connection))
        try:
            body = json.loads(data.decode("utf-8"))
        except (UnicodeDecodeError, ValueError):
            body = None
        if not isinstance(body, dict):
            return HTTPStatus.BAD_REQUEST, {"error": "The request is not a JSON object."}
        return body

    def _refusal(self, url_path):
        """Why a URL path may not be served as a file below the root, or None."""
        rel = unquote(url_path)
        if "\0" in rel:
            return HTTPStatus.BAD_REQUEST
        segments = [s for s in rel.split("/") if s not in ("", ".")]
        if ".." in segments:
            return HTTPStatus.FORBIDDEN
        root = self.server.root
        target = os.path.realpath(os.path.join(root, *segments))
        # Catches symlinks that point outside the root.
        if os.path.commonpath([root, target]) != root:
            return HTTPStatus.FORBIDDEN
        # Files only: no folder listings, no index pages.
        if not os.path.isfile(target):
            return HTTPStatus.NOT_FOUND
        return None

    def end_headers(self):
        self.send_header("Cache-Control", "no-cache")
        super().end_headers()

    def send_body(self, status, content_type, data):
        """Send a complete response; for use by route handlers."""
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        if getattr(self, "_send_body", True):
            self.wfile.write(data)

    def send_text(self, status, text):
        self.send_body(status, "text/plain; charset=utf-8", text.encode("utf-8"))

    # One line per request: send_response() calls log_request(); the
    # default send_error() would add a second line through log_error().
    def log_request(self, code="-", size="-"):
        status = code.value if isinstance(code, HTTPStatus) else code
        method = getattr(self, "command", None) or "-"
        path = getattr(self, "path", None) or "-"
        error = getattr(self, "_error", None)
        sys.stderr.write("%s %s %s%s\n" % (method, path, status, " " + error if error else ""))

    def log_error(self, format, *args):
        pass


class MapServer(HTTPServer):
    """The service on one configuration: its endpoint objects, built once,
    hold everything they read from its file and data folder."""

    request_queue_size = 64

    def __init__(self, cfg, root=DEFAULT_ROOT, port=DEFAULT_PORT, host="127.0.0.1",
                 secret_path=None, background=False):
        """With background, the page's files and the tiles are served at once
        and the geocoder and directions load in a thread, LOADING_DELAY later
        or on their first request, which waits for them (LOADING_WAIT at most)."""
        self.config = cfg
        self.root = os.path.realpath(root)
        self.identity = identity.Identity(identity.load_or_create(
            secret_path or identity.default_path()))
        self.tiles = tiles.Tiles(cfg)
        self.regions = regions.Regions(cfg, self)
        self.services = servicesconfig.ServicesConfig(cfg, self)
        self.endpoints = (self.identity, self.tiles, self.regions, self.services)
        # path -> handler(request_handler, query), query being the parse_qs() dict;
        # blank values are kept, so "address=&address=Paris" is a blank address.
        self.routes = {}
        # prefix -> handler(request_handler, path, query), for whole trees of paths.
        self.prefix_routes = {}
        for endpoint in self.endpoints:
            self._add_routes(endpoint)
        # Marlu's private API: (method, path pattern, handler(body, **path parts)
        # -> (status, JSON answer)). All of them need the application's secret.
        r, s = self.regions, self.services
        self.marlu_routes = [(method, re.compile(pattern + "$"), handler) for method, pattern,
                             handler in (
            ("GET", "/marlu/regions", r.list),
            ("POST", "/marlu/regions/import", r.start_import),
            ("POST", "/marlu/regions/download", r.start_download),
            ("DELETE", "/marlu/regions/(?P<name>[^/]+)", r.delete),
            ("POST", "/marlu/regions/(?P<name>[^/]+)/update", r.update),
            ("POST", "/marlu/jobs/(?P<job_id>[^/]+)/cancel", r.cancel),
            ("GET", "/marlu/catalogue", r.catalogue_entries),
            ("GET", "/marlu/services", s.get),
            ("PUT", "/marlu/services", s.put),
            ("POST", "/marlu/services/tiles/check", s.check_tiles),
            ("POST", "/marlu/reload", lambda body: (self.reload(), (HTTPStatus.OK, {}))[1]),
        )]
        self.loaded = threading.Event()
        self._reload_lock = threading.Lock()
        self._loader = None
        self._loader_lock = threading.Lock()
        super().__init__((host, port), MapRequestHandler)
        self.hosts = ("127.0.0.1:%d" % self.port, "localhost:%d" % self.port)
        limit = resource.getrlimit(resource.RLIMIT_NOFILE)[0]
        self.max_connections = MAX_CONNECTIONS if limit == resource.RLIM_INFINITY else max(
            4, min(MAX_CONNECTIONS, limit // FD_SHARE))
        self.connections = connections.Connections(
            self.max_connections, max(1, self.max_connections // RESERVED_SHARE), HEAD_DEADLINE)
        self._search_slots = threading.BoundedSemaphore(SEARCH_SLOTS)
        if background:
            timer = threading.Timer(LOADING_DELAY, self._load_ahead)
            timer.daemon = True
            timer.start()
        else:
            self._load_endpoints()
            self._loader = True

    def process_request(self, request, client_address):
        """Serves the connection in a thread of its own; a full service that
        cannot make room answers 503 without reading the request."""
        entry = self.connections.open(request)
        if entry is None:
            sys.stderr.write("refused a connection: %d being served\n" % self.max_connections)
            threading.Thread(target=_refuse, args=(request,), daemon=True).start()
            return
        threading.Thread(target=self._serve, args=(request, client_address, entry),
                         daemon=True).start()

    def _serve(self, request, client_address, entry):
        try:
            self.finish_request(request, client_address)
        except Exception:
            if not entry.evicted:
                self.handle_error(request, client_address)
        finally:
            self.connections.close(request)
            self.shutdown_request(request)

    def connections_entry(self, sock):
        """The entry of a connection being served (made for a handler run
        without process_request, as the tests' own servers do)."""
        return self.connections.get(sock) or connections.Connection(sock)

    def budgeted(self, route):
        """route run within the budget of searches and routes: a request that
        finds no slot in time is answered 503 with a sentence."""
        def run(handler, query):
            if not self._search_slots.acquire(timeout=SEARCH_WAIT):
                handler._error = "busy"
                handler.send_text(HTTPStatus.SERVICE_UNAVAILABLE, BUSY)
                return
            try:
                route(handler, query)
            finally:
                self._search_slots.release()
        return run

    def handle_error(self, request, client_address):
        # A client that went away or timed out is no error of the service.
        exc = sys.exc_info()[1]
        if not isinstance(exc, OSError):
            super().handle_error(request, client_address)

    def start_loading(self):
        """Starts loading the geocoder and directions, once."""
        with self._loader_lock:
            if self._loader is None:
                self._loader = threading.Thread(target=self._load_endpoints, daemon=True)
                self._loader.start()

    def _load_ahead(self):
        self.start_loading()
        self.loaded.wait()
        self.tiles.warm_up()

    def _add_routes(self, endpoint):
        self.routes.update(getattr(endpoint, "routes", dict)())
        self.prefix_routes.update(getattr(endpoint, "prefix_routes", dict)())

    def _load_endpoints(self):
        # Only what answers searches and routes: the page and its tiles need none of it.
        try:
            from . import directions, geocoding
            with self._reload_lock:
                self.geocoder = geocoding.Geocoder(self.config)
                self.directions = directions.Directions(self.config, self.geocoder)
                self.endpoints = (self.identity, self.geocoder, self.directions, self.tiles,
                                  self.regions, self.services)
                # A whole dictionary swapped in: a request never sees one half made.
                routes = dict(self.routes)
                for endpoint in (self.geocoder, self.directions):
                    routes.update({path: self.budgeted(route)
                                   for path, route in endpoint.routes().items()})
                self.routes = routes
        finally:
            # A failure (its traceback in the log) must not keep requests waiting.
            self.loaded.set()

    def reload(self):
        """Reads the configuration file and the data folder's regions again;
        each endpoint builds its new state, then swaps it in."""
        self.start_loading()
        self.loaded.wait()
        with self._reload_lock:
            cfg = config.Config(self.config.path, self.config.data_dir)
            for endpoint in self.endpoints:
                endpoint.reload(cfg)
            self.config = cfg

    def marlu_route(self, method, path):
        """(handler, path parts) of a /marlu/ request, or (None, 404 or 405)."""
        known = False
        for route_method, pattern, handler in self.marlu_routes:
            match = pattern.match(path)
            if match:
                if route_method == method or (method == "HEAD" and route_method == "GET"):
                    return handler, {k: unquote(v) for k, v in match.groupdict().items()}
                known = True
        return None, HTTPStatus.METHOD_NOT_ALLOWED if known else HTTPStatus.NOT_FOUND

    @property
    def port(self):
        return self.server_address[1]


def _refuse(sock):
    """Answers 503 on a connection whose request is not read, then lets the
    client's bytes drain so that it reads the answer rather than a reset."""
    data = FULL.encode("utf-8")
    try:
        sock.settimeout(1.0)
        sock.sendall(b"HTTP/1.0 503 Service Unavailable\r\nContent-Type: text/plain; "
                     b"charset=utf-8\r\nRetry-After: 1\r\nConnection: close\r\n"
                     b"Content-Length: %d\r\n\r\n%s" % (len(data), data))
        sock.shutdown(socket.SHUT_WR)
        for _ in range(4):
            if not sock.recv(65536):
                break
    except OSError:
        pass
    finally:
        sock.close()


def parse_args(argv):
    parser = argparse.ArgumentParser(description="Marlu local map service")
    parser.add_argument("--port", type=int, default=DEFAULT_PORT,
                        help="TCP port on 127.0.0.1 (0 picks a free one; default %(default)s)")
    parser.add_argument("--root", default=DEFAULT_ROOT,
                        help="directory to serve (default: the web/ folder of this checkout)")
    parser.add_argument("--config", help="configuration file (default: %s)"
                        % config.default_config_path())
    parser.add_argument("--data", help="data folder (default: $MARLU_DATA or "
                        "~/.local/share/marlu)")
    parser.add_argument("--parent-pid", type=int,
                        help="stop when the process with this pid, the one that started "
                        "this service, ends")
    args = parser.parse_args(argv)
    if not 0 <= args.port <= 65535:
        parser.error("--port must be between 0 and 65535")
    if not os.path.isdir(args.root):
        parser.error("--root %s is not a directory" % args.root)
    return args


def watch_parent(parent, on_gone, interval=1.0):
    """Calls on_gone once the parent process has ended: an application that
    was killed cannot stop the service it started, so the service notices.
    The pid comes from the parent, as it may be gone before this runs."""
    def watch():
        while os.getppid() == parent:
            time.sleep(interval)
        on_gone()
    threading.Thread(target=watch, daemon=True).start()


def main(argv=None):
    args = parse_args(sys.argv[1:] if argv is None else argv)
    cfg = config.Config(args.config, args.data)
    seeddata.seed(cfg.data_dir)
    config.finish_interrupted_swaps(cfg.regions_dir)
    regions.sweep(cfg.regions_dir)
    try:
        server = MapServer(cfg, args.root, args.port, background=True)
    except identity.KeyFileError as exc:
        sys.stderr.write("%s\n" % exc)
        return 1
    except OSError as exc:
        sys.stderr.write("cannot listen on 127.0.0.1:%d: %s\n" % (args.port, exc.strerror or exc))
        return 1

    def stop(signum, frame):
        # shutdown() waits for serve_forever() to return, which runs in
        # this very thread, so it has to be called from another one.
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGINT, stop)
    signal.signal(signal.SIGTERM, stop)
    if args.parent_pid:
        watch_parent(args.parent_pid, lambda: stop(None, None))

    print("Marlu map service listening on http://127.0.0.1:%d" % server.port, flush=True)
    try:
        server.serve_forever(poll_interval=0.2)
    finally:
        server.regions.stop()
        server.server_close()
    # Requests under way may wait on a renderer or a provider; the
    # interpreter's exit would wait for them, so the process ends here.
    sys.stdout.flush()
    sys.stderr.flush()
    os._exit(0)


if __name__ == "__main__":
    sys.exit(main())
