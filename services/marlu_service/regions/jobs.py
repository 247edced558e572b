"""A background job on one region: a download and/or an import.

The import runs as a child process in its own process group (the script
services/importregion.py, at a lower priority), so that tiles, search and
routes keep answering, and so that a cancel can end it and everything it
started at once. Its '#progress STAGE PERCENT' lines become the job's stage
and progress; its last 'import-region: ...' line is the reason of a failure.
"""

import collections
import json
import os
import signal
import subprocess
import sys
import threading
import uuid

from .. import SERVICES_DIR

IMPORT_SCRIPT = os.path.join(SERVICES_DIR, "importregion.py")
ERROR_PREFIX = "import-region: "


class Job:
    def __init__(self, name, kind):
        self.id = uuid.uuid4().hex[:12]
        self.name, self.kind = name, kind
        self.state = "downloading" if kind == "download" else "importing"
        self.stage = "download" if kind == "download" else ""
        self.progress = 0
        self.error = ""
        self.transfer = None   # (bytes, total, speed, eta) while downloading
        self.cancelled = threading.Event()
        self.process = None
        self.keep_download = False
        self._lock = threading.Lock()

    def entry(self):
        """The members /marlu/regions gives for this job."""
        with self._lock:
            found = {"state": self.state, "progress": int(self.progress), "stage": self.stage,
                     "error": self.error, "job": "" if self.state == "failed" else self.id}
            if self.state == "downloading":
                have, total, speed, eta = self.transfer or (0, None, 0, None)
                found.update(bytes=have, total=total, speed=int(speed),
                             eta=None if eta is None else int(eta + 0.5))
            return found

    @property
    def running(self):
        return self.state != "failed" and not self.cancelled.is_set()

    def downloaded(self, have, total, speed, eta):
        with self._lock:
            self.transfer = (have, total, speed, eta)
            self.progress = min(100, have * 100 // total) if total else 0

    def stage_reached(self, stage, percent):
        with self._lock:
            self.state, self.stage, self.progress = "importing", stage, max(0, min(100, percent))

    def fail(self, sentence):
        with self._lock:
            self.state, self.error, self.stage, self.transfer = "failed", sentence, "", None

    def cancel(self):
        """Stops the job's import process and all it started, and waits for them."""
        with self._lock:
            self.cancelled.set()
            process = self.process
        if process is not None:
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            try:
                process.wait(timeout=30)
            except subprocess.TimeoutExpired:
                pass

    def run_import(self, pbf, data_dir, meta=None):
        """Imports pbf as this job's region in a child process; returns None
        on success, else the one sentence that says why not."""
        command = [sys.executable, IMPORT_SCRIPT, pbf, "--name", self.name, "--data", data_dir,
                   "--progress", "--background"]
        if meta:
            command += ["--meta", json.dumps(meta)]
        with self._lock:
            if self.cancelled.is_set():
                return None
            self.state, self.transfer = "importing", None
            self.process = subprocess.Popen(
                command, cwd=SERVICES_DIR, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                stderr=subprocess.PIPE, text=True, errors="replace", start_new_session=True)
        last = collections.deque(maxlen=20)
        errors = threading.Thread(target=self._read_log, args=(self.process.stderr, last),
                                  daemon=True)
        errors.start()
        with self.process.stdout:
            for line in self.process.stdout:
                parts = line.split()
                if len(parts) == 3 and parts[0] == "#progress" and parts[2].isdigit():
                    self.stage_reached(parts[1], int(parts[2]))
        code = self.process.wait()
        errors.join(timeout=10)
        self.process.stderr.close()
        if code == 0 or self.cancelled.is_set():
            return None
        for line in reversed(last):
            if line.startswith(ERROR_PREFIX):
                return line[len(ERROR_PREFIX):].strip()
        return "The import of %s stopped unexpectedly (exit status %d)." % (self.name, code)

    @staticmethod
    def _read_log(stream, last):
        for line in stream:
            last.append(line.rstrip("\n"))
            if not line.startswith(ERROR_PREFIX):
                sys.stderr.write(line)
