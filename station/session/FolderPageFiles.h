#pragma once

#include "PageFiles.h"
#include "PageOutputs.h"

// The files of a station working alone, written to its output folder as they are due: each
// page's once it is verified, the session's at the end of every run.
class FolderPageFiles : public PageFiles {
public:
    // `outputs` outlives this.
    explicit FolderPageFiles(const PageOutputs& outputs);

    bool HasPageFiles(const PlannedPage& planned, const std::vector<VerifiedWord>& words) const override;
    void WritePage(const PlannedPage& planned, const PreparedPage& page,
                   const std::vector<VerifiedWord>& words) const override;
    void SessionEnded(const std::vector<PlannedPage>& pages, const SessionRecord& record, bool ranToEnd) const override;
    std::string WhereResults() const override;

private:
    const PageOutputs& m_outputs;
};
