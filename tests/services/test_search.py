"""Search as a person uses it, over real HTTP: on the gazetteer that set-up
built ($MARLU_DATA), the real Harrisburg extract and two small made-up
extracts imported here, one in Liechtenstein and one in Baltimore, none with
town boundaries."""

import math
import os
import subprocess
import tempfile
import unittest
from urllib.parse import quote, urlencode

import support

from marlu_service import config, directions, geocoding, importregion

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
    # A suburb of Vaduz with a street, a house and a bar; a hamlet whose
    # houses are numbered on the hamlet (addr:place).
    40: (47.1330, 9.5180, {"place": "suburb", "name": "Ebenholz"}),
    41: (47.1332, 9.5183, {"addr:street": "Lochgass", "addr:housenumber": "5"}),
    42: (47.1328, 9.5178, {"amenity": "bar", "name": "Ebenholz-Bar"}),
    43: (47.1327, 9.5170, {}), 44: (47.1334, 9.5190, {}),
    50: (47.1030, 9.5570, {"place": "hamlet", "name": "Silum"}),
    51: (47.1032, 9.5574, {"addr:place": "Silum", "addr:housenumber": "6"}),
    # Two parts of Baltimore that name far bigger places elsewhere.
    60: (39.2830, -76.5930, {"place": "neighbourhood", "name": "Fells Point"}),
    61: (39.2800, -76.5760, {"place": "neighbourhood", "name": "Canton"}),
}
WAYS = {  # id: (nodes, tags)
    100: ([1, 2, 3], {"highway": "primary", "name": "Landstrasse"}),
    101: ([20, 21, 22, 23, 20], {"building": "yes", "addr:street": "Bahnhofstraße",
                                 "addr:housenumber": "15", "addr:postcode": "9494"}),
    102: ([31, 32], {"highway": "residential", "name": "Fleet Street"}),
    103: ([43, 44], {"highway": "residential", "name": "Lochgass"}),
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
    for extract in (write_extract(DATA.name), support.fixture("osm", "harrisburg.osm.pbf")):
        importregion.import_region(extract, DATA.name, log=lambda text: None,
                                   importers=("geocoding.osmindex",))
    SERVICE = support.InProcessService(config.Config(os.path.join(DATA.name, "none.ini"),
                                                     DATA.name))


def tearDownModule():
    SERVICE.close()
    DATA.cleanup()


VADUZ_VIEW = {"X-Marlu-View": "47.13,9.50,47.15,9.53"}
SPRINGFIELD_MA = {"X-Marlu-View": "42.0,-72.7,42.2,-72.4"}


class SearchCase(unittest.TestCase, support.ReplyChecks):
    def results(self, address, headers=None):
        status, resp, body = SERVICE.get(
            geocoding.PATH + "?" + urlencode({"address": address}, quote_via=quote),
            headers=headers)
        return self.check_xml_reply(status, resp, body, "GeocodeResponse").findall("result")

    def first(self, address, headers=None):
        found = self.results(address, headers)
        self.assertTrue(found, address)
        return found[0].findtext("formatted_address")


class SearchTest(SearchCase):

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
        # A view across the date line (west edge east of the east edge) is a view too.
        self.assertEqual(self.first("Ba", {"X-Marlu-View": "-20,179,-15,-179"}), "Ba, Fiji")

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
                          ("Fells Point", "neighborhood"),
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
                 "21231 Baltimore": "Baltimore, MD 21231, USA",
                 "South Second Street, Steelton": "S 2nd St, Steelton, PA, USA"}
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


def km(a, b):
    return 111.2 * math.hypot(a[0] - b[0], (a[1] - b[1]) * math.cos(math.radians(a[0])))


HARRISBURG_VIEW = {"X-Marlu-View": "40.20,-76.85,40.30,-76.75"}


