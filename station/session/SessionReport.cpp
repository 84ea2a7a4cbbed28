#include "SessionReport.h"

#include <cstdio>
#include <utility>

#include "PageAudit.h"

namespace {

std::string Percent(double share)
{
    char text[32];
    static_cast<void>(std::snprintf(text, sizeof text, "%.1f", share * 100));
    return text;
}

std::string WithInterval(const AuditEstimate::Interval& interval)
{
    return Percent(interval.estimate) + " % (95 %: " + Percent(interval.low) + "-" + Percent(interval.high) + " %)";
}

} // namespace

SessionReport::SessionReport(const StationOptions& options, const PreparedSession& session, PrintFn print)
    : m_options(options)
    , m_session(session)
    , m_print(std::move(print))
{
}

void SessionReport::Print(const SessionSummary& summary) const
{
    std::string line = std::to_string(summary.toVerify) + " words " + m_session.RuleText() +
                       (summary.audit > 0 ? " and " + std::to_string(summary.audit) + " for the audit" : "") +
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
    if (m_session.auditPercent > 0) {
        m_print(AuditLine(PageAudit::Estimate(m_session.store->Record())));
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

std::string SessionReport::AuditLine(const AuditEstimate& estimate) const
{
    std::string line = "audit (--audit " + PreparedSession::Number(m_session.auditPercent) + " --audit-seed " +
                       std::to_string(m_session.auditSeed) + "), over the pages done: " +
                       std::to_string(estimate.Answered()) + " of " + std::to_string(estimate.NotChosen()) +
                       " words not chosen answered, " + std::to_string(estimate.Wrong()) + " wrong; ";
    const std::optional<AuditEstimate::Interval> left = estimate.LeftShare();
    if (!left) {
        return line + "no estimate before the first";
    }
    line += "wrong among the words not shown " + WithInterval(*left);
    const std::optional<AuditEstimate::Interval> caught = estimate.CaughtShare();
    return line + (caught ? "; the choice caught " + WithInterval(*caught) + " of the wrong words"
                          : "; no wrong word found");
}
