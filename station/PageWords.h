#pragma once

#include <string>
#include <vector>

#include "Box.h"
#include "RecognisedCharacter.h"
#include "HocrDocument.h"
#include "TsvDocument.h"

// The page's recognised words in reading order, from Tesseract's TSV, its hOCR, or both
// (the TSV's rows, with the character boxes, x-heights and baselines of the hOCR's words
// that have the same boxes), or from an ALTO or PAGE XML document.
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

    // Either document may be null, not both. With a `pageNumber`, only the words the documents
    // give that page number. Throws InputError when the hOCR describes none of the TSV's words.
    static PageWords From(const TsvDocument* tsv, const HocrDocument* hocr, const std::wstring& hocrPath,
                          int pageNumber = 0);

    PageWords() = default;
    PageWords(std::vector<Word> words, int lineCount) : m_words(std::move(words)), m_lineCount(lineCount) {}

    const std::vector<Word>& Words() const { return m_words; }
    int LineCount() const { return m_lineCount; }

private:
    std::vector<Word> m_words;
    int m_lineCount = 0;
};
