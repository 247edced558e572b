#!/usr/bin/env python3
"""Generate cary-drive.nmea: a ten-minute drive through west Cary, North Carolina.

The output is what a 1 Hz consumer GPS receiver logs: RMC, GGA and GSA every
second and a GSV round every five seconds. The route is a chain of straight
and gently curving suburban streets with corners, two stop signs and three
traffic lights; the car accelerates and brakes like a car, and the fixes carry
a metre or so of wandering receiver noise. Everything is seeded, so running the script
again gives the same file byte for byte.

    python3 tools/make_track.py [OUTPUT]   (default: data/tracks/cary-drive.nmea)
"""

import math
import os
import random
import sys
from datetime import datetime, timedelta, timezone

START_LAT = 35.8185
START_LON = -78.8641
START_TIME = datetime(2023, 10, 14, 14, 5, 0, tzinfo=timezone.utc)
SEED = 20231014

EARTH_RADIUS = 6371008.8  # m, mean radius
KNOTS_PER_MS = 3600.0 / 1852.0
GEOID_SEPARATION = -33.4  # m, EGM96 around the Triangle

ACCELERATION = 1.6   # m/s^2, unhurried driving
BRAKING = 2.0        # m/s^2
CORNER_SPEED = 4.5   # m/s (16 km/h) through a right-angle turn
STEP = 0.1           # s, integration step

# Route legs: (initial bearing, final bearing, length m, limit km/h, end).
# A leg whose bearings differ is a curve. "end" is what waits at its far end:
# ("stop", seconds) for a stop sign or red light, ("turn",) for a corner taken
# without stopping, ("park",) for the end of the drive.
ROUTE = [
    (2.0, 4.0, 420.0, 40.0, ("stop", 4)),
    (88.0, 106.0, 880.0, 56.0, ("stop", 40)),
    (16.0, 34.0, 760.0, 56.0, ("turn",)),
    (116.0, 112.0, 640.0, 48.0, ("stop", 14)),
    (198.0, 186.0, 820.0, 56.0, ("stop", 32)),
    (96.0, 90.0, 560.0, 48.0, ("turn",)),
    (182.0, 178.0, 480.0, 40.0, ("stop", 3)),
    (268.0, 262.0, 940.0, 48.0, ("turn",)),
    (176.0, 176.0, 130.0, 16.0, ("park",)),
]
PARKED_BEFORE = 8  # s standing still before pulling away
PARKED_AFTER = 10  # s standing still at the end

# GPS satellites above west Cary: (PRN, elevation, azimuth, elevation rate
# in degrees per minute, azimuth rate in degrees per minute).
SKY = [
    (2, 64.0, 301.0, 0.35, 0.9),
    (5, 12.0, 164.0, -0.22, -0.3),
    (11, 38.0, 52.0, 0.28, 0.4),
    (12, 21.0, 247.0, -0.25, 0.2),
    (13, 7.0, 86.0, 0.20, 0.1),
    (15, 45.0, 196.0, -0.18, 0.7),
    (18, 29.0, 117.0, 0.30, -0.2),
    (20, 55.0, 12.0, -0.31, 0.6),
    (25, 17.0, 318.0, -0.21, -0.2),
    (29, 33.0, 272.0, 0.24, 0.3),
    (23, 24.0, 142.0, 0.26, -0.5),
    (26, 49.0, 83.0, -0.12, 0.8),
    (31, 4.0, 226.0, -0.15, 0.1),
]

# Stretches under tree canopy (seconds from the start): weaker signals.
CANOPY = [(95, 140), (300, 335), (470, 510)]


def checksum(body):
    value = 0
    for char in body:
        value ^= ord(char)
    return "%02X" % value


def sentence(body):
    return "$%s*%s" % (body, checksum(body))


def nmea_latitude(lat):
    hemisphere = "N" if lat >= 0 else "S"
    lat = abs(lat)
    degrees = int(lat)
    return "%02d%08.5f" % (degrees, (lat - degrees) * 60.0), hemisphere


