#include "TsvHocrWords.h"

#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "InputError.h"

namespace {

void TakeHocrDetails(PageWords::Word& word, const HocrDocument::Word& hocrWord, const HocrDocument& hocr)
{
    word.position = hocrWord.position;
    word.characters = hocrWord.characters;
    const HocrDocument::Line& line = hocr.Lines()[static_cast<size_t>(hocrWord.line)];
    word.xSize = line.xSize;
    word.baselineSlope = line.baselineSlope;
}

} // namespace

PageWords TsvHocrWords::From(const TsvDocument* tsv, const HocrDocument* hocr, const std::wstring& hocrPath,
                             int pageNumber)
{
    const auto onPage = [pageNumber](int number) { return pageNumber == 0 || number == pageNumber; };
    std::vector<PageWords::Word> words;
    int lineCount = 0;
    if (tsv != nullptr) {
        std::map<std::tuple<int, int, int, int>, const HocrDocument::Word*> hocrByBox;
        if (hocr != nullptr) {
            for (const HocrDocument::Word& word : hocr->Words()) {
                if (!onPage(word.page)) {
                    continue;
                }
                hocrByBox.emplace(std::make_tuple(word.box.left, word.box.top, word.box.width, word.box.height), &word);
            }
        }
        std::tuple<int, int, int, int> previousLine{-1, -1, -1, -1};
        int matched = 0;
        for (const TsvDocument::Word& row : tsv->Words()) {
            if (!onPage(row.page)) {
                continue;
            }
            const auto lineKey = std::make_tuple(row.page, row.block, row.paragraph, row.textLine);
            if (words.empty() || lineKey != previousLine) {
                ++lineCount;
                previousLine = lineKey;
            }
            PageWords::Word word;
            word.index = row.line;
            word.line = lineCount - 1;
            word.box = row.box;
            word.confidence = row.confidence;
            word.text = row.text;
            const auto found =
                hocrByBox.find(std::make_tuple(row.box.left, row.box.top, row.box.width, row.box.height));
            if (found != hocrByBox.end()) {
                TakeHocrDetails(word, *found->second, *hocr);
                ++matched;
            }
            words.push_back(word);
        }
        if (hocr != nullptr && matched == 0 && !hocrByBox.empty() && !words.empty()) {
            throw InputError(hocrPath, "describes none of the TSV's words: not the same page or not the same run");
        }
        return PageWords(std::move(words), lineCount);
    }
    std::map<int, int> lineNumbers; // the hOCR's line index, numbered among this page's lines
    for (const HocrDocument::Word& hocrWord : hocr->Words()) {
        if (!onPage(hocrWord.page)) {
            continue;
        }
        PageWords::Word word;
        word.index = hocrWord.position;
        word.box = hocrWord.box;
        word.confidence = hocrWord.confidence;
        word.text = hocrWord.text;
        TakeHocrDetails(word, hocrWord, *hocr);
        word.line = lineNumbers.emplace(hocrWord.line, static_cast<int>(lineNumbers.size())).first->second;
        words.push_back(word);
    }
    lineCount = pageNumber == 0 ? static_cast<int>(hocr->Lines().size()) : static_cast<int>(lineNumbers.size());
    return PageWords(std::move(words), lineCount);
}
