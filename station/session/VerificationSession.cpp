#include "VerificationSession.h"

#include <utility>

#include "PageLoop.h"
#include "SessionReport.h"
#include "WordDialog.h"

VerificationSession::VerificationSession(StationOptions options, DialogFn dialog, PrintFn print, StoreMaker makeStore,
                                         SetUpFn setUp)
    : m_options(std::move(options))
    , m_dialog(dialog)
    , m_print(std::move(print))
    , m_makeStore(std::move(makeStore))
    , m_setUp(std::move(setUp))
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

const SessionRecord& VerificationSession::Record() const
{
    static const SessionRecord kNone;
    return m_session ? m_session->store->Record() : kNone;
}

void VerificationSession::Prepare()
{
    m_session = std::make_unique<PreparedSession>(m_setUp ? m_setUp(m_options, m_print)
                                                          : SessionSetUp(m_options, m_makeStore).Prepare());
    // Said once the session is sure to run: a refused start prints its reason alone.
    for (const std::string& note : m_session->notes) {
        m_print(note);
    }
}

VerificationSession::Summary VerificationSession::Run()
{
    Summary summary;
    try {
        summary = PageLoop(m_options, *m_session, m_dialog, m_print).Run();
    } catch (...) {
        m_session->lock.reset();
        throw;
    }
    m_session->lock.reset(); // the session is over: the folder is free for the next one
    SessionReport(m_options, *m_session, m_print).Print(summary);
    return summary;
}
