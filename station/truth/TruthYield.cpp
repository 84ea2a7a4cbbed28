#include "TruthYield.h"

#include <cstdio>
#include <map>

#include "AuditDraw.h"
#include "InputError.h"
#include "PageAudit.h"
#include "PagePreparer.h"
#include "TruthText.h"
#include "Utf8.h"

namespace {

std::string Share(const std::optional<double>& share)
{
    if (!share) {
        return "null";
    }
    char text[32];
    static_cast<void>(std::snprintf(text, sizeof text, "%.6f", *share));
    return text;
}

// The page's words as the session read them: its recogniser output given, or the engine's kept.
PageWords WordsOf(const PlannedPage& planned, const StoredPage& stored)
{
    if (planned.ocr) {
        return planned.ocr->Words(planned.ocrPage);
    }
    std::wstring tsv;
    std::wstring hocr;
    Utf8ToWide(stored.tsv.path, tsv);
    Utf8ToWide(stored.hocr.path, hocr);
    PreparedPage page;
    PagePreparer::ReadEngineOutput(planned, tsv, hocr, page);
    if (!page.failure.empty()) {
        throw InputError(planned.image, page.failure);
    }
    return page.words;
}

} // namespace

TruthYield TruthYield::Count(const BatchPlan& plan, const SessionRecord& record, const TruthOperator& truths)
{
    TruthYield yield;
    for (size_t position = 0; position < plan.pages.size() && position < record.pages.size(); ++position) {
        const StoredPage& stored = record.pages[position];
        if (stored.state != PageState::kDone) {
            continue;
        }
        ++yield.pages;
        const PageWords words = WordsOf(plan.pages[position], stored);
        const TruthAlignment alignment = TruthAlignment::Match(words, truths.Truth(position));
        std::map<int, const VerifiedWord*> shown;
        for (const VerifiedWord& answer : stored.words) {
            if (answer.Answered()) {
                shown[answer.index] = &answer;
            }
        }
        for (const PageWords::Word& word : words.Words()) {
            const auto truth = alignment.Pairs().find(word.index);
            if (truth == alignment.Pairs().end()) {
                continue;
            }
            const bool wrong = TruthText::Wrong(word.text, truth->second);
            const auto answer = shown.find(word.index);
            const bool audit = answer != shown.end() && answer->second->chosenFor == AuditDraw::kReason;
            const bool wasShown = answer != shown.end() && !audit; // by the choice
            ++yield.words;
            yield.wrong += wrong ? 1 : 0;
            yield.longS += wrong && TruthText::Fold(word.text, true) == TruthText::Fold(truth->second, true) ? 1 : 0;
            yield.shown += wasShown ? 1 : 0;
            yield.caught += wasShown && wrong ? 1 : 0;
            yield.auditShown += audit ? 1 : 0;
            yield.auditWrong += audit && wrong ? 1 : 0;
        }
        const TruthAlignment::Counts& apart = alignment.Apart();
        yield.apart.merged += apart.merged;
        yield.apart.split += apart.split;
        yield.apart.added += apart.added;
        yield.apart.missed += apart.missed;
    }
    // The true share over the words the audit draws from: every word the choice did not take,
    // the audit's own among them. Without the audit's words (and the wrong ones it found) the
    // share would be of another set than the one its estimate is of, lower by the audit's finds.
    const int notChosen = yield.words - yield.shown;
    if (notChosen > 0) {
        yield.leftTrue = static_cast<double>(yield.wrong - yield.caught) / notChosen;
    }
    // The station's own estimate, from the audit's answers as the summary gives it.
    const std::optional<AuditEstimate::Interval> left = PageAudit::Estimate(record).LeftShare();
    if (left) {
        yield.leftEstimate = left->estimate;
        yield.leftLow = left->low;
        yield.leftHigh = left->high;
    }
    yield.shownUnmatched = truths.ShownUnmatched();
    return yield;
}

std::string TruthYield::Json() const
{
    const auto field = [](const char* name, const std::string& value) {
        return std::string("  \"") + name + "\": " + value;
    };
    const auto count = [&](const char* name, int value) { return field(name, std::to_string(value)); };
    return "{\n" + count("pages", pages) + ",\n" + count("words", words) + ",\n" + count("wrong", wrong) + ",\n" +
           count("long_s", longS) + ",\n" + count("shown", shown) + ",\n" + count("caught", caught) + ",\n" +
           count("audit_shown", auditShown) + ",\n" + count("audit_wrong", auditWrong) + ",\n" +
           field("left_estimate", Share(leftEstimate)) + ",\n" + field("left_low", Share(leftLow)) + ",\n" +
           field("left_high", Share(leftHigh)) + ",\n" + field("left_true", Share(leftTrue)) + ",\n" +
           count("merged", apart.merged) + ",\n" + count("split", apart.split) + ",\n" +
           count("added", apart.added) + ",\n" + count("missed", apart.missed) + ",\n" +
           count("shown_unmatched", shownUnmatched) + "\n}\n";
}

std::string TruthYield::Line() const
{
    return "against the truth: " + std::to_string(words) + " words read one to one, " + std::to_string(wrong) +
           " wrong (" + std::to_string(longS) + " by the long s), " + std::to_string(shown) + " shown, " +
           std::to_string(caught) + " caught; wrong among those not chosen " + Share(leftTrue) + "; apart: " +
           std::to_string(apart.merged) + " merged, " + std::to_string(apart.split) + " split, " +
           std::to_string(apart.added) + " added, " + std::to_string(apart.missed) + " missed";
}
