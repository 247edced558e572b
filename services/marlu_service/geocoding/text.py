"""How typed names are compared: without accents, case or punctuation."""

import re
import unicodedata

# Letters NFKD does not split into base letter plus accent.
_FOLD = str.maketrans({
    "ø": "o", "æ": "ae", "œ": "oe", "ł": "l", "đ": "d", "ð": "d", "þ": "th", "ı": "i",
    "ß": "ss", "&": " and ",
    # "Saint John's" and "Saint Johns" should meet.
    "'": None, "\u2018": None, "\u2019": None, "\u02bc": None, "`": None,
})
_SEPARATORS = re.compile(r"[\W_]+")


def normalise(text):
    """Key for comparing names: no accents, no case, single spaces, no punctuation."""
    if not text.isascii():
        text = unicodedata.normalize("NFKD", text)
        text = "".join(ch for ch in text if not unicodedata.combining(ch))
    text = text.casefold().translate(_FOLD)
    return _SEPARATORS.sub(" ", text).strip()


def compact(text):
    # Qualifiers are compared without spaces so "U.S.A." reads as "usa".
    return normalise(text).replace(" ", "")


# Street words and their abbreviations meet in one form, so that "Fleet St",
# "N 2nd Street" and "Bahnhofstr." find what the map spells out in full.
_SHORT = {
    "street": "st", "saint": "st", "avenue": "ave", "av": "ave", "boulevard": "bd",
    "blvd": "bd", "boul": "bd", "place": "pl", "road": "rd", "drive": "dr", "lane": "ln",
    "court": "ct", "square": "sq", "mount": "mt", "fort": "ft", "highway": "hwy",
    "north": "n", "south": "s", "east": "e", "west": "w", "strasse": "str", "platz": "pl",
    # "North Second Street" is "N 2nd St".
    "first": "1st", "second": "2nd", "third": "3rd", "fourth": "4th", "fifth": "5th",
    "sixth": "6th", "seventh": "7th", "eighth": "8th", "ninth": "9th", "tenth": "10th",
    "eleventh": "11th", "twelfth": "12th", "thirteenth": "13th", "fourteenth": "14th",
    "fifteenth": "15th", "sixteenth": "16th", "seventeenth": "17th", "eighteenth": "18th",
    "nineteenth": "19th", "twentieth": "20th",
}


def canonical(text):
    """normalise(text) with street words and their abbreviations made one."""
    words = []
    for word in normalise(text).split():
        if len(word) > 7 and word.endswith("strasse"):
            word = word[:-4]  # Bahnhofstrasse and Bahnhofstr.
        words.append(_SHORT.get(word, word))
    return " ".join(words)


def within_edits(a, b, limit):
    """Whether a and b are at most limit insertions, deletions or substitutions
    apart; only the band around the diagonal is computed."""
    if abs(len(a) - len(b)) > limit:
        return False
    previous = list(range(len(b) + 1))
    for i, ca in enumerate(a, 1):
        current = [i] + [limit + 1] * len(b)
        for j in range(max(1, i - limit), min(len(b), i + limit) + 1):
            current[j] = min(previous[j] + 1, current[j - 1] + 1,
                             previous[j - 1] + (ca != b[j - 1]))
        if min(current) > limit:
            return False
        previous = current
    return previous[-1] <= limit


# Longer than any name; the typos of a longer text are not looked for, as
# they are many (each letter's every variant) and match nothing.
MAX_FUZZY_LETTERS = 64


def allowed_edits(key):
    """Typos forgiven in a typed name: none below 4 letters, one up to 7, then two."""
    letters = len(key.replace(" ", ""))
    return 0 if letters < 4 or letters > MAX_FUZZY_LETTERS else 1 if letters < 8 else 2


def one_edit_variants(key):
    """Every text one deletion, swap, substitution or insertion away from key."""
    letters = "abcdefghijklmnopqrstuvwxyz "
    splits = [(key[:i], key[i:]) for i in range(len(key) + 1)]
    found = {a + b[1:] for a, b in splits if b}
    found |= {a + b[1] + b[0] + b[2:] for a, b in splits if len(b) > 1}
    found |= {a + c + b[1:] for a, b in splits if b for c in letters}
    found |= {a + c + b for a, b in splits for c in letters}
    found.discard(key)
    return found


def pieces(key, edits):
    """edits + 1 pieces of key, at least 3 letters each where the key allows: one
    of them survives that many typos intact."""
    count = edits + 1
    size = len(key) / count
    parts = [key[round(i * size):round((i + 1) * size)] for i in range(count)]
    return [p for p in parts if len(p.strip()) >= 3]
