"""What the service's suites share: the service in-process on a free port,
a loopback stand-in for online providers, reply checks and decoders."""

import http.client
import http.server
import json
import os
import subprocess
import re
import tempfile
import threading
import time
import xml.etree.ElementTree as ET

from servicepath import REPO, SERVICES  # noqa: F401 (the suites use them)
from marlu_service import server as mapservice  # noqa: E402
from marlu_service import config  # noqa: E402

FIXTURES = os.environ.get("MARLU_FIXTURES") or os.path.join(REPO, "..", "shared", "fixtures")
XML_DECLARATION = b'<?xml version="1.0" encoding="UTF-8"?>\n'


def fixture(*parts):
    return os.path.join(FIXTURES, *parts)


class QuietHandler(mapservice.MapRequestHandler):
    def log_request(self, code="-", size="-"):
        pass


class InProcessService:
    """The map service in this process on a configuration (by default the one
    of the environment's data folder), on a free port, serving an empty web root."""

    def __init__(self, cfg=None):
        self.root = tempfile.TemporaryDirectory(prefix="marlu-service-root-")
        self.server = mapservice.MapServer(cfg or config.Config(), self.root.name, port=0)
        self.server.RequestHandlerClass = QuietHandler
        threading.Thread(target=self.server.serve_forever, kwargs={"poll_interval": 0.1},
                         daemon=True).start()

    @property
    def port(self):
        return self.server.port

    def get(self, path, timeout=30, headers=None):
        """(status, headers, body) of a GET sent with the path exactly as given."""
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout)
        try:
            conn.request("GET", path, headers=headers or {})
            resp = conn.getresponse()
            return resp.status, resp, resp.read()
        finally:
            conn.close()

    def call(self, method, path, body=None, timeout=60):
        """(status, parsed JSON answer) of a request to the private /marlu/ API."""
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout)
        try:
            conn.request(method, path, None if body is None else json.dumps(body),
                         {"Content-Type": "application/json",
                          "X-Marlu-Secret": self.server.identity.secret})
            resp = conn.getresponse()
            return resp.status, json.loads(resp.read())
        finally:
            conn.close()

    def close(self):
        self.server.shutdown()
        self.server.server_close()
        self.root.cleanup()


def wait_until(condition, timeout=120, interval=0.05, what="the condition"):
    """condition()'s first true value, polled until a deadline."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("gave up after %d s waiting for %s" % (timeout, what))
        time.sleep(interval)


class ReplyChecks:
    """Mixin for TestCases: what every XML reply of the service must be."""

    def check_xml_reply(self, status, resp, body, root_tag):
        self.assertEqual(status, 200)
        self.assertEqual(resp.getheader("Content-Type"), "application/xml; charset=UTF-8")
        self.assertTrue(body.startswith(XML_DECLARATION), body[:60])
        self.assertNotIn(b"<!DOCTYPE", body)
        self.assertNotIn(b"<!ENTITY", body)
        root = ET.fromstring(body)
        self.assertEqual(root.tag, root_tag)
        self.assertEqual(len(root.findall("status")), 1)
        return root


def shape(element, path="", found=None):
    """path -> child tag names in document order, repeats folded: the layout without the values."""
    found = {} if found is None else found
    path = path + "/" + element.tag
    tags = []
    for child in element:
        if not tags or tags[-1] != child.tag:
            tags.append(child.tag)
        shape(child, path, found)
    found.setdefault(path, tags)
    return found


def point(element):
    return float(element.findtext("lat")), float(element.findtext("lng"))


class LoopbackSite:
    """A small HTTP server of the tests' own on a free loopback port."""

    def serve(self, handler):
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.server.daemon_threads = True
        threading.Thread(target=self.server.serve_forever, kwargs={"poll_interval": 0.1},
                         daemon=True).start()

    @property
    def url(self):
        return "http://127.0.0.1:%d" % self.server.server_address[1]

    def close(self):
        self.server.shutdown()
        self.server.server_close()


