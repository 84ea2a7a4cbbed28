#pragma once

#include <string>
#include <vector>

#include "Box.h"

// The text of a PAGE XML document as its elements: each TextRegion, TextLine and Word with
// its TextEquiv, and a Word's Coords, TextStyle and Glyphs, by their numbers among the
// document's elements (as XmlSource and XmlRewrite number them). What the reader
// (PageXmlDocument) finds and the writer (PageXmlWriter) rewrites.
struct PageXmlElements {
    // The elements of one TextEquiv, and what it says.
    struct TextEquiv {
        int element = -1; // -1: none
        int unicode = -1;
        int plainText = -1;
        long long index = -1; // -1: no index
        std::string text;     // its Unicode, UTF-8
        double conf = -1;     // 0 to 1; -1: none
    };
    struct Word {
        int element = 0;
        int coords = -1;
        int textStyle = -1;
        std::vector<int> glyphs;
        TextEquiv equiv;
        int line = 0; // into lines
        Box box;
        int sourceLine = 0; // in the file, for messages
    };
    struct Line {
        TextEquiv equiv;
        std::vector<int> words; // into words, in document order
        int region = 0;         // into regions
        double slope = 0;
    };
    struct Region {
        std::string id;
        TextEquiv equiv;
        std::vector<int> lines; // into lines, in document order
    };

    std::vector<Word> words; // in document order
    std::vector<Line> lines;
    std::vector<Region> regions;
};
