"""How the application knows its own service: a per-user secret that only
this user can read, the proof of it at /marlu/identity, and the check every
other /marlu/ endpoint makes (see docs/service-api.md)."""

import hashlib
import hmac
import json
import os
import re
import secrets
import stat
import tempfile
from http import HTTPStatus
from urllib.parse import urlsplit

from . import upstream

NAME = "Marlu map service"
PATH = "/marlu/identity"
PREFIX = "/marlu/"
HEADER = "X-Marlu-Secret"
JSON = "application/json; charset=utf-8"
_SECRET = re.compile(r"^[0-9a-f]{64}$")
_NONCE = re.compile(r"^[0-9a-fA-F]{16,128}$")


def default_path():
    runtime = os.environ.get("XDG_RUNTIME_DIR")
    if runtime and os.path.isabs(runtime):
        return os.path.join(runtime, "marlu", "mapservice.secret")
    return os.path.join(os.path.expanduser("~"), ".marlu", "mapservice.secret")


def _read(path):
    """The secret in the file, or None when it is missing, malformed, not a
    plain file of this user or readable by others."""
    try:
        fd = os.open(path, os.O_RDONLY | os.O_NOFOLLOW)
    except OSError:
        return None
    with os.fdopen(fd, "rb") as f:
        st = os.fstat(f.fileno())
        if (not stat.S_ISREG(st.st_mode) or st.st_uid != os.getuid()
                or st.st_mode & 0o077):
            return None
        text = f.read(200).decode("ascii", "replace").strip()
    return text if _SECRET.match(text) else None


def load_or_create(path):
    """The secret of the file, made first when missing or unusable. The
    file appears complete or not at all: a second service starting at the
    same time reads the first one's instead of replacing it."""
    folder = os.path.dirname(path)
    os.makedirs(folder, mode=0o700, exist_ok=True)
    if os.stat(folder).st_uid == os.getuid():
        os.chmod(folder, 0o700)
    existing = _read(path)
    if existing:
        return existing
    fd, temporary = tempfile.mkstemp(dir=folder, prefix=".secret-")  # mode 0600
    try:
        with os.fdopen(fd, "w", encoding="ascii") as f:
            f.write(secrets.token_hex(32) + "\n")
        try:
            os.link(temporary, path)
        except FileExistsError:
            if _read(path) is None:  # unusable: replaced
                os.replace(temporary, path)
                temporary = None
    finally:
        if temporary:
            os.unlink(temporary)
    found = _read(path)
    if found is None:
        raise OSError("cannot make a usable secret in %s" % path)
    return found


def send_json(handler, status, document):
    handler.send_body(status, JSON, json.dumps(document, ensure_ascii=False).encode("utf-8"))


class Identity:
    """The /marlu/identity endpoint and the secret check of the other /marlu/ ones."""

    def __init__(self, secret):
        self.secret = secret

    def reload(self, cfg):
        pass

    def routes(self):
        return {PATH: self.handle}

    def handle(self, handler, query):
        nonce = (query.get("nonce") or [""])[0]
        if not _NONCE.match(nonce):
            send_json(handler, HTTPStatus.BAD_REQUEST,
                      {"error": "The nonce must be 16 to 128 hexadecimal characters."})
            return
        proof = hmac.new(self.secret.encode("ascii"), nonce.encode("ascii"), hashlib.sha256)
        send_json(handler, HTTPStatus.OK, {"name": NAME, "version": upstream.VERSION,
                                           "proof": proof.hexdigest()})

    def allows(self, handler):
        """Whether a request may go on: /marlu/ endpoints other than the
        identity need the secret; a refusal is answered here (403)."""
        path = urlsplit(handler.path).path
        if not path.startswith(PREFIX) or path == PATH:
            return True
        given = handler.headers.get(HEADER, "")
        if hmac.compare_digest(given.encode("utf-8", "replace"), self.secret.encode("ascii")):
            return True
        send_json(handler, HTTPStatus.FORBIDDEN,
                  {"error": "This request needs the service's secret (%s)." % HEADER})
        return False
