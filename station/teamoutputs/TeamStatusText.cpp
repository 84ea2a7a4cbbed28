#include "TeamStatusText.h"

#include <cstdio>

namespace {

// A figure with `decimals` digits after the point, as the console shows it.
std::string Number(double value, int decimals)
{
    char text[64];
    static_cast<void>(std::snprintf(text, sizeof text, "%.*f", decimals, value));
    return text;
}

std::string Count(int count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string PageLabel(const TeamPageStatus& page)
{
    return "  page " + std::to_string(page.position) + " (" + page.name + "): ";
}

} // namespace

std::vector<std::string> TeamStatusText::Lines(const TeamStatus& status)
{
    std::vector<std::string> lines;
    lines.push_back("batch \"" + status.batch + "\": " + Count(status.pages, "page", "pages") + ": " +
                    std::to_string(status.waiting) + " waiting, " + std::to_string(status.recognised) +
                    " recognised, " + std::to_string(status.inProgress) + " in progress (" +
                    std::to_string(status.held) + " held), " + std::to_string(status.done) + " done, " +
                    std::to_string(status.failed) + " failed");
    for (const TeamPageStatus& page : status.pageStates) {
        if (page.held) {
            lines.push_back(PageLabel(page) + PageStateText(page.state) + ", held by " + page.holderOperator + " on " +
                            page.holderComputer + ", " + Number(page.leaseSecondsLeft, 0) + " s of its lease left");
        } else if (page.state == PageState::kInProgress) {
            // Its station stopped or lost the server: the next station to take a page
            // resumes it at its first unanswered word.
            lines.push_back(PageLabel(page) + "in progress, its lease ran out: the next station resumes it");
        } else if (page.state == PageState::kFailed) {
            lines.push_back(PageLabel(page) + "failed: " + page.failure);
        }
    }
    for (const TeamOperatorFigures& figures : status.operators) {
        lines.push_back("operator " + figures.operatorName + ": " + Count(figures.words, "word", "words") + " (" +
                        std::to_string(figures.corrected) + " corrected, " + std::to_string(figures.ignored) +
                        " ignored), " + std::to_string(figures.skipped) + " skipped; " +
                        Number(figures.SecondsAWord(), 1) + " s a word, " + Number(figures.WordsAnHour(), 0) +
                        " words an hour");
    }
    if (!status.shownFor.empty()) {
        // Why they were shown, as each station's selection told.
        std::string line = "shown:";
        const char* separator = " ";
        for (const auto& [reason, count] : status.shownFor) {
            line += separator + std::to_string(count) + " for " + (reason.empty() ? "a reason not kept" : reason);
            separator = ", ";
        }
        lines.push_back(line);
    }
    lines.push_back("the batch: " + Count(status.words, "word", "words") + " answered, " +
                    (status.answeringSeconds > 0 ? Number(status.WordsAnHour(), 0) + " words an hour"
                                                 : std::string("no pace before two answers")) +
                    " (from the first answer to the latest)");
    return lines;
}
