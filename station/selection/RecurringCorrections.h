#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "PageWords.h"
#include "SelectedWord.h"
#include "VerifiedWord.h"

// The recognised texts the operator has corrected in the batch, so that a word read alike on
// another page is shown wherever it recurs, however sure the engine is of it: the engine's
// surest wrong words are real words read for others, which only an earlier correction points
// at. A text once corrected stays so, whatever later answers say of it: read wrong once, it
// may be read wrong again. A page's own corrections do not count for it, so the words a page
// shows are settled when it is taken up, and a page resumed halfway shows the words it showed.
class RecurringCorrections {
public:
    // The reason a word is shown for, as the journal keeps it.
    static constexpr const char* kReason = "recurring";

    // An answer given on the batch's page `page`: a correction (VerifiedWord::Corrected) is
    // one of the recognised text.
    void Learn(size_t page, const VerifiedWord& answer);
    // Whether `recognised` (UTF-8) was corrected on a page other than `page`.
    bool CorrectedElsewhere(const std::string& recognised, size_t page) const;
    // Appends to the words chosen on page `page`, in reading order, those of its words that
    // were corrected elsewhere and that the choice does not show; a chosen word keeps its
    // reason. The words appended point into `words`.
    void AddTo(size_t page, const PageWords& words, std::vector<SelectedWord>& chosen) const;

private:
    std::map<std::string, std::set<size_t>> m_correctedOn; // recognised text -> the pages it was corrected on
};
