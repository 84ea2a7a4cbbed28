#include "HocrDocument.h"

#include <algorithm>
#include <sstream>

#include "CorrectedWords.h"
#include "InputError.h"
#include "InputFile.h"
#include "ParseNumber.h"
#include "Utf8.h"
#include "XmlBlank.h"
#include "XmlRewrite.h"
#include "XmlSource.h"

namespace {

constexpr double kMaxConfidence = 100;
constexpr double kMaxSlope = 1000;

// The properties of an hOCR title ("bbox 1 2 3 4; x_wconf 96"), by name.
class TitleProperties {
public:
    explicit TitleProperties(const std::wstring& title)
    {
        std::wstringstream parts(title);
        std::wstring part;
        while (std::getline(parts, part, L';')) {
            std::wstringstream words(part);
            Property property;
            words >> property.name;
            std::wstring value;
            while (words >> value) {
                property.values.push_back(value);
            }
            if (!property.name.empty()) {
                m_properties.push_back(property);
            }
        }
    }

    bool Has(const wchar_t* name) const { return Find(name) != nullptr; }

    // How many values the property has; 0 when the title has no such property.
    size_t Count(const wchar_t* name) const
    {
        const Property* property = Find(name);
        return property == nullptr ? 0 : property->values.size();
    }

    // The property's first `count` values, each within [least, most]; false when the title
    // has no such property. Throws InputError when it is malformed.
    bool Numbers(const wchar_t* name, size_t count, double least, double most, std::vector<double>& values,
                 const XmlSource& source) const
    {
        const Property* property = Find(name);
        if (property == nullptr) {
            return false;
        }
        values.assign(count, 0);
        for (size_t i = 0; i < count; ++i) {
            if (i >= property->values.size() || !ParseDecimal(property->values[i], least, most, values[i])) {
                source.Fail("malformed \"" + WideToUtf8(name) + "\" in a title (numbers from " + Number(least) +
                            " to " + Number(most) + " expected)");
            }
        }
        return true;
    }

    // The property's `index`-th box (its values from 4 x index on: left, top, right, bottom).
    Box BoundingBox(const wchar_t* name, const XmlSource& source, size_t index = 0) const
    {
        const Property* property = Find(name);
        if (property == nullptr) {
            source.Fail("an element has no \"" + WideToUtf8(name) + "\"");
        }
        long long corners[4] = {};
        for (size_t i = 0; i < 4; ++i) {
            const size_t at = 4 * index + i;
            if (at >= property->values.size() ||
                !ParseInteger(property->values[at], 0, Box::kMaxCoordinate, corners[i])) {
                source.Fail("malformed \"" + WideToUtf8(name) + "\" in a title (four whole numbers from 0 to " +
                            std::to_string(Box::kMaxCoordinate) + " expected)");
            }
        }
        const int left = static_cast<int>(corners[0]);
        const int top = static_cast<int>(corners[1]);
        return {left, top, static_cast<int>(corners[2]) - left, static_cast<int>(corners[3]) - top};
    }

private:
    struct Property {
        std::wstring name;
        std::vector<std::wstring> values;
    };

    const Property* Find(const wchar_t* name) const
    {
        for (const Property& property : m_properties) {
            if (property.name == name) {
                return &property;
            }
        }
        return nullptr;
    }

    static std::string Number(double value)
    {
        std::ostringstream text;
        text << value;
        return text.str();
    }

    std::vector<Property> m_properties;
};

std::wstring Trimmed(const std::wstring& text)
{
    size_t start = 0;
    size_t end = text.size();
    while (start < end && XmlBlank::Is(text[start])) {
        ++start;
    }
    while (end > start && XmlBlank::Is(text[end - 1])) {
        --end;
    }
    return text.substr(start, end - start);
}

// The title with x_wconf 100 and, when given, the new bounding box, without the properties of
// the old characters (their boxes, confidences and cuts); its other properties as they were.
std::string VerifiedTitle(const std::string& title, const Box* box)
{
    std::vector<std::string> parts;
    std::stringstream properties(title);
    std::string property;
    bool confidence = false;
    while (std::getline(properties, property, ';')) {
        std::stringstream words(property);
        std::string name;
        words >> name;
        const std::string lead = property.substr(0, property.find_first_not_of(' '));
        if (name == "x_bboxes" || name == "x_confs" || name == "cuts") {
            continue;
        }
        if (name == "x_wconf") {
            property = lead + "x_wconf 100";
            confidence = true;
        } else if (name == "bbox" && box != nullptr) {
            property = lead + "bbox " + std::to_string(box->left) + " " + std::to_string(box->top) + " " +
                       std::to_string(box->Right()) + " " + std::to_string(box->Bottom());
        }
        parts.push_back(property);
    }
    if (!confidence) {
        parts.push_back(parts.empty() ? "x_wconf 100" : " x_wconf 100");
    }
    std::string result;
    for (size_t i = 0; i < parts.size(); ++i) {
        result += (i == 0 ? "" : ";") + parts[i];
    }
    return result;
}

} // namespace

