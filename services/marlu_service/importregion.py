"""Imports an OpenStreetMap extract as a region of the map service.

  importregion.py FILE.osm.pbf [--name NAME] [--data DIR]

Each back-end that uses region data has an import_region(pbf, folder, log)
function (routing database, street and address index, street tiles); they
all write into DATA/regions/.NAME.partial/, which becomes DATA/regions/NAME/
only when every one of them succeeded, so a failed import leaves the earlier
regions as they were. A region whose extract has not changed is skipped.
"""

import argparse
import datetime
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys
import time

from . import config, osmexport
from .directions import routino
from .geocoding import osmindex
from .tiles import osmimport

# Modules with an import_region(pbf, folder, log) function, in the order they
# run, by the names that region.json records.
MODULES = {"geocoding.osmindex": osmindex, "directions.routino": routino,
           "tiles.osmimport": osmimport}
IMPORTERS = tuple(MODULES)
# The stage each module is reported as, and its rough share of the import's
# time (measured on small extracts), for a progress figure.
STAGES = {"geocoding.osmindex": ("streets", 35), "directions.routino": ("routing", 15),
          "tiles.osmimport": ("map", 50)}

# What each stage builds, as a failure names it.
STEP_WORDS = {"streets": "the street and address index", "routing": "the routing database",
              "map": "the street map"}

PBF_MAGIC = b"OSMHeader"
# What the importers write: a region imported by an earlier format is imported
# again even from the same extract (2: travel times, water areas; 3: the sea
# along coastlines; 4: the street map's generalised tables for the low zooms).
FORMAT = 4


class ImportError_(Exception):
    """An import that cannot go on; its text is the one line the user reads."""


def region_name(path):
    base = os.path.basename(path)
    for suffix in (".osm.pbf", ".pbf"):
        if base.endswith(suffix):
            base = base[: -len(suffix)]
            break
    name = re.sub(r"[^A-Za-z0-9_-]+", "-", base).strip("-").lower()
    return name or "region"


NAME_LIMIT = 64


def checked_name(name):
    """A region name is a folder name under regions/, never a path: letters,
    digits, '-' and '_', runs of spaces folded to one '-', at most 64
    characters. Anything else is refused before anything is touched."""
    folded = re.sub(r"\s+", "-", name.strip())
    # ASCII only, as the application lists them.
    if not folded or len(folded) > NAME_LIMIT or not re.fullmatch(r"[A-Za-z0-9_-]+", folded) \
            or not folded.strip("-"):
        raise ImportError_("%r is not a region name: use the letters A to Z, digits, '-' and "
                           "'_' (at most %d characters)" % (name[:NAME_LIMIT + 1], NAME_LIMIT))
    return folded


def cause(exc):
    """Why a step failed, in words: the system's reason for an OSError (a full
    disk), else the error's text without the rulers and banners tools print."""
    if isinstance(exc, OSError) and exc.strerror:
        return exc.strerror[:1].lower() + exc.strerror[1:]
    text = " ".join(re.sub(r"[=\-_*#~+.]{3,}", " ", str(exc)).split()).strip(" :")
    return (text[:200] or type(exc).__name__).rstrip(".")


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for chunk in iter(lambda: f.read(1 << 20), b""):
            digest.update(chunk)
    return digest.hexdigest()


def check_extract(path):
    """The extract's bounding box; refuses a missing, truncated or non-OSM file
    with one line saying why."""
    return extract_info(path)[0]


def extract_info(path):
    """(bbox, sorted, date): sorted is False for an extract whose objects are
    not in the order (nodes, ways, relations, each by id) the importers need;
    date is the header's replication timestamp, else None: a file's own time
    says when it was copied, not how old its data is. Refuses a missing, truncated or non-OSM file with one line saying why."""
    if not os.path.isfile(path):
        raise ImportError_("%s: no such file" % path)
    with open(path, "rb") as f:
        head = f.read(64)
    if PBF_MAGIC not in head:
        raise ImportError_("%s: not an OpenStreetMap PBF extract" % path)
    try:
        result = subprocess.run(["osmium", "fileinfo", "--extended", "--json", path],
                                capture_output=True, text=True, timeout=600)
    except FileNotFoundError:
        raise ImportError_("osmium is not installed (Debian package osmium-tool)")
    if result.returncode != 0:
        raise ImportError_("%s: the extract is damaged or truncated: it cannot be read to "
                           "its end" % path)
    try:
        info = json.loads(result.stdout)
    except ValueError:
        raise ImportError_("%s: osmium could not describe the extract" % path)
    data = info.get("data") or {}
    bbox = (data.get("bbox") or info.get("header", {}).get("boxes") or [None])
    bbox = bbox[0] if bbox and isinstance(bbox[0], list) else bbox
    date = info.get("header", {}).get("option", {}).get("osmosis_replication_timestamp")
    if not isinstance(date, str) or not re.fullmatch(r"\d{4}-\d\d-\d\dT[\d:]{8}Z", date):
        date = None
    return bbox, data.get("objects_ordered", True) is not False, date


