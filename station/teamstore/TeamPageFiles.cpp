#include "TeamPageFiles.h"

#include <utility>

TeamPageFiles::TeamPageFiles(std::string batchName, PrintFn print)
    : m_batchName(std::move(batchName))
    , m_print(std::move(print))
{
}

bool TeamPageFiles::HasPageFiles(const PlannedPage& /*planned*/, const std::vector<VerifiedWord>& /*words*/) const
{
    return true; // none is the station's to write, so none is missing
}

void TeamPageFiles::WritePage(const PlannedPage& /*planned*/, const PreparedPage& /*page*/,
                              const std::vector<VerifiedWord>& /*words*/) const
{
}

void TeamPageFiles::SessionEnded(const std::vector<PlannedPage>& /*pages*/, const SessionRecord& record,
                                 bool ranToEnd) const
{
    if (!ranToEnd) {
        return;
    }
    size_t left = 0;
    for (const StoredPage& page : record.pages) {
        left += page.state == PageState::kDone ? 0 : 1;
    }
    m_print(left == 0 ? std::string("every page of the batch is done")
                      : "no page left to take: " + std::to_string(left) +
                            " pages not done are held by other stations, or failed");
}

std::string TeamPageFiles::WhereResults() const
{
    return "answers kept in the team's batch " + m_batchName;
}
