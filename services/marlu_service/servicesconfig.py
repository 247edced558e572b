"""Which services answer, as Marlu's application reads and sets them: the
offline ones of this computer or online providers, per kind (tiles, search,
routes). Setting them edits the service's own configuration file line by
line, so that its comments, its order and sections this code does not know
stay as the person who wrote them left them; then the server reloads."""

import configparser
import os
import re
import tempfile
from http import HTTPStatus

from .directions import osrm
from .geocoding import nominatim, photon
from .tiles import sources

GEOCODERS = {"nominatim": nominatim.DEFAULT_URL, "photon": photon.DEFAULT_URL}
TILE_SET = "roadmap"   # the map that an online tile provider replaces
ATTRIBUTION_LIMIT = 300

_SECTION = re.compile(r"\s*\[([^\]]*)\]")
_KEY = re.compile(r"\s*([^\s=:;#][^=:]*?)\s*[=:]")


def edit_ini(text, changes):
    """text with changes applied: {(section, key): value, or None to remove}.
    A key's first line is replaced in place (with its continuation lines),
    a new key goes after the last line of its section, a new section at the end."""
    lines = text.splitlines(keepends=True)
    if lines and not lines[-1].endswith("\n"):
        lines[-1] += "\n"
    out, done, ends = [], set(), {}
    section, skipping = None, False
    for line in lines:
        if skipping and line[:1] in (" ", "\t") and line.strip():
            continue   # a continuation of a value being replaced
        skipping = False
        match = _SECTION.match(line)
        if match:
            section = match.group(1).strip()
        else:
            key = _KEY.match(line)
            wanted = (section, key.group(1).strip().lower()) if key else None
            if wanted in changes:
                skipping = True
                if changes[wanted] is None or wanted in done:
                    continue
                done.add(wanted)
                line = "%s = %s\n" % (wanted[1], changes[wanted])
        out.append(line)
        if section is not None and line.strip() and line.lstrip()[0] not in "#;":
            ends[section] = len(out)   # new keys of the section go after this line
    additions = {}
    for (sect, key), value in changes.items():
        if value is not None and (sect, key) not in done:
            additions.setdefault(sect, []).append("%s = %s\n" % (key, value))
    for sect in sorted((s for s in additions if s in ends), key=lambda s: -ends[s]):
        out[ends[sect]:ends[sect]] = additions[sect]
    for sect, added in additions.items():
        if sect not in ends:
            if out and out[-1].strip():
                out.append("\n")
            out += ["[%s]\n" % sect] + added
    return "".join(out)


class Invalid(Exception):
    """A setting that cannot be written; its text is one sentence."""


def _text(value, what, limit=2000):
    if not isinstance(value, str):
        raise Invalid("The %s must be text." % what)
    value = value.strip()
    # Whatever Python reads as a line break (U+2028, U+0085 ...) would split the line.
    if re.search(r"[\x00-\x1f\x7f-\x9f]", value) or len(value.splitlines()) > 1 \
            or len(value) > limit:
        raise Invalid("The %s must be one line of at most %d characters." % (what, limit))
    return value


def _url(value, what):
    value = _text(value, what)
    if not re.match(r"https?://[^/?#\s]+", value) or re.search(r"[\s\"'<>\\]", value):
        raise Invalid("The %s %r is not an http(s) URL." % (what, value))
    return value.rstrip("/")


def _tile_url(value):
    url = _url(value, "tile address")
    problem = sources.usable({"url": url, "minzoom": 0, "maxzoom": 19})
    if problem:
        raise Invalid("The tile address cannot be used: %s." % problem)
    return url


def _choice(value, allowed, what):
    if value not in allowed:
        raise Invalid("The %s must be one of %s." % (what, ", ".join(allowed)))
    return value