HocrDocument HocrDocument::Read(const std::wstring& path)
{
    HocrDocument document;
    document.m_bytes = InputFile::Read(path);
    XmlSource source(document.m_bytes, path);

    bool page = false;
    // The open elements' kinds, so that each end tag closes what its start opened. Text
    // inside an alternative (lstm_choice_mode's choices and symbols) is never the word's.
    enum Kind { kOther, kLine, kWord, kCharacter, kAlternative };
    std::vector<Kind> open;
    int word = -1; // into m_words, while a word is open
    std::wstring wordText;
    std::wstring characterTexts;
    // A word's own character detail (x_confs, and x_bboxes where it has a box for each), as
    // engines without ocrx_cinfo spans write it: taken when it has one confidence per character.
    std::vector<double> wordConfidences;
    std::vector<Box> wordCharacterBoxes;
    std::vector<size_t> wordsWithConfs; // into m_words
    double highestConf = 0; // of every word's x_confs
    auto finishWord = [&]() {
        Word& finished = document.m_words[static_cast<size_t>(word)];
        // The characters' texts make the word when it has characters.
        finished.text = WideToUtf8(finished.characters.empty() ? Trimmed(wordText) : characterTexts);
        const size_t count = Utf8CodePoints(finished.text);
        if (finished.characters.empty() && count > 0 && wordConfidences.size() == count) {
            for (size_t i = 0; i < count; ++i) {
                RecognisedCharacter character;
                // Without a box of its own, a character gets its share of the word's width.
                const double share = 1.0 / static_cast<double>(count);
                character.box = wordCharacterBoxes.size() == count
                                    ? wordCharacterBoxes[i]
                                    : CorrectedWords::Share(finished.box, share * static_cast<double>(i),
                                                            share * static_cast<double>(i + 1));
                character.confidence = wordConfidences[i];
                finished.characters.push_back(character);
            }
            wordsWithConfs.push_back(static_cast<size_t>(word));
        }
        word = -1;
    };

    while (source.Next()) {
        const XmlNodeType type = source.Type();
        const bool inAlternative = std::find(open.begin(), open.end(), kAlternative) != open.end();
        if (type == XmlNodeType_Element) {
            const std::wstring name = source.LocalName();
            const std::wstring className = source.Attribute(L"class");
            Kind kind = kOther;
            if (className == L"ocr_page") {
                page = true;
                const TitleProperties title(source.Attribute(L"title"));
                Page newPage;
                std::vector<double> values;
                newPage.number = title.Numbers(L"ppageno", 1, 0, 1e6, values, source)
                                     ? static_cast<int>(values[0]) + 1
                                     : static_cast<int>(document.m_pages.size()) + 1;
                if (title.Has(L"bbox")) { // without one, the size goes unchecked
                    newPage.box = title.BoundingBox(L"bbox", source);
                }
                document.m_pages.push_back(newPage);
            } else if (className == L"ocr_line" || className == L"ocrx_line" || className == L"ocr_caption" ||
                       className == L"ocr_textfloat" || className == L"ocr_header") {
                const TitleProperties title(source.Attribute(L"title"));
                Line line;
                line.box = title.BoundingBox(L"bbox", source);
                std::vector<double> values;
                if (title.Numbers(L"x_size", 1, 0, Box::kMaxCoordinate, values, source)) {
                    line.xSize = values[0];
                }
                if (title.Numbers(L"baseline", 2, -kMaxSlope, kMaxSlope, values, source)) {
                    line.baselineSlope = values[0];
                }
                document.m_lines.push_back(line);
                kind = kLine;
            } else if (className == L"ocrx_word") {
                if (document.m_lines.empty()) {
                    source.Fail("a word outside any line");
                }
                if (word >= 0) {
                    source.Fail("a word inside a word");
                }
                Word newWord;
                newWord.page = document.m_pages.empty() ? 1 : document.m_pages.back().number;
                newWord.title = WideToUtf8(source.Attribute(L"title"));
                const TitleProperties title(source.Attribute(L"title"));
                newWord.position = static_cast<int>(document.m_words.size()) + 1;
                newWord.line = static_cast<int>(document.m_lines.size()) - 1;
                newWord.box = title.BoundingBox(L"bbox", source);
                newWord.element = source.Element();
                std::vector<double> values;
                newWord.confidence = title.Numbers(L"x_wconf", 1, 0, kMaxConfidence, values, source) ? values[0] : -1;
                const size_t confs = title.Count(L"x_confs");
                wordConfidences.clear();
                title.Numbers(L"x_confs", confs, 0, kMaxConfidence, wordConfidences, source);
                for (const double conf : wordConfidences) {
                    highestConf = std::max(highestConf, conf);
                }
                wordCharacterBoxes.clear();
                for (size_t i = 0; confs > 0 && title.Count(L"x_bboxes") == 4 * confs && i < confs; ++i) {
                    wordCharacterBoxes.push_back(title.BoundingBox(L"x_bboxes", source, i));
                }
                document.m_words.push_back(newWord);
                word = static_cast<int>(document.m_words.size()) - 1;
                wordText.clear();
                characterTexts.clear();
                kind = kWord;
            } else if ((className == L"ocrx_cinfo" || className == L"ocr_symbol") && word >= 0) {
                // A character has its own box; the choices of lstm_choice_mode have none.
                const TitleProperties title(source.Attribute(L"title"));
                const bool inCharacter = std::find(open.begin(), open.end(), kCharacter) != open.end();
                kind = className == L"ocrx_cinfo" && title.Has(L"x_bboxes") && !inAlternative && !inCharacter
                           ? kCharacter
                           : kAlternative;
                if (kind == kCharacter) {
                    RecognisedCharacter character;
                    character.box = title.BoundingBox(L"x_bboxes", source);
                    std::vector<double> values;
                    title.Numbers(L"x_conf", 1, 0, kMaxConfidence, values, source);
                    character.confidence = values.empty() ? 0 : values[0];
                    document.m_words[static_cast<size_t>(word)].characters.push_back(character);
                }
            }
            if (!source.EmptyElement()) {
                open.push_back(kind);
            } else if (kind == kWord) {
                finishWord();
            }
        } else if (type == XmlNodeType_EndElement && !open.empty()) {
            if (open.back() == kWord && word >= 0) {
                finishWord();
            }
            open.pop_back();
        } else if ((type == XmlNodeType_Text || type == XmlNodeType_CDATA || type == XmlNodeType_Whitespace) &&
                   word >= 0 && !inAlternative) {
            if (!open.empty() && open.back() == kCharacter) {
                characterTexts += source.Value();
            } else if (std::find(open.begin(), open.end(), kCharacter) == open.end()) {
                wordText += source.Value();
            }
        }
    }
    if (!page) {
        throw InputError(path, "not hOCR: no element of class ocr_page");
    }
    // x_confs are percentages by the format's advice, but kraken writes probabilities (0 to
    // 1). A document none of whose x_confs exceeds 1 is read as probabilities; one value
    // above 1 makes them all percentages. Decided by the whole document, not word by word, so
    // that a percentage document's unsure word never passes for a sure one.
    if (highestConf <= 1) {
        for (const size_t index : wordsWithConfs) {
            for (RecognisedCharacter& character : document.m_words[index].characters) {
                character.confidence *= 100;
            }
        }
    }
    for (Word& finished : document.m_words) {
        if (finished.confidence < 0) {
            finished.confidence = RecognisedCharacter::LeastConfidence(finished.characters); // no x_wconf
        }
    }
    return document;
}

