#include "WordFeatures.h"

#include <cmath>

#include "Utf8.h"

namespace {

double Doubt(double confidence)
{
    // 0 for a sure 100, rising steeply near it: the engine's confidences crowd at the top.
    return std::log(101.0 - confidence);
}

long long SharedArea(const Box& a, const Box& b)
{
    const long long width = static_cast<long long>(std::min(a.Right(), b.Right())) - std::max(a.left, b.left);
    const long long height = static_cast<long long>(std::min(a.Bottom(), b.Bottom())) - std::max(a.top, b.top);
    return std::max(width, 0LL) * std::max(height, 0LL);
}

wchar_t FoldedUnit(wchar_t unit)
{
    switch (unit) {
    case L'\u017F':
        return L's';
    case L'\u201E': case L'\u201C': case L'\u201D': case L'\u201F': case L'\u00AB': case L'\u00BB': case L'\u2033':
        return L'"';
    case L'\u201A': case L'\u2018': case L'\u2019': case L'\u201B': case L'\u2039': case L'\u203A': case L'\u2032':
        return L'\'';
    case L'\u2010': case L'\u2011': case L'\u2012': case L'\u2013': case L'\u2014': case L'\u2015': case L'\u2212':
    case L'\u2E17':
        return L'-';
    default:
        return unit;
    }
}

} // namespace

WordFeatures WordFeatures::Of(const PageWords::Word& word, const PageWords* secondReading)
{
    WordFeatures features;
    features.wordDoubt = Doubt(word.confidence);
    features.charDoubt =
        Doubt(word.characters.empty() ? word.confidence : RecognisedCharacter::LeastConfidence(word.characters));
    if (secondReading != nullptr) {
        const PageWords::Word* other = Overlapping(word, *secondReading);
        features.secondDiffers = other == nullptr || Folded(other->text) != Folded(word.text);
    }
    return features;
}

const PageWords::Word* WordFeatures::Overlapping(const PageWords::Word& word, const PageWords& secondReading)
{
    const PageWords::Word* best = nullptr;
    long long bestArea = 0;
    for (const PageWords::Word& other : secondReading.Words()) {
        const long long area = SharedArea(word.box, other.box);
        if (area > bestArea) {
            best = &other;
            bestArea = area;
        }
    }
    return best;
}

std::wstring WordFeatures::Folded(const std::string& utf8)
{
    std::wstring text;
    if (!Utf8ToWide(utf8, text)) {
        // Not UTF-8 (no reader lets such text through): compared as it is, byte for byte.
        return std::wstring(utf8.begin(), utf8.end());
    }
    for (wchar_t& unit : text) {
        unit = FoldedUnit(unit);
    }
    // Two UTF-16 units are two code points here: a lone last unit that is '=' or '¬' follows
    // another character, never half of a surrogate pair.
    if (text.size() > 1 && (text.back() == L'=' || text.back() == L'\u00AC')) {
        text.back() = L'-';
    }
    return text;
}
