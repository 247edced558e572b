#!/usr/bin/env python3
"""Makes an N-times region from one extract, for measuring how the import and
the service grow with a region's size: N copies of the extract on a grid,
moved apart so that none overlaps another, each joined to its east and south
neighbours by a road, every id renumbered so that no two copies share one.
Each copy but the first has towns of its own: the names of its places and
municipal boundaries, and the towns its addresses and is_in tags name, get a
word of the copy glued on ("Beausoleil" -> "Beausoleilkafe"), so that the
copies' streets stay apart in the street index as a real country's do
(those outside every municipal boundary of the extract take the world
gazetteer's town near their copy, which neighbouring copies may share).

  make_scaled_region.py N OUT.osm.pbf [--extract FILE.osm.pbf]

The default extract is the shared Monaco one. Needs osmium (osmium-tool),
which converts the extract to OPL text and the result back to .osm.pbf.
Prints one JSON line: the copies, the grid, and the joining roads' end
nodes of the first and the last copy (the two ends of the longest route).
"""

import argparse
import json
import math
import os
import re
import subprocess
import sys
import tempfile

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FIXTURES = os.environ.get("MARLU_FIXTURES") or os.path.join(REPO, "..", "shared", "fixtures")
DEFAULT_EXTRACT = os.path.join(FIXTURES, "osm", "monaco.osm.pbf")

# Roads a car may take both ways: the joining roads end on them.
JOIN_HIGHWAYS = {"primary", "secondary", "tertiary", "unclassified", "residential"}
# Free space between copies, as a share of one copy's size.
GAP = 0.5
# Places too large to be a copy's own: the copies share their country.
SHARED_PLACES = {"continent", "country", "state", "region", "province", "county", "ocean",
                 "sea", "archipelago"}
# Municipal boundaries and smaller: districts, towns, quarters.
OWN_ADMIN_LEVEL = 7
NAME_KEY = re.compile(r"^(?:[a-z_]+_)?name(?::[A-Za-z_-]+)?$")
# Keys whose value names a town or a part of one.
TOWN_KEYS = {"addr:city", "addr:place", "addr:suburb", "addr:hamlet", "addr:district",
             "addr:subdistrict", "addr:quarter", "addr:neighbourhood", "addr:village",
             "addr:town", "addr:municipality"}
# Lists of the areas around an object, of any size: only the towns are renamed.
IS_IN_KEYS = {"is_in", "is_in:city", "is_in:town", "is_in:village", "is_in:municipality",
              "is_in:suburb"}
SYLLABLES = [c + v for c in "bdfgklmnprstvz" for v in "aeiou"]
# Where a copy's word goes in a tag template.
MARK = "\0"


