#include "PageXmlWriter.h"

#include <set>
#include <vector>

#include "CorrectedWords.h"
#include "XmlRewrite.h"

namespace {

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

std::string PageXmlWriter::WithVerified(const std::string& bytes, const PageXmlElements& elements,
                                         const std::map<int, std::string>& texts)
{
    const std::vector<PageXmlElements::Word>& pageWords = elements.words;
    const std::vector<PageXmlElements::Line>& lines = elements.lines;
    const std::vector<PageXmlElements::Region>& regions = elements.regions;
    XmlRewrite rewrite(bytes);
    std::map<int, std::string> newTexts; // by word, as the line reads it
    for (const auto& [position, text] : texts) {
        const int w = position - 1;
        const PageXmlElements::Word& word = pageWords.at(static_cast<size_t>(w));
        const CorrectedWords corrected(text);
        newTexts[w] = Spaced(corrected);
        const StartTag wordTag = rewrite.Tag(word.element);
        const std::string name = wordTag.Name();
        const std::string prefix = wordTag.Prefix();
        const std::string childIndentation = rewrite.Indentation(word.coords);
        auto textEquiv = [&prefix](const std::string& unicode) {
            std::string markup = "<";
            markup.append(prefix).append("TextEquiv conf=\"1\">");
            markup += XmlRewrite::WithText(StartTag("<" + prefix + "Unicode>"), unicode);
            return markup.append("</").append(prefix).append("TextEquiv>");
        };
        auto rectangle = [&word](const CorrectedWords::Piece& piece) {
            const Box share = CorrectedWords::Share(word.box, piece.from, piece.to);
            const long long left = share.left;
            const long long right = share.Right();
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
    auto wordTexts = [&](const std::vector<int>& lineNumbers, std::vector<std::string>& before,
                         std::vector<std::string>& after) {
        bool changed = false;
        for (const int l : lineNumbers) {
            for (const int w : lines[static_cast<size_t>(l)].words) {
                before.push_back(pageWords[static_cast<size_t>(w)].equiv.text);
                const auto found = newTexts.find(w);
                changed = changed || found != newTexts.end();
                after.push_back(found != newTexts.end() ? found->second : before.back());
            }
        }
        return changed;
    };
    auto setText = [&rewrite](const PageXmlElements::TextEquiv& equiv, const std::string& text) {
        for (const int element : {equiv.unicode, equiv.plainText}) {
            if (element >= 0) {
                rewrite.SetText(element, text);
            }
        }
    };
    std::vector<std::string> lineTexts(lines.size()); // as they read after the corrections
    std::set<int> changedRegions;
    for (size_t l = 0; l < lines.size(); ++l) {
        const PageXmlElements::Line& line = lines[l];
        std::vector<std::string> before;
        std::vector<std::string> after;
        const bool changed = wordTexts({static_cast<int>(l)}, before, after);
        lineTexts[l] = Recomposed(line.equiv.element >= 0 ? line.equiv.text : Joined(before, " "), before, after,
                                  Joined(after, " "));
        if (changed) {
            setText(line.equiv, lineTexts[l]);
            changedRegions.insert(line.region);
        }
    }
    for (const int r : changedRegions) {
        const PageXmlElements::Region& region = regions[static_cast<size_t>(r)];
        std::vector<std::string> before;
        std::vector<std::string> after;
        std::vector<std::string> regionLines;
        wordTexts(region.lines, before, after);
        for (const int l : region.lines) {
            regionLines.push_back(lineTexts[static_cast<size_t>(l)]);
        }
        setText(region.equiv, Recomposed(region.equiv.text, before, after, Joined(regionLines, "\n")));
    }
    return rewrite.Result();
}
