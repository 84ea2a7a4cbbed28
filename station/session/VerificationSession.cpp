#include "VerificationSession.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <map>
#include <optional>
#include <set>

#include "AtomicFile.h"
#include "FileHandle.h"
#include "InputError.h"
#include "OutputClash.h"
#include "PageWorker.h"
#include "PathName.h"
#include "Sha256.h"
#include "ShownPicture.h"
#include "UnattendedAnswer.h"
#include "Utf8.h"
#include "WordImage.h"
#include "WordInLine.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// The caption of the dialog on show: the text lookup is a plain function pointer, and the
// library serves one call at a time, so the caption lives here during its call.
const wchar_t* g_shownCaption = nullptr;

const wchar_t* WINAPI LookupText(int id) noexcept
{
    return id == TARSIL_TEXT_CAPTION ? g_shownCaption : nullptr; // the library's own texts for the rest
}

bool SamePath(const std::string& a, const std::string& b)
{
    std::wstring wideA;
    std::wstring wideB;
    return Utf8ToWide(a, wideA) && Utf8ToWide(b, wideB) && PathName::Same(wideA, wideB);
}

std::wstring Wide(const std::string& utf8)
{
    std::wstring wide;
    Utf8ToWide(utf8, wide);
    return wide;
}

double Hundredths(double value)
{
    const double rounded = std::round(value * 100.0) / 100.0;
    return rounded == 0 ? 0.0 : rounded; // no "-0"
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

double Seconds()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The operator's text as one line of one TSV column: control characters (a pasted tab or
// line break) become spaces.
std::wstring OneLine(const wchar_t* text)
{
    std::wstring line(text);
    for (wchar_t& c : line) {
        if (c < 0x20 || c == 0x7F) {
            c = L' ';
        }
    }
    return line;
}

// A file of the session with its hash; the hashes of files read for several pages are
// taken once.
JournalFile Hashed(const std::wstring& path, std::map<std::wstring, std::string>& hashes)
{
    JournalFile file;
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

// A file the earlier session read, checked against what is there now.
void CheckUnchanged(const JournalFile& earlier, const JournalFile& now, const std::wstring& journalPath)
{
    if (!SamePath(earlier.path, now.path)) {
        throw InputError(journalPath, "was written for other input files (" +
                                          (earlier.path.empty() ? std::string("none") : earlier.path) + ", now " +
                                          (now.path.empty() ? std::string("none") : now.path) +
                                          "); --restart starts a new session");
    }
    if (earlier.sha256 != now.sha256) {
        throw InputError(Wide(now.path), "has changed since the session in " + WideToUtf8(journalPath) +
                                             " began (its SHA-256 differs); --restart starts a new session");
    }
}

// The engine's output that an earlier run kept for a page, when it is there as the journal
// recorded it: the station's own file, which a run cut short, a disk fault or a user may have
// left damaged or removed.
bool KeptAsRecorded(const std::wstring& path, const JournalFile& recorded)
{
    try {
        return !recorded.sha256.empty() && Sha256::OfFile(path) == recorded.sha256;
    } catch (const InputError&) {
        return false; // missing or unreadable
    }
}

std::string Number(double value)
{
    char text[32];
    static_cast<void>(std::snprintf(text, sizeof text, "%g", value));
    return text;
}

// Removes the folders a failed start made, the innermost first; only empty ones go.
void RemoveFolders(const std::vector<std::wstring>& made)
{
    for (auto folder = made.rbegin(); folder != made.rend(); ++folder) {
        ::RemoveDirectoryW(folder->c_str());
    }
}

} // namespace

VerificationSession::VerificationSession(StationOptions options, DialogFn dialog, PrintFn print)
    : m_options(std::move(options))
    , m_dialog(dialog)
    , m_print(std::move(print))
{
}

VerificationSession::~VerificationSession() = default;

std::wstring VerificationSession::Caption(int ordinal, int total)
{
    return L"Word Verification \u2013 " + std::to_wstring(ordinal) + L" of " + std::to_wstring(total);
}

std::wstring VerificationSession::Caption(int page, int pages, int ordinal, int total)
{
    if (pages <= 1) {
        return Caption(ordinal, total);
    }
    return L"Word Verification \u2013 page " + std::to_wstring(page) + L" of " + std::to_wstring(pages) +
           L" \u2013 word " + std::to_wstring(ordinal) + L" of " + std::to_wstring(total);
}

void VerificationSession::Prepare()
{
    m_plan = BatchPlan::Make(m_options);
    if (!m_options.answers.empty()) {
        m_answers = TypedAnswers::Read(m_options.answers);
    }
    std::map<std::wstring, std::string> hashes;
    for (const std::wstring& input : m_plan.inputs) {
        m_journal.inputs.push_back(WideToUtf8(input));
    }
    m_journal.below = m_options.below;
    m_journal.charBelow = m_options.charBelow;
    for (const PlannedPage& planned : m_plan.pages) {
        JournalPage page;
        page.name = m_options.OnePageForm() ? std::string() : WideToUtf8(planned.stem);
        page.image = Hashed(planned.image, hashes);
        page.frame = static_cast<int>(planned.frame) + 1;
        page.tsv = Hashed(planned.tsv, hashes);
        page.hocr = Hashed(planned.hocr, hashes);
        page.xml = Hashed(planned.xml, hashes);
        page.ocrPage = planned.NeedsEngine() ? 1 : planned.ocrPage;
        page.ocrByStation = planned.NeedsEngine();
        page.state = planned.NeedsEngine() ? "waiting" : "recognised";
        m_journal.pages.push_back(page);
    }

    m_folder = m_options.OutputFolder();
    m_outputs = std::make_unique<PageOutputs>(m_folder, m_options.OnePageForm());
    RefuseOutputOverInput();
    const std::wstring journalPath = m_folder + L"\\session.json";
    const DWORD attributes = ::GetFileAttributesW(m_folder.c_str());
    const bool folderExists = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    SessionJournal earlier;
    bool hasEarlier = false;
    if (folderExists) {
        // Another station's journal is not read, let alone continued.
        m_lock = std::make_unique<OutputFolderLock>(m_folder);
        std::string text;
        const bool journalExists = ::GetFileAttributesW(journalPath.c_str()) != INVALID_FILE_ATTRIBUTES;
        const bool journalRead = journalExists && AtomicFile::Read(journalPath, text);
        if (journalExists && !journalRead && !m_options.restart) {
            // Taken for no session, its answers would be overwritten by the first new one.
            throw InputError(journalPath, "cannot be read: " + FileHandle::Reason(::GetLastError()));
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
        ResumeFrom(earlier, journalPath);
    }
    bool needsEngine = false;
    for (size_t i = 0; i < m_plan.pages.size(); ++i) {
        needsEngine = needsEngine || (m_plan.pages[i].NeedsEngine() && m_recognised.count(i) == 0);
    }
    if (needsEngine) {
        m_engine = std::make_shared<TesseractEngine>(m_options);
    }

    // The folders must take the session's files before the first dialog, not after the first
    // answer. Those made here go again when they cannot.
    std::vector<std::wstring> made;
    if (::CreateDirectoryW(m_folder.c_str(), nullptr)) {
        made.push_back(m_folder);
    }
    if (!m_lock) {
        try {
            m_lock = std::make_unique<OutputFolderLock>(m_folder);
        } catch (const InputError&) {
            RemoveFolders(made);
            throw;
        }
    }
    for (const wchar_t* sub : {L"\\train", L"\\pages", L"\\ocr"}) {
        if ((!m_options.OnePageForm() || std::wstring(sub) == L"\\train") &&
            ::CreateDirectoryW((m_folder + sub).c_str(), nullptr)) {
            made.push_back(m_folder + sub);
        }
    }
    CheckOutputsCanBeWritten(made);
    if (m_options.restart && hasEarlier) {
        m_outputs->Forget(earlier);
    } else if (m_options.restart) {
        ::DeleteFileW(journalPath.c_str());
    }
    if (!m_options.screenshots.empty()) {
        ::CreateDirectoryW(m_options.screenshots.c_str(), nullptr);
    }
    // Said once the session is sure to run: a refused start prints its reason alone.
    for (const std::string& note : m_resumeNotes) {
        m_print(note);
    }
}

std::vector<int> VerificationSession::WordsToVerify(size_t position) const
{
    std::vector<int> indices;
    const PlannedPage& planned = m_plan.pages[position];
    if (planned.ocr) {
        const PageWords words = planned.ocr->Words(planned.ocrPage);
        for (const PageWords::Word& word : words.Words()) {
            if (word.confidence < m_options.below) {
                indices.push_back(word.index);
            }
        }
    }
    return indices;
}

std::vector<std::wstring> VerificationSession::OutputNames() const
{
    std::vector<std::wstring> names{L"session.json", L"text.txt", OutputFolderLock::kFileName};
    for (size_t position = 0; position < m_plan.pages.size(); ++position) {
        const PlannedPage& planned = m_plan.pages[position];
        const bool tsv = planned.NeedsEngine() || !planned.tsv.empty();
        const bool hocr = planned.NeedsEngine() || !planned.hocr.empty();
        const bool xml = !planned.xml.empty();
        if (m_options.OnePageForm() && position == 0) {
            // One document for all the frames of the one image.
            for (const auto& [given, name] : {std::pair{tsv, L"verified.tsv"}, std::pair{hocr, L"verified.hocr"},
                                               std::pair{xml, L"verified.xml"}}) {
                if (given) {
                    names.emplace_back(name);
                }
            }
        } else if (!m_options.OnePageForm()) {
            const std::vector<std::wstring> documents = m_outputs->PageDocumentNames(planned);
            names.insert(names.end(), documents.begin(), documents.end());
            if (planned.NeedsEngine()) {
                names.push_back(L"ocr\\" + planned.stem + L".tsv");
                names.push_back(L"ocr\\" + planned.stem + L".hocr");
            }
        }
        for (const int index : WordsToVerify(position)) {
            const std::wstring pair = L"train\\" + PageOutputs::WordFileName(m_journal.pages[position].name, index);
            names.push_back(pair + L".png");
            names.push_back(pair + L".gt.txt");
        }
    }
    return names;
}

std::wstring VerificationSession::ScreenshotPath(size_t position, int index) const
{
    return m_options.screenshots + L"\\" + PageOutputs::WordFileName(m_journal.pages[position].name, index) + L".png";
}

void VerificationSession::RefuseOutputOverInput() const
{
    OutputClash clash;
    for (const PlannedPage& planned : m_plan.pages) {
        for (const std::wstring* input : {&planned.image, &planned.tsv, &planned.hocr, &planned.xml}) {
            clash.AddInput(*input);
        }
    }
    clash.AddInput(m_options.answers);
    for (const std::wstring& name : OutputNames()) {
        clash.AddOutputFile(m_folder + L"\\" + name);
    }
    // Written and deleted there: the training pairs, and a batch's engine output.
    clash.AddOutputFolder(m_folder + L"\\train");
    if (!m_options.OnePageForm()) {
        clash.AddOutputFolder(m_folder + L"\\ocr");
    }
    if (!m_options.screenshots.empty()) {
        for (size_t position = 0; position < m_plan.pages.size(); ++position) {
            for (const int index : WordsToVerify(position)) {
                clash.AddOutputFile(ScreenshotPath(position, index));
            }
        }
    }
    std::wstring input;
    std::wstring output;
    if (clash.Find(input, output)) {
        throw InputError(input, "is an input, and the session would overwrite it as " + WideToUtf8(output) +
                                    ": give the session's outputs another folder");
    }
}

void VerificationSession::CheckOutputsCanBeWritten(const std::vector<std::wstring>& madeFolders)
{
    // The very files the session writes, tried before the first dialog rather than after
    // the first answer.
    for (const std::wstring& name : OutputNames()) {
        std::string error;
        if (name != OutputFolderLock::kFileName && !AtomicFile::CanWrite(m_folder + L"\\" + name, error)) {
            m_lock.reset(); // its file goes with it, so that the folders made for this start can go
            RemoveFolders(madeFolders);
            throw InputError(m_folder, "the output folder cannot be written: " + WideToUtf8(name) + ": " + error);
        }
    }
}

void VerificationSession::ResumeFrom(const SessionJournal& earlier, const std::wstring& journalPath)
{
    bool sameInputs = earlier.inputs.size() == m_journal.inputs.size();
    for (size_t i = 0; sameInputs && i < earlier.inputs.size(); ++i) {
        sameInputs = SamePath(earlier.inputs[i], m_journal.inputs[i]);
    }
    if (!sameInputs) {
        throw InputError(journalPath, "was written for other inputs; --restart starts a new session");
    }
    if (earlier.below != m_options.below) {
        // The threshold decides which words each page shows and how they are numbered: the
        // session keeps the one it began with, so that its pages and its summary agree.
        m_resumeNotes.push_back("the session in " + WideToUtf8(journalPath) + " began with --below " +
                                Number(earlier.below) + " and goes on with it; --below " +
                                Number(m_options.below) + " takes effect with --restart, which starts a new session");
        m_options.below = earlier.below;
        m_journal.below = earlier.below;
        RefuseOutputOverInput(); // the training pairs and screenshots of the session's threshold
    }
    for (size_t i = 0; i < std::max(earlier.pages.size(), m_journal.pages.size()); ++i) {
        if (i >= earlier.pages.size() || i >= m_journal.pages.size() ||
            !SamePath(earlier.pages[i].image.path, m_journal.pages[i].image.path) ||
            earlier.pages[i].frame != m_journal.pages[i].frame) {
            const JournalPage& differing = i < m_journal.pages.size() ? m_journal.pages[i] : earlier.pages[i];
            throw InputError(Wide(differing.image.path),
                             i < m_journal.pages.size() && i < earlier.pages.size()
                                 ? "is now page " + std::to_string(i + 1) + " of the batch, where the session in " +
                                       WideToUtf8(journalPath) + " has " + earlier.pages[i].image.path +
                                       "; --restart starts a new session"
                                 : std::string(i < m_journal.pages.size() ? "is new" : "is missing") +
                                       " in the batch of the session in " + WideToUtf8(journalPath) +
                                       "; --restart starts a new session");
        }
        const JournalPage& before = earlier.pages[i];
        JournalPage& page = m_journal.pages[i];
        CheckUnchanged(before.image, page.image, journalPath);
        if (!page.ocrByStation || !before.ocrByStation) {
            CheckUnchanged(before.tsv, page.tsv, journalPath);
            CheckUnchanged(before.hocr, page.hocr, journalPath);
            CheckUnchanged(before.xml, page.xml, journalPath);
        }
        // A failed page is tried again; the others go on where they stopped. A skipped word
        // stays in the journal's count; a cancelled one is shown again.
        page.state = before.state == "failed" ? page.state : before.state;
        if (page.ocrByStation && page.state != "waiting") {
            // The engine's output kept from the earlier run, where this run's engine would
            // write it: the page is not recognised again. A file of it missing or changed
            // costs the page its recognition only: it is recognised again, and its answers
            // that fit the new output are kept when it is shown (ForgetForeignAnswers).
            const std::wstring base = m_folder + L"\\ocr\\" + m_plan.pages[i].stem;
            const std::wstring tsv = base + L".tsv";
            const std::wstring hocr = base + L".hocr";
            if (KeptAsRecorded(tsv, before.tsv) && KeptAsRecorded(hocr, before.hocr)) {
                page.tsv = {WideToUtf8(tsv), before.tsv.sha256};
                page.hocr = {WideToUtf8(hocr), before.hocr.sha256};
                m_recognised[i] = {tsv, hocr};
            } else {
                page.state = "waiting";
                m_resumeNotes.push_back("page " + std::to_string(i + 1) + " of " + std::to_string(m_plan.pages.size()) +
                                        " (" + m_plan.pages[i].Name() + "): the engine's output kept in " +
                                        WideToUtf8(m_folder) +
                                        "\\ocr is missing or has changed: the page is recognised again, keeping "
                                        "the answers that fit the new output");
            }
        }
        for (const VerifiedWord& word : before.words) {
            if (word.Answered() || word.outcome == "skipped") {
                page.words.push_back(word);
            }
        }
    }
}

void VerificationSession::NoteRecognitions(PageWorker& worker)
{
    for (const Recognition& recognition : worker.TakeRecognitions()) {
        JournalPage& page = m_journal.pages[recognition.position];
        if (!recognition.failure.empty()) {
            page.state = "failed";
            page.failure = recognition.failure;
            continue;
        }
        page.tsv = {WideToUtf8(recognition.tsv), recognition.tsvSha256};
        page.hocr = {WideToUtf8(recognition.hocr), recognition.hocrSha256};
        page.state = page.state == "waiting" ? "recognised" : page.state;
    }
}

void VerificationSession::NoteWrittenPages(PageWorker& worker, std::set<size_t>& finishing, Summary& summary)
{
    for (const WrittenPage& written : worker.TakeWritten()) {
        const bool finished = finishing.erase(written.position) != 0;
        if (written.failure.empty()) {
            if (finished) {
                m_journal.pages[written.position].state = "done";
            }
            continue;
        }
        ++summary.pagesUnwritten;
        m_print(PageLine(written.position) + ": its files could not be written, " + written.failure +
                "; the page is not done, a later run writes them");
    }
}

void VerificationSession::ReopenPagesWithoutFiles()
{
    for (size_t position = 0; position < m_journal.pages.size(); ++position) {
        JournalPage& page = m_journal.pages[position];
        if (page.state == "done" && !m_outputs->HasPageFiles(m_plan.pages[position], page.words)) {
            // Finished again from its answers, without a dialog.
            page.state = "in progress";
            m_print(PageLine(position) + ": done, but its files are missing: written again");
        }
    }
}

std::string VerificationSession::PageLine(size_t position) const
{
    return "page " + std::to_string(position + 1) + " of " + std::to_string(m_plan.pages.size()) + " (" +
           m_plan.pages[position].Name() + ")";
}

VerificationSession::Summary VerificationSession::Run()
{
    Summary summary;
    summary.pages = static_cast<int>(m_plan.pages.size());
    ReopenPagesWithoutFiles();
    std::vector<bool> skip;
    for (const JournalPage& page : m_journal.pages) {
        skip.push_back(page.state == "done");
    }
    PageWorker worker(m_plan.pages, skip, m_recognised, m_engine, m_folder + L"\\ocr", m_options.ahead);
    // The corrections of earlier runs are offered again as those of this one.
    m_proposals = CorrectionProposals();
    m_proposals.LearnFrom(m_journal);
    m_journal.finished = false;
    std::unique_ptr<SessionFailure> failure;
    std::set<size_t> finishing; // every word answered: done once the worker has written its files
    for (size_t position = 0; position < m_plan.pages.size() && !summary.cancelled && !failure; ++position) {
        JournalPage& journalPage = m_journal.pages[position];
        const PlannedPage& planned = m_plan.pages[position];
        const std::string pageLine = PageLine(position);
        if (skip[position]) {
            for (const VerifiedWord& word : journalPage.words) {
                summary.toVerify += 1;
                summary.earlier += word.Answered() ? 1 : 0;
                summary.skipped += word.outcome == "skipped" ? 1 : 0;
            }
            continue;
        }
        std::shared_ptr<PreparedPage> page = worker.Take(position, [&] {
            if (planned.NeedsEngine() && m_recognised.count(position) == 0) {
                m_print(pageLine + ": waiting for the engine to read it");
            }
        });
        NoteRecognitions(worker);
        NoteWrittenPages(worker, finishing, summary);
        if (!page->failure.empty()) {
            journalPage.state = "failed";
            journalPage.failure = page->failure;
            m_print(pageLine + ": failed, " + page->failure + "; skipped, a later run tries it again");
            WriteJournal();
            continue;
        }
        journalPage.state = "in progress";
        try {
            summary.cancelled = VerifyPage(position, *page, summary);
            if (!summary.cancelled) {
                finishing.insert(position);
            }
        } catch (const SessionFailure& fault) {
            failure = std::make_unique<SessionFailure>(fault);
        }
        // The page is done once the worker has written its files, and goes into the journal
        // so with the next answer: the page turn waits for no file, and a run that ends before
        // leaves the page "in progress" with every word answered, which the next run finishes
        // without a dialog.
        PostOutputs(worker, position, page);
    }
    worker.Finish();
    NoteRecognitions(worker);
    NoteWrittenPages(worker, finishing, summary);
    m_journal.finished = true;
    for (const JournalPage& page : m_journal.pages) {
        m_journal.finished = m_journal.finished && page.state == "done";
    }
    // The journal first: the other files are made from it, by this run or the next.
    WriteJournal();
    m_outputs->WriteSession(m_plan.pages, m_journal);
    m_lock.reset(); // the session is over: the folder is free for the next one
    if (failure) {
        throw SessionFailure(*failure);
    }
    // Those the engine failed on ahead of the operator too (the failed pages of earlier runs
    // were tried again, or wait).
    summary.pagesFailed = m_journal.summary.pagesFailed;
    PrintSummary(summary);
    return summary;
}

// An earlier answer counts only for one of the page's words as it is shown: the same text and
// box (the word's training pair is cut by the journal's box) and a word that can be shown.
// Any other, from a journal edited or damaged, is forgotten and its word asked again.
void VerificationSession::ForgetForeignAnswers(const PreparedPage& page, std::vector<VerifiedWord>& answers) const
{
    std::map<int, const PageWords::Word*> byIndex;
    for (const PageWords::Word& word : page.words.Words()) {
        byIndex[word.index] = &word;
    }
    const auto foreign = [&](const VerifiedWord& answer) {
        if (answer.outcome == "skipped") {
            return true; // recorded again as the page is gone through
        }
        const auto found = byIndex.find(answer.index);
        const bool shown = found != byIndex.end() && found->second->text == answer.text &&
                           found->second->box == answer.box && SkipReason(page, *found->second).empty();
        if (!shown) {
            m_print("word " + std::to_string(answer.index) + " of the journal is not the page's as shown: asked again");
        }
        return !shown;
    };
    answers.erase(std::remove_if(answers.begin(), answers.end(), foreign), answers.end());
}

bool VerificationSession::VerifyPage(size_t position, const PreparedPage& page, Summary& summary)
{
    std::vector<VerifiedWord>& journalWords = m_journal.pages[position].words;
    ForgetForeignAnswers(page, journalWords);
    std::vector<const PageWords::Word*> toVerify;
    for (const PageWords::Word& word : page.words.Words()) {
        if (word.confidence < m_options.below) {
            toVerify.push_back(&word);
        }
    }
    std::map<int, bool> earlier;
    for (const VerifiedWord& word : journalWords) {
        earlier[word.index] = true;
    }
    // The dialogs are numbered among the words that can be shown, answered earlier or not,
    // so that a resumed session shows the same "3 of 17" as the first.
    std::vector<std::string> skipReasons;
    int total = 0;
    for (const PageWords::Word* word : toVerify) {
        skipReasons.push_back(SkipReason(page, *word));
        total += skipReasons.back().empty() ? 1 : 0;
    }
    if (!m_options.OnePageForm()) {
        m_print(PageLine(position) + ": " + std::to_string(toVerify.size()) + " words below " +
                Number(m_options.below));
    }

    summary.toVerify += static_cast<int>(toVerify.size());
    int ordinal = 0;
    for (size_t i = 0; i < toVerify.size(); ++i) {
        const PageWords::Word& word = *toVerify[i];
        VerifiedWord record;
        record.index = word.index;
        record.box = word.box;
        record.text = word.text;
        record.confidence = word.confidence;
        if (!skipReasons[i].empty()) {
            record.outcome = "skipped";
            record.reason = skipReasons[i];
            ++summary.skipped;
            Record(journalWords, page.words, record);
            m_print("skipped " + Quoted(word.text) + " (row " + std::to_string(word.index) + "): " + record.reason);
            continue;
        }
        ++ordinal;
        if (earlier.count(word.index) != 0) {
            ++summary.earlier;
            continue;
        }
        const Answer answer = Show(position, page, word, ordinal, total, record);
        record.order = m_journal.LastOrder() + 1;
        Record(journalWords, page.words, record);
        m_proposals.Learn(record);
        if (answer == Answer::kOk) {
            ++summary.ok;
            summary.corrected += record.changed ? 1 : 0;
            summary.forTraining += record.train ? 1 : 0;
        } else if (answer == Answer::kIgnore) {
            ++summary.ignored;
        }
        // The journal after every answer: a session that is interrupted loses no answer, and
        // the next run makes the other files from it.
        WriteJournal();
        m_print(Progress(ordinal, total, record));
        if (answer == Answer::kCancel) {
            return true;
        }
    }
    return false;
}

std::string VerificationSession::SkipReason(const PreparedPage& page, const PageWords::Word& word) const
{
    if (word.box.Empty()) {
        return "empty box (" + std::to_string(word.box.width) + " x " + std::to_string(word.box.height) + ")";
    }
    if (WordImage(page.image.Grey(), word.box).Crop().Empty()) {
        return "box outside the page";
    }
    std::wstring text;
    Utf8ToWide(word.text, text);
    if (text.size() > TARSIL_MAX_LENGTH) {
        return "longer than " + std::to_string(TARSIL_MAX_LENGTH) + " UTF-16 units (" + std::to_string(text.size()) +
               ")";
    }
    return {};
}

VerificationSession::Answer VerificationSession::Show(size_t position, const PreparedPage& page,
                                                      const PageWords::Word& word, int ordinal, int total,
                                                      VerifiedWord& record)
{
    // A careful host: a buffer for the longest word the library takes, so that the
    // correction may be longer than the recognised word.
    // The field opens with the word's earlier correction where there is one, else with the
    // recognised text (never longer than the library takes: SkipReason).
    wchar_t text[TARSIL_MAX_LENGTH + 1] = {};
    record.proposed = m_proposals.For(word.text);
    std::wstring initial;
    Utf8ToWide(record.proposed.empty() ? word.text : record.proposed, initial);
    initial.copy(text, std::min<size_t>(initial.size(), TARSIL_MAX_LENGTH));
    const double pixels = word.xSize > 0 ? word.xSize : word.box.height;
    double size = Hundredths(pixels * 72.0 / page.image.Dpi());
    double orientation = Hundredths(-std::atan(word.baselineSlope) * 180.0 / kPi);
    record.size = size;
    record.orientation = orientation;

    // The word in its line, made once, before the call.
    const WordPicture picture = WordInLine::Draw(page.image.Grey(), page.words, word, m_options.charBelow);
    std::wstring caption = Caption(static_cast<int>(position) + 1, static_cast<int>(m_plan.pages.size()), ordinal,
                                   total);
    if (!record.proposed.empty()) {
        caption += L" \u2013 proposed from an earlier correction";
    }
    // Unattended: the kit's driver answers once the dialog has painted.
    std::optional<UnattendedAnswer> unattended;
    if (!m_options.press.empty() || !m_options.screenshots.empty() || !m_answers.Empty()) {
        unattended.emplace(m_options.press,
                           m_options.screenshots.empty() ? std::wstring() : ScreenshotPath(position, word.index),
                           [this, &word](tarsil::DialogDriver& driver) { m_answers.Type(driver, word.text); });
    }

    int reserved = 0;
    int train = 0;
    int unchanged = 0;
    int result = TARSIL_RESULT_CANCEL;
    DWORD error = ERROR_SUCCESS;
    const double shown = Seconds();
    {
        const ShownPicture onShow(picture);
        g_shownCaption = caption.c_str();
        ::SetLastError(ERROR_SUCCESS);
        result = m_dialog(nullptr, 0, 0, text, TARSIL_MAX_LENGTH, &size, &orientation,
                          static_cast<int>(std::lround(word.confidence)), 0, 0, 0, 255, 255, 255, 220, 0, 0,
                          &ShownPicture::DrawInk, &ShownPicture::DrawUncertainInk, &reserved, &train, &unchanged,
                          &LookupText);
        error = ::GetLastError();
        g_shownCaption = nullptr;
    }
    record.seconds = Hundredths(Seconds() - shown);
    if (unattended && unattended->ScreenshotFailed()) {
        m_print("could not write " + WideToUtf8(ScreenshotPath(position, word.index)));
    }
    unattended.reset();

    if (result == TARSIL_RESULT_OK) {
        record.outcome = "ok";
        record.corrected = WideToUtf8(OneLine(text));
        record.changed = record.corrected != word.text;
        record.train = train != 0;
        record.size = size;
        record.orientation = orientation;
        record.proposal = CorrectionProposals::Fate(record);
        return Answer::kOk;
    }
    if (result == TARSIL_RESULT_IGNORE) {
        record.outcome = "ignore";
        record.proposal = CorrectionProposals::Fate(record);
        return Answer::kIgnore;
    }
    if (error != ERROR_SUCCESS) {
        throw SessionFailure("the dialog for word " + std::to_string(word.index) +
                             " could not be shown (error " + std::to_string(error) + ")");
    }
    record.outcome = "cancel";
    return Answer::kCancel;
}

void VerificationSession::Record(std::vector<VerifiedWord>& words, const PageWords& order,
                                 const VerifiedWord& record)
{
    // Kept in reading order: the order of the page's words.
    std::map<int, size_t> position;
    for (size_t i = 0; i < order.Words().size(); ++i) {
        position[order.Words()[i].index] = i;
    }
    for (auto it = words.begin(); it != words.end(); ++it) {
        if (it->index == record.index) {
            *it = record;
            return;
        }
        if (position[it->index] > position[record.index]) {
            words.insert(it, record);
            return;
        }
    }
    words.push_back(record);
}

void VerificationSession::PostOutputs(PageWorker& worker, size_t position, const std::shared_ptr<PreparedPage>& page)
{
    // Written by the worker while the operator goes on: the page turn waits for none of it.
    const PlannedPage planned = m_plan.pages[position];
    const std::vector<VerifiedWord> words = m_journal.pages[position].words;
    const PageOutputs* outputs = m_outputs.get();
    worker.PostWrite(position, [outputs, planned, page, words] { outputs->WritePage(planned, *page, words); });
}

void VerificationSession::WriteJournal()
{
    m_journal.summary = m_journal.Count();
    m_outputs->Write(L"session.json", m_journal.ToJson());
}

std::string VerificationSession::Progress(int ordinal, int total, const VerifiedWord& record) const
{
    const std::string confidence = std::to_string(std::lround(record.confidence));
    std::string line = std::to_string(ordinal) + "/" + std::to_string(total) + " " + record.outcome + " ";
    if (record.outcome == "ok" && record.changed) {
        line += Quoted(record.corrected) + " (was " + Quoted(record.text) + ", " + confidence + ")";
    } else {
        line += Quoted(record.text) + " (" + confidence + ")";
    }
    if (!record.proposal.empty()) {
        line += ", proposal " + record.proposal;
    }
    if (record.train) {
        line += ", for training";
    }
    if (record.outcome == "cancel") {
        line += ": session stopped";
    }
    return line;
}

void VerificationSession::PrintSummary(const Summary& summary)
{
    std::string line = std::to_string(summary.toVerify) + " words below " + Number(m_options.below) +
                       ": " + std::to_string(summary.ok) + " ok (" + std::to_string(summary.corrected) +
                       " corrected, " + std::to_string(summary.forTraining) + " for training), " +
                       std::to_string(summary.ignored) + " ignored, " + std::to_string(summary.skipped) + " skipped";
    if (summary.earlier > 0) {
        line += ", " + std::to_string(summary.earlier) + " answered earlier";
    }
    if (summary.cancelled) {
        line += "; cancelled, the rest waits for the next run";
    } else if (summary.pagesFailed == 0 && summary.pagesUnwritten == 0) {
        line += "; session complete";
    }
    if (summary.pagesFailed > 0) {
        line += summary.pagesFailed == 1 ? "; 1 page failed, a later run tries it again"
                                         : "; " + std::to_string(summary.pagesFailed) +
                                               " pages failed, a later run tries them again";
    }
    if (summary.pagesUnwritten > 0) {
        line += "; incomplete: the files of " + std::to_string(summary.pagesUnwritten) +
                (summary.pagesUnwritten == 1 ? " page" : " pages") + " could not be written, a later run writes them";
    }
    if (!m_options.OnePageForm()) {
        // The batch as a whole, every run counted: what the journal keeps.
        const JournalSummary& all = m_journal.summary;
        char pace[128];
        static_cast<void>(std::snprintf(pace, sizeof pace, "%.1f s a word, %.0f words an hour",
                                        all.shown > 0 ? all.operatorSeconds / all.shown : 0.0,
                                        all.operatorSeconds > 0 ? all.shown * 3600.0 / all.operatorSeconds : 0.0));
        m_print(line);
        line = std::to_string(all.pages) + " pages: " + std::to_string(all.pagesDone) + " done, " +
               std::to_string(all.pagesFailed) + " failed; " + std::to_string(all.shown) + " words shown, " +
               std::to_string(all.corrected) + " corrected, " + std::to_string(all.ignored) + " ignored, " +
               std::to_string(all.skipped) + " skipped; the operator " + pace;
        for (const std::string& failed : all.failedPages) {
            m_print(line);
            line = "failed: " + failed;
        }
    }
    m_print(line);
    m_print("results in " + WideToUtf8(m_folder));
}
