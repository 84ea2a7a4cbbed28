#include "PageXmlDocument.h"

#include <algorithm>
#include <set>

#include "InputError.h"
#include "OcrFormat.h"
#include "PageXmlWriter.h"
#include "ParseNumber.h"
#include "Utf8.h"
#include "XmlSource.h"

namespace {

struct Point {
    long long x = 0;
    long long y = 0;
};

// A points attribute ("10,20 30,20 30,40"): at least one point, every coordinate bounded.
std::vector<Point> Points(const XmlSource& source)
{
    const std::wstring text = source.Attribute(L"points");
    std::vector<Point> points;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L' ', start);
        end = end == std::wstring::npos ? text.size() : end;
        const std::wstring pair = text.substr(start, end - start);
        const size_t comma = pair.find(L',');
        Point point;
        if (!pair.empty() &&
            (comma == std::wstring::npos ||
             !ParseInteger(std::wstring_view(pair).substr(0, comma), 0, Box::kMaxCoordinate, point.x) ||
             !ParseInteger(std::wstring_view(pair).substr(comma + 1), 0, Box::kMaxCoordinate, point.y))) {
            source.Fail("\"points\" is not a list of x,y pairs from 0 to " + std::to_string(Box::kMaxCoordinate) +
                        ": \"" + WideToUtf8(pair) + "\"");
        }
        if (!pair.empty()) {
            points.push_back(point);
        }
        start = end + 1;
    }
    if (points.empty()) {
        source.Fail("\"points\" holds no point");
    }
    return points;
}

// The Page's imageWidth or imageHeight, in pixels; 0 when it has none.
double PageSize(const XmlSource& source, const wchar_t* name)
{
    std::wstring text;
    long long size = 0;
    if (source.Attribute(name, text) && !ParseInteger(text, 0, Box::kMaxCoordinate, size)) {
        source.Fail("\"" + WideToUtf8(name) + "\" is not a whole number from 0 to " +
                    std::to_string(Box::kMaxCoordinate) + ": \"" + WideToUtf8(text) + "\"");
    }
    return static_cast<double>(size);
}

Box BoundingBox(const std::vector<Point>& points)
{
    long long left = points[0].x;
    long long top = points[0].y;
    long long right = left;
    long long bottom = top;
    for (const Point& point : points) {
        left = std::min(left, point.x);
        top = std::min(top, point.y);
        right = std::max(right, point.x);
        bottom = std::max(bottom, point.y);
    }
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
            static_cast<int>(bottom - top)};
}

// One node of ReadingOrder: a region reference or a group of them.
struct OrderNode {
    long long index = 0;
    std::string region;
    bool ordered = false;
    std::vector<size_t> children;
};

void Flatten(const std::vector<OrderNode>& nodes, size_t node, std::vector<std::string>& regions)
{
    if (!nodes[node].region.empty()) {
        regions.push_back(nodes[node].region);
    }
    std::vector<size_t> children = nodes[node].children;
    if (nodes[node].ordered) {
        std::stable_sort(children.begin(), children.end(),
                         [&nodes](size_t a, size_t b) { return nodes[a].index < nodes[b].index; });
    }
    for (const size_t child : children) {
        Flatten(nodes, child, regions);
    }
}

} // namespace

