"""Gives an installed service's user the data the package carries.

The package holds the derived data that set-up builds (the places index, the
demo region, the low zooms of the tiles) in a read-only default-data folder
beside the service. The service writes into its data folder (tiles rendered
on demand, imported regions, caches), so at the first start each top-level
entry that the user's folder lacks is copied there: about 100 MB, a second
or two, instead of the 40 s or more that building it would take.
"""

import os
import shutil
import sys

from . import SERVICES_DIR

DEFAULT_DATA = os.path.join(os.path.dirname(SERVICES_DIR), "default-data")


def seed(data_dir, source=DEFAULT_DATA, log=None):
    """Copies into data_dir what it lacks of source; returns the names copied."""
    log = log or (lambda text: sys.stderr.write("data: %s\n" % text))
    if not os.path.isdir(source):
        return []
    os.makedirs(data_dir, exist_ok=True)
    copied = []
    for name in sorted(os.listdir(source)):
        target = os.path.join(data_dir, name)
        if os.path.lexists(target):
            continue
        # Copied under a private name and renamed, so that an interrupted copy
        # is never taken for data, and two services starting at once agree.
        partial = os.path.join(data_dir, ".%s.partial-%d" % (name, os.getpid()))
        try:
            origin = os.path.join(source, name)
            if os.path.isdir(origin):
                shutil.copytree(origin, partial, symlinks=True)
            else:
                shutil.copy2(origin, partial)
            os.rename(partial, target)
            copied.append(name)
        except OSError as exc:
            if not os.path.lexists(target):   # else another service was quicker
                log("cannot copy %s into %s: %s" % (name, data_dir, exc))
        finally:
            if os.path.isdir(partial):
                shutil.rmtree(partial, ignore_errors=True)
            elif os.path.lexists(partial):
                os.remove(partial)
    if copied:
        log("copied the default %s from %s into %s" % (", ".join(copied), source, data_dir))
    return copied
