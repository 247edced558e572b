"""Search as a person uses it, over real HTTP: on the gazetteer that set-up
built ($MARLU_DATA) and two small made-up extracts imported here, one in
Liechtenstein and one in Baltimore, neither with town boundaries."""

import os
import subprocess
import tempfile
import unittest
from urllib.parse import quote, urlencode

import support

from marlu_service import config, geocoding, importregion

NODES = {  # id: (lat, lng, tags)
    1: (47.1390, 9.5210, {}), 2: (47.1420, 9.5225, {}), 3: (47.1450, 9.5240, {}),
    10: (47.1411, 9.5213, {"tourism": "museum", "name": "Liechtensteinisches Landesmuseum Vaduz"}),
    11: (47.1405, 9.5220, {"amenity": "pharmacy", "name": "Apotheke am Städtle"}),
    12: (47.1660, 9.5100, {"amenity": "pharmacy", "name": "Apotheke Schaan"}),
    13: (47.1410, 9.5230, {"amenity": "restaurant", "name": "Cologne"}),
    14: (47.1402, 9.5215, {"addr:street": "Städtle", "addr:housenumber": "12",
                           "addr:postcode": "9490"}),
    # One house as a point and as the building around it: one address.
    15: (47.16510, 9.50990, {"addr:street": "Bahnhofstraße", "addr:housenumber": "15",
                             "addr:postcode": "9494"}),
    20: (47.16500, 9.50980, {}), 21: (47.16500, 9.51000, {}), 22: (47.16520, 9.51000, {}),
    23: (47.16520, 9.50980, {}),
    30: (39.2846, -76.5930, {"addr:street": "Fleet Street", "addr:housenumber": "2022",
                             "addr:postcode": "21231"}),
    31: (39.2840, -76.5960, {}), 32: (39.2850, -76.5900, {}),
}
WAYS = {  # id: (nodes, tags)
    100: ([1, 2, 3], {"highway": "primary", "name": "Landstrasse"}),
    101: ([20, 21, 22, 23, 20], {"building": "yes", "addr:street": "Bahnhofstraße",
                                 "addr:housenumber": "15", "addr:postcode": "9494"}),
    102: ([31, 32], {"highway": "residential", "name": "Fleet Street"}),
}


def write_extract(folder):
    """The made-up extract as a sorted PBF file."""
    lines = ['<osm version="0.6">']
    for nid, (lat, lng, tags) in NODES.items():
        lines.append('<node id="%d" version="1" lat="%s" lon="%s">' % (nid, lat, lng))
        lines += ['<tag k="%s" v="%s"/>' % kv for kv in tags.items()] + ["</node>"]
    for wid, (nodes, tags) in WAYS.items():
        lines.append('<way id="%d" version="1">' % wid)
        lines += ['<nd ref="%d"/>' % n for n in nodes]
        lines += ['<tag k="%s" v="%s"/>' % kv for kv in tags.items()] + ["</way>"]
    xml = os.path.join(folder, "made-up.osm")
    with open(xml, "w", encoding="utf-8") as f:
        f.write("\n".join(lines + ["</osm>"]))
    pbf = os.path.join(folder, "made-up.osm.pbf")
    subprocess.run(["osmium", "cat", "-o", pbf, xml], check=True)
    return pbf


def setUpModule():
    global SERVICE, DATA
    DATA = tempfile.TemporaryDirectory(prefix="marlu-search-data-")
    os.symlink(config.Config().places_path, os.path.join(DATA.name, "places.sqlite"))
    importregion.import_region(write_extract(DATA.name), DATA.name, log=lambda text: None,
                               importers=("geocoding.osmindex",))
    SERVICE = support.InProcessService(config.Config(os.path.join(DATA.name, "none.ini"),
                                                     DATA.name))


def tearDownModule():
    SERVICE.close()
    DATA.cleanup()


VADUZ_VIEW = {"X-Marlu-View": "47.13,9.50,47.15,9.53"}
SPRINGFIELD_MA = {"X-Marlu-View": "42.0,-72.7,42.2,-72.4"}


