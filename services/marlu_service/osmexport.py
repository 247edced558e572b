"""Running osmium-tool on an OpenStreetMap extract and reading what it exports;
the importers of the street index and of the street tiles share it."""

import json
import os
import subprocess
import tempfile


class OsmiumError(RuntimeError):
    pass


def osmium(args, timeout=3600):
    """osmium's standard output; OsmiumError says in one line why it failed."""
    try:
        result = subprocess.run(["osmium"] + args, capture_output=True, text=True,
                                errors="replace", timeout=timeout)
    except FileNotFoundError:
        raise OsmiumError("osmium is not installed (Debian package osmium-tool)")
    except subprocess.TimeoutExpired:
        raise OsmiumError("osmium %s took more than %d s" % (args[0], timeout))
    if result.returncode != 0:
        lines = result.stderr.strip().splitlines() or ["no output"]
        raise OsmiumError("osmium %s failed: %s" % (args[0], lines[-1][-300:]))
    return result.stdout


def features(pbf, export_config=None):
    """The extract's features as GeoJSON dicts, one at a time (osmium export
    writes them to a temporary file, which goes once they are read)."""
    with tempfile.TemporaryDirectory(prefix="marlu-osm-") as tmp:
        args = ["export", "-f", "geojsonseq", "-O", "-o", os.path.join(tmp, "features"), pbf]
        if export_config is not None:
            config_path = os.path.join(tmp, "export.json")
            with open(config_path, "w", encoding="utf-8") as f:
                json.dump(export_config, f)
            args[3:3] = ["-c", config_path]
        osmium(args)
        with open(os.path.join(tmp, "features"), encoding="utf-8") as f:
            for line in f:
                line = line.strip("\x1e \n")
                if line:
                    yield json.loads(line)
