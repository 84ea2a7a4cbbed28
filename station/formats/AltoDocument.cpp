#include "AltoDocument.h"

#include <algorithm>
#include <cmath>

#include "CorrectedWords.h"
#include "OcrFormat.h"
#include "ParseNumber.h"
#include "Utf8.h"
#include "XmlBlank.h"
#include "XmlRewrite.h"
#include "XmlSource.h"

namespace {

// An attribute's number within [least, most]; `fallback` when the element has none.
double Number(const XmlSource& source, const wchar_t* name, double least, double most, double fallback)
{
    std::wstring text;
    if (!source.Attribute(name, text)) {
        return fallback;
    }
    double value = 0;
    if (!ParseDecimal(text, least, most, value)) {
        source.Fail("\"" + WideToUtf8(name) + "\" is not a number from " + std::to_string(static_cast<int>(least)) +
                    " to " + std::to_string(static_cast<int>(most)) + ": \"" + WideToUtf8(text) + "\"");
    }
    return value;
}

// ALTO's CC: a digit per character, with or without blanks between them.
std::vector<int> CharacterConfidences(const XmlSource& source)
{
    std::wstring text;
    std::vector<int> digits;
    if (!source.Attribute(L"CC", text)) {
        return digits;
    }
    for (const wchar_t c : text) {
        if (c >= L'0' && c <= L'9') {
            digits.push_back(c - L'0');
        } else if (!XmlBlank::Is(c)) {
            source.Fail("\"CC\" is not a list of digits from 0 to 9: \"" + WideToUtf8(text) + "\"");
        }
    }
    return digits;
}

double FromCc(int digit)
{
    return (9 - digit) * 100.0 / 9.0; // 0 is sure, 9 unsure
}

// A box in the document's unit as pixels; throws when it lies beyond any page.
Box Pixels(const XmlSource& source, double hpos, double vpos, double width, double height, double scale)
{
    const double corners[4] = {hpos * scale, vpos * scale, (hpos + width) * scale, (vpos + height) * scale};
    for (const double corner : corners) {
        if (corner > Box::kMaxCoordinate) {
            source.Fail("a position beyond " + std::to_string(Box::kMaxCoordinate) + " pixels");
        }
    }
    const int left = static_cast<int>(std::lround(corners[0]));
    const int top = static_cast<int>(std::lround(corners[1]));
    return {left, top, static_cast<int>(std::lround(corners[2])) - left, static_cast<int>(std::lround(corners[3])) - top};
}

} // namespace

