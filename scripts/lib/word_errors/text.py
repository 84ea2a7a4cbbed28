"""When two readings of a word count as the same word, and how far apart two words are."""

import unicodedata

# The transcription's conventions that are not the engine's errors, each folded to one form.
# a, o, u with a small e above (combining U+0364, or the Medieval Unicode Font Initiative's
# private-use letters) are the umlauts; typographic quotes and dashes are the plain ones.
UMLAUTS = {"a\u0364": "ä", "o\u0364": "ö", "u\u0364": "ü", "A\u0364": "Ä", "O\u0364": "Ö", "U\u0364": "Ü",
           "\ue42c": "ä", "\ue644": "ö", "\ue72b": "ü"}
DOUBLE_QUOTES = "\u201e\u201c\u201d\u201f\u00ab\u00bb\u2033"   # „ “ ” ‟ « » ″
SINGLE_QUOTES = "\u201a\u2018\u2019\u201b\u2039\u203a\u2032"   # ‚ ‘ ’ ‛ ‹ › ′
DASHES = "\u2010\u2011\u2012\u2013\u2014\u2015\u2212\u2e17"     # ‐ ‑ ‒ – — ― − ⸗
LINE_END_HYPHENS = "=\u00ac"                                    # = ¬ as a word's last character
LONG_S = "\u017f"


def fold(text, long_s_as_s, transcription=True):
    """The word in the form compared: for a transcription NFC and the umlauts above; then quotes,
    dashes and a line-end hyphen, and ſ as s when asked. Two engine readings are compared without
    the first step (transcription=False), which the station does character by character."""
    if transcription:
        text = unicodedata.normalize("NFC", text)
        for written, meant in UMLAUTS.items():
            text = text.replace(written, meant)
    out = []
    for ch in text:
        if ch in DOUBLE_QUOTES:
            ch = '"'
        elif ch in SINGLE_QUOTES:
            ch = "'"
        elif ch in DASHES:
            ch = "-"
        elif ch == LONG_S and long_s_as_s:
            ch = "s"
        out.append(ch)
    if len(out) > 1 and out[-1] in LINE_END_HYPHENS:
        out[-1] = "-"
    return unicodedata.normalize("NFC", "".join(out)) if transcription else "".join(out)


def edit_distance(a, b):
    previous = list(range(len(b) + 1))
    for i, ca in enumerate(a, 1):
        current = [i]
        for j, cb in enumerate(b, 1):
            current.append(min(previous[j] + 1, current[j - 1] + 1, previous[j - 1] + (ca != cb)))
        previous = current
    return previous[-1]


def distance(a, b):
    """0 (the same) to 1 (nothing in common): edit distance over the longer length."""
    return edit_distance(a, b) / max(len(a), len(b), 1)
