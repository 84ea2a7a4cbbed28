#include "PageXmlDocument.h"

#include <algorithm>
#include <set>

#include "CorrectedWords.h"
#include "InputError.h"
#include "ParseNumber.h"
#include "Utf8.h"
#include "XmlRewrite.h"
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

// The new text of a line or region: each word's old text found in turn and replaced; when
// they cannot all be found in order, the words' texts joined by `joiner`.
std::string Recomposed(const std::string& text, const std::vector<std::string>& oldTexts,
                       const std::vector<std::string>& newTexts, const std::string& joined)
{
    std::vector<size_t> found;
    size_t cursor = 0;
    for (const std::string& old : oldTexts) {
        const size_t at = text.find(old, cursor);
        if (at == std::string::npos) {
            return joined;
        }
        found.push_back(at);
        cursor = at + old.size();
    }
    std::string result;
    cursor = 0;
    for (size_t i = 0; i < found.size(); ++i) {
        result += text.substr(cursor, found[i] - cursor) + newTexts[i];
        cursor = found[i] + oldTexts[i].size();
    }
    return result + text.substr(cursor);
}

std::string Joined(const std::vector<std::string>& texts, const std::string& joiner)
{
    std::string result;
    for (size_t i = 0; i < texts.size(); ++i) {
        result += (i == 0 ? "" : joiner) + texts[i];
    }
    return result;
}

// The text a correction makes in a line: its pieces with one blank between each two.
std::string Spaced(const CorrectedWords& corrected)
{
    std::vector<std::string> pieces;
    for (const CorrectedWords::Piece& piece : corrected.Pieces()) {
        pieces.push_back(piece.text);
    }
    return Joined(pieces, " ");
}

} // namespace

