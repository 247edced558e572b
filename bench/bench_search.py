"""Search quality of the offline geocoder: how often the first answer lands
within 300 m and 3 km of the truth, and how long a search takes, over query
sets built from the shared extracts (Monaco, Harrisburg, Rome) and from the
gazetteer's capitals, typed alone and with their country. Per extract, by
kind of query: towns and villages, hamlets and suburbs, streets, addresses,
interpolated addresses, points of interest by name and by kind ("cafe near
LAT,LON" at one of them), natural features, streets with a typo, and
coordinates written with degrees, minutes and seconds, alone and after a
name.

The extracts are imported (street index only) into a scratch data folder
that shares the gazetteer of --data; unsorted extracts are sorted first. The
truth of an extract's query comes from the extract itself (osmium export),
not from the index: a street's every vertex, an address's or a point of
interest's own position. Queries carry no view or position.

  bench_search.py --data DIR [--fixtures DIR]
"""

import argparse
import math
import os
import random
import statistics
import subprocess
import tempfile
import time
from collections import defaultdict

from servicepath import REPO

from marlu_service import config, importregion, osmexport  # noqa: E402
from marlu_service.geocoding import Geocoder  # noqa: E402
from marlu_service.geocoding.countries import COUNTRY_NAMES  # noqa: E402

EXTRACTS = ("monaco", "harrisburg", "rome")
PER_KIND = 40
TARGET_MS = 20
TOWNS = {"village", "town", "city"}
HAMLETS = {"suburb", "quarter", "neighbourhood", "hamlet", "isolated_dwelling", "borough"}
NATURAL = {("natural", "peak"), ("natural", "water"), ("natural", "wood"), ("natural", "bay"),
           ("natural", "beach"), ("waterway", "river"), ("waterway", "canal"),
           ("waterway", "stream"), ("place", "island"), ("place", "islet")}
# What a person types for the kind of a point of interest.
KIND_WORDS = {("amenity", "restaurant"): "restaurant", ("amenity", "cafe"): "cafe",
              ("amenity", "bar"): "bar", ("amenity", "pub"): "pub",
              ("amenity", "pharmacy"): "pharmacy", ("amenity", "fuel"): "fuel",
              ("tourism", "hotel"): "hotel", ("amenity", "parking"): "parking",
              ("amenity", "school"): "school", ("amenity", "bank"): "bank",
              ("shop", "supermarket"): "supermarket", ("amenity", "fast_food"): "fast food",
              ("amenity", "place_of_worship"): "church", ("tourism", "museum"): "museum",
              ("amenity", "post_office"): "post office", ("amenity", "toilets"): "toilets"}


def km(a, b):
    scale = math.cos(math.radians((a[0] + b[0]) / 2))
    return 111.2 * math.hypot(a[0] - b[0], (a[1] - b[1]) * scale)


def sorted_copy(pbf, scratch):
    """The extract sorted by type and id, as the import wants it."""
    out = os.path.join(scratch, os.path.basename(pbf))
    subprocess.run(["osmium", "sort", "-O", "-o", out, pbf], check=True, capture_output=True)
    return out


def typo(name, rng):
    """name with one letter of a long word left out."""
    words = name.split()
    i = max(range(len(words)), key=lambda k: len(words[k]))
    word = words[i]
    j = rng.randrange(1, len(word) - 1)
    words[i] = word[:j] + word[j + 1:]
    return " ".join(words)


def dms(value, letters):
    """A coordinate as 40°14'47.4"N."""
    whole = abs(value)
    d, m = int(whole), int(whole * 60) % 60
    s = whole * 3600 - d * 3600 - m * 60
    return "%d°%02d'%04.1f\"%s" % (d, m, s, letters[value < 0])


