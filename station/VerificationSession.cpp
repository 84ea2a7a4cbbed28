#include "VerificationSession.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cwchar>
#include <map>

#include "AtomicFile.h"
#include "InputError.h"
#include "OcrFormat.h"
#include "PngWriter.h"
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

std::wstring FullPath(const std::wstring& path)
{
    if (path.empty()) {
        return path;
    }
    wchar_t full[MAX_PATH * 4];
    const DWORD length = ::GetFullPathNameW(path.c_str(), MAX_PATH * 4, full, nullptr);
    return length > 0 && length < MAX_PATH * 4 ? std::wstring(full, length) : path;
}

bool SamePath(const std::string& a, const std::string& b)
{
    std::wstring wideA;
    std::wstring wideB;
    Utf8ToWide(a, wideA);
    Utf8ToWide(b, wideB);
    return ::CompareStringOrdinal(wideA.c_str(), -1, wideB.c_str(), -1, TRUE) == CSTR_EQUAL;
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

// The file name of a word's training pair and screenshot: its index in four digits.
std::wstring FileName(int index)
{
    wchar_t name[16];
    std::swprintf(name, sizeof name / sizeof name[0], L"%04d", index);
    return name;
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

} // namespace

VerificationSession::VerificationSession(StationOptions options, DialogFn dialog, PrintFn print)
    : m_options(std::move(options))
    , m_dialog(dialog)
    , m_print(std::move(print))
{
}

std::wstring VerificationSession::Caption(int ordinal, int total)
{
    return L"Word Verification \u2013 " + std::to_wstring(ordinal) + L" of " + std::to_wstring(total);
}

void VerificationSession::Prepare()
{
    m_page = PageImage::Read(m_options.image);
    ReadRecognition();
    if (!m_options.answers.empty()) {
        m_answers = TypedAnswers::Read(m_options.answers);
    }

    m_journal.image = WideToUtf8(FullPath(m_options.image));
    m_journal.below = m_options.below;
    m_journal.charBelow = m_options.charBelow;
    m_journal.dpi = m_page.Dpi();

    m_folder = m_options.OutputFolder();
    const std::wstring journalPath = m_folder + L"\\session.json";
    std::string earlier;
    if (!m_options.restart && AtomicFile::Read(journalPath, earlier)) {
        SessionJournal previous;
        std::string error;
        if (!SessionJournal::FromJson(earlier, previous, error)) {
            throw InputError(journalPath, "is not a session of this program (" + error +
                                              "); --restart starts a new one");
        }
        if (!SamePath(previous.image, m_journal.image) || !SamePath(previous.tsv, m_journal.tsv) ||
            !SamePath(previous.hocr, m_journal.hocr) || !SamePath(previous.xml, m_journal.xml)) {
            throw InputError(journalPath, "was written for other input files; --restart starts a new session");
        }
        std::map<int, const PageWords::Word*> byIndex;
        for (const PageWords::Word& word : m_words.Words()) {
            byIndex[word.index] = &word;
        }
        for (const VerifiedWord& word : previous.words) {
            const auto found = byIndex.find(word.index);
            // The box too: the training pair of an earlier answer is cut from the page by it.
            if (found == byIndex.end() || found->second->text != word.text || !(found->second->box == word.box)) {
                throw InputError(journalPath, "word " + std::to_string(word.index) +
                                                  " is not the input's; --restart starts a new session");
            }
            if (word.Answered() && !SkipReason(*found->second).empty()) {
                throw InputError(journalPath, "word " + std::to_string(word.index) +
                                                  " has an answer, but cannot be shown; --restart starts a new session");
            }
            if (word.Answered()) {
                m_journal.words.push_back(word);
            }
        }
    }

    // The folder must take files before the first dialog, not after the first answer.
    ::CreateDirectoryW(m_folder.c_str(), nullptr);
    ::CreateDirectoryW((m_folder + L"\\train").c_str(), nullptr);
    std::string error;
    const std::wstring probe = m_folder + L"\\train\\.probe";
    if (!AtomicFile::Write(probe, "", error)) {
        throw InputError(m_folder, "the output folder cannot be written: " + error);
    }
    ::DeleteFileW(probe.c_str());
    if (m_options.restart) {
        ForgetEarlierSession(journalPath);
    }
    if (!m_options.screenshots.empty()) {
        ::CreateDirectoryW(m_options.screenshots.c_str(), nullptr);
    }
}

void VerificationSession::ReadRecognition()
{
    // --ocr stands for whichever of the others its content is.
    std::wstring tsv = m_options.tsv;
    std::wstring hocr = m_options.hocr;
    std::wstring xml;
    if (!m_options.ocr.empty()) {
        const OcrFormat::Kind format = OcrFormat::OfFile(m_options.ocr);
        std::wstring& slot = format == OcrFormat::kTsv ? tsv : format == OcrFormat::kHocr ? hocr : xml;
        if (!slot.empty()) {
            throw InputError(m_options.ocr, "is in the format of the other file given with it (--tsv or --hocr)");
        }
        slot = m_options.ocr;
    }
    if (!xml.empty() && (!tsv.empty() || !hocr.empty())) {
        throw InputError(xml, "an ALTO or PAGE document is read alone, without --tsv or --hocr");
    }
    if (!tsv.empty()) {
        m_tsv = std::make_unique<TsvDocument>(TsvDocument::Read(tsv));
    }
    if (!hocr.empty()) {
        m_hocr = std::make_unique<HocrDocument>(HocrDocument::Read(hocr));
    }
    if (!xml.empty()) {
        m_layout = LayoutDocument::Read(xml, m_page.Dpi());
        m_words = m_layout->Words();
    } else {
        m_words = PageWords::From(m_tsv.get(), m_hocr.get(), hocr);
    }
    m_journal.tsv = WideToUtf8(FullPath(tsv));
    m_journal.hocr = WideToUtf8(FullPath(hocr));
    m_journal.xml = WideToUtf8(FullPath(xml));
}

void VerificationSession::ForgetEarlierSession(const std::wstring& journalPath)
{
    // The earlier session's training pairs would otherwise be taken for this one's.
    std::string earlier;
    SessionJournal previous;
    std::string error;
    if (AtomicFile::Read(journalPath, earlier) && SessionJournal::FromJson(earlier, previous, error)) {
        for (const VerifiedWord& word : previous.words) {
            if (word.train) {
                const std::wstring name = FileName(word.index);
                ::DeleteFileW((m_folder + L"\\train\\" + name + L".png").c_str());
                ::DeleteFileW((m_folder + L"\\train\\" + name + L".gt.txt").c_str());
            }
        }
    }
    ::DeleteFileW(journalPath.c_str());
}

std::string VerificationSession::SkipReason(const PageWords::Word& word) const
{
    if (word.box.Empty()) {
        return "empty box (" + std::to_string(word.box.width) + " x " + std::to_string(word.box.height) + ")";
    }
    if (WordImage(m_page.Grey(), word.box).Crop().Empty()) {
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

VerificationSession::Summary VerificationSession::Run()
{
    std::vector<const PageWords::Word*> toVerify;
    for (const PageWords::Word& word : m_words.Words()) {
        if (word.confidence < m_options.below) {
            toVerify.push_back(&word);
        }
    }
    std::map<int, VerifiedWord> earlier;
    for (const VerifiedWord& word : m_journal.words) {
        earlier[word.index] = word;
    }
    // The dialogs are numbered among the words that can be shown, answered earlier or not,
    // so that a resumed session shows the same "3 of 17" as the first.
    std::vector<std::string> skipReasons;
    int total = 0;
    for (const PageWords::Word* word : toVerify) {
        skipReasons.push_back(SkipReason(*word));
        total += skipReasons.back().empty() ? 1 : 0;
    }

    Summary summary;
    summary.toVerify = static_cast<int>(toVerify.size());
    int ordinal = 0;
    m_journal.finished = false;
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
            Record(record);
            m_print("skipped " + Quoted(word.text) + " (row " + std::to_string(word.index) + "): " + record.reason);
            continue;
        }
        ++ordinal;
        if (earlier.count(word.index) != 0) {
            ++summary.earlier;
            continue;
        }
        const Answer answer = Show(word, ordinal, total, record);
        Record(record);
        if (answer == Answer::kOk) {
            ++summary.ok;
            summary.corrected += record.changed ? 1 : 0;
            summary.forTraining += record.train ? 1 : 0;
        } else if (answer == Answer::kIgnore) {
            ++summary.ignored;
        }
        // The journal after every answer: a session that is interrupted loses no answer, and
        // the next run makes the other files from it.
        Write(L"session.json", m_journal.ToJson());
        m_print(Progress(ordinal, total, record));
        if (answer == Answer::kCancel) {
            summary.cancelled = true;
            break;
        }
    }
    m_journal.finished = !summary.cancelled;
    WriteOutputs();

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
    m_print(line);
    m_print("results in " + WideToUtf8(m_folder));
    return summary;
}

VerificationSession::Answer VerificationSession::Show(const PageWords::Word& word, int ordinal, int total,
                                                      VerifiedWord& record)
{
    // A careful host: a buffer for the longest word the library takes, so that the
    // correction may be longer than the recognised word.
    wchar_t text[TARSIL_MAX_LENGTH + 1] = {};
    std::wstring recognised;
    Utf8ToWide(word.text, recognised);
    recognised.copy(text, recognised.size());
    const double pixels = word.xSize > 0 ? word.xSize : word.box.height;
    double size = Hundredths(pixels * 72.0 / m_page.Dpi());
    double orientation = Hundredths(-std::atan(word.baselineSlope) * 180.0 / kPi);
    record.size = size;
    record.orientation = orientation;

    const WordImage image(m_page.Grey(), word.box);
    const WordPicture picture = image.Picture(word.characters, m_options.charBelow);
    const std::wstring caption = Caption(ordinal, total);
    g_shownPicture = &picture;
    g_shownCaption = caption.c_str();

    // Unattended: the kit's driver answers once the dialog has painted.
    std::unique_ptr<tarsil::DialogDriver> driver;
    if (!m_options.press.empty() || !m_options.screenshots.empty() || !m_answers.Empty()) {
        driver = std::make_unique<tarsil::DialogDriver>(m_options.press.empty() ? INFINITE : 60000);
        if (!m_options.screenshots.empty()) {
            const std::wstring path = m_options.screenshots + L"\\" + FileName(word.index) + L".png";
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
    ::SetLastError(ERROR_SUCCESS);
    const int result = m_dialog(nullptr, 0, 0, text, TARSIL_MAX_LENGTH, &size, &orientation,
                                static_cast<int>(std::lround(word.confidence)), 0, 0, 0, 255, 255, 255, 220, 0, 0,
                                &DrawInk, &DrawUncertainInk, &reserved, &train, &unchanged, &LookupText);
    const DWORD error = ::GetLastError();
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
        WriteOutputs();
        throw SessionFailure("the dialog for word " + std::to_string(word.index) +
                             " could not be shown (error " + std::to_string(error) + ")");
    }
    record.outcome = "cancel";
    return Answer::kCancel;
}

void VerificationSession::Record(const VerifiedWord& record)
{
    // Kept in reading order: the order of the page's words.
    std::map<int, size_t> position;
    for (size_t i = 0; i < m_words.Words().size(); ++i) {
        position[m_words.Words()[i].index] = i;
    }
    auto& words = m_journal.words;
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

void VerificationSession::WriteTrainingPair(const VerifiedWord& record)
{
    const GreyImage crop = WordImage(m_page.Grey(), record.box).CropPixels();
    const std::wstring name = FileName(record.index);
    const std::vector<std::uint8_t> png = EncodePng(crop.width, crop.height, 1, crop.grey);
    if (png.empty()) {
        throw SessionFailure("the crop of word " + std::to_string(record.index) + " cannot be encoded as PNG");
    }
    Write(L"train\\" + name + L".png", std::string(png.begin(), png.end()));
    Write(L"train\\" + name + L".gt.txt", record.corrected + "\n");
}

void VerificationSession::WriteOutputs()
{
    std::map<int, const VerifiedWord*> verified;
    for (const VerifiedWord& word : m_journal.words) {
        if (word.outcome == "ok") {
            verified[word.index] = &word;
            if (word.train) {
                WriteTrainingPair(word);
            }
        }
    }
    std::map<int, std::string> texts;         // by index
    std::map<int, std::string> documentTexts; // by position in the hOCR, ALTO or PAGE document
    for (const PageWords::Word& word : m_words.Words()) {
        const auto found = verified.find(word.index);
        if (found != verified.end()) {
            texts[word.index] = found->second->corrected;
            if (word.position > 0) {
                documentTexts[word.position] = found->second->corrected;
            }
        }
    }
    if (m_tsv) {
        Write(L"verified.tsv", m_tsv->WithVerified(texts));
    }
    if (m_hocr) {
        Write(L"verified.hocr", m_hocr->WithVerified(documentTexts));
    }
    if (m_layout) {
        Write(L"verified.xml", m_layout->WithVerified(documentTexts));
    }
    std::string text;
    int line = -1;
    for (const PageWords::Word& word : m_words.Words()) {
        if (line != -1) {
            text += word.line != line ? "\n" : " ";
        }
        line = word.line;
        const auto found = verified.find(word.index);
        text += found != verified.end() ? found->second->corrected : word.text;
    }
    if (line != -1) {
        text += "\n";
    }
    Write(L"text.txt", text);
    Write(L"session.json", m_journal.ToJson());
}

void VerificationSession::Write(const std::wstring& name, const std::string& content)
{
    std::string error;
    if (!AtomicFile::Write(m_folder + L"\\" + name, content, error)) {
        throw SessionFailure("cannot write " + WideToUtf8(m_folder + L"\\" + name) + ": " + error);
    }
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