class StubUpstream(LoopbackSite):
    """A loopback stand-in for an online provider.

    answers: path (without the query) -> (status, body bytes) or a callable
    taking the request handler and returning (status, body); an answer may
    also be ("slow", seconds, status, body), ("truncate", body),
    ("redirect", location) or ("drip", seconds, count): count bytes of a
    JSON list one at a time, that many seconds apart. Every
    request is recorded in self.requests as (path with query, headers).
    """

    def __init__(self, answers):
        self.answers = answers
        self.requests = []
        stub = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                stub.requests.append((self.path, dict(self.headers)))
                answer = stub.answers.get(self.path.split("?", 1)[0])
                if answer is None:
                    answer = (404, b"not found")
                if callable(answer):
                    answer = answer(self)
                if answer[0] == "redirect":
                    self.send_response(302)
                    self.send_header("Location", answer[1])
                    self.send_header("Content-Length", "0")
                    self.end_headers()
                    return
                if answer[0] == "drip":
                    self.send_response(200)
                    self.send_header("Content-Length", str(answer[2]))
                    self.end_headers()
                    try:
                        for byte in (b"[" + b" " * (answer[2] - 2) + b"]"):
                            self.wfile.write(bytes([byte]))
                            self.wfile.flush()
                            time.sleep(answer[1])
                    except (BrokenPipeError, ConnectionResetError):
                        pass
                    return
                if answer[0] == "slow":
                    time.sleep(answer[1])
                    answer = answer[2:]
                truncate = answer[0] == "truncate"
                if truncate:
                    answer = (200, answer[1])
                status, body = answer
                self.send_response(status)
                self.send_header("Content-Type", "application/json")
                self.send_header("Content-Length", str(len(body) * (2 if truncate else 1)))
                self.end_headers()
                try:
                    self.wfile.write(body)
                except (BrokenPipeError, ConnectionResetError):
                    pass

            def log_message(self, *args):
                pass

        self.serve(Handler)


def made_up_extract(folder, name, nodes, ways, relations=None):
    """An unsorted PBF extract (ways before nodes, as some tools write them).
    nodes: id -> (lat, lng[, tags]); ways: id -> (node ids, tags);
    relations: id -> (members as (type, id, role), tags)."""
    def tags(items):
        return "".join('<tag k="%s" v="%s"/>' % kv for kv in items.items())
    xml = ['<osm version="0.6">']
    xml += ['<way id="%d" version="1">%s%s</way>' % (
        i, "".join('<nd ref="%d"/>' % n for n in refs), tags(t)) for i, (refs, t) in ways.items()]
    xml += ['<relation id="%d" version="1">%s%s</relation>' % (
        i, "".join('<member type="%s" ref="%d" role="%s"/>' % m for m in members), tags(t))
        for i, (members, t) in (relations or {}).items()]
    xml += ['<node id="%d" version="1" lat="%.7f" lon="%.7f">%s</node>' % (
        i, n[0], n[1], tags(n[2] if len(n) > 2 else {})) for i, n in nodes.items()]
    source = os.path.join(folder, name + ".osm")
    with open(source, "w", encoding="utf-8") as f:
        f.write("\n".join(xml + ["</osm>"]))
    pbf = os.path.join(folder, name + ".osm.pbf")
    subprocess.run(["osmium", "cat", "-o", pbf, source], check=True)
    return pbf
class DownloadSite(LoopbackSite):
    """A loopback download site: files (path -> bytes) served whole or from a
    Range, with a Last-Modified date. A path in cut_once breaks off half-way
    the first time; a path in drip comes a byte at a time until the client
    goes. Requests are recorded in self.requests as (method, path, Range)."""

    MODIFIED = "Sat, 05 Mar 2016 12:00:00 GMT"

    def __init__(self, files):
        self.files, self.cut_once, self.drip, self.requests = files, set(), set(), []
        # Paths served without a length, or redirected.
        self.unsized, self.redirects = set(), {}
        site = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_HEAD(self):
                self.answer()

            def do_GET(self):
                self.answer()

            def answer(self):
                path = self.path.split("?", 1)[0]
                asked = self.headers.get("Range")
                site.requests.append((self.command, path, asked))
                if path in site.redirects:
                    self.send_response(302)
                    self.send_header("Location", site.redirects[path])
                    self.send_header("Content-Length", "0")
                    self.end_headers()
                    return
                data = site.files.get(path)
                if data is None:
                    self.send_error(404)
                    return
                match = re.fullmatch(r"bytes=(\d+)-", asked or "")
                start = int(match.group(1)) if match and int(match.group(1)) < len(data) else 0
                self.send_response(206 if start else 200)
                if start:
                    self.send_header("Content-Range", "bytes %d-%d/%d"
                                     % (start, len(data) - 1, len(data)))
                if path in site.unsized:
                    self.close_connection = True
                else:
                    self.send_header("Content-Length", str(len(data) - start))
                self.send_header("Last-Modified", site.MODIFIED)
                self.end_headers()
                if self.command == "HEAD":
                    return
                try:
                    if path in site.drip:
                        for i in range(start, len(data)):
                            self.wfile.write(data[i:i + 1])
                            self.wfile.flush()
                            time.sleep(0.05)
                    elif path in site.cut_once:
                        site.cut_once.discard(path)
                        self.wfile.write(data[start:start + (len(data) - start) // 2])
                    else:
                        self.wfile.write(data[start:])
                except (BrokenPipeError, ConnectionResetError):
                    pass

            def log_message(self, *args):
                pass

        self.serve(Handler)
