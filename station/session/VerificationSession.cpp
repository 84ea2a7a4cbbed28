#include "VerificationSession.h"

#include <utility>

#include "PageLoop.h"
#include "SessionReport.h"
#include "SessionSetUp.h"
#include "WordDialog.h"

VerificationSession::VerificationSession(StationOptions options, DialogFn dialog, PrintFn print)
    : m_state(std::move(options), dialog, std::move(print))
{
}

std::wstring VerificationSession::Caption(int ordinal, int total)
{
    return WordDialog::Caption(ordinal, total);
}

std::wstring VerificationSession::Caption(int page, int pages, int ordinal, int total)
{
    return WordDialog::Caption(page, pages, ordinal, total);
}

void VerificationSession::Prepare()
{
    SessionSetUp(m_state).Prepare();
}

VerificationSession::Summary VerificationSession::Run()
{
    const Summary summary = PageLoop(m_state).Run();
    SessionReport(m_state).Print(summary);
    return summary;
}