class PlacesKindsAndAddressesTest(SearchCase):
    """Tables of queries on the real Harrisburg extract (its hamlets,
    interpolation lines, rivers and points of interest) and the made-up one."""

    def found(self, address, headers=None):
        """(types, location_type, point, {component type: long name}) of each result."""
        return [([t.text for t in r.findall("type")], r.findtext("geometry/location_type"),
                 support.point(r.find("geometry/location")),
                 {c.findtext("type"): c.findtext("long_name")
                  for c in r.findall("address_component")}) for r in self.results(address, headers)]

    def test_kinds_carry_their_type_in_every_form_and_language(self):
        cases = {  # query: (first type of every result, centre, reach in km)
            "schools in Paxtang": ("school", (40.2590, -76.8319), 2.5),
            "[restaurant] Highspire": ("restaurant", (40.2109, -76.7911), 8.0),
            "fuel near 40.2465,-76.8043": ("gas_station", (40.2465, -76.8043), 10.0),
            "Tankstellen, Highspire": ("gas_station", (40.2109, -76.7911), 8.0),
            "bars in Ebenholz": ("bar", (47.1330, 9.5180), 2.0)}
        for address, (first_type, centre, reach) in cases.items():
            with self.subTest(address=address):
                found = self.found(address)
                self.assertTrue(found)
                self.assertEqual({types[0] for types, _, _, _ in found}, {first_type})
                self.assertLessEqual(max(km(centre, p) for _, _, p, _ in found), reach)
        # Nearest first; the same list whatever the language or number.
        near = [km((40.2465, -76.8043), p) for _, _, p, _ in self.found(
            "restaurant near 40.2465,-76.8043")]
        self.assertEqual(near, sorted(near))
        lists = [self.results(w, HARRISBURG_VIEW) for w in ("school", "schools", "Schulen",
                                                             "koulut")]
        self.assertEqual(len({tuple(r.findtext("formatted_address") for r in found)
                              for found in lists}), 1, lists)

    def test_suburbs_and_hamlets_as_results_and_qualifiers(self):
        types, _, _, parts = self.found("Ridgeview")[0]
        self.assertEqual(types, ["locality", "political"])
        self.assertEqual((parts["administrative_area_level_2"], parts["country"]),
                         ("Dauphin County", "United States"))
        [(_, _, _, parts)] = self.found("Lochgass 5, Ebenholz, Vaduz")
        self.assertEqual((parts["street_number"], parts["sublocality"], parts["locality"],
                          parts["postal_code"]), ("5", "Ebenholz", "Vaduz", "9490"))
        for address in ("Delmont Avenue, Shope Gardens", "Delmont Avenue, Rutherford Gardens"):
            with self.subTest(address=address):
                self.assertEqual(self.found(address)[0][0], ["route"])

    def test_addresses_on_places_and_along_interpolation_lines(self):
        [(types, exact, (lat, lng), parts)] = self.found("6 Silum, Liechtenstein")
        self.assertEqual((exact, parts["street_number"], "route" in parts),
                         ("ROOFTOP", "6", False))
        self.assertEqual(parts["sublocality"], "Silum")
        ends = [self.found("%d Colony Drive" % n)[0] for n in (500, 570)]
        self.assertEqual({e[1] for e in ends}, {"ROOFTOP"})
        for number in (502, 530, 568):
            with self.subTest(number=number):
                [(_, how, point, parts)] = self.found("%d Colony Drive, PA" % number)
                self.assertEqual((how, parts["street_number"]), ("RANGE_INTERPOLATED",
                                                                 str(number)))
                # On the line, where its number falls between the ends.
                share = km(ends[0][2], point) / km(ends[0][2], ends[1][2])
                self.assertAlmostEqual(share, (number - 500) / 70, delta=0.15)
        self.assertEqual(self.found("571 Colony Drive")[0][1], "GEOMETRIC_CENTER")

    def test_natural_features_have_their_kind(self):
        for address, kind in (("Susquehanna River", "river"), ("Zimmerman Island", "island"),
                              ("Spring Creek, PA", "stream")):
            with self.subTest(address=address):
                self.assertEqual(self.found(address)[0][0], [kind, "natural_feature"])

    def test_coordinates_as_people_write_them(self):
        for written in ("40.2465,-76.8043", "40.2465\t-76.8043", "N 40.2465° W 76.8043°",
                        "40.2465° N, 76.8043° W", "40°14'47.4\"N 76°48'15.48\"W",
                        "W 76.8043 N 40.2465", "40° 14.79' N  76° 48.258' W"):
            with self.subTest(written=written):
                [(_, _, point, _)] = self.found(written)
                self.assertLess(km(point, (40.2465, -76.8043)), 0.01)
        # A name with a coordinate: the place of that name nearest to it.
        for written in ("susquehanna, 40.20,-76.75", "Susquehanna River, N 40.2° W 76.75°"):
            with self.subTest(written=written):
                types, _, point, _ = self.found(written)[0]
                self.assertEqual(types[0], "river")
                self.assertLess(km(point, (40.2, -76.75)), 10)

    def test_capitals_and_places_before_things_named_after_them(self):
        firsts = {"Hamilton": ["Hamilton, Bermuda"], "Luxembourg": ["Luxembourg"] * 2,
                  "Panamá": ["Panamá, Panama", "Panama"], "Monaco": ["Monaco"] * 2}
        for address, expected in firsts.items():
            with self.subTest(address=address):
                found = self.results(address)
                self.assertEqual([r.findtext("formatted_address")
                                  for r in found[:len(expected)]], expected)
                self.assertEqual(found[0].findtext("type"), "locality")

    def test_a_routes_ends_are_looked_up_near_each_other(self):
        cfg = config.Config(os.path.join(DATA.name, "none.ini"), DATA.name)
        finder = directions.Directions(cfg, geocoding.Geocoder(cfg))
        self.assertGreater(km(finder.resolve("Canton")[:2], (39.28, -76.576)), 1000)
        for ends in (("Fells Point", "Canton"), ("Canton", "Fells Point")):
            with self.subTest(ends=ends):
                for end in finder.resolve_ends(*ends):
                    self.assertLess(km(end[:2], (39.28, -76.58)), 3)