def nmea_longitude(lon):
    hemisphere = "E" if lon >= 0 else "W"
    lon = abs(lon)
    degrees = int(lon)
    return "%03d%08.5f" % (degrees, (lon - degrees) * 60.0), hemisphere


def offset(lat, lon, north, east):
    """Moves a coordinate by metres north and east (fine at street scale)."""
    dlat = math.degrees(north / EARTH_RADIUS)
    dlon = math.degrees(east / (EARTH_RADIUS * math.cos(math.radians(lat))))
    return lat + dlat, lon + dlon


def build_path():
    """Samples the route every metre: list of (north, east) and speed caps."""
    points = [(0.0, 0.0)]
    limits = []        # per metre of path, m/s
    constraints = []   # (distance along path, speed cap m/s, dwell s)
    north = east = 0.0
    for start_bearing, end_bearing, length, limit, end in ROUTE:
        steps = int(length)
        for i in range(steps):
            bearing = start_bearing + (end_bearing - start_bearing) * (i + 0.5) / steps
            north += math.cos(math.radians(bearing))
            east += math.sin(math.radians(bearing))
            points.append((north, east))
            limits.append(limit / 3.6)
        distance = len(points) - 1
        if end[0] == "stop":
            constraints.append((distance, 0.0, end[1]))
        elif end[0] == "turn":
            constraints.append((distance, CORNER_SPEED, 0))
        else:
            constraints.append((distance, 0.0, None))
    return points, limits, constraints


def drive(points, limits, constraints):
    """Speed and distance along the path for each second of the log."""
    states = [(0.0, 0.0)] * PARKED_BEFORE
    s = v = 0.0
    dwell = 0.0
    pending = list(constraints)
    end = len(points) - 1
    parked = False
    parked_for = 0
    while parked_for < PARKED_AFTER:
        for _ in range(int(round(1.0 / STEP))):
            if parked:
                break
            if dwell > 0.0:
                dwell -= STEP
                continue
            # Pass constraints that are behind us.
            while pending and pending[0][1] > 0.0 and s >= pending[0][0]:
                pending.pop(0)
            limit = limits[min(int(s), len(limits) - 1)]
            target = limit
            for distance, cap, _ in pending:
                ahead = distance - s
                if ahead > 400.0:
                    break
                target = min(target, math.sqrt(cap * cap + 2.0 * BRAKING * max(ahead - 1.0, 0.0)))
            if target > v:
                # Cars pull harder from low speed.
                v = min(target, v + ACCELERATION * (1.2 - 0.4 * v / 16.7) * STEP)
            else:
                v = max(target, v - BRAKING * 1.5 * STEP)
            s = min(s + v * STEP, end)
            if pending and pending[0][1] == 0.0 and (pending[0][0] - s < 1.2) and v < 0.4:
                _, _, hold = pending.pop(0)
                v = 0.0
                if hold is None:
                    parked = True
                    break
                dwell = float(hold)
        if parked:
            parked_for += 1
        states.append((s, v))
    return states


def position_at(points, s):
    i = min(int(s), len(points) - 2)
    frac = s - i
    (n0, e0), (n1, e1) = points[i], points[i + 1]
    return n0 + (n1 - n0) * frac, e0 + (e1 - e0) * frac


def sky_at(seconds, rng):
    """Satellites in view with elevation, azimuth and SNR (None: not tracked)."""
    minutes = seconds / 60.0
    under_canopy = any(a <= seconds < b for a, b in CANOPY)
    satellites = []
    for prn, elevation, azimuth, d_elevation, d_azimuth in SKY:
        elevation = elevation + d_elevation * minutes
        azimuth = (azimuth + d_azimuth * minutes) % 360.0
        if elevation < 0.0:
            continue
        snr = 18.0 + 0.42 * elevation + rng.gauss(0.0, 1.5)
        if under_canopy:
            snr -= 4.0 + rng.uniform(0.0, 8.0) * (1.0 - elevation / 90.0)
        snr = int(round(min(snr, 49.0)))
        satellites.append((prn, int(round(elevation)), int(round(azimuth)),
                           snr if snr >= 14 else None))
    return satellites


