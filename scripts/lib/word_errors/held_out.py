"""The station's word choice measured held out: a batch per book of the truth pages, each with
weights fitted on the other books only, as scripts/measure-word-choice runs them.

    held_out.py prepare --cache DIR --truth DIR --work DIR [--tesseract PROGRAM]
        For each book: WORK/BOOK/batch (its images), WORK/BOOK/truth (their ground truth, apart:
        beside an image the station would take it for the page's recognised text) and WORK/BOOK/weights
        (word-errors.txt and word-errors-second.txt fitted as scripts/fit-word-errors fits the
        shipped ones, on the other books).
    held_out.py pool RUN...
        The yield.json of each run (a run's output folder), summed: the words the engine read
        one to one, shown and caught, the audit's, and each run's share left against its
        estimate's interval.
"""

import argparse
import json
import os
import shutil
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

from word_errors import engine, features, pages as truth_pages, weights  # noqa: E402

SECOND_MODELS = ("deu", "frk")  # the shipped second-reading weights are fitted on both


def prepare(args):
    model = engine.model_name(args.tesseract, "script/Fraktur")
    seconds = [engine.model_name(args.tesseract, s) for s in SECOND_MODELS]
    alone, _ = truth_pages.load(args.truth, args.tesseract, model, None, args.cache, False)
    read_twice = []
    for second in seconds:
        read_twice += truth_pages.load(args.truth, args.tesseract, model, second, args.cache, False)[0]
    source = f"{engine.version(args.tesseract)}, model {model}"
    for book in sorted({p.book for p in alone}):
        folder = os.path.join(args.work, book)
        batch, truth, fitted = (os.path.join(folder, name) for name in ("batch", "truth", "weights"))
        shutil.rmtree(folder, ignore_errors=True)
        for made in (batch, truth, fitted):
            os.makedirs(made)
        for image in truth_pages.images(args.truth):
            if truth_pages.book_of(os.path.splitext(os.path.basename(image))[0]) == book:
                shutil.copy(image, batch)
                shutil.copy(os.path.splitext(image)[0] + ".xml", truth)
        others = f"; held out: fitted without {book}"
        weights.write(os.path.join(fitted, "word-errors.txt"), [p for p in alone if p.book != book],
                      features.CHOSEN, f"{source}; no second reading{others}")
        weights.write(os.path.join(fitted, "word-errors-second.txt"), [p for p in read_twice if p.book != book],
                      features.CHOSEN + ["second_differs"],
                      f"{source}; the second reading by {' and by '.join(seconds)}{others}")
        print(book)


def percent(part, whole):
    return f"{100.0 * part / whole:.1f} %" if whole else "-"


def pool(args):
    total = {}
    covered = 0
    for run in args.runs:
        with open(os.path.join(run, "yield.json"), encoding="utf-8") as f:
            result = json.load(f)
        for name in ("words", "wrong", "shown", "caught", "audit_shown", "audit_wrong"):
            total[name] = total.get(name, 0) + result[name]
        # The true share over the words the rule did not choose, which the audit draws from
        # (as yield.json's left_true gives it), from the counts themselves.
        not_chosen = result["words"] - result["shown"]
        true = round((result["wrong"] - result["caught"]) / not_chosen, 6) if not_chosen else None
        low, high = result.get("left_low"), result.get("left_high")
        inside = low is not None and high is not None and true is not None and low <= true <= high
        covered += inside
        print(f"{os.path.basename(os.path.normpath(run))}: {result['shown']} of {result['words']} shown, "
              f"{result['caught']} of {result['wrong']} wrong caught; audit {result['audit_shown']} "
              f"({result['audit_wrong']} wrong); left {true} true, estimate {result.get('left_estimate')} "
              f"[{low}, {high}]{' holds it' if inside else ''}")
    print(f"pooled: {total['shown']} of {total['words']} shown ({percent(total['shown'], total['words'])}), "
          f"{total['caught']} of {total['wrong']} wrong caught ({percent(total['caught'], total['wrong'])}); "
          f"audit {total['audit_shown']} shown, {total['audit_wrong']} wrong; "
          f"the interval held the true share left in {covered} of {len(args.runs)} runs")


def main():
    parser = argparse.ArgumentParser()
    commands = parser.add_subparsers(dest="command", required=True)
    make = commands.add_parser("prepare")
    make.add_argument("--cache", required=True)
    make.add_argument("--truth", required=True)
    make.add_argument("--work", required=True)
    make.add_argument("--tesseract", default="tesseract")
    total = commands.add_parser("pool")
    total.add_argument("runs", nargs="+")
    args = parser.parse_args()
    prepare(args) if args.command == "prepare" else pool(args)


if __name__ == "__main__":
    main()
