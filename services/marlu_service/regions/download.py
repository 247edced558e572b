"""Downloads an extract into DATA/downloads/ with the standard library.

The bytes go to NAME.osm.pbf.part, with NAME.osm.pbf.part.json beside it
naming the URL and the server's validator (ETag or Last-Modified), so that an
interrupted download resumes with an HTTP Range request, and a file that
changed on the server in between starts again (If-Range). Every read has a
time-out, and the job's cancel flag is looked at after every read.
"""

import email.utils
import hashlib
import http.client
import json
import os
import re
import time
import urllib.error
import urllib.request

from .. import importregion, upstream

USER_AGENT = "Marlu map service/1.0"
CHUNK = 256 * 1024
ATTEMPTS = 3           # reads in a row that end early before giving up
IMPORT_FACTOR = 3      # an imported region takes about three times its extract
MD5_LIMIT = 4096
# Free space checked as the bytes come, every this many of them.
SPACE_CHECK = 8 * 1024 * 1024
MIN_BYTES = 1024       # at least this much in each time-out's span, as curl's speed limit


class Failed(Exception):
    """A download that cannot go on; its text is the one sentence the user reads.
    resumable: what came so far is kept, and a new download of the URL goes on from it."""

    def __init__(self, sentence, resumable=False):
        super().__init__(sentence)
        self.resumable = resumable


class Cancelled(Exception):
    pass


def check_url(url):
    """Why url may not be downloaded from, or None."""
    if not isinstance(url, str) or not re.match(r"https?://[^/?#\s]+", url) \
            or re.search(r"[\s\x00-\x1f\x7f]", url):
        return "%r is not an http(s) URL." % (url,)
    return None


class _Redirects(urllib.request.HTTPRedirectHandler):
    """The providers' rules: a few hops, to http(s) on the same host or https
    elsewhere, never to a loopback or private address unless the first URL
    is there."""

    max_redirections = upstream.MAX_REDIRECTS

    def __init__(self, url):
        self.configured = upstream._Target(url)

    def redirect_request(self, req, fp, code, msg, headers, newurl):
        try:
            here, there = upstream._Target(req.full_url), upstream._Target(newurl)
            if not here.may_follow(there):
                raise upstream.UpstreamError("redirect", "not followed from %s to %.200s"
                                             % (here.scheme, newurl))
            there.resolve(self.configured)
        except upstream.UpstreamError as exc:
            raise urllib.error.HTTPError(req.full_url, code, "a redirect not followed (%s)"
                                         % exc.detail, headers, fp) from None
        return super().redirect_request(req, fp, code, msg, headers, newurl)


def open_url(url, timeout, method="GET", headers=None):
    request = urllib.request.Request(url, method=method,
                                     headers=dict(headers or {}, **{"User-Agent": USER_AGENT}))
    return urllib.request.build_opener(_Redirects(url)).open(request, timeout=timeout)


def upstream_reason(exc):
    """Why a provider request failed, in a few words."""
    if exc.kind == "timeout":
        return "no complete answer within %d s" % upstream.DEADLINE
    if exc.kind == "redirect":
        return "a redirect not followed (%s)" % exc.detail
    return exc.detail


def http_date(text):
    """Seconds since the epoch of an HTTP date, or None."""
    try:
        return email.utils.parsedate_to_datetime(text).timestamp()
    except (TypeError, ValueError, IndexError):
        return None


def mebibytes(count):
    return "%.1f MB" % (count / 1e6)


def part_paths(downloads_dir, name):
    part = os.path.join(downloads_dir, name + ".osm.pbf.part")
    return part, part + ".json"


def remove_part(downloads_dir, name):
    for path in part_paths(downloads_dir, name):
        try:
            os.remove(path)
        except FileNotFoundError:
            pass


def reason(exc):
    """Why a request failed, in a few words."""
    if isinstance(exc, urllib.error.HTTPError):
        return "the server answered %d %s" % (exc.code, exc.reason)
    cause = getattr(exc, "reason", None) or exc
    if isinstance(cause, TimeoutError) or "timed out" in str(cause):
        return "the server stopped sending (no data for too long)"
    return str(cause).rstrip(".") or type(cause).__name__


