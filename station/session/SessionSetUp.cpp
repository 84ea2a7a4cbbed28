#include "SessionSetUp.h"

#include <windows.h>

#include <map>
#include <utility>

#include "AtomicFile.h"
#include "FileHandle.h"
#include "FolderPageFiles.h"
#include "InputError.h"
#include "JournalStore.h"
#include "SessionOutputCheck.h"
#include "SessionJournal.h"
#include "SessionResume.h"
#include "Sha256.h"
#include "Utf8.h"

namespace {

// A file of the session with its hash; the hashes of files read for several pages are
// taken once.
StoredFile Hashed(const std::wstring& path, std::map<std::wstring, std::string>& hashes)
{
    StoredFile file;
    if (!path.empty()) {
        file.path = WideToUtf8(path);
        auto found = hashes.find(path);
        if (found == hashes.end()) {
            found = hashes.emplace(path, Sha256::OfFile(path)).first;
        }
        file.sha256 = found->second;
    }
    return file;
}

// A seed for a session that was given none: any, so long as the journal keeps it.
int DrawnSeed()
{
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    const unsigned long long mixed = static_cast<unsigned long long>(counter.QuadPart) * 0x9E3779B97F4A7C15ULL ^
                                     ::GetCurrentProcessId();
    return static_cast<int>((mixed >> 33) & 0x7FFFFFFF);
}

} // namespace

SessionSetUp::SessionSetUp(const StationOptions& options, StoreMaker makeStore)
    : m_options(options)
    , m_makeStore(std::move(makeStore))
{
}

SessionRecord SessionSetUp::NewRecord(const PreparedSession& session) const
{
    SessionRecord record;
    const OutputLayout& layout = session.outputs->Layout();
    std::map<std::wstring, std::string> hashes;
    for (const std::wstring& input : session.plan.inputs) {
        record.inputs.push_back(WideToUtf8(input));
    }
    record.below = session.below;
    record.catchPercent = m_options.catchPercent;
    record.auditPercent = session.auditPercent;
    record.auditSeed = session.auditSeed;
    record.charBelow = session.charBelow;
    for (const PlannedPage& planned : session.plan.pages) {
        StoredPage page;
        page.name = layout.PageName(planned);
        page.image = Hashed(planned.image, hashes);
        page.frame = static_cast<int>(planned.frame) + 1;
        page.tsv = Hashed(planned.tsv, hashes);
        page.hocr = Hashed(planned.hocr, hashes);
        page.xml = Hashed(planned.xml, hashes);
        page.ocrPage = planned.NeedsEngine() ? 1 : planned.ocrPage;
        page.ocrByStation = planned.NeedsEngine();
        page.state = planned.NeedsEngine() ? PageState::kWaiting : PageState::kRecognised;
        record.pages.push_back(page);
    }
    return record;
}

PreparedSession SessionSetUp::Prepare() const
{
    PreparedSession session;
    session.plan = BatchPlan::Make(m_options);
    session.below = m_options.below;
    session.charBelow = m_options.charBelow;
    session.catchGoal = m_options.catchPercent / 100;
    session.learnsModel = !m_options.fixedModel;
    // Before the outputs are checked, which names the words chosen.
    session.LoadErrorModels();
    session.auditPercent = m_options.auditPercent;
    session.auditSeed = m_options.auditSeed >= 0 ? m_options.auditSeed : DrawnSeed();
    if (!m_options.answers.empty()) {
        session.answers = TypedAnswers::Read(m_options.answers);
    }
    const std::wstring folder = m_options.OutputFolder();
    session.outputs = std::make_unique<PageOutputs>(OutputLayout(folder, m_options.OnePageForm()));
    session.files = std::make_unique<FolderPageFiles>(*session.outputs);
    const OutputLayout& layout = session.outputs->Layout();
    SessionRecord record = NewRecord(session);

    const SessionOutputCheck check(m_options, session, record);
    check.RefuseOutputOverInput();
    const std::wstring journalPath = layout.Path(OutputLayout::kJournal);
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    const bool folderExists = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    SessionRecord earlier;
    bool hasEarlier = false;
    if (folderExists) {
        // Another station's journal is not read, let alone continued.
        session.lock = std::make_unique<OutputFolderLock>(folder);
        std::string text;
        std::string unread;
        const bool journalExists = ::GetFileAttributesW(journalPath.c_str()) != INVALID_FILE_ATTRIBUTES;
        const bool journalRead = journalExists && AtomicFile::Read(journalPath, text, unread);
        if (journalExists && !journalRead && !m_options.restart) {
            // Taken for no session, its answers would be overwritten by the first new one.
            throw InputError(journalPath, "cannot be read: " + unread);
        }
        if (journalRead) {
            std::string error;
            if (!SessionJournal::FromJson(text, earlier, error)) {
                if (!m_options.restart) {
                    throw InputError(journalPath, "is not a session of this program (" + error +
                                                      "); --restart starts a new one");
                }
            } else {
                hasEarlier = true;
            }
        }
    }
    if (hasEarlier && !m_options.restart) {
        SessionResume(m_options, session, record).From(earlier, journalPath);
    }
    // The rule the session goes on with: a resumed one's may be another.
    session.LoadErrorModels();
    bool needsEngine = false;
    for (size_t i = 0; i < session.plan.pages.size(); ++i) {
        // A second reading an earlier run did not keep is made again beside the kept first.
        needsEngine = needsEngine || (session.plan.pages[i].NeedsEngine() &&
                                      (session.recognised.count(i) == 0 || !m_options.secondLang.empty()));
    }
    if (needsEngine) {
        session.engine = std::make_shared<TesseractEngine>(m_options);
    }

    // The folders must take the session's files before the first dialog, not after the first
    // answer. Those made here go again when they cannot.
    std::vector<std::wstring> made;
    if (::CreateDirectoryW(folder.c_str(), nullptr)) {
        made.push_back(folder);
    }
    if (!session.lock) {
        try {
            session.lock = std::make_unique<OutputFolderLock>(folder);
        } catch (const InputError&) {
            SessionOutputCheck::RemoveFolders(made);
            throw;
        }
    }
    for (const std::wstring& sub : layout.Folders()) {
        if (::CreateDirectoryW(layout.Path(sub).c_str(), nullptr)) {
            made.push_back(layout.Path(sub));
        }
    }
    check.CheckOutputsCanBeWritten(made, session.lock);
    if (m_options.restart && hasEarlier) {
        session.outputs->Forget(earlier);
    } else if (m_options.restart) {
        ::DeleteFileW(journalPath.c_str());
    }
    if (!m_options.screenshots.empty()) {
        ::CreateDirectoryW(m_options.screenshots.c_str(), nullptr);
    }
    if (m_makeStore) {
        session.store = m_makeStore(std::move(record));
    } else {
        const PageOutputs* outputs = session.outputs.get();
        session.store = std::make_unique<JournalStore>(
            std::move(record), [outputs](const std::string& text) { outputs->Write(OutputLayout::kJournal, text); });
    }
    return session;
}
