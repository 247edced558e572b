#!/usr/bin/env python3
"""Generate data/tracks/monaco-drive.nmea: the README's demo drive through Monaco,
from Larvotto to "Fontvieille, Monaco", along the route the local map service
gives for it.

The car parks a minute at the start (time to pick a rate under "Position
Updates" and ask for directions to "Fontvieille, Monaco"), follows every
point of the service's route at the way's pace (at most Monaco's 50 km/h),
slows for bends and corners and parks at the destination, so that guidance
sees no reroute and announces the arrival. The receiver is the simulated 1 Hz
one of tools/make_track.py (RMC, GGA, GSA each second, GSV every 5 s, a metre
of wandering noise). Seeded: the same route gives the same file.

    python3 tools/make_monaco_track.py --service http://127.0.0.1:PORT [OUTPUT]

The service must hold the demo region (the build's data folder does).
"""

import argparse
import math
import os
import random
import urllib.parse
import urllib.request
import xml.etree.ElementTree as ET
from datetime import datetime, timedelta, timezone

from servicepath import REPO

import make_track  # noqa: E402
from marlu_service.directions import polyline  # noqa: E402

OUTPUT = os.path.join(REPO, "data", "tracks", "monaco-drive.nmea")
START = (43.7447, 7.4338)              # Larvotto
DESTINATION = "Fontvieille, Monaco"    # as the README asks for it
PARKED_BEFORE = 60                     # s at the start
START_TIME = datetime(2024, 5, 18, 9, 30, 0, tzinfo=timezone.utc)
SEED = 20240518
TOWN_LIMIT = 50.0 / 3.6     # m/s
# Turn sharper than the key (degrees) -> at most this speed (m/s) through it.
CORNERS = ((100.0, 3.5), (60.0, 5.0), (30.0, 8.0))
ALTITUDE = 40.0
GEOID_SEPARATION = 48.9      # m, EGM96 at Monaco


def route_points(service):
    """Every point of the service's route, as (lat, lng), and each point's pace in m/s.

    The application asks from its position written with six significant
    digits: the drive starts at such a point, and asks from there again until
    the route begins where it was asked from, so that the application gets
    the route the car drives."""
    origin = START
    for _ in range(4):
        points, speeds = service_route(service, origin)
        start = tuple(float("%.6g" % v) for v in points[0])
        if start == origin:
            break
        origin = start
    return [origin] + points, [speeds[0]] + speeds


def service_route(service, origin):
    query = urllib.parse.urlencode({"sensor": "false", "origin": "%.6g %.6g" % origin,
                                    "destination": DESTINATION, "mode": "driving",
                                    "alternatives": "false", "units": "metric"},
                                   quote_via=urllib.parse.quote)
    with urllib.request.urlopen(service.rstrip("/") + "/maps/api/directions/xml?" + query,
                                timeout=60) as reply:
        root = ET.fromstring(reply.read())
    if root.findtext("status") != "OK":
        raise SystemExit("no route to %s: %s" % (DESTINATION, root.findtext("status")))
    points, speeds = [], []
    for step in root.find("route").iter("step"):
        line = polyline.decode(step.findtext("polyline/points"))
        metres = float(step.findtext("distance/value"))
        seconds = float(step.findtext("duration/value"))
        pace = min(metres / seconds, TOWN_LIMIT) if seconds > 0 and metres > 0 else TOWN_LIMIT
        for p in line:
            if points and p == points[-1]:
                continue
            points.append(p)
            speeds.append(pace)
    return points, speeds


def metre_path(points, speeds):
    """The drive sampled every metre in metres north and east of its start,
    the speed limit of each metre and the corners to slow for (make_track's form)."""
    lat0, lng0 = points[0]
    scale = math.cos(math.radians(lat0))
    local = [(math.radians(lat - lat0) * make_track.EARTH_RADIUS,
              math.radians(lng - lng0) * make_track.EARTH_RADIUS * scale) for lat, lng in points]
    path, limits, constraints = [local[0]], [], []
    for i in range(1, len(local)):
        (n0, e0), (n1, e1) = local[i - 1], local[i]
        length = math.hypot(n1 - n0, e1 - e0)
        for k in range(1, int(length) + 1):
            path.append((n0 + (n1 - n0) * k / length, e0 + (e1 - e0) * k / length))
            limits.append(speeds[i])
        if i + 1 < len(local):
            n2, e2 = local[i + 1]
            turn = abs((math.degrees(math.atan2(e2 - e1, n2 - n1) - math.atan2(e1 - e0, n1 - n0))
                        + 540.0) % 360.0 - 180.0) if length > 0 else 0.0
            cap = next((speed for angle, speed in CORNERS if turn >= angle), None)
            if cap is not None and len(path) > 1:
                constraints.append((len(path) - 1, cap, 0))
    constraints.append((len(path) - 1, 0.0, None))
    return path, limits or [TOWN_LIMIT], constraints, (lat0, lng0)