def failure(url, exc):
    return Failed("Cannot download %s: %s." % (url, reason(exc)))


class Download:
    """One extract's download; job is told of bytes, total, speed and ETA
    through job.downloaded(bytes, total, speed, eta) and asked job.cancelled."""

    def __init__(self, job, url, downloads_dir, name, free_space, timeout):
        self.job, self.url, self.name = job, url, name
        self.downloads_dir, self.free_space, self.timeout = downloads_dir, free_space, timeout
        self.part, self.state_path = part_paths(downloads_dir, name)
        self.modified = None
        self.samples = []

    def run(self):
        """Returns the complete extract's path; raises Failed or Cancelled."""
        os.makedirs(self.downloads_dir, exist_ok=True)
        stalled = 0
        while True:
            have = self._resumable()
            error = None
            try:
                if self._get(have):
                    break
            except urllib.error.HTTPError as exc:
                if exc.code != 416 or not have:
                    raise failure(self.url, exc) from exc
                # What we hold does not fit the file any more: start again.
                remove_part(self.downloads_dir, self.name)
                error = exc
            except (OSError, http.client.HTTPException) as exc:
                if self.job.cancelled.is_set():
                    raise Cancelled() from exc
                error = exc
            got_more = os.path.exists(self.part) and os.path.getsize(self.part) > have
            stalled = 0 if got_more else stalled + 1
            if stalled >= ATTEMPTS:
                kept = os.path.exists(self.part) and os.path.getsize(self.part) > 0
                if error is not None:
                    raise Failed(str(failure(self.url, error)) + self._kept(kept), kept)
                raise Failed("The download of %s keeps breaking off.%s" % (self.url,
                                                                        self._kept(kept)), kept)
            if self.job.cancelled.wait(min(2 ** stalled, 10) / 4):
                raise Cancelled()
        self._verify()
        size = os.path.getsize(self.part)
        if self.free_space(self.downloads_dir) < IMPORT_FACTOR * size:
            remove_part(self.downloads_dir, self.name)
            raise Failed("Not enough free disk space to import %s: %s needed."
                         % (self.name, mebibytes(IMPORT_FACTOR * size)))
        final = self.part[:-len(".part")]
        os.replace(self.part, final)
        os.remove(self.state_path)
        when = http_date(self.modified)
        if when is not None:   # the fallback date of an extract without a header date
            os.utime(final, (when, when))
        return final

    @staticmethod
    def _kept(kept):
        return " What came so far is kept: download it again to go on." if kept else ""

    def _resumable(self):
        """Bytes of an earlier download of the same URL to go on from, else 0."""
        try:
            with open(self.state_path, encoding="utf-8") as f:
                state = json.load(f)
            if state.get("url") == self.url:
                return os.path.getsize(self.part)
        except (OSError, ValueError, AttributeError):
            pass
        remove_part(self.downloads_dir, self.name)
        return 0

    def _get(self, have):
        """Fetches from byte have on; True when the file is complete."""
        headers = {}
        if have:
            headers["Range"] = "bytes=%d-" % have
            with open(self.state_path, encoding="utf-8") as f:
                validator = json.load(f).get("validator")
            if validator:
                headers["If-Range"] = validator
        with open_url(self.url, self.timeout, headers=headers) as resp:
            if self.job.cancelled.is_set():
                raise Cancelled()
            total = resp.headers.get("Content-Length")
            total = int(total) if total and total.isdigit() else None
            match = re.match(r"bytes (\d+)-\d+/(\d+)", resp.headers.get("Content-Range") or "")
            if resp.status == 206:
                if not match or int(match.group(1)) != have:
                    remove_part(self.downloads_dir, self.name)
                    raise http.client.HTTPException("the server sent another part than asked")
                total = int(match.group(2))
            else:
                have = 0
            if total is not None:
                self._check_space(total, have)
            self.modified = resp.headers.get("Last-Modified") or self.modified
            validator = resp.headers.get("ETag") or resp.headers.get("Last-Modified")
            with open(self.state_path, "w", encoding="utf-8") as f:
                json.dump({"url": self.url, "validator": validator}, f)
            with open(self.part, "ab" if have else "wb") as out:
                window, window_start = have, time.monotonic()
                checked = have
                while not self.job.cancelled.is_set():
                    chunk = resp.read1(CHUNK)
                    if not chunk:
                        break
                    out.write(chunk)
                    have += len(chunk)
                    self._report(have, total)
                    # Without a length the bound of _check_space holds as the bytes come.
                    if total is None and have - checked >= SPACE_CHECK:
                        checked = have
                        self._check_growing(have)
                    # A server that drips would keep the job going for ever.
                    if time.monotonic() - window_start >= self.timeout:
                        if have - window < MIN_BYTES:
                            raise Failed("The server at %s sends too slowly (under %d bytes "
                                         "in %d s).%s" % (self.url, MIN_BYTES, self.timeout,
                                                          self._kept(True)), True)
                        window, window_start = have, time.monotonic()
            if self.job.cancelled.is_set():
                raise Cancelled()
            if total is None:
                self._check_growing(have)
            return total is None or have == total

    def _check_space(self, total, have):
        """Before the first byte: the extract plus its imported size must fit."""
        need = total - have + IMPORT_FACTOR * total
        free = self.free_space(self.downloads_dir)
        if free < need:
            raise Failed("Not enough free disk space: %s needed for %s, %s free."
                         % (mebibytes(need), self.name, mebibytes(free)))

    def _check_growing(self, have):
        """While a download of unknown length grows: room for its import must stay."""
        free = self.free_space(self.downloads_dir)
        if free < IMPORT_FACTOR * have:
            raise Failed("Not enough free disk space: %s has %s so far, and importing it needs "
                         "%s, %s free." % (self.name, mebibytes(have),
                                           mebibytes(IMPORT_FACTOR * have), mebibytes(free)))

    def _report(self, have, total):
        now = time.monotonic()
        self.samples = [s for s in self.samples if now - s[0] <= 5.0] + [(now, have)]
        first_time, first_bytes = self.samples[0]
        speed = (have - first_bytes) / (now - first_time) if now > first_time else 0.0
        eta = (total - have) / speed if speed > 0 and total else None
        self.job.downloaded(have, total, speed, eta)

    def _verify(self):
        """Checks URL.md5 when the server has one."""
        # Small and read whole: the providers' deadline holds for it.
        try:
            status, body = upstream.get(self.url + ".md5", accept="text/plain",
                                        max_bytes=MD5_LIMIT, interval=0)
        except upstream.UpstreamError as exc:
            if exc.kind == "too_large":
                raise Failed("The checksum file %s.md5 is not an MD5 sum." % self.url) from None
            raise Failed("Cannot download %s.md5: %s." % (self.url, upstream_reason(exc))) \
                from None
        if status in (404, 410):
            return
        if status != 200:
            raise Failed("Cannot download %s.md5: the server answered %d." % (self.url, status))
        text = body.decode("ascii", "replace")
        match = re.match(r"\s*([0-9a-fA-F]{32})\b", text)
        if not match:
            raise Failed("The checksum file %s.md5 is not an MD5 sum." % self.url)
        digest = hashlib.md5()
        with open(self.part, "rb") as f:
            for block in iter(lambda: f.read(1 << 20), b""):
                if self.job.cancelled.is_set():
                    raise Cancelled()
                digest.update(block)
        if digest.hexdigest() != match.group(1).lower():
            remove_part(self.downloads_dir, self.name)
            raise Failed("The download of %s is damaged: its MD5 checksum does not match "
                         "the server's." % self.url)


def region_name(url):
    """The default region name of an extract's URL: its file name without
    .osm.pbf and the -latest that download sites add."""
    base = importregion.region_name(url.split("?", 1)[0].rstrip("/").rsplit("/", 1)[-1])
    return re.sub(r"-latest$", "", base) or "region"