PageXmlDocument::PageXmlDocument(std::string bytes, const std::wstring& path)
    : m_bytes(std::move(bytes))
{
    XmlSource source(m_bytes, path);
    std::vector<PageXmlElements::Word>& pageWords = m_elements.words;
    std::vector<PageXmlElements::Line>& lines = m_elements.lines;
    std::vector<PageXmlElements::Region>& regions = m_elements.regions;
    enum Kind { kOther, kRegion, kLine, kWord, kGlyph, kEquiv, kUnicode, kPlainText, kOrder };
    struct Open {
        Kind kind;
        size_t index; // into the list of its kind
    };
    std::vector<Open> open;
    PageXmlElements::TextEquiv pending; // the open TextEquiv (they do not nest)
    struct Glyph {
        RecognisedCharacter character;
        PageXmlElements::TextEquiv equiv;
    };
    std::vector<std::vector<Glyph>> glyphs; // by word
    std::vector<OrderNode> order;
    std::wstring pageNamespace;

    auto parent = [&open](Kind kind) { return !open.empty() && open.back().kind == kind; };
    auto nearest = [&open](Kind kind) -> const Open* {
        for (auto it = open.rbegin(); it != open.rend(); ++it) {
            if (it->kind == kind) {
                return &*it;
            }
        }
        return nullptr;
    };

    while (source.Next()) {
        const XmlNodeType type = source.Type();
        if (type == XmlNodeType_Element) {
            if (pageNamespace.empty()) {
                pageNamespace = source.NamespaceUri();
            }
            const std::wstring name = source.LocalNameIn(pageNamespace);
            Open entry{kOther, 0};
            if (name == L"Page") {
                m_pages[0].width = PageSize(source, L"imageWidth");
                m_pages[0].height = PageSize(source, L"imageHeight");
            } else if (name == L"TextRegion") {
                PageXmlElements::Region region;
                region.id = WideToUtf8(source.Attribute(L"id"));
                regions.push_back(region);
                entry = {kRegion, regions.size() - 1};
            } else if (name == L"TextLine") {
                const Open* region = nearest(kRegion);
                if (region == nullptr) {
                    source.Fail("a TextLine outside any TextRegion");
                }
                PageXmlElements::Line line;
                line.region = static_cast<int>(region->index);
                lines.push_back(line);
                regions[region->index].lines.push_back(static_cast<int>(lines.size()) - 1);
                entry = {kLine, lines.size() - 1};
            } else if (name == L"Word") {
                if (!parent(kLine)) {
                    source.Fail("a Word outside a TextLine");
                }
                PageXmlElements::Word word;
                word.element = source.Element();
                word.sourceLine = source.Line();
                word.line = static_cast<int>(open.back().index);
                pageWords.push_back(word);
                glyphs.emplace_back();
                lines[open.back().index].words.push_back(static_cast<int>(pageWords.size()) - 1);
                entry = {kWord, pageWords.size() - 1};
            } else if (name == L"Glyph" && parent(kWord)) {
                pageWords[open.back().index].glyphs.push_back(source.Element());
                glyphs[open.back().index].emplace_back();
                entry = {kGlyph, glyphs[open.back().index].size() - 1};
            } else if (name == L"Coords" && (parent(kWord) || parent(kGlyph))) {
                const Box box = BoundingBox(Points(source));
                if (parent(kWord)) {
                    pageWords[open.back().index].box = box;
                    pageWords[open.back().index].coords = source.Element();
                } else {
                    glyphs[nearest(kWord)->index][open.back().index].character.box = box;
                }
            } else if (name == L"Baseline" && parent(kLine)) {
                const std::vector<Point> points = Points(source);
                const long long run = points.back().x - points.front().x;
                lines[open.back().index].slope =
                    run == 0 ? 0 : static_cast<double>(points.back().y - points.front().y) / static_cast<double>(run);
            } else if (name == L"TextStyle" && parent(kWord)) {
                pageWords[open.back().index].textStyle = source.Element();
            } else if (name == L"TextEquiv" && !open.empty() && open.back().kind >= kRegion && open.back().kind <= kGlyph) {
                PageXmlElements::TextEquiv equiv;
                equiv.element = source.Element();
                std::wstring text;
                if (source.Attribute(L"index", text) && !ParseInteger(text, 0, 1000000000, equiv.index)) {
                    source.Fail("\"index\" is not a whole number from 0: \"" + WideToUtf8(text) + "\"");
                }
                if (source.Attribute(L"conf", text) && !ParseDecimal(text, 0, 1, equiv.conf)) {
                    source.Fail("\"conf\" is not a number from 0 to 1: \"" + WideToUtf8(text) + "\"");
                }
                pending = equiv;
                entry = {kEquiv, 0};
            } else if ((name == L"Unicode" || name == L"PlainText") && parent(kEquiv)) {
                (name == L"Unicode" ? pending.unicode : pending.plainText) = source.Element();
                entry = {name == L"Unicode" ? kUnicode : kPlainText, 0};
            } else if (name == L"ReadingOrder") {
                order.assign(1, OrderNode());
                order[0].ordered = true;
                entry = {kOrder, 0};
            } else if (parent(kOrder) && (name == L"OrderedGroup" || name == L"UnorderedGroup" ||
                                          name == L"OrderedGroupIndexed" || name == L"UnorderedGroupIndexed" ||
                                          name == L"RegionRef" || name == L"RegionRefIndexed")) {
                OrderNode node;
                node.ordered = name.rfind(L"OrderedGroup", 0) == 0;
                node.region = WideToUtf8(source.Attribute(L"regionRef"));
                std::wstring text;
                if (source.Attribute(L"index", text) && !ParseInteger(text, 0, 1000000000, node.index)) {
                    source.Fail("\"index\" is not a whole number from 0: \"" + WideToUtf8(text) + "\"");
                }
                order.push_back(node);
                order[open.back().index].children.push_back(order.size() - 1);
                entry = {kOrder, order.size() - 1};
            }
            open.push_back(entry);
            if (!source.EmptyElement()) {
                continue;
            }
            // An empty element ends where it starts.
        } else if ((type == XmlNodeType_Text || type == XmlNodeType_CDATA || type == XmlNodeType_Whitespace) &&
                   parent(kUnicode)) {
            pending.text += WideToUtf8(source.Value());
            continue;
        } else if (type != XmlNodeType_EndElement || open.empty()) {
            continue;
        }
        // An element ends.
        const Open ended = open.back();
        open.pop_back();
        if (ended.kind == kWord && pageWords[ended.index].coords < 0) {
            throw InputError(path, pageWords[ended.index].sourceLine, "a Word without Coords");
        }
        if (ended.kind == kEquiv && !open.empty()) {
            const Open& owner = open.back();
            PageXmlElements::TextEquiv* main = owner.kind == kRegion ? &regions[owner.index].equiv
                              : owner.kind == kLine ? &lines[owner.index].equiv
                              : owner.kind == kWord ? &pageWords[owner.index].equiv
                                                    : &glyphs[nearest(kWord)->index][owner.index].equiv;
            // The lowest index is the text; one without an index counts as lowest.
            if (main->element < 0 || pending.index < main->index) {
                *main = pending;
            }
        }
    }

    // Reading order: the regions ReadingOrder names, then the others in document order.
    std::vector<std::string> named;
    if (!order.empty()) {
        Flatten(order, 0, named);
    }
    std::vector<int> regionOrder;
    std::set<int> placed;
    for (const std::string& id : named) {
        for (size_t r = 0; r < regions.size(); ++r) {
            if (regions[r].id == id && placed.insert(static_cast<int>(r)).second) {
                regionOrder.push_back(static_cast<int>(r));
            }
        }
    }
    for (size_t r = 0; r < regions.size(); ++r) {
        if (placed.insert(static_cast<int>(r)).second) {
            regionOrder.push_back(static_cast<int>(r));
        }
    }

    std::vector<PageWords::Word> words;
    int lineNumber = 0;
    for (const int region : regionOrder) {
        for (const int line : regions[static_cast<size_t>(region)].lines) {
            const PageXmlElements::Line& lineElements = lines[static_cast<size_t>(line)];
            for (const int w : lineElements.words) {
                const PageXmlElements::Word& elements = pageWords[static_cast<size_t>(w)];
                PageWords::Word word;
                word.index = word.position = w + 1;
                word.line = lineNumber;
                word.box = elements.box;
                word.text = elements.equiv.text;
                word.baselineSlope = lineElements.slope;
                for (const Glyph& glyph : glyphs[static_cast<size_t>(w)]) {
                    RecognisedCharacter character = glyph.character;
                    character.confidence = glyph.equiv.conf < 0 ? 0 : glyph.equiv.conf * 100;
                    word.characters.push_back(character);
                }
                // Without its own conf the least sure character vouches for the word, or
                // nothing does.
                word.confidence = elements.equiv.conf < 0 ? RecognisedCharacter::LeastConfidence(word.characters)
                                                          : elements.equiv.conf * 100;
                words.push_back(word);
            }
            lineNumber += lineElements.words.empty() ? 0 : 1;
        }
    }
    m_words = PageWords(std::move(words), lineNumber);
}

std::string PageXmlDocument::WithVerified(const std::map<int, std::string>& texts) const
{
    return PageXmlWriter::WithVerified(m_bytes, m_elements, texts);
}

const wchar_t* PageXmlDocument::Suffix() const
{
    return OcrFormat::Suffix(OcrFormat::kPage);
}
