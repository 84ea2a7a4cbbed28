#pragma once

#include <map>
#include <string>
#include <vector>

#include "Box.h"
#include "OcrDocument.h"
#include "RecognisedCharacter.h"

// hOCR (XHTML) from any engine: its pages (ocr_page), its lines with their baseline and
// x-height where given, its words (ocrx_word) with their box, their confidence (x_wconf) where
// given and their characters' boxes and confidences (ocrx_cinfo with x_bboxes and x_conf, as
// Tesseract writes them with hocr_char_boxes=1, lstm_choice_mode's alternatives passed over;
// else the word's own x_confs, with its x_bboxes where it has a box for each character, as
// other engines write them). Read with XmlSource; written back with only the verified words
// changed.
class HocrDocument : public OcrDocument {
public:
    struct Line {
        Box box;
        double xSize = 0;         // pixels; 0 when the line gives none
        double baselineSlope = 0; // rows per column, in image coordinates (y grows downwards)
    };
    struct Word {
        int page = 0;     // the number of its ocr_page
        int position = 0; // among the file's words, from 1
        int line = 0;     // index into Lines()
        Box box;
        double confidence = 0; // x_wconf; else the least sure character's; else 0 (0 to 100)
        std::string text;      // UTF-8
        std::vector<RecognisedCharacter> characters;
        int element = 0;   // the word's element, numbered as XmlSource numbers them
        std::string title; // its title attribute, UTF-8
    };

    // Reads and checks the file; throws InputError naming the file, the line and the fault.
    static HocrDocument Read(const std::wstring& path);

    // Each ocr_page: its number (ppageno + 1, else its place among the pages) and its box's size.
    const std::vector<Page>& Pages() const override { return m_pages; }
    const std::vector<Line>& Lines() const { return m_lines; }
    const std::vector<Word>& Words() const { return m_words; }

    // The words of one page (0: of every page), each word's index its position.
    PageWords WordsOfPage(int page) const override;
    // Gives a page's word what the hOCR word tells beyond its box and text: its position, its
    // characters, its line's x-height and baseline.
    void TakeDetails(PageWords::Word& word, const Word& hocrWord) const;

    // The document with each word named in `texts` (by position) given that text and
    // x_wconf 100, its character spans removed; a text with blanks becomes several words,
    // each with its share of the box. Every other byte as it was read.
    std::string WithVerified(const std::map<int, std::string>& texts) const;
    // The whole document, its verified words found by their positions.
    std::string WrittenBack(const VerifiedTexts& verified, int page) const override;
    const wchar_t* Suffix() const override;

private:
    std::string m_bytes;
    std::vector<Page> m_pages;
    std::vector<Line> m_lines;
    std::vector<Word> m_words;
};
