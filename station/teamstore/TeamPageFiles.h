#pragma once

#include <functional>
#include <string>

#include "PageFiles.h"

// A team's side of the session's files: none is written per page or per run, the batch's
// files are exported from the team's database. What a run that went to its end says instead
// is what is left of the batch.
class TeamPageFiles : public PageFiles {
public:
    using PrintFn = std::function<void(const std::string&)>;

    TeamPageFiles(std::string batchName, PrintFn print);

    bool HasPageFiles(const PlannedPage& planned, const std::vector<VerifiedWord>& words) const override;
    void WritePage(const PlannedPage& planned, const PreparedPage& page,
                   const std::vector<VerifiedWord>& words) const override;
    // Whether the batch is done, or how many pages others hold.
    void SessionEnded(const std::vector<PlannedPage>& pages, const SessionRecord& record, bool ranToEnd) const override;
    std::string WhereResults() const override;

private:
    std::string m_batchName;
    PrintFn m_print;
};
