"""The one writer of the XML replies, laid out as the Google web services write them.

Every back-end (offline data, online providers) hands its answer to these
functions as plain dicts, so the application always reads the same format.
"""

import re
import xml.etree.ElementTree as ET

CONTENT_TYPE = "application/xml; charset=UTF-8"
DECLARATION = '<?xml version="1.0" encoding="UTF-8"?>\n'

# Characters XML 1.0 cannot carry at all, not even escaped.
_NOT_XML = re.compile("[\x00-\x08\x0b\x0c\x0e-\x1f\ud800-\udfff\ufffe\uffff]")


def element(parent, tag, text=None):
    node = ET.SubElement(parent, tag)
    if text is not None:
        node.text = _NOT_XML.sub("", text)
    return node


def degrees(value):
    # Seven decimals, as the service writes them; never "-0.0000000".
    text = "%.7f" % value
    return text[1:] if text == "-0.0000000" else text


def lat_lng(parent, tag, lat, lng):
    node = element(parent, tag)
    element(node, "lat", degrees(lat))
    element(node, "lng", degrees(lng))


def box(parent, tag, bounds):
    south, west, north, east = bounds
    node = element(parent, tag)
    lat_lng(node, "southwest", south, west)
    lat_lng(node, "northeast", north, east)


def value_text(parent, tag, value, text):
    node = element(parent, tag)
    element(node, "value", str(value))
    element(node, "text", text)


def _document(root):
    ET.indent(root, space=" ")
    return (DECLARATION + ET.tostring(root, encoding="unicode") + "\n").encode("utf-8")


def geocode_document(status, results=(), error_message=None):
    """A GeocodeResponse as UTF-8 bytes.

    Each result: types, formatted_address, components [(long, short, kinds)],
    location (lat, lng), location_type, viewport and bounds (south, west,
    north, east; bounds may be None), place_id.
    """
    root = ET.Element("GeocodeResponse")
    element(root, "status", status)
    if error_message:
        element(root, "error_message", error_message)
    for r in results:
        result = element(root, "result")
        for kind in r["types"]:
            element(result, "type", kind)
        element(result, "formatted_address", r["formatted_address"])
        for long_name, short_name, kinds in r["components"]:
            component = element(result, "address_component")
            element(component, "long_name", long_name)
            element(component, "short_name", short_name)
            for kind in kinds:
                element(component, "type", kind)
        geometry = element(result, "geometry")
        lat_lng(geometry, "location", *r["location"])
        element(geometry, "location_type", r["location_type"])
        box(geometry, "viewport", r["viewport"])
        if r.get("bounds"):
            box(geometry, "bounds", r["bounds"])
        element(result, "place_id", r["place_id"])
    return _document(root)


def directions_document(status, routes=(), waypoints=(), error_message=None):
    """A DirectionsResponse as UTF-8 bytes.

    Each route: summary, travel_mode ("DRIVING", ...), steps, duration and
    distance (value, text), start and end (lat, lng), start_address,
    end_address, copyrights, overview_polyline, warnings (list of texts),
    bounds (south, west, north, east). Each step: start and end (lat, lng),
    polyline, duration and distance (value, text), instructions, maneuver
    (or None).
    waypoints: each a dict with types and place_id, None for an end the
    geocoder did not find (NOT_FOUND), or, when no route was found, None for
    both (written empty, as the service does).
    """
    root = ET.Element("DirectionsResponse")
    element(root, "status", status)
    if error_message:
        element(root, "error_message", error_message)
    for route in routes:
        _route(root, route)
    for waypoint in waypoints:
        node = element(root, "geocoded_waypoint")
        if status == "ZERO_RESULTS":
            continue
        element(node, "geocoder_status", "ZERO_RESULTS" if waypoint is None else "OK")
        if waypoint is not None:
            for kind in waypoint["types"]:
                element(node, "type", kind)
            element(node, "place_id", waypoint["place_id"])
    ET.indent(root, space=" ")
    # Written as the service writes them: quotes in text escaped (style=&quot;
    # ...&quot;) and empty elements as <tag/>. The document has no attributes,
    # so every quote is in text, and text cannot hold "/>" as ">" is escaped.
    text = ET.tostring(root, encoding="unicode").replace('"', "&quot;").replace(" />", "/>")
    return (DECLARATION + text + "\n").encode("utf-8")


def _route(root, route):
    node = element(root, "route")
    element(node, "summary", route["summary"])
    leg = element(node, "leg")
    for step in route["steps"]:
        s = element(leg, "step")
        element(s, "travel_mode", route["travel_mode"])
        lat_lng(s, "start_location", *step["start"])
        lat_lng(s, "end_location", *step["end"])
        element(element(s, "polyline"), "points", step["polyline"])
        value_text(s, "duration", *step["duration"])
        element(s, "html_instructions", step["instructions"])
        value_text(s, "distance", *step["distance"])
        if step.get("maneuver"):
            element(s, "maneuver", step["maneuver"])
    value_text(leg, "duration", *route["duration"])
    value_text(leg, "distance", *route["distance"])
    lat_lng(leg, "start_location", *route["start"])
    lat_lng(leg, "end_location", *route["end"])
    element(leg, "start_address", route["start_address"])
    element(leg, "end_address", route["end_address"])
    element(node, "copyrights", route["copyrights"])
    element(element(node, "overview_polyline"), "points", route["overview_polyline"])
    for warning in route.get("warnings", ()):
        element(node, "warning", warning)
    box(node, "bounds", route["bounds"])
