#!/usr/bin/env python3
"""Builds the service's derived data at set-up: the world's places, the demo
region and the low zooms of the tiles. Each step skips itself when its inputs
have not changed, so running this again costs next to nothing.

  setupdata.py [--data DIR] [--demo FILE.osm.pbf]
"""

import argparse
import importlib
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
if HERE not in sys.path:
    sys.path.insert(0, HERE)

import config  # noqa: E402
import importregion  # noqa: E402

# The demo region ships with the project, so that a plain clone has streets.
DEFAULT_DEMO = os.path.join(os.path.dirname(HERE), "data", "regions", "monaco.osm.pbf")

# Modules with a build(cfg, log) function that runs before the demo import
# (the places) and after it (tiles that draw the regions).
BEFORE_IMPORT = ("geocoding.places",)
AFTER_IMPORT = ("tiles.prerender",)


def log(text):
    sys.stderr.write("set-up: %s\n" % text)
    sys.stderr.flush()


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", help="data folder (default: $MARLU_DATA or ~/.local/share/marlu)")
    parser.add_argument("--demo", default=os.environ.get("MARLU_DEMO_EXTRACT", DEFAULT_DEMO),
                        help="extract imported as the demo region")
    args = parser.parse_args(argv)
    cfg = config.Config(data_dir=args.data)
    os.makedirs(cfg.data_dir, exist_ok=True)
    started = time.monotonic()
    try:
        for name in BEFORE_IMPORT:
            importlib.import_module(name).build(cfg, log)
        if os.path.isfile(args.demo):
            importregion.import_region(args.demo, cfg.data_dir, log=log)
        else:
            log("no demo extract at %s; no street-level data" % os.path.normpath(args.demo))
        for name in AFTER_IMPORT:
            importlib.import_module(name).build(cfg, log)
    except importregion.ImportError_ as exc:
        log(str(exc))
        return 1
    log("data ready in %s (%.1f s)" % (cfg.data_dir, time.monotonic() - started))
    return 0


if __name__ == "__main__":
    sys.exit(main())
