#include "VerificationSession.h"

#include <memory>
#include <utility>

#include "JournalStore.h"
#include "OutputLayout.h"
#include "PageLoop.h"
#include "SessionReport.h"
#include "SessionSetUp.h"
#include "WordDialog.h"

VerificationSession::VerificationSession(StationOptions options, DialogFn dialog, PrintFn print, StoreMaker makeStore,
                                         SetUpFn setUp)
    : m_state(std::move(options), dialog, std::move(print), std::move(makeStore))
    , m_setUp(std::move(setUp))
{
    if (!m_state.makeStore) {
        m_state.makeStore = [this](SessionRecord record) -> std::unique_ptr<SessionStore> {
            const PageOutputs* outputs = m_state.outputs.get();
            return std::make_unique<JournalStore>(
                std::move(record), [outputs](const std::string& text) { outputs->Write(OutputLayout::kJournal, text); });
        };
    }
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
    if (m_setUp) {
        m_setUp(m_state);
        return;
    }
    SessionSetUp(m_state).Prepare();
}

VerificationSession::Summary VerificationSession::Run()
{
    const Summary summary = PageLoop(m_state).Run();
    SessionReport(m_state).Print(summary);
    return summary;
}
