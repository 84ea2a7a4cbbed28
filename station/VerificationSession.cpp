#include "VerificationSession.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cwchar>
#include <map>
#include <optional>

#include "AtomicFile.h"
#include "FileHandle.h"
#include "InputError.h"
#include "OcrFormat.h"
#include "OutputClash.h"
#include "PathName.h"
#include "PngWriter.h"
#include "ShownPicture.h"
#include "UnattendedAnswer.h"
#include "Utf8.h"
#include "WordImage.h"

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
    static_cast<void>(std::swprintf(name, sizeof name / sizeof name[0], L"%04d", index));
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

    m_journal.image = WideToUtf8(PathName::Full(m_options.image));
    m_journal.below = m_options.below;
    m_journal.charBelow = m_options.charBelow;

    m_folder = m_options.OutputFolder();
    RefuseOutputOverInput();
    const std::wstring journalPath = m_folder + L"\\session.json";
    std::string earlier;
    const bool journalExists = ::GetFileAttributesW(journalPath.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!m_options.restart && journalExists && !AtomicFile::Read(journalPath, earlier)) {
        // Taken for no session, its answers would be overwritten by the first new one.
        throw InputError(journalPath, "cannot be read: " + FileHandle::Reason(::GetLastError()));
    }
    if (!m_options.restart && journalExists) {
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
            if (found == byIndex.end() || found->second->text != word.text || !(found->second->box == word.box)) {
                throw InputError(journalPath, "word " + std::to_string(word.index) +
                                                  " is not the input's; --restart starts a new session");
            }
            if (word.Answered()) {
                m_journal.words.push_back(word);
            }
        }
    }

    CheckOutputsCanBeWritten();
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
    m_journal.tsv = WideToUtf8(PathName::Full(tsv));
    m_journal.hocr = WideToUtf8(PathName::Full(hocr));
    m_journal.xml = WideToUtf8(PathName::Full(xml));
}

void VerificationSession::RefuseOutputOverInput() const
{
    OutputClash clash;
    for (const std::wstring* input : {&m_options.image, &m_options.tsv, &m_options.hocr, &m_options.ocr,
                                      &m_options.answers}) {
        clash.AddInput(*input);
    }
    for (const std::wstring& name : DocumentNames()) {
        clash.AddOutputFile(m_folder + L"\\" + name);
    }
    // The training pairs are written and deleted there.
    clash.AddOutputFolder(m_folder + L"\\train");
    if (!m_options.screenshots.empty()) {
        for (const PageWords::Word& word : m_words.Words()) {
            clash.AddOutputFile(ScreenshotPath(word.index));
        }
    }
    std::wstring input;
    std::wstring output;
    if (clash.Find(input, output)) {
        throw InputError(input, "is an input, and the session would overwrite it as " + WideToUtf8(output) +
                                    ": give the session's outputs another folder");
    }
}

void VerificationSession::CheckOutputsCanBeWritten()
{
    // The very files the session writes, tried before the first dialog rather than after
    // the first answer.
    const std::wstring train = m_folder + L"\\train";
    const bool madeFolder = ::CreateDirectoryW(m_folder.c_str(), nullptr) != FALSE;
    const bool madeTrain = ::CreateDirectoryW(train.c_str(), nullptr) != FALSE;
    std::vector<std::wstring> names = DocumentNames();
    for (const PageWords::Word& word : m_words.Words()) {
        if (word.confidence < m_options.below) {
            names.push_back(L"train\\" + FileName(word.index) + L".png");
            names.push_back(L"train\\" + FileName(word.index) + L".gt.txt");
        }
    }
    for (const std::wstring& name : names) {
        std::string error;
        if (!AtomicFile::CanWrite(m_folder + L"\\" + name, error)) {
            if (madeTrain) {
                ::RemoveDirectoryW(train.c_str());
            }
            if (madeFolder) {
                ::RemoveDirectoryW(m_folder.c_str());
            }
            throw InputError(m_folder, "the output folder cannot be written: " + WideToUtf8(name) + ": " + error);
        }
    }
}

std::vector<std::wstring> VerificationSession::DocumentNames() const
{
    std::vector<std::wstring> names{L"session.json", L"text.txt"};
    if (m_tsv) {
        names.emplace_back(L"verified.tsv");
    }
    if (m_hocr) {
        names.emplace_back(L"verified.hocr");
    }
    if (m_layout) {
        names.emplace_back(L"verified.xml");
    }
    return names;
}

std::wstring VerificationSession::ScreenshotPath(int index) const
{
    return m_options.screenshots + L"\\" + FileName(index) + L".png";
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
    static_cast<void>(std::snprintf(below, sizeof below, "%g", m_options.below));
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

    // Unattended: the kit's driver answers once the dialog has painted.
    std::optional<UnattendedAnswer> unattended;
    if (!m_options.press.empty() || !m_options.screenshots.empty() || !m_answers.Empty()) {
        unattended.emplace(m_options.press, m_options.screenshots.empty() ? std::wstring() : ScreenshotPath(word.index),
                           [this, &word](tarsil::DialogDriver& driver) { m_answers.Type(driver, word.text); });
    }

    int reserved = 0;
    int train = 0;
    int unchanged = 0;
    int result = TARSIL_RESULT_CANCEL;
    DWORD error = ERROR_SUCCESS;
    {
        const ShownPicture shown(picture);
        g_shownCaption = caption.c_str();
        ::SetLastError(ERROR_SUCCESS);
        result = m_dialog(nullptr, 0, 0, text, TARSIL_MAX_LENGTH, &size, &orientation,
                          static_cast<int>(std::lround(word.confidence)), 0, 0, 0, 255, 255, 255, 220, 0, 0,
                          &ShownPicture::DrawInk, &ShownPicture::DrawUncertainInk, &reserved, &train, &unchanged,
                          &LookupText);
        error = ::GetLastError();
        g_shownCaption = nullptr;
    }
    if (unattended && unattended->ScreenshotFailed()) {
        m_print("could not write " + WideToUtf8(ScreenshotPath(word.index)));
    }
    unattended.reset();

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