AltoDocument::AltoDocument(std::string bytes, const std::wstring& path, const std::vector<double>& dpis)
    : m_bytes(std::move(bytes))
{
    XmlSource source(m_bytes, path);
    const double maxCoordinate = Box::kMaxCoordinate;
    std::wstring altoNamespace;
    bool root = true;
    double unitsPerInch = 0; // 0: the unit is the pixel
    // Pixels per unit on the current page, at its frame's DPI.
    auto scale = [&]() {
        if (unitsPerInch == 0) {
            return 1.0;
        }
        const size_t frame = std::min(m_pages.empty() ? 0 : m_pages.size() - 1, dpis.size() - 1);
        return (dpis.empty() ? 300.0 : dpis[frame]) / unitsPerInch;
    };
    std::wstring unitText;
    std::vector<std::wstring> open; // the open elements' local names, ALTO's only
    std::vector<PageWords::Word> words;
    std::vector<size_t> wordPages; // each word's page, from 0
    std::vector<int> pageLines;    // the TextLines on each page
    PageWords::Word* word = nullptr;
    std::vector<int> cc;
    std::vector<RecognisedCharacter> glyphCharacters;
    std::vector<bool> glyphConfident;

    auto finishWord = [&]() {
        PageWords::Word& w = *word;
        const size_t characters = Utf8CodePoints(w.text);
        if (!glyphCharacters.empty()) {
            for (size_t i = 0; i < glyphCharacters.size(); ++i) {
                if (!glyphConfident[i] && i < cc.size()) {
                    glyphCharacters[i].confidence = FromCc(cc[i]);
                }
            }
            w.characters = glyphCharacters;
        } else if (!cc.empty() && characters > 0) {
            for (size_t i = 0; i < std::min(characters, cc.size()); ++i) {
                RecognisedCharacter character;
                const double from = static_cast<double>(i) / static_cast<double>(characters);
                const double to = static_cast<double>(i + 1) / static_cast<double>(characters);
                character.box = CorrectedWords::Share(w.box, from, to);
                character.confidence = FromCc(cc[i]);
                w.characters.push_back(character);
            }
        }
        if (w.confidence < 0) {
            w.confidence = RecognisedCharacter::LeastConfidence(w.characters); // no WC
        }
        word = nullptr;
    };

    while (source.Next()) {
        const XmlNodeType type = source.Type();
        if (type == XmlNodeType_Element) {
            if (root) {
                altoNamespace = source.NamespaceUri();
                m_stringHasCs = altoNamespace != OcrFormat::kAltoV2Namespace;
                root = false;
            }
            // Another vocabulary's elements are only kept track of.
            const std::wstring name = source.LocalNameIn(altoNamespace);
            if (name == L"Page") {
                m_pages.push_back(Page{static_cast<int>(m_pages.size()) + 1});
                pageLines.push_back(0);
                Page& page = m_pages.back();
                page.unit = scale(); // at this page's frame's DPI
                page.width = Number(source, L"WIDTH", 0, maxCoordinate, 0) * page.unit;
                page.height = Number(source, L"HEIGHT", 0, maxCoordinate, 0) * page.unit;
            } else if (name == L"TextLine" && !pageLines.empty()) {
                ++pageLines.back();
            } else if (name == L"String") {
                if (pageLines.empty() || pageLines.back() == 0 || word != nullptr) {
                    source.Fail("a String outside a TextLine of a Page, or inside another String");
                }
                std::wstring content;
                if (!source.Attribute(L"CONTENT", content)) {
                    source.Fail("a String without CONTENT");
                }
                PageWords::Word newWord;
                newWord.index = newWord.position = static_cast<int>(words.size()) + 1;
                newWord.line = pageLines.back() - 1;
                newWord.text = WideToUtf8(content);
                StringElement string;
                string.element = source.Element();
                string.hpos = Number(source, L"HPOS", 0, maxCoordinate, -1);
                string.width = Number(source, L"WIDTH", 0, maxCoordinate, -1);
                string.placed = string.hpos >= 0 && string.width >= 0;
                const double vpos = Number(source, L"VPOS", 0, maxCoordinate, -1);
                const double height = Number(source, L"HEIGHT", 0, maxCoordinate, -1);
                if (string.placed && vpos >= 0 && height >= 0) {
                    newWord.box = Pixels(source, string.hpos, vpos, string.width, height, scale());
                } // else an empty box: the word is listed as skipped
                const double wc = Number(source, L"WC", 0, 1, -1);
                newWord.confidence = wc < 0 ? -1 : wc * 100;
                cc = CharacterConfidences(source);
                glyphCharacters.clear();
                glyphConfident.clear();
                words.push_back(newWord);
                wordPages.push_back(m_pages.size() - 1);
                m_strings.push_back(string);
                word = &words.back();
            } else if (name == L"Glyph" && word != nullptr) {
                RecognisedCharacter character;
                character.box = Pixels(source, Number(source, L"HPOS", 0, maxCoordinate, 0),
                                       Number(source, L"VPOS", 0, maxCoordinate, 0),
                                       Number(source, L"WIDTH", 0, maxCoordinate, 0),
                                       Number(source, L"HEIGHT", 0, maxCoordinate, 0), scale());
                const double gc = Number(source, L"GC", 0, 1, -1);
                character.confidence = gc < 0 ? 0 : gc * 100;
                glyphCharacters.push_back(character);
                glyphConfident.push_back(gc >= 0);
                m_strings.back().glyphs.push_back(source.Element());
            }
            if (source.EmptyElement()) {
                if (name == L"String") {
                    finishWord();
                }
            } else {
                open.push_back(name);
            }
        } else if (type == XmlNodeType_EndElement && !open.empty()) {
            if (open.back() == L"MeasurementUnit") {
                const size_t first = unitText.find_first_not_of(L" \t\r\n");
                const std::wstring unit =
                    first == std::wstring::npos ? std::wstring() : unitText.substr(first, unitText.find_last_not_of(L" \t\r\n") + 1 - first);
                unitsPerInch = unit == L"pixel" ? 0 : unit == L"mm10" ? 254 : unit == L"inch1200" ? 1200 : -1;
                if (unitsPerInch < 0) {
                    source.Fail("unknown MeasurementUnit \"" + WideToUtf8(unit) +
                                "\" (pixel, mm10 or inch1200 expected)");
                }
            } else if (open.back() == L"String" && word != nullptr) {
                finishWord();
            }
            open.pop_back();
        } else if ((type == XmlNodeType_Text || type == XmlNodeType_Whitespace) && !open.empty() &&
                   open.back() == L"MeasurementUnit") {
            unitText += source.Value();
        }
    }
    std::vector<std::vector<PageWords::Word>> byPage(m_pages.size());
    for (size_t i = 0; i < words.size(); ++i) {
        byPage[wordPages[i]].push_back(std::move(words[i]));
    }
    for (size_t page = 0; page < m_pages.size(); ++page) {
        m_pageWords.emplace_back(std::move(byPage[page]), pageLines[page]);
    }
}

