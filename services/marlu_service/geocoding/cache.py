"""On-disk cache of the online providers' geocoding answers, one JSON file
per question, so that asking again costs the provider nothing."""

import hashlib
import json
import os
import sys
import tempfile

# Statuses worth keeping: failures are asked again next time.
KEPT = ("OK", "ZERO_RESULTS")
# An entry larger than this was written before answers were capped: asked again.
MAX_ENTRY = 4 * 1024 * 1024


class Cache:
    def __init__(self, folder):
        self.folder = folder

    def _path(self, provider, url, address):
        digest = hashlib.sha256("\n".join((provider, url, address)).encode("utf-8",
                                                                            "replace"))
        return os.path.join(self.folder, "%s-%s.json" % (provider, digest.hexdigest()))

    def get(self, provider, url, address):
        try:
            with open(self._path(provider, url, address), encoding="utf-8") as f:
                if os.fstat(f.fileno()).st_size > MAX_ENTRY:
                    raise ValueError("larger than %d bytes" % MAX_ENTRY)
                answer = json.load(f)
            if answer["status"] in KEPT and isinstance(answer["results"], list):
                return answer["status"], answer["results"]
        except FileNotFoundError:
            pass
        except (OSError, ValueError, KeyError, TypeError, RecursionError) as exc:
            sys.stderr.write("geocoding: ignoring a damaged cache entry (%s)\n" % exc)
        return None

    def put(self, provider, url, address, status, results):
        if status not in KEPT:
            return
        try:
            os.makedirs(self.folder, exist_ok=True)
            fd, partial = tempfile.mkstemp(dir=self.folder, suffix=".partial")
            with os.fdopen(fd, "w", encoding="utf-8") as f:
                json.dump({"status": status, "results": results}, f)
            os.replace(partial, self._path(provider, url, address))
        except OSError as exc:
            # A full or read-only disk costs the cache, not the answer.
            sys.stderr.write("geocoding: cannot cache an answer (%s)\n" % exc)
