"""The weights file the station reads: a format line, then one `name value` per line; lines that
begin with # are comments. Described in station/selection/README.md."""

from . import logistic

FORMAT = "tarsil-word-errors 1"


def write(path, pages, names, source):
    pairs = [pair for page in pages for pair in page.matched_rows()]
    model = logistic.fit([r for r, _ in pairs], [float(w) for _, w in pairs], names)
    wrong = sum(w for _, w in pairs)
    lines = [FORMAT,
             "# p(wrong) = 1 / (1 + exp(-z)), z = intercept + sum of weight.F * (F - mean.F) / deviation.F",
             "# the features F are defined in README.md beside this file; refit with scripts/fit-word-errors",
             f"# fitted on {len(pairs)} words read one to one ({wrong} wrong, ſ and s different) of "
             f"{len({p.name for p in pages})} pages",
             f"# engine: {source}",
             f"# L2 regularisation {logistic.REGULARISATION} on the standardised weights",
             f"intercept {model.intercept:.6f}"]
    for name, mean, deviation, weight in zip(names, model.means, model.deviations, model.weights):
        lines += [f"mean.{name} {mean:.6f}", f"deviation.{name} {deviation:.6f}", f"weight.{name} {weight:.6f}"]
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
