#pragma once

#include <map>
#include <string>

#include "PageXmlElements.h"

// A PAGE XML document written back with its verified words changed and every other byte as
// it was read.
class PageXmlWriter {
public:
    // `texts`: the verified words' texts by their position among the document's Words, from
    // 1. Each verified Word's text TextEquiv gets the text and conf="1", its Glyphs go; a text
    // with blanks becomes Words of their share of the box; the texts of its TextLine and
    // TextRegion follow the correction.
    static std::string WithVerified(const std::string& bytes, const PageXmlElements& elements,
                                    const std::map<int, std::string>& texts);
};