def hdop_for(used, rng):
    base = {4: 2.4, 5: 2.1, 6: 1.7, 7: 1.3, 8: 1.1, 9: 0.95, 10: 0.9, 11: 0.85, 12: 0.8}
    hdop = base.get(used, 2.5) + rng.uniform(-0.05, 0.08)
    return round(min(max(hdop, 0.8), 2.5), 1)


def generate():
    rng = random.Random(SEED)
    points, limits, constraints = build_path()
    states = drive(points, limits, constraints)

    lines = [
        "# Marlu demo track: a synthetic ten-minute drive in west Cary, North Carolina",
        "# Receiver: simulated 1 Hz GPS, RMC + GGA + GSA each second, GSV every 5 s",
        "# Generated by make_track.py (seeded); edit that script, not this file",
    ]
    noise_n = noise_e = 0.0
    course = ROUTE[0][0]
    previous = None
    for second, (s, v) in enumerate(states):
        moment = START_TIME + timedelta(seconds=second)
        clock = moment.strftime("%H%M%S") + ".00"
        date = moment.strftime("%d%m%y")

        # Receiver noise: a slow wander of about a metre.
        noise_n = 0.85 * noise_n + rng.gauss(0.0, 0.35)
        noise_e = 0.85 * noise_e + rng.gauss(0.0, 0.35)
        north, east = position_at(points, s)
        lat, lon = offset(START_LAT, START_LON, north + noise_n, east + noise_e)

        if v > 0.5 and previous is not None:
            dn, de = north - previous[0], east - previous[1]
            if dn * dn + de * de > 0.01:
                course = math.degrees(math.atan2(de, dn)) % 360.0
        previous = (north, east)
        reported_course = (course + rng.gauss(0.0, 0.6)) % 360.0 if v > 0.5 else course
        if v > 0.5:
            knots = max(v + rng.gauss(0.0, 0.08), 0.0) * KNOTS_PER_MS
        else:
            knots = rng.uniform(0.0, 0.25)

        satellites = sky_at(second, rng)
        used = [prn for prn, elevation, _, snr in satellites
                if snr is not None and snr >= 24 and elevation >= 8][:12]
        hdop = hdop_for(len(used), rng)
        pdop = round(hdop * (1.55 + rng.uniform(0.0, 0.1)), 1)
        vdop = round(math.sqrt(max(pdop * pdop - hdop * hdop, 0.0)), 1)
        altitude = 152.0 + 9.0 * math.sin(s / 700.0) + 3.0 * math.sin(s / 173.0) + rng.gauss(0.0, 0.4)

        lat_text, lat_hemi = nmea_latitude(lat)
        lon_text, lon_hemi = nmea_longitude(lon)

        lines.append(sentence("GPRMC,%s,A,%s,%s,%s,%s,%.3f,%.2f,%s,,,A" % (
            clock, lat_text, lat_hemi, lon_text, lon_hemi, knots, reported_course, date)))
        lines.append(sentence("GPGGA,%s,%s,%s,%s,%s,1,%02d,%.1f,%.1f,M,%.1f,M,," % (
            clock, lat_text, lat_hemi, lon_text, lon_hemi, len(used), hdop, altitude,
            GEOID_SEPARATION)))
        prns = ["%02d" % prn for prn in used] + [""] * (12 - len(used))
        lines.append(sentence("GPGSA,A,3,%s,%.1f,%.1f,%.1f" % (",".join(prns), pdop, hdop, vdop)))
        if second % 5 == 0:
            total = (len(satellites) + 3) // 4
            for part in range(total):
                fields = []
                for prn, elevation, azimuth, snr in satellites[part * 4:part * 4 + 4]:
                    fields.append("%02d,%02d,%03d,%s" % (
                        prn, elevation, azimuth, "" if snr is None else "%02d" % snr))
                lines.append(sentence("GPGSV,%d,%d,%02d,%s" % (
                    total, part + 1, len(satellites), ",".join(fields))))
    return lines


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "data", "tracks", "cary-drive.nmea")
    with open(output, "w", newline="\n") as stream:
        stream.write("\n".join(generate()) + "\n")


if __name__ == "__main__":
    main()
