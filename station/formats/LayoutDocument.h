#pragma once

#include <map>
#include <string>
#include <vector>

#include "OcrDocument.h"
#include "PageWords.h"

// A recogniser's layout document, ALTO or PAGE XML (LayoutReader reads either): each page's
// words read once, and the same document written back with only the verified words, found by
// their positions, changed. What a layout format overrides: Pages, Words, WithVerified and
// Suffix.
class LayoutDocument : public OcrDocument {
public:
    // The words of one page (its number, from 1) in reading order, none for a page the
    // document does not describe; each word's index and position are its place among the
    // document's words in document order, from 1. ALTO's n-th Page is page n (one a frame, as
    // Tesseract writes them); a PAGE XML document is one page.
    virtual const PageWords& Words(int page) const = 0;

    // The document with each word named in `texts` (by position) given that text, marked
    // certain and checked, its old character detail gone; a text with blanks becomes several
    // words, each with its share of the box. Every other byte as it was read.
    virtual std::string WithVerified(const std::map<int, std::string>& texts) const = 0;

    PageWords WordsOfPage(int page) const final { return Words(page); }
    // A layout document is written whole.
    std::string WrittenBack(const VerifiedTexts& verified, int /*page*/) const final
    {
        return WithVerified(verified.ByPosition());
    }

protected:
    // The words of a page the document does not describe.
    static const PageWords& NoWords();
};
