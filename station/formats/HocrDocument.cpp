#include "HocrDocument.h"

#include <algorithm>
#include <map>

#include "CorrectedWords.h"
#include "HocrTitle.h"
#include "InputError.h"
#include "InputFile.h"
#include "OcrFormat.h"
#include "Utf8.h"
#include "XmlBlank.h"
#include "XmlRewrite.h"
#include "XmlSource.h"

namespace {

constexpr double kMaxConfidence = 100;
constexpr double kMaxSlope = 1000;

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
                const HocrTitle title(source.Attribute(L"title"));
                Page newPage;
                std::vector<double> values;
                newPage.number = title.Numbers(L"ppageno", 1, 0, 1e6, values, source)
                                     ? static_cast<int>(values[0]) + 1
                                     : static_cast<int>(document.m_pages.size()) + 1;
                if (title.Has(L"bbox")) { // without one, the size goes unchecked
                    const Box box = title.BoundingBox(L"bbox", source);
                    newPage.width = box.width;
                    newPage.height = box.height;
                }
                document.m_pages.push_back(newPage);
            } else if (className == L"ocr_line" || className == L"ocrx_line" || className == L"ocr_caption" ||
                       className == L"ocr_textfloat" || className == L"ocr_header") {
                const HocrTitle title(source.Attribute(L"title"));
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
                const HocrTitle title(source.Attribute(L"title"));
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
                const HocrTitle title(source.Attribute(L"title"));
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

PageWords HocrDocument::WordsOfPage(int page) const
{
    std::vector<PageWords::Word> words;
    std::map<int, int> lineNumbers; // the document's line index, numbered among this page's lines
    for (const Word& hocrWord : m_words) {
        if (page != 0 && hocrWord.page != page) {
            continue;
        }
        PageWords::Word word;
        word.index = hocrWord.position;
        word.box = hocrWord.box;
        word.confidence = hocrWord.confidence;
        word.text = hocrWord.text;
        TakeDetails(word, hocrWord);
        word.line = lineNumbers.emplace(hocrWord.line, static_cast<int>(lineNumbers.size())).first->second;
        words.push_back(word);
    }
    const int lineCount = page == 0 ? static_cast<int>(m_lines.size()) : static_cast<int>(lineNumbers.size());
    return PageWords(std::move(words), lineCount);
}

void HocrDocument::TakeDetails(PageWords::Word& word, const Word& hocrWord) const
{
    word.position = hocrWord.position;
    word.characters = hocrWord.characters;
    const Line& line = m_lines[static_cast<size_t>(hocrWord.line)];
    word.xSize = line.xSize;
    word.baselineSlope = line.baselineSlope;
}

const wchar_t* HocrDocument::Suffix() const
{
    return OcrFormat::Suffix(OcrFormat::kHocr);
}

std::string HocrDocument::WrittenBack(const VerifiedTexts& verified, int /*page*/) const
{
    return WithVerified(verified.ByPosition());
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
            tag.Set("title", HocrTitle::Verified(word.title, corrected.Split() ? &box : nullptr));
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
