#pragma once

#include <map>
#include <string>
#include <vector>

#include "PageWords.h"

// A recogniser's layout document, ALTO or PAGE XML (LayoutReader reads either): the page's
// words for the session, and the same document written back with only the verified words
// changed.
class LayoutDocument {
public:
    // A page the document describes: ALTO's n-th Page is page n (one a frame, as Tesseract
    // writes them); a PAGE XML document is one page.
    struct Page {
        int number = 0;
        double width = 0; // pixels; 0 when the document gives no size
        double height = 0;
        double unit = 1;  // pixels in one of the document's units: the size is exact to that
    };

    virtual ~LayoutDocument() = default;

    virtual const std::vector<Page>& Pages() const = 0;
    // The words of one page (its number, from 1) in reading order, none for a page the
    // document does not describe; each word's index and position are its place among the
    // document's words in document order, from 1.
    virtual const PageWords& Words(int page) const = 0;

    // The document with each word named in `texts` (by position) given that text, marked
    // certain and checked, its old character detail gone; a text with blanks becomes several
    // words, each with its share of the box. Every other byte as it was read.
    virtual std::string WithVerified(const std::map<int, std::string>& texts) const = 0;

protected:
    // The words of a page the document does not describe.
    static const PageWords& NoWords();
};
