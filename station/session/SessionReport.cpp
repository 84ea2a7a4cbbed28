#include "SessionReport.h"

#include <cstdio>

#include "Utf8.h"

SessionReport::SessionReport(SessionState& state)
    : m_state(state)
{
}

void SessionReport::Print(const SessionSummary& summary) const
{
    std::string line = std::to_string(summary.toVerify) + " words below " +
                       SessionState::Number(m_state.options.below) +
                       ": " + std::to_string(summary.ok) + " ok (" + std::to_string(summary.corrected) +
                       " corrected, " + std::to_string(summary.forTraining) + " for training), " +
                       std::to_string(summary.ignored) + " ignored, " + std::to_string(summary.skipped) + " skipped";
    if (summary.earlier > 0) {
        line += ", " + std::to_string(summary.earlier) + " answered earlier";
    }
    if (summary.cancelled) {
        line += "; cancelled, the rest waits for the next run";
    } else if (summary.pagesFailed == 0 && summary.pagesUnwritten == 0) {
        line += "; session complete";
    }
    if (summary.pagesFailed > 0) {
        line += summary.pagesFailed == 1 ? "; 1 page failed, a later run tries it again"
                                         : "; " + std::to_string(summary.pagesFailed) +
                                               " pages failed, a later run tries them again";
    }
    if (summary.pagesUnwritten > 0) {
        line += "; incomplete: the files of " + std::to_string(summary.pagesUnwritten) +
                (summary.pagesUnwritten == 1 ? " page" : " pages") + " could not be written, a later run writes them";
    }
    if (!m_state.options.OnePageForm()) {
        // The batch as a whole, every run counted: what the store keeps.
        const StoredSummary& all = m_state.store->Record().summary;
        char pace[128];
        static_cast<void>(std::snprintf(pace, sizeof pace, "%.1f s a word, %.0f words an hour",
                                        all.shown > 0 ? all.operatorSeconds / all.shown : 0.0,
                                        all.operatorSeconds > 0 ? all.shown * 3600.0 / all.operatorSeconds : 0.0));
        m_state.print(line);
        line = std::to_string(all.pages) + " pages: " + std::to_string(all.pagesDone) + " done, " +
               std::to_string(all.pagesFailed) + " failed; " + std::to_string(all.shown) + " words shown, " +
               std::to_string(all.corrected) + " corrected, " + std::to_string(all.ignored) + " ignored, " +
               std::to_string(all.skipped) + " skipped; the operator " + pace;
        for (const std::string& failed : all.failedPages) {
            m_state.print(line);
            line = "failed: " + failed;
        }
    }
    m_state.print(line);
    if (!m_state.store->SharedWithOtherStations()) {
        m_state.print("results in " + WideToUtf8(m_state.folder));
    } else {
        m_state.print("answers kept in the team's batch " + WideToUtf8(m_state.options.batch));
    }
}