const PageWords& AltoDocument::Words(int page) const
{
    return page >= 1 && static_cast<size_t>(page) <= m_pageWords.size() ? m_pageWords[static_cast<size_t>(page) - 1]
                                                                          : NoWords();
}

const wchar_t* AltoDocument::Suffix() const
{
    return OcrFormat::Suffix(OcrFormat::kAlto);
}

std::string AltoDocument::WithVerified(const std::map<int, std::string>& texts) const
{
    XmlRewrite rewrite(m_bytes);
    for (const auto& [position, text] : texts) {
        const StringElement& string = m_strings.at(static_cast<size_t>(position - 1));
        const CorrectedWords corrected(text);
        StartTag verified = rewrite.Tag(string.element);
        verified.Set("WC", "1");
        if (m_stringHasCs) {
            verified.Set("CS", "true");
        }
        verified.Remove("CC"); // it described the old characters, as the Glyphs did
        for (const int glyph : string.glyphs) {
            rewrite.Remove(glyph);
        }
        // The first String in the old one's place, the others after it, an SP before each.
        const std::string prefix = verified.Prefix();
        std::string id;
        const bool hasId = verified.Get("ID", id);
        std::string vpos;
        const bool hasVpos = verified.Get("VPOS", vpos);
        const long long left = std::llround(string.hpos);
        const long long width = std::llround(string.width);
        std::string following;
        for (size_t i = 0; i < corrected.Pieces().size(); ++i) {
            const CorrectedWords::Piece& piece = corrected.Pieces()[i];
            const long long from = CorrectedWords::Edge(left, width, piece.from);
            StartTag tag = verified;
            tag.Set("CONTENT", piece.text);
            if (string.placed && corrected.Split()) {
                tag.Set("HPOS", std::to_string(from));
                tag.Set("WIDTH", std::to_string(CorrectedWords::Edge(left, width, piece.to) - from));
            }
            if (i == 0) {
                rewrite.ReplaceTag(string.element, tag);
                continue;
            }
            const long long gapFrom = CorrectedWords::Edge(left, width, corrected.Pieces()[i - 1].to);
            following += "<" + prefix + "SP";
            if (string.placed) {
                following += " WIDTH=\"" + std::to_string(from - gapFrom) + "\"" +
                             (hasVpos ? " VPOS=\"" + vpos + "\"" : std::string()) + " HPOS=\"" + std::to_string(gapFrom) + "\"";
            }
            tag.SetEmpty(true);
            if (hasId) {
                tag.Set("ID", rewrite.NewId(id));
            }
            following += "/>" + rewrite.Indentation(string.element) + tag.Text();
        }
        if (!following.empty()) {
            rewrite.InsertAfter(string.element, following);
        }
    }
    return rewrite.Result();
}
