"""The ways of choosing the words to show, measured leave one book out: each book's figures come
from thresholds and weights fitted on the other books only."""

import math

from . import logistic


def expected_share_shown(probabilities, goal):
    """The station's rule for a page: its words in falling probability of error (the page's order
    among equals), shown until the expected share of the page's wrong words among them,
    1 - sum(p of the unshown) / sum(p of all), reaches the goal."""
    order = sorted(range(len(probabilities)), key=lambda i: (-probabilities[i], i))
    total = sum(probabilities)
    shown = [False] * len(probabilities)
    unshown = total
    for i in order:
        if total <= 0 or 1.0 - unshown / total >= goal:
            break
        shown[i] = True
        unshown -= probabilities[i]
    return shown


def threshold_for(values, wrong, already, goal):
    """The lowest threshold T such that showing the words whose value is at most T, beside those
    already shown, catches the goal's share of the wrong words."""
    needed = math.ceil(goal * sum(wrong) - 1e-9) - sum(1 for w, a in zip(wrong, already) if w and a)
    rest = sorted(v for v, w, a in zip(values, wrong, already) if w and not a)
    return -math.inf if needed <= 0 else rest[min(needed, len(rest)) - 1]


class Rule:
    """name; fit(training words) -> chooser; chooser(page) -> shown flag per word of the page."""

    def __init__(self, name, fit):
        self.name, self.fit = name, fit


def below_90(second):
    def fit(_):
        return lambda page: [r["conf"] < 90 or (second and r["second_differs"] > 0) for r in page.rows]
    return Rule("word confidence < 90", fit)


def threshold_rule(feature, label, second, goal=0.95):
    def fit(training):
        rows = [r for page in training for r, _ in page.matched_rows()]
        wrong = [w for page in training for _, w in page.matched_rows()]
        already = [bool(second and r["second_differs"] > 0) for r in rows]
        limit = threshold_for([r[feature] for r in rows], wrong, already, goal)
        return lambda page: [r[feature] <= limit or (second and r["second_differs"] > 0) for r in page.rows]
    return Rule(f"{label}, threshold set for {goal:.0%}", fit)


def fitted(training, names):
    pairs = [pair for page in training for pair in page.matched_rows()]
    return logistic.fit([r for r, _ in pairs], [float(w) for _, w in pairs], names), pairs


def model_rule(names, goal):
    """The station's rule: the page's expected share of its wrong words reaches the goal."""
    def fit(training):
        model, _ = fitted(training, names)
        return lambda page: expected_share_shown([model.probability(r) for r in page.rows], goal)
    return Rule(f"model, catch {goal:.0%}", fit)


def model_threshold_rule(names, goal=0.95):
    """The model's ranking with a fixed threshold on the probability, set as the others' are: it
    tells the ranking from the expected-share rule's stopping point."""
    def fit(training):
        model, pairs = fitted(training, names)
        limit = threshold_for([-model.probability(r) for r, _ in pairs], [w for _, w in pairs],
                              [False] * len(pairs), goal)
        return lambda page: [-model.probability(r) <= limit for r in page.rows]
    return Rule(f"model's probability, threshold set for {goal:.0%}", fit)


def leave_one_book_out(pages, rule, training_pages=None):
    """{book: (matched words, shown, wrong, wrong shown)}, each book chosen by what was fitted on
    the other books (of training_pages where given, else of pages)."""
    results = {}
    for book in sorted({p.book for p in pages}):
        chooser = rule.fit([p for p in (training_pages or pages) if p.book != book])
        counts = [0, 0, 0, 0]
        for page in (p for p in pages if p.book == book):
            shown = chooser(page)
            for i, wrong in page.matched:
                counts[0] += 1
                counts[1] += shown[i]
                counts[2] += wrong
                counts[3] += shown[i] and wrong
        results[book] = tuple(counts)
    return results


def held_out_log_loss(pages, names, training_pages=None):
    """The mean of -log(probability given to what happened) over every book's words read one to
    one, each book's from the weights fitted on the other books: lower is better, and it weighs
    how well the probabilities are calibrated, on which the expected-share rule depends."""
    total, count = 0.0, 0
    for book in sorted({p.book for p in pages}):
        model, _ = fitted([p for p in (training_pages or pages) if p.book != book], names)
        for page in (p for p in pages if p.book == book):
            for row, wrong in page.matched_rows():
                p = model.probability(row)
                total -= math.log(p if wrong else 1.0 - p)
                count += 1
    return total / count
