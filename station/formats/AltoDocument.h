#pragma once

#include <map>
#include <string>
#include <vector>

#include "LayoutDocument.h"

// ALTO (v2, v3, v4 or no namespace), as Tesseract and most engines write it: each Page's
// size, each String's CONTENT, box and WC (0 unsure to 1 sure), its characters from its
// Glyphs (box and GC) or from CC (one digit per character, 0 sure to 9 unsure, over equal
// shares of the box), its TextLine. Positions in pixel, mm10 or inch1200 units become pixels
// at the DPI of the page's frame.
class AltoDocument : public LayoutDocument {
public:
    // `dpis`: the image's frames', the n-th Page's the n-th (the last for Pages beyond).
    // Throws InputError naming the file, the line and the fault.
    AltoDocument(std::string bytes, const std::wstring& path, const std::vector<double>& dpis);

    const std::vector<Page>& Pages() const override { return m_pages; }
    const PageWords& Words(int page) const override;
    // Each verified String gets CONTENT, WC="1", CS="true" (not in ALTO v2, whose String has
    // no CS), no CC and no Glyphs; a text with blanks becomes Strings with SP between them.
    std::string WithVerified(const std::map<int, std::string>& texts) const override;
    const wchar_t* Suffix() const override;

private:
    struct StringElement {
        int element = 0;
        std::vector<int> glyphs; // its Glyph elements
        bool placed = false;     // HPOS and WIDTH given
        double hpos = 0;         // in the document's unit
        double width = 0;
    };

    std::string m_bytes;
    bool m_stringHasCs = true; // String/@CS exists in the document's ALTO version
    std::vector<Page> m_pages;
    std::vector<PageWords> m_pageWords;   // by page
    std::vector<StringElement> m_strings; // in document order
};