class Extract:
    """The extract's objects as OPL fields, and what the copies need of them."""

    def __init__(self, lines):
        self.nodes, self.ways, self.relations = [], [], []
        for line in lines:
            fields = line.split(" ")
            kind = fields[0][0]
            if kind == "n":
                self.nodes.append(fields)
            elif kind == "w":
                self.ways.append(fields)
            elif kind == "r":
                self.relations.append(fields)
        # Dense new ids: the extract's objects in file order (sorted), then any
        # it refers to but does not hold, so one copy's ids never reach the next's.
        self.index = {"n": {}, "w": {}, "r": {}}
        for kind, objects in (("n", self.nodes), ("w", self.ways), ("r", self.relations)):
            for fields in objects:
                self.index[kind].setdefault(int(fields[0][1:]), len(self.index[kind]))
        for fields in self.ways:
            for ref in _field(fields, "N").split(","):
                if ref:
                    self._known("n", int(ref[1:]))
        for fields in self.relations:
            for member in _field(fields, "M").split(","):
                if member:
                    self._known(member[0], int(member[1:].split("@", 1)[0]))
        self.coords = {}
        for fields in self.nodes:
            x, y = _field(fields, "x"), _field(fields, "y")
            if x and y:
                self.coords[int(fields[0][1:])] = (float(x), float(y))
        if not self.coords:
            raise SystemExit("the extract has no node with a position")
        xs = [c[0] for c in self.coords.values()]
        ys = [c[1] for c in self.coords.values()]
        self.bbox = (min(xs), min(ys), max(xs), max(ys))
        self.anchors = self._anchors()
        self.towns = self._towns()
        # Per object with a town in its tags: its T field with MARK where a
        # copy's word goes (objects without one keep theirs as it is).
        self.templates = {}
        for objects in (self.nodes, self.ways, self.relations):
            for fields in objects:
                template = self._template(_field(fields, "T"))
                if template is not None:
                    self.templates[fields[0]] = template

    def _known(self, kind, old):
        self.index[kind].setdefault(old, len(self.index[kind]))

    def _anchors(self):
        """The west-, east-, north- and southernmost nodes of the largest
        network of two-way roads: an extract's edges cut roads into pieces
        that lead nowhere."""
        parent = {}

        def root(node):
            while parent[node] != node:
                parent[node] = parent[parent[node]]
                node = parent[node]
            return node

        for fields in self.ways:
            tags = dict(t.split("=", 1) for t in _field(fields, "T").split(",") if "=" in t)
            if tags.get("highway") not in JOIN_HIGHWAYS or tags.get("oneway", "no") != "no" \
                    or tags.get("access", "yes") not in ("yes", "permissive", "destination"):
                continue
            refs = [int(r[1:]) for r in _field(fields, "N").split(",") if r]
            for node in refs:
                parent.setdefault(node, node)
            for a, b in zip(refs, refs[1:]):
                parent[root(a)] = root(b)
        sizes = {}
        for node in parent:
            sizes[root(node)] = sizes.get(root(node), 0) + 1
        if not sizes:
            raise SystemExit("the extract has no two-way road to join the copies with")
        largest = max(sizes, key=sizes.get)
        placed = [n for n in parent if root(n) == largest and n in self.coords]
        return {
            "west": min(placed, key=lambda n: self.coords[n][0]),
            "east": max(placed, key=lambda n: self.coords[n][0]),
            "south": min(placed, key=lambda n: self.coords[n][1]),
            "north": max(placed, key=lambda n: self.coords[n][1]),
        }


    def _towns(self):
        """The casefolded names (every name tag) of the extract's towns and
        their parts: places and municipal boundaries."""
        found = set()
        for objects in (self.nodes, self.ways, self.relations):
            for fields in objects:
                tags = _tags(_field(fields, "T"))
                if _own_town(tags):
                    found.update(v.casefold() for k, v in tags.items() if NAME_KEY.match(k))
        return found

    def _template(self, field):
        """The T field with MARK after every town name, or None without one."""
        if not field:
            return None
        tags = _tags(field)
        own = _own_town(tags)
        out, marked = [], False
        for tag in field.split(","):
            key, eq, value = tag.partition("=")
            name = _unescape(key)
            if eq and value and ((own and NAME_KEY.match(name)) or name in TOWN_KEYS):
                tag += MARK
                marked = True
            elif eq and name in IS_IN_KEYS:
                # "Monaco;Europe": the towns of the list get the word, the rest stays.
                parts = re.split(r"([;,]\s*)", _unescape(value))
                if any(p.strip().casefold() in self.towns for p in parts[::2]):
                    parts = [_escape(p) + (MARK if i % 2 == 0 and p.strip().casefold()
                                           in self.towns else "")
                             for i, p in enumerate(parts)]
                    tag = key + "=" + "".join(parts)
                    marked = True
            out.append(tag)
        return ",".join(out) if marked else None


def _own_town(tags):
    """Whether an object with these tags is a town or part of one, which each
    copy has for itself."""
    if tags.get("place") and tags["place"] not in SHARED_PLACES:
        return True
    if tags.get("boundary") == "administrative":
        try:
            return int(tags.get("admin_level", "")) >= OWN_ADMIN_LEVEL
        except ValueError:
            return False
    return False