class ServicesConfig:
    def __init__(self, cfg, server):
        self.server = server
        self.reload(cfg)

    def reload(self, cfg):
        self._cfg = cfg

    def state(self):
        cfg = self._cfg
        tiles = cfg.tile_source(TILE_SET)
        online = tiles is not None and sources.usable(tiles) is None
        geocoding = cfg.geocoding_backend
        directions = cfg.directions_backend
        return {
            "tiles": {"mode": "online" if online else "offline",
                      "url": tiles["url"] if online else "",
                      "attribution": tiles["attribution"] if online else ""},
            "geocoding": {"backend": geocoding,
                          "url": cfg.provider_url(geocoding, GEOCODERS[geocoding])
                          if geocoding in GEOCODERS else ""},
            "directions": {"backend": directions,
                           "url": cfg.provider_url("osrm", osrm.DEFAULT_URL)
                           if directions == "osrm" else ""},
        }

    def get(self, body):
        problem = _problem(self._cfg.path)
        if problem:
            return self._unreadable(problem)
        return HTTPStatus.OK, self.state()

    def _unreadable(self, why):
        return HTTPStatus.INTERNAL_SERVER_ERROR, {
            "error": "The service's configuration file %s cannot be read (%s), so it runs "
                     "offline; mend or remove the file." % (self._cfg.path, why)}
    def check_tiles(self, body):
        """Whether a tile template can be used, by the rule that reading the
        file applies, so that no caller repeats a part of it."""
        try:
            _tile_url(body.get("url"))
        except Invalid as exc:
            return HTTPStatus.OK, {"usable": False, "error": str(exc)}
        return HTTPStatus.OK, {"usable": True, "error": ""}

    def put(self, body):
        try:
            changes = self._changes(body)
        except Invalid as exc:
            return HTTPStatus.BAD_REQUEST, {"error": str(exc)}
        # Written through a link to the file it names, not over the link.
        path = os.path.realpath(self._cfg.path)
        try:
            with open(path, encoding="utf-8") as f:
                text = f.read()
        except FileNotFoundError:
            text = ""
        except (OSError, UnicodeDecodeError) as exc:
            return HTTPStatus.INTERNAL_SERVER_ERROR, {
                "error": "Cannot read the configuration file %s: %s." % (path, exc)}
        # A file that does not parse is not edited: the edit could not be read either.
        problem = _problem(path)
        if problem:
            return self._unreadable(problem)
        try:
            _write(path, edit_ini(text, changes))
        except OSError as exc:
            return HTTPStatus.INTERNAL_SERVER_ERROR, {
                "error": "Cannot write the configuration file %s: %s." % (path, exc.strerror)}
        self.server.reload()
        return HTTPStatus.OK, self.state()

    @staticmethod
    def _changes(body):
        """The file's edits for a request; every part is checked before any is made."""
        changes = {}
        unknown = set(body) - {"tiles", "geocoding", "directions"}
        if unknown:
            raise Invalid("Unknown kind of service: %s." % ", ".join(sorted(unknown)))
        for kind, part in body.items():
            if not isinstance(part, dict):
                raise Invalid("The %s setting must be an object." % kind)
        tiles = body.get("tiles")
        if tiles is not None:
            section = "tiles:" + TILE_SET
            if _choice(tiles.get("mode"), ("offline", "online"), "tile mode") == "online":
                url = _tile_url(tiles.get("url"))
                attribution = _text(tiles.get("attribution", ""), "attribution",
                                    ATTRIBUTION_LIMIT)
                changes.update({(section, "url"): url, (section, "attribution"): attribution})
            else:
                changes.update({(section, "url"): None, (section, "attribution"): None})
        geocoding = body.get("geocoding")
        if geocoding is not None:
            backend = _choice(geocoding.get("backend"), ("offline",) + tuple(GEOCODERS),
                              "search service")
            changes[("geocoding", "backend")] = backend
            if backend != "offline" and geocoding.get("url"):
                changes[(backend, "url")] = _url(geocoding["url"], "search address")
        directions = body.get("directions")
        if directions is not None:
            backend = _choice(directions.get("backend"), ("offline", "osrm"), "route service")
            changes[("directions", "backend")] = backend
            if backend == "osrm" and directions.get("url"):
                changes[("osrm", "url")] = _url(directions["url"], "route address")
        return changes


def _problem(path):
    """Why the file does not parse as the service reads it, in one line, or None."""
    try:
        with open(path, encoding="utf-8") as f:
            configparser.ConfigParser(interpolation=None).read_file(f)
    except FileNotFoundError:
        return None
    except (OSError, UnicodeDecodeError, configparser.Error) as exc:
        return " ".join(str(exc).split())[:300]
    return None


def _write(path, text):
    """Replaces the file at once: a reader sees the old text or the new one."""
    folder = os.path.dirname(os.path.abspath(path))
    os.makedirs(folder, exist_ok=True)
    try:
        mode = os.stat(path).st_mode & 0o777
    except FileNotFoundError:
        mode = 0o644
    handle, temporary = tempfile.mkstemp(prefix=".mapservice-", dir=folder)
    try:
        with os.fdopen(handle, "w", encoding="utf-8") as f:
            f.write(text)
        os.chmod(temporary, mode)
        os.replace(temporary, path)
    except BaseException:
        if os.path.exists(temporary):
            os.remove(temporary)
        raise
