"""The OSRM adapter's helper in node (nodehelper.js): it reads OSRM's answer,
words the steps with npm osrm-text-instructions and joins their geometry.

It runs as one long-lived child process: a request is a JSON header line and
a body, the answer one line of JSON, so a route costs one round trip instead
of a node start, and Python never parses the answer's megabytes itself.
"""

import json
import os
import select
import subprocess
import threading

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "nodehelper.js")
TIMEOUT = 10.0


class HelperError(Exception):
    pass


class NodeHelper:
    def __init__(self):
        self._lock = threading.Lock()
        self._process = None

    def route(self, body, language="en", caps=None):
        """OSRM's answer (bytes) read: see nodehelper.js for the dict. caps:
        max_depth, max_routes, max_steps; an answer beyond gets {"refused": why}."""
        return self._ask(dict(caps or {}, kind="route", language=language), body)

    def texts(self, steps, language="en", options=None):
        """One text (HTML) or None for each OSRM step, as the route's steps get them."""
        body = json.dumps(steps, ensure_ascii=False).encode("utf-8")
        answer = self._ask({"kind": "steps", "language": language, "options": options or {}},
                           body)
        if len(answer.get("texts", ())) != len(steps):
            raise HelperError("the node helper gave no texts")
        return answer["texts"]

    def _ask(self, header, body):
        header = dict(header, bytes=len(body))
        data = json.dumps(header).encode("utf-8") + b"\n" + body
        with self._lock:
            # A child that died (or never started) is started again once.
            for _ in range(2):
                answer = self._exchange(data)
                if answer:
                    return json.loads(answer)
                self._stop()
        raise HelperError("the node helper (%s) does not answer" % SCRIPT)

    def _exchange(self, data):
        try:
            process = self._start()
            process.stdin.write(data)
            process.stdin.flush()
            ready, _, _ = select.select([process.stdout], [], [], TIMEOUT)
            return process.stdout.readline() if ready else None
        except (OSError, ValueError):
            return None

    def _start(self):
        if self._process is None or self._process.poll() is not None:
            self._process = subprocess.Popen(["node", SCRIPT], stdin=subprocess.PIPE,
                                             stdout=subprocess.PIPE)
        return self._process

    def _stop(self):
        if self._process is not None:
            self._process.kill()
            self._process.wait()
            self._process = None


HELPER = NodeHelper()
