#!/usr/bin/env python3
"""Makes an N-times region from an extract for the import benchmarks: N
copies side by side on a grid, ids renumbered per copy so that they do not
collide, written in the order the importers read (nodes, ways, relations,
each by id).

  scaled_region.py SOURCE.osm.pbf N OUT.osm.pbf
"""

import math
import subprocess
import sys

def _fields(line):
    return line.rstrip("\n").split(" ")


def main(source, copies, out):
    opl = subprocess.run(["osmium", "cat", "-f", "opl", "-o", "-", source], check=True,
                         capture_output=True, text=True).stdout.splitlines()
    by_type = {"n": [], "w": [], "r": []}
    for line in opl:
        by_type[line[0]].append(line)
    # Dense ids in the original order: copy i owns ids i*count+1 .. (i+1)*count.
    dense = {t: {int(_fields(l)[0][1:]): k + 1 for k, l in enumerate(lines)}
             for t, lines in by_type.items()}
    count = {t: len(v) for t, v in dense.items()}
    xs, ys = [], []
    for line in by_type["n"]:
        for f in _fields(line):
            if f[:1] == "x" and len(f) > 1:
                xs.append(float(f[1:]))
            elif f[:1] == "y" and len(f) > 1:
                ys.append(float(f[1:]))
    width, height = (max(xs) - min(xs)) * 1.1, (max(ys) - min(ys)) * 1.1
    side = math.ceil(math.sqrt(copies))
    sink = subprocess.Popen(["osmium", "cat", "-F", "opl", "--overwrite", "-o", out, "-"],
                            stdin=subprocess.PIPE, text=True)

    def renumber(i, kind, number):
        new = dense[kind].get(int(number))
        # A reference to an object outside the extract keeps a number no copy uses.
        return "%s%d" % (kind, i * count[kind] + new if new else
                         copies * count[kind] + int(number))

    for t in ("n", "w", "r"):
        for i in range(copies):
            dx, dy = (i % side) * width, (i // side) * height
            for line in by_type[t]:
                parts = _fields(line)
                parts[0] = renumber(i, t, parts[0][1:])
                for k, f in enumerate(parts[1:], 1):
                    if f[:1] == "x" and len(f) > 1:
                        parts[k] = "x%.7f" % (float(f[1:]) + dx)
                    elif f[:1] == "y" and len(f) > 1:
                        parts[k] = "y%.7f" % (float(f[1:]) + dy)
                    elif f[:1] in ("N", "M") and len(f) > 1:
                        parts[k] = f[0] + ",".join(
                            renumber(i, ref[0], ref[1:].split("@", 1)[0])
                            + ("@" + ref.split("@", 1)[1] if "@" in ref else "")
                            for ref in f[1:].split(","))
                sink.stdin.write(" ".join(parts) + "\n")
    sink.stdin.close()
    if sink.wait() != 0:
        sys.exit("osmium could not write %s" % out)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(sys.argv[1], int(sys.argv[2]), sys.argv[3])
