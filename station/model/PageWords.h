#pragma once

#include <string>
#include <vector>

#include "Box.h"
#include "RecognisedCharacter.h"

// The page's recognised words in reading order, from any of the formats the station reads
// (OcrDocument, TsvHocrWords).
class PageWords {
public:
    struct Word {
        int index = 0; // the word's line in the TSV, or its position among the document's words
        int position = 0; // among the words of the hOCR, ALTO or PAGE document, from 1; 0: in none
        int line = 0;  // which text line of the page, from 0, in reading order
        Box box;
        double confidence = 0;
        std::string text; // UTF-8, as recognised
        std::vector<RecognisedCharacter> characters;
        double xSize = 0;         // pixels; 0 when unknown
        double baselineSlope = 0; // rows per column, y downwards
    };

    PageWords() = default;
    PageWords(std::vector<Word> words, int lineCount) : m_words(std::move(words)), m_lineCount(lineCount) {}

    const std::vector<Word>& Words() const { return m_words; }
    int LineCount() const { return m_lineCount; }

private:
    std::vector<Word> m_words;
    int m_lineCount = 0;
};
