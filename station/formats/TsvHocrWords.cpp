#include "TsvHocrWords.h"

#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "InputError.h"

PageWords TsvHocrWords::From(const TsvDocument* tsv, const HocrDocument* hocr, const std::wstring& hocrPath,
                             int pageNumber)
{
    if (tsv == nullptr) {
        return hocr->WordsOfPage(pageNumber);
    }
    PageWords rows = tsv->WordsOfPage(pageNumber);
    if (hocr == nullptr) {
        return rows;
    }
    std::map<std::tuple<int, int, int, int>, const HocrDocument::Word*> hocrByBox;
    for (const HocrDocument::Word& word : hocr->Words()) {
        if (pageNumber == 0 || word.page == pageNumber) {
            hocrByBox.emplace(std::make_tuple(word.box.left, word.box.top, word.box.width, word.box.height), &word);
        }
    }
    std::vector<PageWords::Word> words = rows.Words();
    int matched = 0;
    for (PageWords::Word& word : words) {
        const auto found = hocrByBox.find(std::make_tuple(word.box.left, word.box.top, word.box.width, word.box.height));
        if (found != hocrByBox.end()) {
            hocr->TakeDetails(word, *found->second);
            ++matched;
        }
    }
    if (matched == 0 && !hocrByBox.empty() && !words.empty()) {
        throw InputError(hocrPath, "describes none of the TSV's words: not the same page or not the same run");
    }
    return PageWords(std::move(words), rows.LineCount());
}
