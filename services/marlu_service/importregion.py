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

PBF_MAGIC = b"OSMHeader"
# What the importers write: a region imported by an earlier format is imported
# again even from the same extract (2: travel times, water areas; 3: the
# street map's generalised tables for the low zooms).
FORMAT = 3


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
    if not folded or len(folded) > NAME_LIMIT or not re.fullmatch(r"[\w-]+", folded) \
            or not folded.strip("-"):
        raise ImportError_("%r is not a region name: use letters, digits, '-' and '_' "
                           "(at most %d characters)" % (name, NAME_LIMIT))
    return folded


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
    """(bbox, sorted): sorted is False for an extract whose objects are not in
    the order (nodes, ways, relations, each by id) the importers need."""
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
    return bbox, data.get("objects_ordered", True) is not False


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


def import_region(pbf, data_dir=None, name=None, log=None, importers=IMPORTERS):
    """Imports pbf; returns the region folder. Raises ImportError_ with one line."""
    log = log or (lambda text: sys.stderr.write("import: %s\n" % text))
    cfg = config.Config(data_dir=data_dir)
    pbf = os.path.abspath(pbf)
    name = checked_name(name) if name is not None else region_name(pbf)
    bbox, in_order = extract_info(pbf)
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
    try:
        work = os.path.join(partial, ".work")
        os.makedirs(work)
        source = pbf if in_order else sorted_extract(pbf, work, log)
        for module_name in importers:
            t0 = time.monotonic()
            MODULES[module_name].import_region(source, partial, log)
            log("%s: %s done in %.1f s" % (name, module_name, time.monotonic() - t0))
        shutil.rmtree(work)
        with open(os.path.join(partial, "region.json"), "w", encoding="utf-8") as f:
            json.dump({"name": name, "source": pbf, "sha256": digest, "bbox": bbox,
                       "importers": list(importers), "format": FORMAT,
                       "imported": datetime.datetime.now(datetime.timezone.utc).isoformat()},
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
    log("%s imported in %.1f s into %s" % (name, time.monotonic() - started, final))
    return final


def main(argv=None):
    parser = argparse.ArgumentParser(description="Import an OpenStreetMap extract (.osm.pbf)")
    parser.add_argument("extract")
    parser.add_argument("--name", help="region name (default: from the file name)")
    parser.add_argument("--data", help="data folder (default: $MARLU_DATA or ~/.local/share/marlu)")
    args = parser.parse_args(argv)
    try:
        import_region(args.extract, args.data, args.name)
    except ImportError_ as exc:
        sys.stderr.write("import-region: %s\n" % exc)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
