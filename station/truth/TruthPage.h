#pragma once

#include <string>
#include <vector>

#include "Box.h"

// A page's ground truth, from PAGE XML (its TextLines with their text and, where it has them,
// their Words) or ALTO (its TextLines and their Strings): the page's size in pixels, and its
// lines in document order, each with the box around its outline.
struct TruthPage {
    struct Word {
        Box box;
        std::string text; // UTF-8, as transcribed
    };
    struct Line {
        Box box;
        std::string text; // the line's own text: PAGE's TextEquiv, ALTO's Strings joined by spaces
        std::vector<Word> words;
    };

    int width = 0; // 0 when the document does not say
    int height = 0;
    std::vector<Line> lines;

    // True when the transcription has word boxes: its words are matched by box, else by line.
    bool HasWords() const;

    // Throws InputError naming the file, the line and the fault, for a document that is
    // neither PAGE nor ALTO or is malformed.
    static TruthPage Read(const std::wstring& path);
    static TruthPage Parse(const std::string& bytes, const std::wstring& path);
};
