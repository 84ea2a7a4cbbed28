"""What the engine says of each word, as numbers the station can compute the same way from its
PageWords (and a second PageWords of the second reading). The definitions are in
station/selection/README.md; keep the two in step."""

import math

from . import align, text as texts

# The model's features (second_differs beside them with a second reading), and those measured and
# left out.
CHOSEN = ["word_doubt", "char_doubt"]
CANDIDATES = ["char_mean_doubt", "length", "height_off", "digit_mix", "inner_punct", "page_conf", "page_differs"]

DIGITS = set("0123456789")
# Punctuation as the station tells it: ASCII's and the typographic marks of German print.
PUNCTUATION = set("!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~") | set(
    texts.DOUBLE_QUOTES + texts.SINGLE_QUOTES + texts.DASHES + "\u00ac\u2026\u00a7\u2020\u2021\u00b7")


def median(values):
    values = sorted(values)
    if not values:
        return 0.0
    middle = len(values) // 2
    return float(values[middle]) if len(values) % 2 else (values[middle - 1] + values[middle]) / 2.0


def doubt(confidence):
    # 0 for a sure 100, rising steeply near it: the engine's confidences crowd at the top
    # (its characters' mostly above 98), where a point means more than it does at 50.
    return math.log(101.0 - confidence)


def second_word(word, second_words):
    """The second reading's word whose box shares the most area with this word's (the first in the
    second reading's order among equals); None when none shares any."""
    best, best_area = None, 0
    for other in second_words:
        shared = align.intersection(word.box, other.box)
        if shared > best_area:
            best, best_area = other, shared
    return best


def of_page(words, second_words=None):
    """A dict of features per word, in the page's order: the chosen ones and the candidates that
    were measured and left out (station/selection/README.md)."""
    heights = {}
    for word in words:
        if word.box[3] > 0:
            heights.setdefault(word.line, []).append(word.box[3])
    line_heights = {line: median(h) for line, h in heights.items()}
    page_conf = sum(w.confidence for w in words) / len(words) if words else 0.0
    rows = []
    for word in words:
        confidences = [c for _, c in word.characters]
        characters = list(word.text)
        line_height = line_heights.get(word.line, 0.0)
        height = word.box[3] / line_height if line_height > 0 and word.box[3] > 0 else 1.0
        letters = [c for c in characters if c not in DIGITS and c not in PUNCTUATION and c != " "]
        inner = characters[1:-1]
        lowest = min(confidences) if confidences else word.confidence
        row = {
            "conf": word.confidence,
            "char_min": lowest,
            "word_doubt": doubt(word.confidence),
            "char_doubt": doubt(lowest),
            "char_mean_doubt": doubt(sum(confidences) / len(confidences) if confidences else word.confidence),
            "length": float(len(characters)),
            "height_off": abs(math.log(height)),
            "digit_mix": float(bool(letters) and any(c in DIGITS for c in characters)),
            "inner_punct": float(any(c in PUNCTUATION for c in inner)),
            "page_conf": page_conf,
        }
        if second_words is not None:
            other = second_word(word, second_words)
            row["second_differs"] = float(other is None or texts.fold(other.text, True, False) !=
                                         texts.fold(word.text, True, False))
        rows.append(row)
    if second_words is not None:
        share = sum(r["second_differs"] for r in rows) / len(rows) if rows else 0.0
        for row in rows:
            row["page_differs"] = share
    return rows