def _unescape(text):
    """OPL text: %HEX% stands for a character."""
    return re.sub(r"%([0-9a-fA-F]+)%", lambda m: chr(int(m.group(1), 16)), text) \
        if "%" in text else text


def _escape(text):
    return "".join(c if c.isprintable() and c not in " ,=@%" else "%%%x%%" % ord(c)
                   for c in text)


def _tags(field):
    return dict((_unescape(k), _unescape(v)) for k, _, v in
                (t.partition("=") for t in field.split(",") if t))


def copy_word(copy):
    """The word glued to the town names of a copy: none for the first,
    two syllables or more for the others, no two copies alike."""
    if copy == 0:
        return ""
    digits, rest = [], copy
    while rest or len(digits) < 2:
        digits.append(rest % len(SYLLABLES))
        rest //= len(SYLLABLES)
    # The second syllable moves with the first, so that neighbouring copies differ in both.
    digits[1] = (digits[1] + 29 * digits[0]) % len(SYLLABLES)
    return "".join(SYLLABLES[d] for d in digits)


def _field(fields, key):
    for field in fields[1:]:
        if field.startswith(key):
            return field[1:]
    return ""


def read_extract(path):
    result = subprocess.run(["osmium", "cat", path, "-f", "opl,add_metadata=false", "-o", "-"],
                            capture_output=True, text=True)
    if result.returncode != 0:
        raise SystemExit("%s: %s" % (path, result.stderr.strip() or "osmium failed"))
    return Extract(result.stdout.splitlines())


