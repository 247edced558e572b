"""Distances, durations and instructions worded as the directions service words them."""

import html
import math

COMPASS = ("north", "northeast", "east", "southeast", "south", "southwest", "west", "northwest")


def _half_up(x):
    return math.floor(x + 0.5)


def _plural(n, unit):
    return "%d %s%s" % (n, unit, "" if n == 1 else "s")


def _decimal(x):
    """One decimal under 100 ("0.3", "12.9"), whole numbers from there ("541", "1,204")."""
    tenths = _half_up(x * 10)
    if tenths < 1000:
        return "%d.%d" % divmod(tenths, 10)
    return "{:,}".format(_half_up(x))


def distance_text(metres, metric=True):
    """"15 m", "0.3 km", "12.9 km", "541 km"; imperial "492 ft", "0.2 mi", "336 mi"."""
    if metric:
        return "%d m" % metres if metres < 100 else _decimal(metres / 1000.0) + " km"
    miles = metres / 1609.344
    if miles < 0.095:
        return "{:,} ft".format(_half_up(metres / 0.3048))
    return _decimal(miles) + " mi"


def duration_text(seconds):
    """"1 min" at least, "9 mins", "1 hour 46 mins", "2 hours", "1 day 3 hours"."""
    minutes = max(1, _half_up(seconds / 60.0))
    if minutes < 60:
        return _plural(minutes, "min")
    hours, minutes = divmod(minutes, 60)
    if hours < 24:
        return _plural(hours, "hour") + (" " + _plural(minutes, "min") if minutes else "")
    days, hours = divmod(_half_up(seconds / 3600.0), 24)
    return _plural(days, "day") + (" " + _plural(hours, "hour") if hours else "")


def compass(degrees):
    return COMPASS[int((degrees % 360.0 + 22.5) // 45) % 8]


def bold(text):
    # Names come from map data and providers: escaped, as the client renders the markup.
    return "<b>%s</b>" % html.escape(text, quote=False)


def note(text):
    return '<div style="font-size:0.9em">%s</div>' % text


def turn(angle):
    """(words, maneuver) for a change of heading in degrees, right positive."""
    side = "right" if angle > 0 else "left"
    size = abs(angle)
    if size < 20:
        return None, "straight"
    if size < 60:
        return "Slight " + bold(side), "turn-slight-" + side
    if size < 135:
        return "Turn " + bold(side), "turn-" + side
    if size < 170:
        return "Sharp " + bold(side), "turn-sharp-" + side
    return "Make a " + bold("U-turn"), "uturn-" + side


def step_instruction(angle, road, same_road, toward=None, first_heading=None):
    """The html_instructions and maneuver of a step.

    angle: the turn onto it (None for the first step, then first_heading
    gives the way it heads); road: its name or None for an unnamed way.
    """
    if angle is None:
        text = "Head " + bold(compass(first_heading))
        if road:
            text += " on " + bold(road)
        if toward and toward != road:
            text += " toward " + bold(toward)
        return text, None
    words, maneuver = turn(angle)
    if words is None:
        if road and not same_road:
            return "Continue onto " + bold(road), None
        return "Continue straight" + (" to stay on " + bold(road) if road else ""), maneuver
    if road:
        words += (" to stay on " if same_road else " onto ") + bold(road)
    elif toward:
        words += " toward " + bold(toward)
    return words, maneuver


def ordinal(n):
    """"1st", "2nd", "3rd", "4th", "11th", "22nd"."""
    suffix = "th" if 10 <= n % 100 <= 20 else {1: "st", 2: "nd", 3: "rd"}.get(n % 10, "th")
    return "%d%s" % (n, suffix)


def roundabout_instruction(exit_number, road, driving_side):
    """The html_instructions and maneuver of a step that goes round a roundabout."""
    text = "At the roundabout, take the %s exit" % bold(ordinal(exit_number))
    if road:
        text += " onto " + bold(road)
    return text, "roundabout-" + driving_side


def destination_side(angle):
    """The note on the last step: the side of the way the destination lies on."""
    return note("Destination will be on the " + ("right" if angle > 0 else "left"))
