"""Coordinates as people write them: "47.10791, 9.52676", "N 47.10791° E 9.52676°",
"47°06'28.5"N 9°31'36.3"E", "47° 6.475' N 9° 31.6' E", with a name before them or not."""

import re

# One way only to read a run of text: spaces are single (collapsed first), and
# each optional piece starts with something the one before cannot end with.
_NUMBER = r"[+-]?(?:[0-9]+(?:\.[0-9]*)?|\.[0-9]+)"
_DEGREES = (r"(?P<deg{i}>{n}) ?(?P<dsign{i}>°|d|deg)?"
            r"(?: ?(?P<min{i}>{n}) ?(?P<msign{i}>'))?(?: ?(?P<sec{i}>{n}) ?(?:\"))?")
# Hemisphere letters stand either before both numbers or after both.
_BEFORE = r"(?:(?P<h1{i}>[NSEW]) ?)?" + _DEGREES
_AFTER = _DEGREES + r"(?: ?(?P<h2{i}>[NSEW]))?"
_PAIRS = [re.compile("%s(?: ?[,;] ?| )%s" % (part.format(i=0, n=_NUMBER), part.format(i=1, n=_NUMBER)),
                     re.ASCII | re.IGNORECASE) for part in (_AFTER, _BEFORE)]
_MARKS = str.maketrans({"º": "°", "˚": "°", "′": "'", "’": "'", "″": '"', "”": '"',
                        "\t": " "})


def _value(match, i):
    degrees = float(match.group("deg%d" % i))
    minutes = match.group("min%d" % i)
    seconds = match.group("sec%d" % i)
    if minutes is not None or seconds is not None:
        if degrees != int(degrees) or (seconds is not None and minutes is None):
            return None, None
        minutes = float(minutes or 0)
        seconds = float(seconds or 0)
        if minutes >= 60 or seconds >= 60 or (seconds and minutes != int(minutes)):
            return None, None
        degrees = abs(degrees) + minutes / 60 + seconds / 3600
        if match.group("deg%d" % i).startswith("-"):
            degrees = -degrees
    groups = match.groupdict()
    hemisphere = (groups.get("h1%d" % i) or groups.get("h2%d" % i) or "").upper()
    if hemisphere in ("S", "W"):
        degrees = -abs(degrees)
    return degrees, hemisphere


def _marked(match):
    """Whether the pair says it is a coordinate: letters, degrees or decimals."""
    if any(match.groupdict().get(g) for g in ("h10", "h20", "h11", "h21", "dsign0", "dsign1")):
        return True
    return all("." in match.group("deg%d" % i) for i in (0, 1))


def parse(text):
    """(lat, lng) that the whole text writes, or None; out-of-range values are
    returned as they are, for the caller to refuse."""
    return _pair(" ".join(text.translate(_MARKS).split()), loose=True)


def _pair(text, loose):
    match = _PAIRS[0].fullmatch(text) or _PAIRS[1].fullmatch(text)
    if match is None or not (loose or _marked(match)):
        return None
    (a, ha), (b, hb) = _value(match, 0), _value(match, 1)
    if a is None or b is None:
        return None
    if ha in ("E", "W") and hb in ("N", "S", ""):
        a, b = b, a
    elif (ha and hb and (ha in "NS") == (hb in "NS")) or (hb in ("N", "S") and not ha):
        return None
    return a, b


def named(text):
    """(name, (lat, lng)) for a name followed by a coordinate that says it is
    one ("sporry weiher, N 47.10791° E 9.52676°"), or None."""
    text = " ".join(text.translate(_MARKS).split())
    # The first cut that leaves a coordinate: the longest one.
    for cut, ch in enumerate(text):
        if ch in ", ;":
            name = text[:cut].strip(" ,;")
            point = _pair(text[cut + 1:].strip(" ,;"), loose=False)
            if point is not None and any(c.isalpha() for c in name):
                return name, point
    return None