def write_region(extract, copies, out):
    """Writes the N-times region as OPL lines to out; returns what it made."""
    cols = math.ceil(math.sqrt(copies))
    west, south, east, north = extract.bbox
    step_x = (east - west) * (1 + GAP)
    step_y = (north - south) * (1 + GAP)
    counts = {kind: len(ids) for kind, ids in extract.index.items()}

    def new_id(kind, old, copy):
        return copy * counts[kind] + extract.index[kind][old] + 1

    def ref(kind, old, copy):
        return "%s%d" % (kind, new_id(kind, old, copy))

    def place(copy):
        # Rows go south, so that the grid stays clear of the pole for any N.
        return (copy % cols) * step_x, -(copy // cols) * step_y

    templates = extract.templates

    def tags(fields, word):
        return "T" + templates[fields[0]].replace(MARK, word)

    # Each node and way split once into its fixed text and what moves per copy:
    # at 128 copies the lines are written 30 million times.
    nodes = []
    for fields in extract.nodes:
        rest = ["T" + templates[fields[0]] if f[0] == "T" and fields[0] in templates else f
                for f in fields[1:]]
        at = [i for i, f in enumerate(rest) if f[0] in "xy" and len(f) > 1]
        if [rest[i][0] for i in at] != ["x", "y"] or at[1] != at[0] + 1:
            at = None  # no position (or an odd one): the line as it is
        nodes.append((extract.index["n"][int(fields[0][1:])],
                      " ".join([""] + (rest[:at[0]] if at else rest) + [""]),
                      float(rest[at[0]][1:]) if at else None,
                      float(rest[at[1]][1:]) if at else None,
                      " ".join([""] + rest[at[1] + 1:]) + "\n" if at else "\n",
                      fields[0] in templates))
    ways = []
    for fields in extract.ways:
        parts, refs = [], []
        for field in fields[1:]:
            if field[0] == "N":
                refs = [extract.index["n"][int(r[1:])] for r in field[1:].split(",") if r]
                parts.append(None)
            else:
                parts.append("T" + templates[fields[0]] if field[0] == "T" and
                             fields[0] in templates else field)
        ways.append((extract.index["w"][int(fields[0][1:])], parts, refs,
                     fields[0] in templates))

    for copy in range(copies):
        dx, dy = place(copy)
        word = copy_word(copy)
        first = copy * counts["n"] + 1
        for index, before, x, y, after, marked in nodes:
            if marked:
                before, after = before.replace(MARK, word), after.replace(MARK, word)
            out.write("n%d%s%s%s" % (first + index, before, "" if x is None else
                                     "x%.7f y%.7f" % (x + dx, y + dy), after))
    for copy in range(copies):
        word = copy_word(copy)
        first_node, first_way = copy * counts["n"] + 1, copy * counts["w"] + 1
        for index, parts, refs, marked in ways:
            line = ["w%d" % (first_way + index)]
            for part in parts:
                if part is None:
                    part = "N" + ",".join(["n%d" % (first_node + r) for r in refs])
                elif marked:
                    part = part.replace(MARK, word)
                line.append(part)
            out.write(" ".join(line) + "\n")
    # The joining roads: from each copy to its east and its south neighbour.
    next_way = copies * counts["w"] + 1
    joins = 0
    for copy in range(copies):
        neighbours = []
        if copy % cols + 1 < cols and copy + 1 < copies:
            neighbours.append((copy + 1, "east", "west"))
        if copy + cols < copies:
            neighbours.append((copy + cols, "south", "north"))
        for other, here, there in neighbours:
            out.write("w%d Thighway=primary,name=Scale%%20%%link%%20%%%d N%s,%s\n" % (
                next_way, next_way, ref("n", extract.anchors[here], copy),
                ref("n", extract.anchors[there], other)))
            next_way += 1
            joins += 1
    for copy in range(copies):
        word = copy_word(copy)
        for fields in extract.relations:
            line = [ref("r", int(fields[0][1:]), copy)]
            for field in fields[1:]:
                if field[0] == "T" and fields[0] in templates:
                    field = tags(fields, word)
                elif field[0] == "M":
                    members = []
                    for member in field[1:].split(","):
                        if member:
                            old, _, role = member[1:].partition("@")
                            members.append("%s@%s" % (ref(member[0], int(old), copy), role))
                    field = "M" + ",".join(members)
                line.append(field)
            out.write(" ".join(line) + "\n")

    def position(node, copy):
        dx, dy = place(copy)
        x, y = extract.coords[node]
        return [round(y + dy, 7), round(x + dx, 7)]

    return {"copies": copies, "columns": cols, "rows": math.ceil(copies / cols),
            "nodes": len(extract.nodes) * copies, "ways": len(extract.ways) * copies + joins,
            "relations": len(extract.relations) * copies, "joining_roads": joins,
            "towns_per_copy": len(extract.towns),
            "step": [step_x, step_y], "centre": [(south + north) / 2, (west + east) / 2],
            "first": position(extract.anchors["west"], 0),
            "last": position(extract.anchors["east"], copies - 1)}


def make(copies, path, extract_path=DEFAULT_EXTRACT):
    """Writes the N-times region of extract_path to path; returns its summary."""
    if copies < 1:
        raise SystemExit("N must be at least 1")
    extract = read_extract(extract_path)
    folder = os.path.dirname(os.path.abspath(path))
    with tempfile.NamedTemporaryFile("w", suffix=".opl", dir=folder, encoding="utf-8") as opl:
        summary = write_region(extract, copies, opl)
        opl.flush()
        result = subprocess.run(["osmium", "cat", "--overwrite", "-F", "opl", opl.name,
                                 "-o", path, "-f", "pbf"], capture_output=True, text=True)
    if result.returncode != 0:
        raise SystemExit("writing %s: %s" % (path, result.stderr.strip()))
    summary["bytes"] = os.path.getsize(path)
    return summary


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("copies", type=int, metavar="N")
    parser.add_argument("out", metavar="OUT.osm.pbf")
    parser.add_argument("--extract", default=DEFAULT_EXTRACT)
    args = parser.parse_args(argv)
    print(json.dumps(make(args.copies, args.out, args.extract)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