def sorted_extract(pbf, folder, log):
    """A sorted copy of pbf in folder: many tools write extracts in another
    order, and Routino and osmium export need it."""
    target = os.path.join(folder, "sorted.osm.pbf")
    t0 = time.monotonic()
    try:
        osmexport.osmium(["sort", "--overwrite", "-o", target, pbf])
    except osmexport.OsmiumError as exc:
        raise ImportError_("%s: the extract could not be sorted: %s" % (pbf, exc))
    log("sorted the extract (its objects were out of order) in %.1f s" % (time.monotonic() - t0))
    return target


def iso_time(seconds):
    return datetime.datetime.fromtimestamp(seconds, datetime.timezone.utc).strftime(
        "%Y-%m-%dT%H:%M:%SZ")


def import_region(pbf, data_dir=None, name=None, log=None, importers=IMPORTERS,
                  progress=None, meta=None):
    """Imports pbf; returns the region folder. Raises ImportError_ with one line.
    progress(stage, percent) hears of each module's start and the end; meta
    adds to region.json (where a downloaded extract came from)."""
    log = log or (lambda text: sys.stderr.write("import: %s\n" % text))
    progress = progress or (lambda stage, percent: None)
    cfg = config.Config(data_dir=data_dir)
    pbf = os.path.abspath(pbf)
    name = checked_name(name) if name is not None else region_name(pbf)
    bbox, in_order, date = extract_info(pbf)
    config.finish_interrupted_swaps(cfg.regions_dir)
    final = os.path.join(cfg.regions_dir, name)
    digest = sha256(pbf)
    try:
        with open(os.path.join(final, "region.json"), encoding="utf-8") as f:
            done = json.load(f)
        if done.get("sha256") == digest and done.get("importers") == list(importers) \
                and done.get("format") == FORMAT:
            log("%s is already imported from this extract" % name)
            return final
    except (OSError, ValueError):
        pass
    partial = os.path.join(cfg.regions_dir, "." + name + ".partial")
    config.remove_region_folder(cfg.regions_dir, partial)
    os.makedirs(partial)
    started = time.monotonic()
    weights = [STAGES[m][1] for m in importers]
    try:
        work = os.path.join(partial, ".work")
        os.makedirs(work)
        source = pbf if in_order else sorted_extract(pbf, work, log)
        for i, module_name in enumerate(importers):
            progress(STAGES[module_name][0], 100 * sum(weights[:i]) // sum(weights))
            t0 = time.monotonic()
            try:
                MODULES[module_name].import_region(source, partial, log)
            except (ImportError_, KeyboardInterrupt):
                raise
            except Exception as exc:
                raise ImportError_("%s: the import stopped while building %s: %s"
                                   % (name, STEP_WORDS[STAGES[module_name][0]], cause(exc))) \
                    from exc
            log("%s: %s done in %.1f s" % (name, module_name, time.monotonic() - t0))
        shutil.rmtree(work)
        with open(os.path.join(partial, "region.json"), "w", encoding="utf-8") as f:
            json.dump(dict(meta or {}, name=name, source=pbf, sha256=digest, bbox=bbox,
                           date=date, importers=list(importers), format=FORMAT,
                           imported=datetime.datetime.now(datetime.timezone.utc).isoformat()),
                      f, indent=1)
        old = os.path.join(cfg.regions_dir, "." + name + ".old")
        config.remove_region_folder(cfg.regions_dir, old)
        if os.path.exists(final):
            os.rename(final, old)
        os.rename(partial, final)
        config.remove_region_folder(cfg.regions_dir, old)
    except ImportError_:
        config.remove_region_folder(cfg.regions_dir, partial)
        raise
    except Exception as exc:
        config.remove_region_folder(cfg.regions_dir, partial)
        raise ImportError_("%s: import failed: %s" % (name, exc)) from exc
    progress(STAGES[importers[-1]][0] if importers else "", 100)
    log("%s imported in %.1f s into %s" % (name, time.monotonic() - started, final))
    return final


def main(argv=None):
    parser = argparse.ArgumentParser(description="Import an OpenStreetMap extract (.osm.pbf)")
    parser.add_argument("extract")
    parser.add_argument("--name", help="region name (default: from the file name)")
    parser.add_argument("--data", help="data folder (default: $MARLU_DATA or ~/.local/share/marlu)")
    # For the service, which runs imports as child processes:
    parser.add_argument("--progress", action="store_true",
                        help="print '#progress STAGE PERCENT' lines on standard output")
    parser.add_argument("--meta", type=json.loads, default=None,
                        help="JSON object added to region.json")
    parser.add_argument("--background", action="store_true",
                        help="run at a lower priority, so that the map keeps answering")
    args = parser.parse_args(argv)
    if args.background:
        os.nice(10)

    def progress(stage, percent):
        if args.progress:
            print("#progress %s %d" % (stage, percent), flush=True)
    try:
        import_region(args.extract, args.data, args.name, progress=progress, meta=args.meta)
    except ImportError_ as exc:
        sys.stderr.write("import-region: %s\n" % exc)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
