"""Local map service for Marlu.

Serves the map page and its libraries from a web root on 127.0.0.1 so the
QWebView can load them over HTTP, and the web-service endpoints, which
take precedence over files: the server's routes (exact paths) and prefix
routes (tiles), which its endpoint objects give.

  mapservice.py [--port N] [--root DIR] [--config FILE] [--data DIR]
"""

import argparse
import os
import signal
import sys
import threading
import time
from http import HTTPStatus
from http.server import SimpleHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, unquote, urlsplit

from . import SERVICES_DIR, config, seeddata, tiles

DEFAULT_PORT = 8717
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

    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=args[2].root, **kwargs)

    def do_GET(self):
        self._dispatch(send_body=True)

    def do_HEAD(self):
        self._dispatch(send_body=False)

    def _dispatch(self, send_body):
        self._send_body = send_body
        parts = urlsplit(self.path)
        try:
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


class MapServer(ThreadingHTTPServer):
    """The service on one configuration: its endpoint objects, built once,
    hold everything they read from its file and data folder."""

    daemon_threads = True

    def __init__(self, cfg, root=DEFAULT_ROOT, port=DEFAULT_PORT, host="127.0.0.1",
                 background=False):
        """With background, the page's files and the tiles are served at once
        and the geocoder and directions load in a thread, LOADING_DELAY later
        or on their first request, which waits for them (LOADING_WAIT at most)."""
        self.config = cfg
        self.root = os.path.realpath(root)
        self.tiles = tiles.Tiles(cfg)
        self.endpoints = (self.tiles,)
        # path -> handler(request_handler, query), query being the parse_qs() dict;
        # blank values are kept, so "address=&address=Paris" is a blank address.
        self.routes = {}
        # prefix -> handler(request_handler, path, query), for whole trees of paths.
        self.prefix_routes = {}
        self._add_routes(self.tiles)
        self.loaded = threading.Event()
        self._reload_lock = threading.Lock()
        self._loader = None
        self._loader_lock = threading.Lock()
        super().__init__((host, port), MapRequestHandler)
        if background:
            timer = threading.Timer(LOADING_DELAY, self._load_ahead)
            timer.daemon = True
            timer.start()
        else:
            self._load_endpoints()
            self._loader = True

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
        self.routes.update(endpoint.routes())
        self.prefix_routes.update(getattr(endpoint, "prefix_routes", dict)())

    def _load_endpoints(self):
        # Only what answers searches and routes: the page and its tiles need none of it.
        try:
            from . import directions, geocoding
            with self._reload_lock:
                self.geocoder = geocoding.Geocoder(self.config)
                self.directions = directions.Directions(self.config, self.geocoder)
                self.endpoints = (self.geocoder, self.directions, self.tiles)
                # A whole dictionary swapped in: a request never sees one half made.
                routes = dict(self.routes)
                for endpoint in (self.geocoder, self.directions):
                    routes.update(endpoint.routes())
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

    @property
    def port(self):
        return self.server_address[1]


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
    try:
        server = MapServer(cfg, args.root, args.port, background=True)
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
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
