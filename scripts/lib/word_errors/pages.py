"""The truth pages read by the engine: each word's features, and for the words read one to one
whether the engine read them wrong."""

import glob
import os
import re
from collections import Counter

from . import align, engine, features, reading, text as texts, truth


class Page:
    def __init__(self, name, book, words, rows, pairs, counts, long_s_as_s):
        self.name, self.book, self.words, self.rows, self.counts = name, book, words, rows, counts
        position = {id(w): i for i, w in enumerate(words)}
        self.matched = [(position[id(w)], texts.fold(w.text, long_s_as_s) != texts.fold(t, long_s_as_s))
                        for w, t in pairs]
        self.pairs = pairs

    def matched_rows(self):
        return [(self.rows[i], wrong) for i, wrong in self.matched]


def book_of(name):
    # clauren_mimil_1815_0023: the book is the name without its page number
    return re.sub(r"_\d+$", "", name)


def images(folder):
    found = [p for p in sorted(glob.glob(os.path.join(folder, "*")))
             if os.path.splitext(p)[1].lower() in (".tif", ".tiff", ".jpg", ".jpeg", ".png")
             and os.path.exists(os.path.splitext(p)[0] + ".xml")]
    if not found:
        raise SystemExit(f"no images with PAGE ground truth beside them in {folder}")
    return found


def load(folder, program, model, second_model, cache, long_s_as_s):
    """Every page of the folder; the runs' records {model: [record per page]} beside."""
    pages, runs = [], {}
    for image in images(folder):
        name = os.path.splitext(os.path.basename(image))[0]
        tsv, hocr, run = engine.recognise(program, image, model, cache)
        runs.setdefault(model, []).append(run)
        words = reading.page_words(tsv, hocr)
        second = None
        if second_model:
            tsv2, hocr2, run2 = engine.recognise(program, image, second_model, cache)
            runs.setdefault(second_model, []).append(run2)
            second = reading.page_words(tsv2, hocr2)
        pairs, counts = align.align(words, truth.read(os.path.splitext(image)[0] + ".xml"))
        pages.append(Page(name, book_of(name), words, features.of_page(words, second), pairs, counts, long_s_as_s))
    return pages, runs


def alignment_counts(pages):
    total = Counter()
    for page in pages:
        total += page.counts
    return total
