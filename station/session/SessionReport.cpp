#include "SessionReport.h"

#include <cstdio>
#include <utility>

SessionReport::SessionReport(const StationOptions& options, const PreparedSession& session, PrintFn print)
    : m_options(options)
    , m_session(session)
    , m_print(std::move(print))
{
}

void SessionReport::Print(const SessionSummary& summary) const
{
    std::string line = std::to_string(summary.toVerify) + " words " + m_session.RuleText() +
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
    m_print(line);
    if (!summary.chosenFor.empty()) {
        // Why they were shown, as the selection told.
        line = "chosen:";
        const char* separator = " ";
        for (const auto& [reason, count] : summary.chosenFor) {
            line += separator + std::to_string(count) + " for " + reason;
            separator = ", ";
        }
        m_print(line);
    }
    if (!m_options.OnePageForm()) {
        // The batch as a whole, every run counted: what the store keeps.
        const StoredSummary& all = m_session.store->Record().summary;
        char pace[128];
        static_cast<void>(std::snprintf(pace, sizeof pace, "%.1f s a word, %.0f words an hour",
                                        all.shown > 0 ? all.operatorSeconds / all.shown : 0.0,
                                        all.operatorSeconds > 0 ? all.shown * 3600.0 / all.operatorSeconds : 0.0));
        line = std::to_string(all.pages) + " pages: " + std::to_string(all.pagesDone) + " done, " +
               std::to_string(all.pagesFailed) + " failed; " + std::to_string(all.shown) + " words shown, " +
               std::to_string(all.corrected) + " corrected, " + std::to_string(all.ignored) + " ignored, " +
               std::to_string(all.skipped) + " skipped; the operator " + pace;
        for (const std::string& failed : all.failedPages) {
            m_print(line);
            line = "failed: " + failed;
        }
        m_print(line);
    }
    m_print(m_session.files->WhereResults());
}
