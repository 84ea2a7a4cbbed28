#pragma once

#include <string>
#include <vector>

#include "Box.h"
#include "RecognisedCharacter.h"

// Tesseract's hOCR (XHTML): its lines with their baseline and x-height, its words with
// their confidence and, when it was written with hocr_char_boxes=1, each character's box
// and confidence. Read with the platform's XML reader (XmlLite).
class HocrDocument {
public:
    struct Line {
        Box box;
        double xSize = 0;         // pixels; 0 when the line gives none
        double baselineSlope = 0; // rows per column, in image coordinates (y grows downwards)
    };
    // An ocr_page: its number (ppageno + 1, else its place among the pages) and its box.
    struct Page {
        int number = 0;
        Box box;
    };
    struct Word {
        int page = 0;     // the number of its ocr_page
        int position = 0; // among the file's words, from 1
        int line = 0;     // index into Lines()
        Box box;
        double confidence = 0;
        std::string text; // UTF-8
        std::vector<RecognisedCharacter> characters;
    };

    // Reads and checks the file; throws InputError naming the file, the line and the fault.
    static HocrDocument Read(const std::wstring& path);

    const std::vector<Page>& Pages() const { return m_pages; }
    const std::vector<Line>& Lines() const { return m_lines; }
    const std::vector<Word>& Words() const { return m_words; }

private:
    std::vector<Page> m_pages;
    std::vector<Line> m_lines;
    std::vector<Word> m_words;
};