PageXmlDocument::PageXmlDocument(std::string bytes, const std::wstring& path)
    : m_bytes(std::move(bytes))
{
    XmlSource source(m_bytes, path);
    enum Kind { kOther, kRegion, kLine, kWord, kGlyph, kEquiv, kUnicode, kPlainText, kOrder };
    struct Open {
        Kind kind;
        size_t index; // into the list of its kind
    };
    std::vector<Open> open;
    TextEquiv pending; // the open TextEquiv (they do not nest)
    struct Glyph {
        RecognisedCharacter character;
        TextEquiv equiv;
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
            const std::wstring name = source.NamespaceUri() == pageNamespace ? source.LocalName() : std::wstring();
            Open entry{kOther, 0};
            if (name == L"Page") {
                m_pages[0].width = PageSize(source, L"imageWidth");
                m_pages[0].height = PageSize(source, L"imageHeight");
            } else if (name == L"TextRegion") {
                RegionElements region;
                region.id = WideToUtf8(source.Attribute(L"id"));
                m_regions.push_back(region);
                entry = {kRegion, m_regions.size() - 1};
            } else if (name == L"TextLine") {
                const Open* region = nearest(kRegion);
                if (region == nullptr) {
                    source.Fail("a TextLine outside any TextRegion");
                }
                LineElements line;
                line.region = static_cast<int>(region->index);
                m_lines.push_back(line);
                m_regions[region->index].lines.push_back(static_cast<int>(m_lines.size()) - 1);
                entry = {kLine, m_lines.size() - 1};
            } else if (name == L"Word") {
                if (!parent(kLine)) {
                    source.Fail("a Word outside a TextLine");
                }
                WordElements word;
                word.element = source.Element();
                word.sourceLine = source.Line();
                word.line = static_cast<int>(open.back().index);
                m_pageWords.push_back(word);
                glyphs.emplace_back();
                m_lines[open.back().index].words.push_back(static_cast<int>(m_pageWords.size()) - 1);
                entry = {kWord, m_pageWords.size() - 1};
            } else if (name == L"Glyph" && parent(kWord)) {
                m_pageWords[open.back().index].glyphs.push_back(source.Element());
                glyphs[open.back().index].emplace_back();
                entry = {kGlyph, glyphs[open.back().index].size() - 1};
            } else if (name == L"Coords" && (parent(kWord) || parent(kGlyph))) {
                const Box box = BoundingBox(Points(source));
                if (parent(kWord)) {
                    m_pageWords[open.back().index].box = box;
                    m_pageWords[open.back().index].coords = source.Element();
                } else {
                    glyphs[nearest(kWord)->index][open.back().index].character.box = box;
                }
            } else if (name == L"Baseline" && parent(kLine)) {
                const std::vector<Point> points = Points(source);
                const long long run = points.back().x - points.front().x;
                m_lines[open.back().index].slope =
                    run == 0 ? 0 : static_cast<double>(points.back().y - points.front().y) / static_cast<double>(run);
            } else if (name == L"TextStyle" && parent(kWord)) {
                m_pageWords[open.back().index].textStyle = source.Element();
            } else if (name == L"TextEquiv" && !open.empty() && open.back().kind >= kRegion && open.back().kind <= kGlyph) {
                TextEquiv equiv;
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
        if (ended.kind == kWord && m_pageWords[ended.index].coords < 0) {
            throw InputError(path, m_pageWords[ended.index].sourceLine, "a Word without Coords");
        }
        if (ended.kind == kEquiv && !open.empty()) {
            const Open& owner = open.back();
            TextEquiv* main = owner.kind == kRegion ? &m_regions[owner.index].equiv
                              : owner.kind == kLine ? &m_lines[owner.index].equiv
                              : owner.kind == kWord ? &m_pageWords[owner.index].equiv
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
        for (size_t r = 0; r < m_regions.size(); ++r) {
            if (m_regions[r].id == id && placed.insert(static_cast<int>(r)).second) {
                regionOrder.push_back(static_cast<int>(r));
            }
        }
    }
    for (size_t r = 0; r < m_regions.size(); ++r) {
        if (placed.insert(static_cast<int>(r)).second) {
            regionOrder.push_back(static_cast<int>(r));
        }
    }

    std::vector<PageWords::Word> words;
    int lineNumber = 0;
    for (const int region : regionOrder) {
        for (const int line : m_regions[static_cast<size_t>(region)].lines) {
            const LineElements& lineElements = m_lines[static_cast<size_t>(line)];
            for (const int w : lineElements.words) {
                const WordElements& elements = m_pageWords[static_cast<size_t>(w)];
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
    XmlRewrite rewrite(m_bytes);
    std::map<int, std::string> newTexts; // by word, as the line reads it
    for (const auto& [position, text] : texts) {
        const int w = position - 1;
        const WordElements& word = m_pageWords.at(static_cast<size_t>(w));
        const CorrectedWords corrected(text);
        newTexts[w] = Spaced(corrected);
        const StartTag wordTag = rewrite.Tag(word.element);
        const std::string name = wordTag.Name();
        const std::string prefix = name.substr(0, name.find(':') == std::string::npos ? 0 : name.find(':') + 1);
        const std::string childIndentation = rewrite.Indentation(word.coords);
        auto textEquiv = [&prefix](const std::string& unicode) {
            std::string markup = "<";
            markup.append(prefix).append("TextEquiv conf=\"1\">");
            markup += XmlRewrite::WithText(StartTag("<" + prefix + "Unicode>"), unicode);
            return markup.append("</").append(prefix).append("TextEquiv>");
        };
        auto rectangle = [&word](const CorrectedWords::Piece& piece) {
            const long long left = CorrectedWords::Edge(word.box.left, word.box.width, piece.from);
            const long long right = CorrectedWords::Edge(word.box.left, word.box.width, piece.to);
            std::string points;
            for (const auto& [x, y] : {std::make_pair(left, word.box.top), std::make_pair(right, word.box.top),
                                       std::make_pair(right, word.box.Bottom()), std::make_pair(left, word.box.Bottom())}) {
                points.append(points.empty() ? "" : " ").append(std::to_string(x)).append(",").append(std::to_string(y));
            }
            return points;
        };

        // The first word in the old one's place: its text, its glyphs gone, a rectangle of
        // its share when the correction has blanks.
        const std::string& first = corrected.Pieces()[0].text;
        if (word.equiv.element >= 0 && word.equiv.unicode >= 0) {
            StartTag tag = rewrite.Tag(word.equiv.element);
            tag.Set("conf", "1");
            rewrite.ReplaceTag(word.equiv.element, tag);
            rewrite.SetText(word.equiv.unicode, first);
            if (word.equiv.plainText >= 0) {
                rewrite.SetText(word.equiv.plainText, first);
            }
        } else {
            rewrite.InsertAfter(word.glyphs.empty() ? word.coords : word.glyphs.back(), childIndentation + textEquiv(first));
        }
        for (const int glyph : word.glyphs) {
            rewrite.Remove(glyph);
        }
        if (!corrected.Split()) {
            continue;
        }
        StartTag coords = rewrite.Tag(word.coords);
        coords.Set("points", rectangle(corrected.Pieces()[0]));
        rewrite.ReplaceTag(word.coords, coords);
        // The others after it, each a word of its own.
        std::string id;
        const bool hasId = wordTag.Get("id", id);
        const std::string indentation = rewrite.Indentation(word.element);
        std::string following;
        for (size_t i = 1; i < corrected.Pieces().size(); ++i) {
            const CorrectedWords::Piece& piece = corrected.Pieces()[i];
            StartTag tag = wordTag;
            tag.SetEmpty(false);
            if (hasId) {
                tag.Set("id", rewrite.NewId(id));
            }
            following.append(indentation).append(tag.Text());
            following.append(childIndentation).append("<").append(prefix).append("Coords points=\"");
            following.append(rectangle(piece)).append("\"/>");
            following.append(childIndentation).append(textEquiv(piece.text));
            if (word.textStyle >= 0) {
                following.append(childIndentation).append(rewrite.Bytes(word.textStyle));
            }
            following.append(indentation).append("</").append(name).append(">");
        }
        rewrite.InsertAfter(word.element, following);
    }

    // The lines' and regions' texts follow their words.
    auto wordTexts = [&](const std::vector<int>& lines, std::vector<std::string>& before,
                         std::vector<std::string>& after) {
        bool changed = false;
        for (const int l : lines) {
            for (const int w : m_lines[static_cast<size_t>(l)].words) {
                before.push_back(m_pageWords[static_cast<size_t>(w)].equiv.text);
                const auto found = newTexts.find(w);
                changed = changed || found != newTexts.end();
                after.push_back(found != newTexts.end() ? found->second : before.back());
            }
        }
        return changed;
    };
    auto setText = [&rewrite](const TextEquiv& equiv, const std::string& text) {
        for (const int element : {equiv.unicode, equiv.plainText}) {
            if (element >= 0) {
                rewrite.SetText(element, text);
            }
        }
    };
    std::vector<std::string> lineTexts(m_lines.size()); // as they read after the corrections
    std::set<int> regions;
    for (size_t l = 0; l < m_lines.size(); ++l) {
        const LineElements& line = m_lines[l];
        std::vector<std::string> before;
        std::vector<std::string> after;
        const bool changed = wordTexts({static_cast<int>(l)}, before, after);
        lineTexts[l] = Recomposed(line.equiv.element >= 0 ? line.equiv.text : Joined(before, " "), before, after,
                                  Joined(after, " "));
        if (changed) {
            setText(line.equiv, lineTexts[l]);
            regions.insert(line.region);
        }
    }
    for (const int r : regions) {
        const RegionElements& region = m_regions[static_cast<size_t>(r)];
        std::vector<std::string> before;
        std::vector<std::string> after;
        std::vector<std::string> lines;
        wordTexts(region.lines, before, after);
        for (const int l : region.lines) {
            lines.push_back(lineTexts[static_cast<size_t>(l)]);
        }
        setText(region.equiv, Recomposed(region.equiv.text, before, after, Joined(lines, "\n")));
    }
    return rewrite.Result();
}
