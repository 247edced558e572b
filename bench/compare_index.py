#!/usr/bin/env python3
"""Compares two street indexes (index.sqlite) of one extract row by row:
kind, name, house number, town, postcode, areas, district, location type,
kind cell and position rounded to 1e-7 degrees, in the order they were written. Prints the differences;
exits 1 when there are any.

  compare_index.py BEFORE.sqlite AFTER.sqlite
"""

import sqlite3
import sys

COLUMNS = ("kind, name, housenumber, street, postcode, town, round(lat, 7), round(lng, 7), "
           "round(south, 7), round(west, 7), round(north, 7), round(east, 7), types, "
           "locality, admin2, admin1, admin1_code, country, category, key, ckey, number_key")


# Columns of the later schemas, compared where the index has them.
LATER = ("district", "district_kind", "location_type", "cell")


def rows(path):
    con = sqlite3.connect("file:%s?mode=ro" % path, uri=True)
    have = {r[1] for r in con.execute("PRAGMA table_info(features)")}
    columns = ", ".join([COLUMNS] + [c for c in LATER if c in have])
    found = con.execute("SELECT %s FROM features ORDER BY rowid" % columns).fetchall()
    fuzzy = sorted(r[0] for r in con.execute("SELECT key FROM fuzzy"))
    con.close()
    return found, fuzzy


def main(before, after):
    (a, fa), (b, fb) = rows(before), rows(after)
    differences = 0
    if fa != fb:
        print("the fuzzy keys differ: %d before, %d after" % (len(fa), len(fb)))
        differences += 1
    if sorted(a) != sorted(b):
        gone, new = set(a) - set(b), set(b) - set(a)
        for row in sorted(gone)[:20]:
            print("- %r" % (row,))
        for row in sorted(new)[:20]:
            print("+ %r" % (row,))
        differences += len(gone) + len(new)
    elif a != b:
        print("the same %d rows in another order" % len(a))
        differences += 1
    print("%d rows before, %d after, %d differences" % (len(a), len(b), differences))
    return 1 if differences else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
