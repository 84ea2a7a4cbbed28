#include "FolderPageFiles.h"

#include "Utf8.h"

FolderPageFiles::FolderPageFiles(const PageOutputs& outputs)
    : m_outputs(outputs)
{
}

bool FolderPageFiles::HasPageFiles(const PlannedPage& planned, const std::vector<VerifiedWord>& words) const
{
    return m_outputs.HasPageFiles(planned, words);
}

void FolderPageFiles::WritePage(const PlannedPage& planned, const PreparedPage& page,
                                const std::vector<VerifiedWord>& words) const
{
    m_outputs.WritePage(planned, page, words);
}

void FolderPageFiles::SessionEnded(const std::vector<PlannedPage>& pages, const SessionRecord& record,
                                   bool /*ranToEnd*/) const
{
    // Written after every run, a cancelled one too: the text holds every answer kept so far.
    m_outputs.WriteSession(pages, record);
}

std::string FolderPageFiles::WhereResults() const
{
    return "results in " + WideToUtf8(m_outputs.Layout().Folder());
}
