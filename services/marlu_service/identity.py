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


class KeyFileError(OSError):
    """A key path that holds something other than a key file of this user:
    not replaced, since it is not ours to remove; its text names the file."""


def _read(path):
    """The secret in the file, or None when it is missing or is a file of
    this user that is malformed or readable by others (replaced then).
    Opened without following a link or waiting on a pipe."""
    try:
        fd = os.open(path, os.O_RDONLY | os.O_NOFOLLOW | os.O_NONBLOCK)
    except FileNotFoundError:
        return None
    except OSError as exc:
        if os.path.islink(path):
            raise KeyFileError("The map service's key %s is a symbolic link; remove it." % path)
        raise KeyFileError("The map service's key %s cannot be opened: %s."
                           % (path, exc.strerror or exc))
    with os.fdopen(fd, "rb") as f:
        st = os.fstat(f.fileno())
        if not stat.S_ISREG(st.st_mode):
            raise KeyFileError("The map service's key %s is not a plain file (%s); remove it."
                               % (path, "a folder" if stat.S_ISDIR(st.st_mode) else
                                  "a pipe" if stat.S_ISFIFO(st.st_mode) else "a special file"))
        if st.st_uid != os.getuid():
            raise KeyFileError("The map service's key %s belongs to another user; remove it."
                               % path)
        if st.st_mode & 0o077:
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
        raise KeyFileError("Cannot make a usable key in %s." % path)
    return found


def proof(secret, nonce, asked, listen):
    """HMAC-SHA256 of "NONCE\nASKED\nLISTEN" keyed with the secret, in hex."""
    message = "\n".join((nonce, asked, listen)).encode("ascii", "replace")
    return hmac.new(secret.encode("ascii"), message, hashlib.sha256).hexdigest()


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
        # Bound to the address the client asked for and the one this service
        # listens on: a relay on another port passes on a proof of neither.
        asked = (handler.headers.get("Host") or "").strip().lower()
        listen = "%s:%d" % handler.server.server_address[:2]
        send_json(handler, HTTPStatus.OK, {"name": NAME, "version": upstream.VERSION,
                                           "listen": listen,
                                           "proof": proof(self.secret, nonce, asked, listen)})

    def keyed(self, handler):
        """Whether the request carries this service's secret."""
        given = handler.headers.get(HEADER, "")
        return hmac.compare_digest(given.encode("utf-8", "replace"), self.secret.encode("ascii"))

    def allows(self, handler):
        """Whether a request may go on: /marlu/ endpoints other than the
        identity need the secret; a refusal is answered here (403)."""
        path = urlsplit(handler.path).path
        if not path.startswith(PREFIX) or path == PATH:
            return True
        if self.keyed(handler):
            return True
        send_json(handler, HTTPStatus.FORBIDDEN,
                  {"error": "This request needs the service's secret (%s)." % HEADER})
        return False
