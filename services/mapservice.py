#!/usr/bin/env python3
"""Local map service for Marlu.

Serves the map page and its libraries from a web root on 127.0.0.1 so the
QWebView can load them over HTTP. API endpoints are registered in
MapRequestHandler.ROUTES and take precedence over files.
"""

import argparse
import os
import signal
import sys
import threading
from http import HTTPStatus
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, unquote, urlsplit

DEFAULT_PORT = 8717
DEFAULT_ROOT = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "web")

# Explicit so the answer does not depend on the host's /etc/mime.types.
CONTENT_TYPES = {
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


def content_type_for(path):
    return CONTENT_TYPES.get(os.path.splitext(path)[1].lower(), "application/octet-stream")


class MapRequestHandler(BaseHTTPRequestHandler):
    server_version = "MarluMapService/1.0"

    # path -> handler(self, query) where query is the parse_qs() dict.
    # The geocode and directions endpoints are meant to be added here.
    ROUTES = {}
    # prefix -> handler(self, path, query) for the paths no exact route takes.
    PREFIX_ROUTES = {}

    def do_GET(self):
        self._dispatch(send_body=True)

    def do_HEAD(self):
        self._dispatch(send_body=False)

    def _dispatch(self, send_body):
        self._send_body = send_body
        parts = urlsplit(self.path)
        route = self.ROUTES.get(parts.path)
        try:
            prefix = next((p for p in self.PREFIX_ROUTES if parts.path.startswith(p)), None)
            if route is not None:
                route(self, parse_qs(parts.query))
            elif prefix is not None:
                self.PREFIX_ROUTES[prefix](self, parts.path, parse_qs(parts.query))
            else:
                self._serve_file(parts.path)
        except (BrokenPipeError, ConnectionResetError):
            pass
        except Exception as exc:  # keep serving; the request's log line names the error
            self._error = repr(exc)
            self.send_text(HTTPStatus.INTERNAL_SERVER_ERROR, "internal error\n")

    def _resolve(self, url_path):
        """Map a URL path to a file below the root, or return an HTTP status."""
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
        if not os.path.isfile(target):
            return HTTPStatus.NOT_FOUND
        return target

    def _serve_file(self, url_path):
        target = self._resolve(url_path)
        if not isinstance(target, str):
            self.send_text(target, "%d %s\n" % (target, target.phrase))
            return
        try:
            with open(target, "rb") as f:
                data = f.read()
        except OSError:
            self.send_text(HTTPStatus.NOT_FOUND, "404 Not Found\n")
            return
        self.send_body(HTTPStatus.OK, content_type_for(target), data)

    def send_body(self, status, content_type, data):
        """Send a complete response; for use by route handlers too."""
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Cache-Control", "no-cache")
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


# The endpoints register into the handler defined above.
import directions  # noqa: E402
import geocoding  # noqa: E402
import tiles  # noqa: E402

geocoding.register(MapRequestHandler.ROUTES)
directions.register(MapRequestHandler.ROUTES)
tiles.register(MapRequestHandler.ROUTES)
tiles.register_prefix(MapRequestHandler.PREFIX_ROUTES)


class MapServer(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, root, port=DEFAULT_PORT, host="127.0.0.1"):
        self.root = os.path.realpath(root)
        super().__init__((host, port), MapRequestHandler)

    @property
    def port(self):
        return self.server_address[1]


def parse_args(argv):
    parser = argparse.ArgumentParser(description="Marlu local map service")
    parser.add_argument("--port", type=int, default=DEFAULT_PORT,
                        help="TCP port on 127.0.0.1 (0 picks a free one; default %(default)s)")
    parser.add_argument("--root", default=DEFAULT_ROOT,
                        help="directory to serve (default: the web/ folder of this checkout)")
    args = parser.parse_args(argv)
    if not 0 <= args.port <= 65535:
        parser.error("--port must be between 0 and 65535")
    if not os.path.isdir(args.root):
        parser.error("--root %s is not a directory" % args.root)
    return args


def main(argv=None):
    args = parse_args(sys.argv[1:] if argv is None else argv)
    try:
        server = MapServer(args.root, args.port)
    except OSError as exc:
        sys.stderr.write("cannot listen on 127.0.0.1:%d: %s\n" % (args.port, exc.strerror or exc))
        return 1

    def stop(signum, frame):
        # shutdown() waits for serve_forever() to return, which runs in
        # this very thread, so it has to be called from another one.
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGINT, stop)
    signal.signal(signal.SIGTERM, stop)

    print("Marlu map service listening on http://127.0.0.1:%d" % server.port, flush=True)
    try:
        server.serve_forever(poll_interval=0.2)
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
