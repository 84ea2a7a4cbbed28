#include "VerificationSession.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <map>

#include "AtomicFile.h"
#include "InputError.h"
#include "PageWorker.h"
#include "Sha256.h"
#include "TarsilDlg29Driver.h"
#include "Utf8.h"
#include "WindowShot.h"
#include "WordImage.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// The word on show: the layer painters and the text lookup are plain function pointers,
// and the library serves one call at a time, so the word lives here during its call.
const WordPicture* g_shownPicture = nullptr;
const wchar_t* g_shownCaption = nullptr;

void DrawRuns(const std::vector<WordPicture::Run>& runs, RunFn run)
{
    for (const WordPicture::Run& r : runs) {
        run(r.xFrom, r.xTo, r.y);
    }
}

void WINAPI DrawInk(int, int, RunFn run)
{
    if (g_shownPicture != nullptr) {
        DrawRuns(g_shownPicture->Ink(), run);
    }
}

void WINAPI DrawUncertainInk(int, int, RunFn run)
{
    if (g_shownPicture != nullptr) {
        DrawRuns(g_shownPicture->Uncertain(), run);
    }
}

const wchar_t* WINAPI LookupText(int id)
{
    return id == TARSIL_TEXT_CAPTION ? g_shownCaption : nullptr; // the library's own texts for the rest
}