class SearchTest(unittest.TestCase, support.ReplyChecks):
    def results(self, address, headers=None):
        status, resp, body = SERVICE.get(
            geocoding.PATH + "?" + urlencode({"address": address}, quote_via=quote),
            headers=headers)
        return self.check_xml_reply(status, resp, body, "GeocodeResponse").findall("result")

    def first(self, address, headers=None):
        found = self.results(address, headers)
        self.assertTrue(found, address)
        return found[0].findtext("formatted_address")

    def test_the_intended_place_comes_first(self):
        cases = {"Dili": "Dili, Timor-Leste", "Islamabad": "Islamabad, Pakistan",
                 "Bridgetown": "Bridgetown, Barbados",
                 # A place of the imported region beats Köln's alternate name.
                 "Cologne": "Cologne, 9490 Vaduz, Liechtenstein",
                 "Deutschland": "Germany", "US": "United States",
                 "United States Virgin Islands": "U.S. Virgin Islands"}
        for address, first in cases.items():
            with self.subTest(address=address):
                self.assertEqual(self.first(address), first)
        # The view and the own position lead to the Springfield there.
        self.assertNotEqual(self.first("Springfield"), "Springfield, MA, USA")
        self.assertEqual(self.first("Springfield", SPRINGFIELD_MA), "Springfield, MA, USA")
        self.assertEqual(self.first("Springfield", {"X-Marlu-Position": "42.1,-72.6"}),
                         "Springfield, MA, USA")
        self.assertEqual(self.first("Springfield", {"X-Marlu-View": "north,pole,x,y"}),
                         self.first("Springfield"))

    def test_streets_take_town_region_and_country_from_the_gazetteer(self):
        for address in ("Landstrasse, Vaduz", "Landstrasse, Liechtenstein", "Landstrasse, LI"):
            with self.subTest(address=address):
                self.assertEqual(self.first(address), "Landstrasse, 9490 Vaduz, Liechtenstein")
        self.assertEqual(self.results("Landstrasse, Germany"), [])
        [house] = self.results("Bahnhofstraße 15, Schaan")
        self.assertEqual(house.findtext("formatted_address"),
                         "Bahnhofstraße 15, 9494 Schaan, Liechtenstein")
        [baltimore] = self.results("2022 Fleet Street, Baltimore, MD")
        self.assertEqual(baltimore.findtext("formatted_address"),
                         "2022 Fleet St, Baltimore, MD 21231, USA")
        self.assertEqual([(c.findtext("short_name"), c.findtext("type"))
                          for c in baltimore.findall("address_component")],
                         [("2022", "street_number"), ("Fleet St", "route"),
                          ("Baltimore", "locality"),
                          ("City of Baltimore", "administrative_area_level_2"),
                          ("MD", "administrative_area_level_1"),
                          ("US", "country"), ("21231", "postal_code")])

    def test_typos_words_abbreviations_and_postcodes_are_forgiven(self):
        cases = {"Vadutz": "Vaduz, Liechtenstein",
                 "Landstrase": "Landstrasse, 9490 Vaduz, Liechtenstein",
                 "Landesmuseum": "Liechtensteinisches Landesmuseum Vaduz, 9490 Vaduz, "
                                 "Liechtenstein",
                 "Bahnhofstr. 15": "Bahnhofstraße 15, 9494 Schaan, Liechtenstein",
                 "2022 Fleet St": "2022 Fleet St, Baltimore, MD 21231, USA",
                 "9490": "9490 Vaduz, Liechtenstein",
                 "21231 Baltimore": "Baltimore, MD 21231, USA"}
        for address, first in cases.items():
            with self.subTest(address=address):
                self.assertEqual(self.first(address), first)

    def test_kinds_of_place_nearest_first(self):
        vaduz, schaan = "Apotheke am Städtle, 9490 Vaduz, Liechtenstein", \
            "Apotheke Schaan, 9494 Schaan, Liechtenstein"
        cases = {("pharmacy", "view"): [vaduz, schaan], ("Apotheken", "view"): [vaduz, schaan],
                 ("apteekki", "position"): [schaan, vaduz],
                 ("pharmacies in Schaan", None): [schaan],
                 ("pharmacy near Landstrasse", None): [vaduz, schaan],
                 ("ravintolat", "view"): ["Cologne, 9490 Vaduz, Liechtenstein"]}
        bias = {"view": VADUZ_VIEW, "position": {"X-Marlu-Position": "47.166,9.510"}, None: None}
        for (address, where), expected in cases.items():
            with self.subTest(address=address):
                self.assertEqual([r.findtext("formatted_address")
                                  for r in self.results(address, bias[where])], expected)
