#include "TruthPage.h"

#include <algorithm>

#include "InputError.h"
#include "InputFile.h"
#include "ParseNumber.h"
#include "Utf8.h"
#include "XmlSource.h"

namespace {

long long Coordinate(const XmlSource& source, std::wstring_view text)
{
    long long value = 0;
    if (!ParseInteger(text, 0, Box::kMaxCoordinate, value)) {
        source.Fail("a coordinate is not a whole number from 0 to " + std::to_string(Box::kMaxCoordinate) + ": \"" +
                    WideToUtf8(std::wstring(text)) + "\"");
    }
    return value;
}

// The box around a PAGE Coords' points ("10,20 30,20 30,40").
Box OutlineBox(const XmlSource& source)
{
    const std::wstring points = source.Attribute(L"points");
    long long left = Box::kMaxCoordinate;
    long long top = Box::kMaxCoordinate;
    long long right = -1;
    long long bottom = -1;
    size_t start = 0;
    while (start < points.size()) {
        const size_t end = std::min(points.find(L' ', start), points.size());
        const std::wstring_view pair = std::wstring_view(points).substr(start, end - start);
        const size_t comma = pair.find(L',');
        if (!pair.empty()) {
            if (comma == std::wstring_view::npos) {
                source.Fail("\"points\" is not a list of x,y pairs");
            }
            const long long x = Coordinate(source, pair.substr(0, comma));
            const long long y = Coordinate(source, pair.substr(comma + 1));
            left = std::min(left, x);
            top = std::min(top, y);
            right = std::max(right, x);
            bottom = std::max(bottom, y);
        }
        start = end + 1;
    }
    if (right < 0) {
        source.Fail("\"points\" holds no point");
    }
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
            static_cast<int>(bottom - top)};
}

int Dimension(const XmlSource& source, const wchar_t* name)
{
    std::wstring text;
    return source.Attribute(name, text) ? static_cast<int>(Coordinate(source, text)) : 0;
}

// PAGE: each TextLine's and Word's text from its TextEquiv of the lowest index (one without
// an index counts as lowest), as the station reads an engine's PAGE.
void ReadPage(XmlSource& source, const std::wstring& space, TruthPage& page)
{
    enum Kind { kOther, kLine, kWord, kEquiv, kUnicode };
    struct Open {
        Kind kind = kOther;
        long long index = -1; // a TextEquiv's
    };
    // The open line or word whose text a Unicode gives: by position, as the lists grow.
    struct Holder {
        size_t line = 0;
        long long word = -1; // -1: the line itself
        bool has = false;
        long long index = -1; // of the TextEquiv taken
    };
    std::vector<Open> open;
    std::vector<Holder> holders;
    std::wstring text;
    while (source.Next()) {
        const XmlNodeType type = source.Type();
        if (type == XmlNodeType_Element) {
            const std::wstring name = source.LocalNameIn(space);
            const Kind parent = open.empty() ? kOther : open.back().kind;
            Open entry;
            if (name == L"Page") {
                page.width = Dimension(source, L"imageWidth");
                page.height = Dimension(source, L"imageHeight");
            } else if (name == L"TextLine") {
                page.lines.emplace_back();
                entry.kind = kLine;
            } else if (name == L"Word" && parent == kLine) {
                page.lines.back().words.emplace_back();
                entry.kind = kWord;
            } else if (name == L"Coords" && (parent == kLine || parent == kWord)) {
                (parent == kLine ? page.lines.back().box : page.lines.back().words.back().box) = OutlineBox(source);
            } else if (name == L"TextEquiv" && (parent == kLine || parent == kWord)) {
                std::wstring index;
                entry.kind = kEquiv;
                entry.index = source.Attribute(L"index", index) ? Coordinate(source, index) : -1;
            } else if (name == L"Unicode" && parent == kEquiv) {
                entry.kind = kUnicode;
                text.clear();
            }
            if (source.EmptyElement()) {
                continue;
            }
            open.push_back(entry);
            if (entry.kind == kLine || entry.kind == kWord) {
                const size_t line = page.lines.size() - 1;
                holders.push_back({line, entry.kind == kWord ? static_cast<long long>(page.lines[line].words.size()) - 1 : -1});
            }
        } else if ((type == XmlNodeType_Text || type == XmlNodeType_CDATA || type == XmlNodeType_Whitespace) &&
                   !open.empty() && open.back().kind == kUnicode) {
            text += source.Value();
        } else if (type == XmlNodeType_EndElement && !open.empty()) {
            const Kind closed = open.back().kind;
            open.pop_back();
            if (closed == kLine || closed == kWord) {
                holders.pop_back();
            } else if (closed == kUnicode && !open.empty() && !holders.empty()) {
                Holder& holder = holders.back();
                const long long index = open.back().index;
                if (!holder.has || index < holder.index) {
                    TruthPage::Line& line = page.lines[holder.line];
                    (holder.word < 0 ? line.text : line.words[static_cast<size_t>(holder.word)].text) = WideToUtf8(text);
                    holder = {holder.line, holder.word, true, index};
                }
            }
        }
    }
}

// ALTO in pixels: each TextLine's box, its Strings' boxes and CONTENT, its text those joined.
void ReadAlto(XmlSource& source, const std::wstring& space, TruthPage& page)
{
    auto box = [&source] {
        return Box{Dimension(source, L"HPOS"), Dimension(source, L"VPOS"), Dimension(source, L"WIDTH"),
                   Dimension(source, L"HEIGHT")};
    };
    bool inUnit = false;
    while (source.Next()) {
        if (source.Type() == XmlNodeType_Element) {
            const std::wstring name = source.LocalNameIn(space);
            inUnit = name == L"MeasurementUnit" && !source.EmptyElement();
            if (name == L"Page") {
                page.width = Dimension(source, L"WIDTH");
                page.height = Dimension(source, L"HEIGHT");
            } else if (name == L"TextLine") {
                page.lines.push_back({box(), "", {}});
            } else if (name == L"String" && !page.lines.empty()) {
                TruthPage::Line& line = page.lines.back();
                line.words.push_back({box(), WideToUtf8(source.Attribute(L"CONTENT"))});
                line.text += (line.text.empty() ? "" : " ") + line.words.back().text;
            }
        } else if (source.Type() == XmlNodeType_Text && inUnit && source.Value() != L"pixel") {
            source.Fail("the truth's measurements are not in pixels");
        } else if (source.Type() == XmlNodeType_EndElement) {
            inUnit = false;
        }
    }
}

} // namespace

bool TruthPage::HasWords() const
{
    return std::any_of(lines.begin(), lines.end(), [](const Line& line) { return !line.words.empty(); });
}

TruthPage TruthPage::Read(const std::wstring& path)
{
    return Parse(InputFile::Read(path), path);
}

TruthPage TruthPage::Parse(const std::string& bytes, const std::wstring& path)
{
    XmlSource source(bytes, path);
    TruthPage page;
    while (source.Next()) {
        if (source.Type() != XmlNodeType_Element) {
            continue;
        }
        const std::wstring space = source.NamespaceUri();
        if (source.LocalName() == L"PcGts") {
            ReadPage(source, space, page);
        } else if (source.LocalName() == L"alto") {
            ReadAlto(source, space, page);
        } else {
            source.Fail("the truth is neither PAGE XML nor ALTO");
        }
        return page;
    }
    throw InputError(path, "the truth holds no element");
}
