#include "WordDialog.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "CorrectionProposals.h"
#include "SessionFailure.h"
#include "ShownPicture.h"
#include "UnattendedAnswer.h"
#include "Utf8.h"
#include "WordInLine.h"
#include "WordOnShow.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// The caption of the dialog on show: the text lookup is a plain function pointer, and the
// library serves one call at a time, so the caption lives here during its call.
const wchar_t* g_shownCaption = nullptr;

const wchar_t* WINAPI LookupText(int id) noexcept
{
    return id == TARSIL_TEXT_CAPTION ? g_shownCaption : nullptr; // the library's own texts for the rest
}

double Hundredths(double value)
{
    const double rounded = std::round(value * 100.0) / 100.0;
    return rounded == 0 ? 0.0 : rounded; // no "-0"
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

} // namespace

WordDialog::WordDialog(const StationOptions& options, const PreparedSession& session, RastStartDialogFn dialog,
                       PrintFn print)
    : m_options(options)
    , m_session(session)
    , m_dialog(dialog)
    , m_print(std::move(print))
{
}

std::wstring WordDialog::Caption(int ordinal, int total)
{
    return L"Word Verification \u2013 " + std::to_wstring(ordinal) + L" of " + std::to_wstring(total);
}

std::wstring WordDialog::Caption(int page, int pages, int ordinal, int total)
{
    if (pages <= 1) {
        return Caption(ordinal, total);
    }
    return L"Word Verification \u2013 page " + std::to_wstring(page) + L" of " + std::to_wstring(pages) +
           L" \u2013 word " + std::to_wstring(ordinal) + L" of " + std::to_wstring(total);
}

WordDialog::Answer WordDialog::Show(size_t position, const PreparedPage& page,
                                    const PageWords::Word& word, int ordinal, int total,
                                    const std::string& proposed, VerifiedWord& record) const
{
    // A careful host: a buffer for the longest word the library takes, so that the
    // correction may be longer than the recognised word.
    // The field opens with the word's earlier correction where there is one, else with the
    // recognised text (never longer than the library takes: PageLoop::SkipReason).
    wchar_t text[TARSIL_MAX_LENGTH + 1] = {};
    record.proposed = proposed;
    std::wstring initial;
    Utf8ToWide(record.proposed.empty() ? word.text : record.proposed, initial);
    initial.copy(text, std::min<size_t>(initial.size(), TARSIL_MAX_LENGTH));
    const double pixels = word.xSize > 0 ? word.xSize : word.box.height;
    double size = Hundredths(pixels * 72.0 / page.image.Dpi());
    double orientation = Hundredths(-std::atan(word.baselineSlope) * 180.0 / kPi);
    record.size = size;
    record.orientation = orientation;

    // The word in its line, made once, before the call.
    const WordPicture picture = WordInLine::Draw(page.image.Grey(), page.words, word, m_session.charBelow);
    std::wstring caption =
        Caption(static_cast<int>(position) + 1, static_cast<int>(m_session.plan.pages.size()), ordinal, total);
    if (!record.proposed.empty()) {
        caption += L" \u2013 proposed from an earlier correction";
    }
    // Unattended: the kit's driver answers once the dialog has painted.
    const std::wstring screenshot =
        m_options.screenshots.empty()
            ? std::wstring()
            : OutputLayout::Screenshot(m_options.screenshots, m_session.store->Record().pages[position].name, word.index);
    std::optional<UnattendedAnswer> unattended;
    if (!m_options.press.empty() || !m_options.screenshots.empty() || !m_session.answers.Empty()) {
        unattended.emplace(m_options.press, screenshot,
                           [this, &word](tarsil::DialogDriver& driver) { m_session.answers.Type(driver, word.text); });
    }

    int reserved = 0;
    int train = 0;
    int unchanged = 0;
    int result = TARSIL_RESULT_CANCEL;
    DWORD error = ERROR_SUCCESS;
    const double shown = Seconds();
    {
        const ShownPicture onShow(picture);
        const WordOnShow wordOnShow(position, page, word);
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
        m_print("could not write " + WideToUtf8(screenshot));
    }
    unattended.reset();

    if (result == TARSIL_RESULT_OK) {
        record.outcome = WordOutcome::kOk;
        record.corrected = WideToUtf8(OneLine(text));
        record.changed = record.corrected != word.text;
        record.train = train != 0;
        record.size = size;
        record.orientation = orientation;
        record.proposal = CorrectionProposals::Fate(record);
        return Answer::kOk;
    }
    if (result == TARSIL_RESULT_IGNORE) {
        record.outcome = WordOutcome::kIgnore;
        record.proposal = CorrectionProposals::Fate(record);
        return Answer::kIgnore;
    }
    if (error != ERROR_SUCCESS) {
        throw SessionFailure("the dialog for word " + std::to_string(word.index) +
                             " could not be shown (error " + std::to_string(error) + ")");
    }
    record.outcome = WordOutcome::kCancel;
    return Answer::kCancel;
}
