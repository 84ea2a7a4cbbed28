#pragma once

#include <string>

#include "HocrDocument.h"
#include "PageWords.h"
#include "TsvDocument.h"

// A page's words from Tesseract's TSV, its hOCR, or both: the TSV's rows, with the character
// boxes, x-heights and baselines of the hOCR's words that have the same boxes.
class TsvHocrWords {
public:
    // Either document may be null, not both. With a `pageNumber`, only the words the documents
    // give that page number. Throws InputError when the hOCR describes none of the TSV's words.
    static PageWords From(const TsvDocument* tsv, const HocrDocument* hocr, const std::wstring& hocrPath,
                          int pageNumber = 0);
};