def interpolated(lines, numbers, streets, rng):
    """("N street", [its point]) between the ends of interpolation lines, the
    street named by the line, its ends, or the extract's nearest street."""
    out = {}
    for tags, points in lines:
        ends = [numbers.get(points[0]), numbers.get(points[-1])]
        if None in ends or not all(e[0].isdigit() for e in ends):
            continue
        first, last = int(ends[0][0]), int(ends[1][0])
        step = 1 if tags["addr:interpolation"] in ("all", "1") else 2
        if abs(last - first) <= step:
            continue
        street = tags.get("addr:street") or ends[0][1] or ends[1][1] or min(
            streets, key=lambda name: min(km(points[len(points) // 2], p)
                                          for p in streets[name]))
        n = first + step * rng.randrange(1, abs(last - first) // step) * (1 if last > first
                                                                          else -1)
        share = (n - first) / (last - first)
        lengths = [km(a, b) for a, b in zip(points, points[1:])]
        left = share * sum(lengths)
        for (a, b), length in zip(zip(points, points[1:]), lengths):
            if left <= length:
                t = left / length if length else 0
                out["%d %s" % (n, street)] = [(a[0] + (b[0] - a[0]) * t,
                                               a[1] + (b[1] - a[1]) * t)]
                break
            left -= length
    return out


def extract_queries(pbf, rng):
    """(set name, query, truth points) from an extract's own features."""
    streets, addresses, pois = defaultdict(list), {}, {}
    # A town mapped as a node and as an area is at either.
    towns, hamlets, natural, kinds = defaultdict(list), defaultdict(list), defaultdict(list), []
    numbers, lines = {}, []
    for item in osmexport.features(pbf):
        tags, geometry = item.get("properties") or {}, item.get("geometry") or {}
        coords = geometry.get("coordinates")
        kind = geometry.get("type")
        if kind == "Point":
            pts = [coords]
        elif kind == "LineString":
            pts = coords
        elif kind == "Polygon":
            pts = coords[0]
        elif kind == "MultiPolygon":
            pts = [p for polygon in coords for p in polygon[0]]
        else:
            continue
        points = [(lat, lng) for lng, lat in pts]
        centre = (sum(p[0] for p in points) / len(points), sum(p[1] for p in points) / len(points))
        name = (tags.get("name") or "").strip()
        if tags.get("highway") and name and kind == "LineString":
            streets[name] += points
        if tags.get("addr:housenumber") and tags.get("addr:street"):
            addresses["%s %s" % (tags["addr:housenumber"], tags["addr:street"])] = [centre]
        if name and (tags.get("amenity") or tags.get("tourism") or tags.get("shop")):
            pois[name] = [centre]
        if tags.get("addr:housenumber") and kind == "Point":
            numbers[points[0]] = (tags["addr:housenumber"], tags.get("addr:street"))
        if tags.get("addr:interpolation") and kind == "LineString":
            lines.append((tags, points))
        if name and tags.get("place") in TOWNS:
            towns[name].append(centre)
        if name and tags.get("place") in HAMLETS:
            hamlets[name].append(centre)
        if name and any((k, tags.get(k)) in NATURAL for k in ("natural", "waterway", "place")):
            natural[name] += points
        word = next((KIND_WORDS[k, tags[k]] for k in ("amenity", "tourism", "shop")
                     if (k, tags.get(k)) in KIND_WORDS), None)
        if word:
            kinds.append(("%s near %.6f,%.6f" % (word, centre[0], centre[1]), [centre]))

    def sample(table):
        keys = sorted(table)
        rng.shuffle(keys)
        return [(k, table[k]) for k in keys[:PER_KIND]]

    out = [("streets", q, t) for q, t in sample(streets)]
    out += [("addresses", q, t) for q, t in sample(addresses)]
    out += [("points of interest", q, t) for q, t in sample(pois)]
    long_names = {k: v for k, v in streets.items() if max(map(len, k.split())) >= 8}
    out += [("streets, one letter missing", typo(q, rng), t) for q, t in sample(long_names)]
    out += [("towns and villages", q, t) for q, t in sample(towns)]
    out += [("hamlets and suburbs", q, t) for q, t in sample(hamlets)]
    out += [("natural features", q, t) for q, t in sample(natural)]
    out += [("interpolated addresses", q, t) for q, t in sample(
        interpolated(lines, numbers, streets, rng))]
    out += [("points of interest by kind", q, t) for q, t in sample(dict(kinds))]
    written = {"%s %s" % (dms(t[0][0], "NS"), dms(t[0][1], "EW")): t
               for _, t in sample(pois)}
    written.update({"%s, %s %.5f° %s %.5f°" % (q, "NS"[t[0][0] < 0], abs(t[0][0]),
                                                "EW"[t[0][1] < 0], abs(t[0][1])): t
                    for q, t in sample(pois)})
    out += [("coordinates as people write them", q, t) for q, t in written.items()]
    return out


def capital_queries(places_path):
    import sqlite3
    con = sqlite3.connect("file:%s?mode=ro" % places_path, uri=True)
    rows = con.execute("SELECT name, lat, lng, country FROM places WHERE feature = 'PPLC' "
                       "ORDER BY country").fetchall()
    con.close()
    out = [("capitals alone", name, [(lat, lng)]) for name, lat, lng, _ in rows]
    out += [("capitals with country", "%s, %s" % (name, COUNTRY_NAMES.get(code, code)),
             [(lat, lng)]) for name, lat, lng, code in rows]
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", required=True)
    parser.add_argument("--fixtures", default=os.environ.get("MARLU_FIXTURES") or os.path.join(
        REPO, "..", "shared", "fixtures"))
    args = parser.parse_args()
    source = config.Config(data_dir=args.data)
    rng = random.Random(21)
    queries = []
    with tempfile.TemporaryDirectory(prefix="marlu-bench-search-") as scratch:
        os.symlink(source.places_path, os.path.join(scratch, "places.sqlite"))
        for name in EXTRACTS:
            pbf = sorted_copy(os.path.join(args.fixtures, "osm", name + ".osm.pbf"), scratch)
            importregion.import_region(pbf, scratch, name=name, log=lambda text: None,
                                       importers=("geocoding.osmindex",))
            queries += [("%s: %s" % (name, kind), q, t) for kind, q, t in extract_queries(pbf, rng)]
        queries += capital_queries(source.places_path)
        geocoder = Geocoder(config.Config(os.path.join(scratch, "none.ini"), scratch))
        geocoder.geocode("warm up")
        sets = defaultdict(lambda: {"n": 0, "300m": 0, "3km": 0, "ms": []})
        everything = []
        for kind, query, truth in queries:
            started = time.perf_counter()
            status, found = geocoder.geocode(query)
            ms = (time.perf_counter() - started) * 1000
            entry = sets[kind]
            entry["n"] += 1
            entry["ms"].append(ms)
            everything.append(ms)
            if found:
                d = min(km(found[0]["location"], p) for p in truth)
                entry["300m"] += d <= 0.3
                entry["3km"] += d <= 3.0
            elif os.environ.get("MARLU_BENCH_VERBOSE"):
                print("missed: %s (%s)" % (query, kind))
    print("%-44s %5s %8s %8s %9s %9s" % ("query set", "n", "300 m", "3 km", "median ms",
                                         "worst ms"))
    for kind, e in sets.items():
        print("%-44s %5d %7.0f%% %7.0f%% %9.2f %9.1f" % (
            kind, e["n"], 100 * e["300m"] / e["n"], 100 * e["3km"] / e["n"],
            statistics.median(e["ms"]), max(e["ms"])))
        for reach in ("300m", "3km"):
            print("#bench\tsearch %s, first within %s (%%)\t%.0f\t-\t-" % (
                kind, reach, 100 * e[reach] / e["n"]))
    print("#bench\tsearch, median of %d queries (ms)\t%.2f\t-\t<=%g" % (
        len(everything), statistics.median(everything), TARGET_MS))
    print("#bench\tsearch, worst of %d queries (ms)\t%.1f\t-\t-" % (len(everything),
                                                                    max(everything)))


if __name__ == "__main__":
    main()
