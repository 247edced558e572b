"""Search quality of the offline geocoder: how often the first answer lands
within 300 m and 3 km of the truth, and how long a search takes, over query
sets built from the shared extracts (Monaco, Harrisburg, Rome) and from the
gazetteer's capitals, typed alone and with their country.

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
import sys
import tempfile
import time
from collections import defaultdict

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(REPO, "services"))

from marlu_service import config, importregion, osmexport  # noqa: E402
from marlu_service.geocoding import Geocoder  # noqa: E402
from marlu_service.geocoding.countries import COUNTRY_NAMES  # noqa: E402

EXTRACTS = ("monaco", "harrisburg", "rome")
PER_KIND = 40
TARGET_MS = 20


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


def extract_queries(pbf, rng):
    """(set name, query, truth points) from an extract's own features."""
    streets, addresses, pois = defaultdict(list), {}, {}
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

    def sample(table):
        keys = sorted(table)
        rng.shuffle(keys)
        return [(k, table[k]) for k in keys[:PER_KIND]]

    out = [("streets", q, t) for q, t in sample(streets)]
    out += [("addresses", q, t) for q, t in sample(addresses)]
    out += [("points of interest", q, t) for q, t in sample(pois)]
    long_names = {k: v for k, v in streets.items() if max(map(len, k.split())) >= 8}
    out += [("streets, one letter missing", typo(q, rng), t) for q, t in sample(long_names)]
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
