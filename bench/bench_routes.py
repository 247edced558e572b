#!/usr/bin/env python3
"""Routes: an offline route in Monaco through the service's HTTP endpoint
(Routino on the real extract), and the OSRM adapter's own work on the
recorded 422-step answer (JSON to XML, instruction texts included).

    python3 bench/bench_routes.py [runs]

Also prints what the Monaco import costs: time and disk of the routing
database, and a route-time check: drives across Monaco and the Harrisburg
suburbs with their distance, time and implied speed, and the drive across
Monaco's centre that must not be promised in under 4 minutes.
"""

import http.client
import os
import statistics
import sys
import tempfile
import threading
import time
import xml.etree.ElementTree as ET
from urllib.parse import urlencode

from servicepath import REPO

from marlu_service import config, directions, importregion, server as mapservice  # noqa: E402
from marlu_service.directions import osrm, routino  # noqa: E402
from marlu_service.directions.nodehelper import HELPER  # noqa: E402

FIXTURES = os.environ.get("MARLU_FIXTURES") or os.path.join(REPO, "..", "shared", "fixtures")
MONACO = os.path.join(FIXTURES, "osm", "monaco.osm.pbf")
HARRISBURG = os.path.join(FIXTURES, "osm", "harrisburg.osm.pbf")
# Drives for the route-time check: (what, start, destination).
TIMED = [("Monaco: Casino -> Fontvieille (city centre)", "43.7393,7.4276", "43.7285,7.4150"),
         ("Monaco: Larvotto -> Fontvieille", "43.7480,7.4370", "43.7285,7.4150"),
         ("Monaco: Monaco-Ville -> Larvotto", "43.7310,7.4200", "43.7500,7.4380"),
         ("Harrisburg: Enhaut -> Colonial Park", "40.2318,-76.8269", "40.3006,-76.8097"),
         ("Harrisburg: Swatara Crest -> Ridgeview", "40.2458,-76.7851", "40.3098,-76.8122"),
         ("Harrisburg: Spring Valley -> Poplar Gardens", "40.2851,-76.8239", "40.2926,-76.8047")]
CENTRE_MINUTES = 4.0
OSRM_ANSWER = os.path.join(FIXTURES, "osrm", "portugal_to_korea.json")
# Places across Monaco: Casino, Fontvieille, Larvotto, Port Hercule, Monaco-Ville, Moneghetti.
PLACES = ["43.7393,7.4276", "43.7285,7.4150", "43.7447,7.4338", "43.7357,7.4230",
          "43.7313,7.4200", "43.7370,7.4150"]
MODES = ("driving", "walking", "bicycling")


class Quiet(mapservice.MapRequestHandler):
    def log_request(self, code="-", size="-"):
        pass


def median_ms(samples):
    return statistics.median(samples) * 1000.0


def import_regions(data):
    """Imports Monaco and Harrisburg (routing only); (seconds, kB) of Monaco's."""
    started = time.perf_counter()
    region = importregion.import_region(MONACO, data, log=lambda text: None,
                                        importers=("directions.routino",))
    seconds = time.perf_counter() - started
    folder = os.path.join(region, routino.SUBDIR)
    size = sum(os.path.getsize(os.path.join(folder, n)) for n in os.listdir(folder))
    importregion.import_region(HARRISBURG, data, log=lambda text: None,
                               importers=("directions.routino",))
    return seconds, size


