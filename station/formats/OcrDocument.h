#pragma once

#include <string>
#include <vector>

#include "PageWords.h"
#include "VerifiedTexts.h"

// A recogniser's output document in any of the formats the station reads (TsvDocument,
// HocrDocument, and the layout documents of LayoutDocument): the pages it describes, the
// words it gives each, and the document written back with the session's verified words, to a
// file its suffix names. Each format finds the verified words by its own numbering of its
// words. PageOcr holds the documents of an image; the outputs write back each of them.
class OcrDocument {
public:
    // A page the document describes, with its number (from 1) and its size where it gives one.
    struct Page {
        int number = 0;
        double width = 0; // pixels; 0 when the document gives no size
        double height = 0;
        double unit = 1;  // pixels in one of the document's units: the size is exact to that
    };

    virtual ~OcrDocument() = default;

    virtual const std::vector<Page>& Pages() const = 0;
    // The words the document alone gives one page (its number), in reading order; none for a
    // page it does not describe.
    virtual PageWords WordsOfPage(int page) const = 0;
    // The document with its verified words changed and every other byte as it was read. With
    // a `page` (its number), a format whose rows name their page (TSV) keeps that page's rows
    // alone; the others are written whole, with the verified words they are given.
    virtual std::string WrittenBack(const VerifiedTexts& verified, int page) const = 0;
    // Its written file's suffix (OcrFormat::Suffix).
    virtual const wchar_t* Suffix() const = 0;
};