std::string HocrDocument::WithVerified(const std::map<int, std::string>& texts) const
{
    XmlRewrite rewrite(m_bytes);
    for (const auto& [position, text] : texts) {
        const Word& word = m_words.at(static_cast<size_t>(position - 1));
        const CorrectedWords corrected(text);
        const StartTag original = rewrite.Tag(word.element);
        std::string id;
        const bool hasId = original.Get("id", id);
        // The first word in the old one's place, the others after it on the line, as
        // Tesseract writes them.
        const std::string indentation = rewrite.Indentation(word.element);
        const std::string separator = indentation.empty() ? " " : indentation; // words need a blank between
        std::string following;
        for (size_t i = 0; i < corrected.Pieces().size(); ++i) {
            const CorrectedWords::Piece& piece = corrected.Pieces()[i];
            const Box box = CorrectedWords::Share(word.box, piece.from, piece.to);
            StartTag tag = original;
            tag.Set("title", VerifiedTitle(word.title, corrected.Split() ? &box : nullptr));
            if (i == 0) {
                rewrite.ReplaceTagAndText(word.element, tag, piece.text);
                continue;
            }
            if (hasId) {
                tag.Set("id", rewrite.NewId(id));
            }
            following += separator + XmlRewrite::WithText(tag, piece.text);
        }
        if (!following.empty()) {
            rewrite.InsertAfter(word.element, following);
        }
    }
    return rewrite.Result();
}
