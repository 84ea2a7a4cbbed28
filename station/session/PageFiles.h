#pragma once

#include <string>
#include <vector>

#include "BatchPlan.h"
#include "PreparedPage.h"
#include "SessionRecord.h"

// What makes the files of a session's pages and of the session as a whole: the output folder
// of a station working alone (FolderPageFiles), or nothing per page where the files are made
// from a shared record later (a team's, exported from its database). The page loop and the
// report ask it, never what kind of store keeps the session.
class PageFiles {
public:
    virtual ~PageFiles() = default;

    // True when every file WritePage writes for these answers is there: a page recorded as
    // done without them is finished again.
    virtual bool HasPageFiles(const PlannedPage& planned, const std::vector<VerifiedWord>& words) const = 0;
    // The page's files, on the page worker's thread; throws SessionFailure when one cannot be
    // written.
    virtual void WritePage(const PlannedPage& planned, const PreparedPage& page,
                           const std::vector<VerifiedWord>& words) const = 0;
    // Once the record is finished: the session's own files, or what is left of the batch.
    // `ranToEnd` when the run was neither cancelled nor stopped by a failure.
    virtual void SessionEnded(const std::vector<PlannedPage>& pages, const SessionRecord& record,
                              bool ranToEnd) const = 0;
    // Where the session's results are, for the report's last line.
    virtual std::string WhereResults() const = 0;
};
