#include "TruthOperator.h"

#include <algorithm>

#include "InputError.h"
#include "Utf8.h"
#include "WordOnShow.h"

namespace {

TruthOperator* g_operator = nullptr;

} // namespace

TruthOperator::TruthOperator(const std::wstring& folder, const BatchPlan& plan)
{
    for (const PlannedPage& page : plan.pages) {
        const std::wstring file = TruthFile(folder, page);
        if (::GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
            throw InputError(file, "there is no truth for the page " + page.Name());
        }
        TruthPage truth = TruthPage::Read(file);
        if ((truth.width != 0 && truth.width != page.size.width) ||
            (truth.height != 0 && truth.height != page.size.height)) {
            throw InputError(file, "the truth is of a page of " + std::to_string(truth.width) + " x " +
                                       std::to_string(truth.height) + " pixels, the image " + page.Name() + " of " +
                                       std::to_string(page.size.width) + " x " + std::to_string(page.size.height));
        }
        m_truths.push_back(std::move(truth));
    }
    g_operator = this;
}

TruthOperator::~TruthOperator()
{
    if (g_operator == this) {
        g_operator = nullptr;
    }
}

std::wstring TruthOperator::TruthFile(const std::wstring& folder, const PlannedPage& page)
{
    const size_t slash = page.image.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? page.image : page.image.substr(slash + 1);
    const size_t dot = name.find_last_of(L'.');
    name = dot == std::wstring::npos || dot == 0 ? name : name.substr(0, dot);
    if (page.frames > 1) {
        name += L"-frame" + std::to_wstring(page.frame + 1);
    }
    const bool separated = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/');
    return folder + (separated ? L"" : L"\\") + name + L".xml";
}

bool TruthOperator::TruthOfWordOnShow(std::string& text)
{
    const WordOnShow* onShow = WordOnShow::Current();
    if (onShow == nullptr || onShow->Position() >= m_truths.size()) {
        return false;
    }
    auto alignment = m_alignments.find(onShow->Position());
    if (alignment == m_alignments.end()) {
        alignment = m_alignments
                        .emplace(onShow->Position(),
                                 TruthAlignment::Match(onShow->Page().words, m_truths[onShow->Position()]))
                        .first;
    }
    const auto pair = alignment->second.Pairs().find(onShow->Word().index);
    if (pair == alignment->second.Pairs().end()) {
        return false;
    }
    text = pair->second;
    return true;
}

int WINAPI TruthOperator::Answer(HWND, int, int, wchar_t* text, int length, double*, double*, int, int, int, int,
                                 int, int, int, int, int, int, LayerDrawFn, LayerDrawFn, int*, int* trainOut,
                                 int* unchangedOut, TextLookupFn) noexcept
{
    if (g_operator == nullptr || text == nullptr || length <= 0 || trainOut == nullptr || unchangedOut == nullptr) {
        ::SetLastError(ERROR_INVALID_PARAMETER); // no dialog: the session stops, saying so
        return TARSIL_RESULT_CANCEL;
    }
    try {
        std::string truth;
        std::wstring answer;
        // A truth the text field cannot hold, or an empty one, is not typed: the engine's reading stays.
        if (!g_operator->TruthOfWordOnShow(truth) || !Utf8ToWide(truth, answer) || answer.empty() ||
            answer.size() > static_cast<size_t>(length)) {
            ++g_operator->m_shownUnmatched;
            const WordOnShow* onShow = WordOnShow::Current();
            if (onShow == nullptr || !Utf8ToWide(onShow->Word().text, answer) ||
                answer.size() > static_cast<size_t>(length)) {
                answer = text;
            }
        }
        const bool unchanged = answer == text;
        std::fill(text, text + length, L'\0');
        answer.copy(text, answer.size());
        *trainOut = 0;
        *unchangedOut = unchanged ? 1 : 0;
        return TARSIL_RESULT_OK;
    } catch (...) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return TARSIL_RESULT_CANCEL;
    }
}
