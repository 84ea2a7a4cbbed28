#pragma once

#include <map>
#include <string>
#include <vector>

#include "LayoutDocument.h"
#include "PageXmlElements.h"

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
    // texts of its TextLine and TextRegion follow the correction (PageXmlWriter).
    std::string WithVerified(const std::map<int, std::string>& texts) const override;
    const wchar_t* Suffix() const override;

private:
    std::string m_bytes;
    std::vector<Page> m_pages{Page{1}}; // its size once its Page is read
    PageWords m_words;
    PageXmlElements m_elements;
};
