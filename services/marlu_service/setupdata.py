"""Builds the service's derived data at set-up: the world's places, the demo
region and the low zooms of the tiles. Each step skips itself when its inputs
have not changed, so running this again costs next to nothing.

  setupdata.py [--data DIR] [--demo FILE.osm.pbf]
"""

import argparse
import os
import sys
import time

from . import SERVICES_DIR, config, importregion
from .geocoding import osmindex, places

# The demo region ships with the project, so that a plain clone has streets.
DEFAULT_DEMO = os.path.join(os.path.dirname(SERVICES_DIR), "data", "regions", "monaco.osm.pbf")


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
        # The places first; the tiles after the demo region, as they draw it.
        places.build(cfg, log)
        for region in cfg.regions():
            osmindex.refresh(region, log)
        if os.path.isfile(args.demo):
            importregion.import_region(args.demo, cfg.data_dir, log=log)
        else:
            log("no demo extract at %s; no street-level data" % os.path.normpath(args.demo))
        from .tiles import prerender   # Mapnik loads only here
        prerender.build(cfg, log)
    except importregion.ImportError_ as exc:
        log(str(exc))
        return 1
    log("data ready in %s (%.1f s)" % (cfg.data_dir, time.monotonic() - started))
    return 0


if __name__ == "__main__":
    sys.exit(main())
