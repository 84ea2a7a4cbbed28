#pragma once

#include <map>
#include <string>
#include <vector>

#include "LayoutDocument.h"

// PAGE XML (2013-07-15 and 2019-07-15), one page of the size its Page states: each Word's
// text from its TextEquiv of the lowest index (one without an index counts as lowest) with its
// conf (0 to 1), its box around its Coords polygon, its characters from its Glyphs; each
// TextLine's Baseline gives the orientation. The regions in the order ReadingOrder gives,
// those it leaves out after them in document order; within a region its lines and their words
// in document order.
class PageXmlDocument : public LayoutDocument {
public:
    // Throws InputError naming the file, the line and the fault.
    PageXmlDocument(std::string bytes, const std::wstring& path);

    const std::vector<Page>& Pages() const override { return m_pages; }
    const PageWords& Words(int page) const override { return page == 1 ? m_words : NoWords(); }
    // Each verified Word's text TextEquiv gets the text and conf="1", its Glyphs go; the
    // texts of its TextLine and TextRegion follow the correction.
    std::string WithVerified(const std::map<int, std::string>& texts) const override;

    // The elements of one TextEquiv, and what it says.
    struct TextEquiv {
        int element = -1; // -1: none
        int unicode = -1;
        int plainText = -1;
        long long index = -1; // -1: no index
        std::string text;     // its Unicode, UTF-8
        double conf = -1;     // 0 to 1; -1: none
    };

private:
    struct WordElements {
        int element = 0;
        int coords = -1;
        int textStyle = -1;
        std::vector<int> glyphs;
        TextEquiv equiv;
        int line = 0; // into m_lines
        Box box;
        int sourceLine = 0; // in the file, for messages
    };
    struct LineElements {
        TextEquiv equiv;
        std::vector<int> words; // into m_pageWords, in document order
        int region = 0;         // into m_regions
        double slope = 0;
    };
    struct RegionElements {
        std::string id;
        TextEquiv equiv;
        std::vector<int> lines; // into m_lines, in document order
    };

    std::string m_bytes;
    std::vector<Page> m_pages{Page{1}}; // its size once its Page is read
    PageWords m_words;
    std::vector<WordElements> m_pageWords; // in document order
    std::vector<LineElements> m_lines;
    std::vector<RegionElements> m_regions;
};
