#include "SessionSetUp.h"

#include <windows.h>

#include <map>

#include "AtomicFile.h"
#include "FileHandle.h"
#include "InputError.h"
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

} // namespace

SessionSetUp::SessionSetUp(SessionState& state)
    : m_state(state)
{
}

void SessionSetUp::Prepare()
{
    m_state.plan = BatchPlan::Make(m_state.options);
    if (!m_state.options.answers.empty()) {
        m_state.answers = TypedAnswers::Read(m_state.options.answers);
    }
    m_state.folder = m_state.options.OutputFolder();
    m_state.outputs = std::make_unique<PageOutputs>(OutputLayout(m_state.folder, m_state.options.OnePageForm()));
    const OutputLayout& layout = m_state.outputs->Layout();
    std::map<std::wstring, std::string> hashes;
    for (const std::wstring& input : m_state.plan.inputs) {
        m_state.record.inputs.push_back(WideToUtf8(input));
    }
    m_state.record.below = m_state.options.below;
    m_state.record.charBelow = m_state.options.charBelow;
    for (const PlannedPage& planned : m_state.plan.pages) {
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
        m_state.record.pages.push_back(page);
    }

    SessionOutputCheck check(m_state);
    check.RefuseOutputOverInput();
    const std::wstring journalPath = layout.Path(OutputLayout::kJournal);
    const DWORD attributes = ::GetFileAttributesW(m_state.folder.c_str());
    const bool folderExists = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    SessionRecord earlier;
    bool hasEarlier = false;
    if (folderExists) {
        // Another station's journal is not read, let alone continued.
        m_state.lock = std::make_unique<OutputFolderLock>(m_state.folder);
        std::string text;
        const bool journalExists = ::GetFileAttributesW(journalPath.c_str()) != INVALID_FILE_ATTRIBUTES;
        const bool journalRead = journalExists && AtomicFile::Read(journalPath, text);
        if (journalExists && !journalRead && !m_state.options.restart) {
            // Taken for no session, its answers would be overwritten by the first new one.
            throw InputError(journalPath, "cannot be read: " + FileHandle::Reason(::GetLastError()));
        }
        if (journalRead) {
            std::string error;
            if (!SessionJournal::FromJson(text, earlier, error)) {
                if (!m_state.options.restart) {
                    throw InputError(journalPath, "is not a session of this program (" + error +
                                                      "); --restart starts a new one");
                }
            } else {
                hasEarlier = true;
            }
        }
    }
    if (hasEarlier && !m_state.options.restart) {
        SessionResume(m_state).From(earlier, journalPath);
    }
    bool needsEngine = false;
    for (size_t i = 0; i < m_state.plan.pages.size(); ++i) {
        needsEngine = needsEngine || (m_state.plan.pages[i].NeedsEngine() && m_state.recognised.count(i) == 0);
    }
    if (needsEngine) {
        m_state.engine = std::make_shared<TesseractEngine>(m_state.options);
    }

    // The folders must take the session's files before the first dialog, not after the first
    // answer. Those made here go again when they cannot.
    std::vector<std::wstring> made;
    if (::CreateDirectoryW(m_state.folder.c_str(), nullptr)) {
        made.push_back(m_state.folder);
    }
    if (!m_state.lock) {
        try {
            m_state.lock = std::make_unique<OutputFolderLock>(m_state.folder);
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
    check.CheckOutputsCanBeWritten(made);
    if (m_state.options.restart && hasEarlier) {
        m_state.outputs->Forget(earlier);
    } else if (m_state.options.restart) {
        ::DeleteFileW(journalPath.c_str());
    }
    if (!m_state.options.screenshots.empty()) {
        ::CreateDirectoryW(m_state.options.screenshots.c_str(), nullptr);
    }
    m_state.store = m_state.makeStore(std::move(m_state.record));
    // Said once the session is sure to run: a refused start prints its reason alone.
    for (const std::string& note : m_state.resumeNotes) {
        m_state.print(note);
    }
}
