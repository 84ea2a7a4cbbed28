#pragma once

#include <map>
#include <string>
#include <vector>

#include "PageWords.h"
#include "VerifiedWord.h"

// The operator's verified words (those answered "ok") of the pages a document is written back
// for, as each format finds its words: by a word's index (a TSV's row line) or by its
// position among the words of an hOCR, ALTO or PAGE document.
class VerifiedTexts {
public:
    // Adds one page's answers; the page's words give each answer's position.
    void Add(const PageWords& words, const std::vector<VerifiedWord>& answers);

    const std::map<int, std::string>& ByIndex() const { return m_byIndex; }
    const std::map<int, std::string>& ByPosition() const { return m_byPosition; }

private:
    std::map<int, std::string> m_byIndex;
    std::map<int, std::string> m_byPosition;
};
