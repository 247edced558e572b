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