def route_times(connection):
    """The route-time table; the city-centre drive first."""
    print("route times (driving):")
    print("  %-46s %8s %8s %7s" % ("drive", "km", "min", "km/h"))
    centre = None
    for what, a, b in TIMED:
        connection.request("GET", directions.PATH + "?" + urlencode(
            {"origin": a, "destination": b}))
        root = ET.fromstring(connection.getresponse().read())
        if root.findtext("status") != "OK":
            raise SystemExit("no route for %s" % what)
        seconds = int(root.findtext("route/leg/duration/value"))
        metres = int(root.findtext("route/leg/distance/value"))
        print("  %-46s %8.2f %8.1f %7.1f" % (what, metres / 1000.0, seconds / 60.0,
                                             metres / 1000.0 / (seconds / 3600.0)))
        centre = centre or seconds / 60.0
    verdict = "ok" if centre >= CENTRE_MINUTES else "TOO FAST"
    print("city-centre drive: %.1f min (must be >= %.0f min): %s" % (centre, CENTRE_MINUTES, verdict))
    print("#bench\tcity-centre drive across Monaco (min)\t%.1f\t-\t>=%.0f"
          % (centre, CENTRE_MINUTES))


def bench_offline(runs):
    with tempfile.TemporaryDirectory(prefix="bench-routes-") as data:
        seconds, size = import_regions(data)
        print("Monaco routing database: import %.1f s, %d kB on disk" % (seconds, size // 1024))
        # The geocoder finds the ends (coordinates) without the places.
        cfg = config.Config(path=os.path.join(data, "none.ini"), data_dir=data)
        root = tempfile.TemporaryDirectory()
        server = mapservice.MapServer(cfg, root.name, port=0)
        server.RequestHandlerClass = Quiet
        threading.Thread(target=server.serve_forever, daemon=True).start()
        requests = [(a, b, m) for a in PLACES for b in PLACES if a != b for m in MODES]
        connection = http.client.HTTPConnection("127.0.0.1", server.port)

        def ask(a, b, mode):
            connection.request("GET", directions.PATH + "?" + urlencode(
                {"origin": a, "destination": b, "mode": mode}))
            body = connection.getresponse().read()
            if b"<status>OK</status>" not in body:
                raise SystemExit("no route %s -> %s (%s)" % (a, b, mode))

        ask(*requests[0])   # the geocoder loads its data on first use
        route_times(connection)
        samples = []
        for i in range(runs):
            t0 = time.perf_counter()
            ask(*requests[i % len(requests)])
            samples.append(time.perf_counter() - t0)
        server.shutdown()
        server.server_close()
        root.cleanup()
    print("offline route in Monaco over HTTP: median %.1f ms over %d requests (target <= 50 ms)"
          % (median_ms(samples), runs))
    print("#bench\toffline route in Monaco over HTTP (ms)\t%.1f\t-\t<=50" % median_ms(samples))


def child_cpu_seconds():
    """CPU time of the node helper so far (its /proc stat, in clock ticks)."""
    with open("/proc/%d/stat" % HELPER._process.pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def bench_osrm(runs):
    with open(OSRM_ANSWER, "rb") as f:
        body = f.read()
    request = directions.Request("a", "b", "driving", False, True, frozenset(), "en")
    osrm.read_answer(200, body, request)   # starts the node helper
    samples = []
    cpu0, child0 = time.process_time(), child_cpu_seconds()
    for _ in range(runs):
        t0 = time.perf_counter()
        status, routes, _ = osrm.read_answer(200, body, request)
        samples.append(time.perf_counter() - t0)
        if status != "OK" or len(routes[0]["steps"]) != 421:
            raise SystemExit("the recorded OSRM answer did not convert")
    # On a busy machine the wall time counts others' work too; the CPU time does not.
    cpu = (time.process_time() - cpu0 + child_cpu_seconds() - child0) / runs
    print("OSRM adapter on the recorded 422-step answer: median %.1f ms over %d runs "
          "(target <= 100 ms); CPU %.1f ms a run (Python and node)"
          % (median_ms(samples), runs, cpu * 1000.0))
    print("#bench\tOSRM adapter, recorded 422-step answer (ms)\t%.1f\t-\t<=100" % median_ms(samples))


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 100
    bench_offline(runs)
    bench_osrm(max(10, runs // 2))


if __name__ == "__main__":
    main()
