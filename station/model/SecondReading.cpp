#include "SecondReading.h"

#include "Utf8.h"

namespace {

long long Area(const Box& box)
{
    return box.Empty() ? 0 : static_cast<long long>(box.width) * box.height;
}

wchar_t FoldedCharacter(wchar_t c)
{
    switch (c) {
    case L'\u017F': // the long s, which models without it (deu) read as s
        return L's';
    case L'\u201E': case L'\u201C': case L'\u201D': case L'\u201F': case L'\u00AB': case L'\u00BB': case L'\u2033':
        return L'"';
    case L'\u201A': case L'\u2018': case L'\u2019': case L'\u201B': case L'\u2039': case L'\u203A': case L'\u2032':
        return L'\'';
    case L'\u2010': case L'\u2011': case L'\u2012': case L'\u2013': case L'\u2014': case L'\u2015': case L'\u2212':
    case L'\u2E17':
        return L'-';
    default:
        return c;
    }
}

} // namespace

const PageWords::Word* SecondReading::Match(const PageWords::Word& word, const PageWords& second)
{
    const PageWords::Word* best = nullptr;
    long long bestArea = 0;
    for (const PageWords::Word& other : second.Words()) {
        const long long shared = Area(word.box.ClippedTo(other.box));
        if (shared > bestArea) {
            best = &other;
            bestArea = shared;
        }
    }
    return best;
}

bool SecondReading::Differs(const PageWords::Word& word, const PageWords& second)
{
    const PageWords::Word* other = Match(word, second);
    return other == nullptr || Folded(other->text) != Folded(word.text);
}

std::string SecondReading::Folded(const std::string& text)
{
    std::wstring wide;
    if (!Utf8ToWide(text, wide)) {
        return text; // not UTF-8: compared as it is
    }
    size_t codePoints = 0;
    for (wchar_t& c : wide) {
        c = FoldedCharacter(c);
        codePoints += c >= 0xDC00 && c <= 0xDFFF ? 0 : 1; // a surrogate pair is one code point
    }
    if (codePoints >= 2 && (wide.back() == L'=' || wide.back() == L'\u00AC')) {
        wide.back() = L'-';
    }
    return WideToUtf8(wide);
}