bool SamePath(const std::string& a, const std::string& b)
{
    std::wstring wideA;
    std::wstring wideB;
    Utf8ToWide(a, wideA);
    Utf8ToWide(b, wideB);
    return ::CompareStringOrdinal(wideA.c_str(), -1, wideB.c_str(), -1, TRUE) == CSTR_EQUAL;
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
    const std::wstring journalPath = m_folder + L"\\session.json";
    const DWORD attributes = ::GetFileAttributesW(m_folder.c_str());
    const bool folderExists = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    SessionJournal earlier;
    bool hasEarlier = false;
    if (folderExists) {
        // Another station's journal is not read, let alone continued.
        m_lock = std::make_unique<OutputFolderLock>(m_folder);
        std::string text;
        if (AtomicFile::Read(journalPath, text)) {
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

    // The folder must take files before the first dialog, not after the first answer.
    ::CreateDirectoryW(m_folder.c_str(), nullptr);
    if (!m_lock) {
        m_lock = std::make_unique<OutputFolderLock>(m_folder);
    }
    for (const wchar_t* sub : {L"\\train", L"\\pages", L"\\ocr"}) {
        if (!m_options.OnePageForm() || std::wstring(sub) == L"\\train") {
            ::CreateDirectoryW((m_folder + sub).c_str(), nullptr);
        }
    }
    std::string error;
    const std::wstring probe = m_folder + L"\\train\\.probe";
    if (!AtomicFile::Write(probe, "", error)) {
        throw InputError(m_folder, "the output folder cannot be written: " + error);
    }
    ::DeleteFileW(probe.c_str());
    if (m_options.restart && hasEarlier) {
        m_outputs->Forget(earlier);
    } else if (m_options.restart) {
        ::DeleteFileW(journalPath.c_str());
    }
    if (!m_options.screenshots.empty()) {
        ::CreateDirectoryW(m_options.screenshots.c_str(), nullptr);
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
        if (!page.ocrByStation) {
            CheckUnchanged(before.tsv, page.tsv, journalPath);
            CheckUnchanged(before.hocr, page.hocr, journalPath);
            CheckUnchanged(before.xml, page.xml, journalPath);
        } else if (before.state != "waiting" && before.state != "failed") {
            // The engine's output kept from the earlier run: the page is not recognised again.
            std::map<std::wstring, std::string> hashes;
            CheckUnchanged(before.tsv, Hashed(Wide(before.tsv.path), hashes), journalPath);
            CheckUnchanged(before.hocr, Hashed(Wide(before.hocr.path), hashes), journalPath);
            page.tsv = before.tsv;
            page.hocr = before.hocr;
            m_recognised[i] = {Wide(before.tsv.path), Wide(before.hocr.path)};
        }
        // A failed page is tried again; the others go on where they stopped.
        page.state = before.state == "failed" ? page.state : before.state;
        for (const VerifiedWord& word : before.words) {
            if (word.Answered()) {
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

VerificationSession::Summary VerificationSession::Run()
{
    Summary summary;
    summary.pages = static_cast<int>(m_plan.pages.size());
    std::vector<bool> skip;
    for (const JournalPage& page : m_journal.pages) {
        skip.push_back(page.state == "done");
    }
    PageWorker worker(m_plan.pages, skip, m_recognised, m_engine, m_folder + L"\\ocr", m_options.ahead);
    m_journal.finished = false;
    std::unique_ptr<SessionFailure> failure;
    for (size_t position = 0; position < m_plan.pages.size() && !summary.cancelled && !failure; ++position) {
        JournalPage& journalPage = m_journal.pages[position];
        const PlannedPage& planned = m_plan.pages[position];
        const std::string pageLine = "page " + std::to_string(position + 1) + " of " +
                                     std::to_string(m_plan.pages.size()) + " (" + planned.Name() + ")";
        if (skip[position]) {
            for (const VerifiedWord& word : journalPage.words) {
                summary.toVerify += 1;
                summary.earlier += word.Answered() ? 1 : 0;
            }
            continue;
        }
        std::shared_ptr<PreparedPage> page = worker.Take(position, [&] {
            if (planned.NeedsEngine() && m_recognised.count(position) == 0) {
                m_print(pageLine + ": waiting for the engine to read it");
            }
        });
        NoteRecognitions(worker);
        if (!page->failure.empty()) {
            journalPage.state = "failed";
            journalPage.failure = page->failure;
            ++summary.pagesFailed;
            m_print(pageLine + ": failed, " + page->failure + "; skipped, a later run tries it again");
            WriteJournal();
            continue;
        }
        journalPage.state = "in progress";
        try {
            const bool cancelled = VerifyPage(position, *page, summary);
            summary.cancelled = cancelled;
            journalPage.state = cancelled ? "in progress" : "done";
        } catch (const SessionFailure& fault) {
            failure = std::make_unique<SessionFailure>(fault);
        }
        // The page's state goes into the journal with the next answer: the page turn waits
        // for no file. (A page left "in progress" with every word answered is finished by
        // the next run without a dialog.)
        PostOutputs(worker, position, page);
    }
    worker.Finish();
    NoteRecognitions(worker);
    m_journal.finished = true;
    for (const JournalPage& page : m_journal.pages) {
        m_journal.finished = m_journal.finished && page.state == "done";
    }
    m_outputs->WriteSession(m_plan.pages, m_journal);
    WriteJournal();
    m_lock.reset(); // the session is over: the folder is free for the next one
    if (failure) {
        throw SessionFailure(*failure);
    }
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
        char below[32];
        std::snprintf(below, sizeof below, "%g", m_options.below);
        m_print("page " + std::to_string(position + 1) + " of " + std::to_string(m_plan.pages.size()) + " (" +
                m_plan.pages[position].Name() + "): " + std::to_string(toVerify.size()) + " words below " + below);
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
        Record(journalWords, page.words, record);
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
    wchar_t text[TARSIL_MAX_LENGTH + 1] = {};
    std::wstring recognised;
    Utf8ToWide(word.text, recognised);
    recognised.copy(text, recognised.size());
    const double pixels = word.xSize > 0 ? word.xSize : word.box.height;
    double size = Hundredths(pixels * 72.0 / page.image.Dpi());
    double orientation = Hundredths(-std::atan(word.baselineSlope) * 180.0 / kPi);
    record.size = size;
    record.orientation = orientation;

    const WordImage image(page.image.Grey(), word.box);
    const WordPicture picture = image.Picture(word.characters, m_options.charBelow);
    const std::wstring caption = Caption(static_cast<int>(position) + 1, static_cast<int>(m_plan.pages.size()),
                                         ordinal, total);
    g_shownPicture = &picture;
    g_shownCaption = caption.c_str();

    // Unattended: the kit's driver answers once the dialog has painted.
    std::unique_ptr<tarsil::DialogDriver> driver;
    if (!m_options.press.empty() || !m_options.screenshots.empty() || !m_answers.Empty()) {
        driver = std::make_unique<tarsil::DialogDriver>(m_options.press.empty() ? INFINITE : 60000);
        if (!m_options.screenshots.empty()) {
            const std::wstring path = m_options.screenshots + L"\\" +
                                      PageOutputs::WordFileName(m_journal.pages[position].name, word.index) + L".png";
            driver->Do([this, path](tarsil::DialogDriver& d) {
                if (!SaveScreenshot(d.Dialog(), path)) {
                    m_print("could not write " + WideToUtf8(path));
                }
            });
        }
        m_answers.Type(*driver, word.text);
        if (m_options.press == L"ok") {
            // The dialog refuses OK for an empty word with a message box: that word is
            // answered with Ignore instead. Otherwise the dialog has ended and the rest of
            // the steps never run.
            driver->Click(IDOK).AwaitMessageBox().CloseMessageBox().Click(TARSIL_TEXT_IGNORE);
        } else if (!m_options.press.empty()) {
            driver->Click(m_options.press == L"ignore" ? TARSIL_TEXT_IGNORE : IDCANCEL);
        }
    }

    int reserved = 0;
    int train = 0;
    int unchanged = 0;
    const double shown = Seconds();
    ::SetLastError(ERROR_SUCCESS);
    const int result = m_dialog(nullptr, 0, 0, text, TARSIL_MAX_LENGTH, &size, &orientation,
                                static_cast<int>(std::lround(word.confidence)), 0, 0, 0, 255, 255, 255, 220, 0, 0,
                                &DrawInk, &DrawUncertainInk, &reserved, &train, &unchanged, &LookupText);
    const DWORD error = ::GetLastError();
    record.seconds = Hundredths(Seconds() - shown);
    driver.reset();
    g_shownPicture = nullptr;
    g_shownCaption = nullptr;

    if (result == TARSIL_RESULT_OK) {
        record.outcome = "ok";
        record.corrected = WideToUtf8(OneLine(text));
        record.changed = record.corrected != word.text;
        record.train = train != 0;
        record.size = size;
        record.orientation = orientation;
        return Answer::kOk;
    }
    if (result == TARSIL_RESULT_IGNORE) {
        record.outcome = "ignore";
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

void VerificationSession::PostOutputs(PageWorker& worker, size_t position, std::shared_ptr<PreparedPage> page)
{
    // Written by the worker while the operator goes on: the page turn waits for none of it.
    const PlannedPage planned = m_plan.pages[position];
    const std::vector<VerifiedWord> words = m_journal.pages[position].words;
    const PageOutputs* outputs = m_outputs.get();
    worker.Post([outputs, planned, page, words] { outputs->WritePage(planned, *page, words); });
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
    char below[32];
    std::snprintf(below, sizeof below, "%g", m_options.below);
    std::string line = std::to_string(summary.toVerify) + " words below " + below +
                       ": " + std::to_string(summary.ok) + " ok (" + std::to_string(summary.corrected) +
                       " corrected, " + std::to_string(summary.forTraining) + " for training), " +
                       std::to_string(summary.ignored) + " ignored, " + std::to_string(summary.skipped) + " skipped";
    if (summary.earlier > 0) {
        line += ", " + std::to_string(summary.earlier) + " answered earlier";
    }
    line += summary.cancelled ? "; cancelled, the rest waits for the next run" : "; session complete";
    if (!m_options.OnePageForm()) {
        // The batch as a whole, every run counted: what the journal keeps.
        const JournalSummary& all = m_journal.summary;
        char pace[128];
        std::snprintf(pace, sizeof pace, "%.1f s a word, %.0f words an hour",
                      all.shown > 0 ? all.operatorSeconds / all.shown : 0.0,
                      all.operatorSeconds > 0 ? all.shown * 3600.0 / all.operatorSeconds : 0.0);
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
