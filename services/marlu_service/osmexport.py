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


def lines(args):
    """osmium's standard output line by line, as it writes it: for outputs
    as large as the extract. OsmiumError after the last line when it failed."""
    with tempfile.TemporaryFile("w+", encoding="utf-8", errors="replace") as errors:
        try:
            proc = subprocess.Popen(["osmium"] + args, stdout=subprocess.PIPE, stderr=errors,
                                    encoding="utf-8", errors="replace")
        except FileNotFoundError:
            raise OsmiumError("osmium is not installed (Debian package osmium-tool)")
        try:
            yield from proc.stdout
            proc.stdout.close()
            code = proc.wait()
        finally:
            if proc.poll() is None:  # the reader stopped early or failed
                proc.kill()
                proc.wait()
        if code != 0:
            errors.seek(0)
            last = errors.read().strip().splitlines() or ["no output"]
            raise OsmiumError("osmium %s failed: %s" % (args[0], last[-1][-300:]))


def features(pbf, export_config=None, marks=None):
    """The extract's features as GeoJSON dicts, one at a time, read from
    osmium export as it writes them: neither the export nor its reader holds
    the whole extract. marks: texts of which a feature's line must hold one
    (e.g. '"name":'), so that the others are not even parsed; None: all."""
    with tempfile.TemporaryDirectory(prefix="marlu-osm-") as tmp:
        # Node locations go to a file rather than memory, so that the export
        # of a large extract needs little more memory than a small one.
        args = ["export", "-f", "geojsonseq", "-i",
                "sparse_file_array," + os.path.join(tmp, "locations"), "-o", "-", pbf]
        if export_config is not None:
            config_path = os.path.join(tmp, "export.json")
            with open(config_path, "w", encoding="utf-8") as f:
                json.dump(export_config, f)
            args[1:1] = ["-c", config_path]
        for line in lines(args):
            if marks is not None and not any(mark in line for mark in marks):
                continue
            line = line.strip("\x1e \n")
            if line:
                yield json.loads(line)
