"""The OSRM adapter's helper in node (nodehelper.js): instruction texts from
npm osrm-text-instructions, and the route's joined geometry.

It runs as one long-lived child process that answers a line of JSON with a
line of JSON, so a route costs one round trip instead of a node start.
"""

import json
import os
import select
import subprocess
import threading

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "nodehelper.js")
TIMEOUT = 10.0
# What the library reads of a step; the rest (geometry, every intersection) is not sent.
STEP_KEYS = ("maneuver", "name", "ref", "destinations", "exits", "rotary_name", "junction_name",
             "rotary_pronunciation", "mode", "driving_side", "pronunciation")


class HelperError(Exception):
    pass


class NodeHelper:
    def __init__(self):
        self._lock = threading.Lock()
        self._process = None

    def route(self, steps, language="en", options=None, join=True):
        """For OSRM steps: {"texts": one text (with <b> markup) or None a step,
        "ends": the last (lat, lng) of each step's polyline or None, "bounds":
        (s, w, n, e) or None, "overview": the polylines joined if join}."""
        sent = []
        for step in steps:
            trimmed = {k: step[k] for k in STEP_KEYS if k in step}
            if step.get("intersections"):
                trimmed["intersections"] = step["intersections"][:1]
            sent.append(trimmed)
        answer = self._ask({"language": language, "steps": sent, "options": options or {},
                            "geometries": [step.get("geometry") or "" for step in steps],
                            "join": join})
        if "error" in answer:
            raise ValueError("unreadable route: %s" % answer["error"])
        if len(answer.get("texts", ())) != len(steps):
            raise HelperError("the node helper gave no texts")
        return answer

    def texts(self, steps, language="en", options=None):
        return self.route(steps, language, options)["texts"]

    def _ask(self, request):
        line = (json.dumps(request, ensure_ascii=False) + "\n").encode("utf-8")
        with self._lock:
            # A child that died (or never started) is started again once.
            for _ in range(2):
                answer = self._exchange(line)
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
