#include "TruthText.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "Utf8.h"

namespace {

// Composed with the platform's NormalizeString; text it cannot compose is compared as written.
std::wstring Composed(const std::wstring& text)
{
    if (text.empty()) {
        return text;
    }
    const int size = static_cast<int>(text.size());
    int capacity = ::NormalizeString(NormalizationC, text.c_str(), size, nullptr, 0);
    for (int attempt = 0; attempt < 4 && capacity > 0; ++attempt) {
        std::wstring composed(static_cast<size_t>(capacity), L'\0');
        const int written = ::NormalizeString(NormalizationC, text.c_str(), size, &composed[0], capacity);
        if (written > 0) {
            composed.resize(static_cast<size_t>(written));
            return composed;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            break;
        }
        capacity = -written; // the size it estimates now
    }
    return text;
}

void ReplaceAll(std::wstring& text, const std::wstring& written, const std::wstring& meant)
{
    for (size_t at = text.find(written); at != std::wstring::npos; at = text.find(written, at + meant.size())) {
        text.replace(at, written.size(), meant);
    }
}

std::u32string CodePoints(const std::string& utf8)
{
    std::wstring wide;
    Utf8ToWide(utf8, wide);
    std::u32string points;
    for (size_t i = 0; i < wide.size(); ++i) {
        const char32_t unit = wide[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] < 0xE000) {
            points.push_back(0x10000 + ((unit - 0xD800) << 10) + (static_cast<char32_t>(wide[i + 1]) - 0xDC00));
            ++i;
        } else {
            points.push_back(unit);
        }
    }
    return points;
}

} // namespace

std::string TruthText::Fold(const std::string& text, bool longSAsS)
{
    std::wstring wide;
    Utf8ToWide(text, wide);
    wide = Composed(wide);
    // The small e above (U+0364) after a, o, u, and the private-use letters of the Medieval
    // Unicode Font Initiative for them.
    static const wchar_t* const kUmlauts[][2] = {
        {L"a\u0364", L"\u00e4"}, {L"o\u0364", L"\u00f6"}, {L"u\u0364", L"\u00fc"}, {L"A\u0364", L"\u00c4"},
        {L"O\u0364", L"\u00d6"}, {L"U\u0364", L"\u00dc"}, {L"\ue42c", L"\u00e4"}, {L"\ue644", L"\u00f6"},
        {L"\ue72b", L"\u00fc"}};
    for (const auto& umlaut : kUmlauts) {
        ReplaceAll(wide, umlaut[0], umlaut[1]);
    }
    static const std::wstring kDoubleQuotes = L"\u201e\u201c\u201d\u201f\u00ab\u00bb\u2033";
    static const std::wstring kSingleQuotes = L"\u201a\u2018\u2019\u201b\u2039\u203a\u2032";
    static const std::wstring kDashes = L"\u2010\u2011\u2012\u2013\u2014\u2015\u2212\u2e17";
    for (wchar_t& c : wide) {
        if (kDoubleQuotes.find(c) != std::wstring::npos) {
            c = L'"';
        } else if (kSingleQuotes.find(c) != std::wstring::npos) {
            c = L'\'';
        } else if (kDashes.find(c) != std::wstring::npos) {
            c = L'-';
        } else if (c == L'\u017f' && longSAsS) {
            c = L's';
        }
    }
    // A line-end hyphen, in a word of more than one code point (none of these is a surrogate).
    if (CodePoints(WideToUtf8(wide)).size() > 1 && (wide.back() == L'=' || wide.back() == L'\u00ac')) {
        wide.back() = L'-';
    }
    return WideToUtf8(Composed(wide));
}

bool TruthText::Wrong(const std::string& engine, const std::string& truth)
{
    return Fold(engine, false) != Fold(truth, false);
}

double TruthText::Distance(const std::string& a, const std::string& b)
{
    const std::u32string left = CodePoints(a);
    const std::u32string right = CodePoints(b);
    std::vector<size_t> previous(right.size() + 1);
    for (size_t j = 0; j <= right.size(); ++j) {
        previous[j] = j;
    }
    for (size_t i = 1; i <= left.size(); ++i) {
        std::vector<size_t> current(right.size() + 1);
        current[0] = i;
        for (size_t j = 1; j <= right.size(); ++j) {
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1,
                                   previous[j - 1] + (left[i - 1] != right[j - 1] ? 1 : 0)});
        }
        previous.swap(current);
    }
    const size_t longer = std::max<size_t>({left.size(), right.size(), 1});
    return static_cast<double>(previous[right.size()]) / static_cast<double>(longer);
}