def generate(service):
    rng = random.Random(SEED)
    path, limits, constraints, (lat0, lng0) = metre_path(*route_points(service))
    make_track.PARKED_BEFORE = PARKED_BEFORE
    states = make_track.drive(path, limits, constraints)
    lines = [
        "# Marlu demo track: a drive through Monaco, Larvotto to Fontvieille,",
        "# along the route the local map service finds on the OpenStreetMap extract",
        "# (map data: OpenStreetMap contributors)",
        "# Receiver: simulated 1 Hz GPS, RMC + GGA + GSA each second, GSV every 5 s",
        "# Generated by tools/make_monaco_track.py (seeded); edit that script, not this file",
    ]
    noise_n = noise_e = 0.0
    course, previous = 0.0, None
    for second, (s, v) in enumerate(states):
        moment = START_TIME + timedelta(seconds=second)
        clock, date = moment.strftime("%H%M%S") + ".00", moment.strftime("%d%m%y")
        noise_n = 0.85 * noise_n + rng.gauss(0.0, 0.35)
        noise_e = 0.85 * noise_e + rng.gauss(0.0, 0.35)
        north, east = make_track.position_at(path, s)
        lat, lng = make_track.offset(lat0, lng0, north + noise_n, east + noise_e)
        moved = previous is not None and math.hypot(north - previous[0], east - previous[1]) > 0.1
        if v > 0.5 and moved:
            course = math.degrees(math.atan2(east - previous[1], north - previous[0])) % 360.0
        previous = (north, east)
        knots = max(v + rng.gauss(0.0, 0.08), 0.0) * make_track.KNOTS_PER_MS if v > 0.5 \
            else rng.uniform(0.0, 0.25)
        satellites = make_track.sky_at(second, rng)
        used = [prn for prn, elevation, _, snr in satellites
                if snr is not None and snr >= 24 and elevation >= 8][:12]
        hdop = make_track.hdop_for(len(used), rng)
        pdop = round(hdop * (1.55 + rng.uniform(0.0, 0.1)), 1)
        vdop = round(math.sqrt(max(pdop * pdop - hdop * hdop, 0.0)), 1)
        lat_text, lat_hemi = make_track.nmea_latitude(lat)
        lng_text, lng_hemi = make_track.nmea_longitude(lng)
        sentence = make_track.sentence
        lines.append(sentence("GPRMC,%s,A,%s,%s,%s,%s,%.3f,%.2f,%s,,,A" % (
            clock, lat_text, lat_hemi, lng_text, lng_hemi, knots, course, date)))
        lines.append(sentence("GPGGA,%s,%s,%s,%s,%s,1,%02d,%.1f,%.1f,M,%.1f,M,," % (
            clock, lat_text, lat_hemi, lng_text, lng_hemi, len(used), hdop,
            ALTITUDE + rng.gauss(0.0, 0.4), GEOID_SEPARATION)))
        prns = ["%02d" % prn for prn in used] + [""] * (12 - len(used))
        lines.append(sentence("GPGSA,A,3,%s,%.1f,%.1f,%.1f" % (",".join(prns), pdop, hdop, vdop)))
        if second % 5 == 0:
            total = (len(satellites) + 3) // 4
            for part in range(total):
                fields = ["%02d,%02d,%03d,%s" % (prn, elevation, azimuth,
                                                 "" if snr is None else "%02d" % snr)
                          for prn, elevation, azimuth, snr in satellites[part * 4:part * 4 + 4]]
                lines.append(sentence("GPGSV,%d,%d,%02d,%s" % (
                    total, part + 1, len(satellites), ",".join(fields))))
    return lines


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output", nargs="?", default=OUTPUT)
    parser.add_argument("--service", required=True, help="the local map service, http://127.0.0.1:PORT")
    args = parser.parse_args()
    lines = generate(args.service)
    with open(args.output, "w", newline="\n") as stream:
        stream.write("\n".join(lines) + "\n")
    print("%s: %d fixes" % (args.output, sum(1 for line in lines if line.startswith("$GPRMC"))))


if __name__ == "__main__":
    main()
