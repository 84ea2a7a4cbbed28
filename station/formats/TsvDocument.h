#pragma once

#include <map>
#include <string>
#include <vector>

#include "Box.h"
#include "OcrDocument.h"

// Tesseract's TSV output: a header line and rows of 12 tab-separated columns, UTF-8.
// Keeps every line as it was read, so that it can be written back byte for byte with only
// the verified words changed.
class TsvDocument : public OcrDocument {
public:
    struct Word {
        int line = 0; // in the file, from 1 (the header is line 1)
        int page = 0;
        int block = 0;
        int paragraph = 0;
        int textLine = 0;
        Box box;
        double confidence = 0;
        std::string text; // UTF-8, exactly as in the file
    };

    // Reads and checks the file; throws InputError naming the file, the line and the fault.
    static TsvDocument Read(const std::wstring& path);
    static TsvDocument Parse(const std::string& content, const std::wstring& path);

    // The word rows (level 5 with a confidence other than -1), in the file's order.
    const std::vector<Word>& Words() const { return m_words; }

    // Every page the rows name (page_num), in the order of their first row, with the size its
    // page row gives (none without one).
    const std::vector<Page>& Pages() const override { return m_pages; }

    // The word rows of one page (0: of every page) as the page's words: each word's index is
    // its line in the file, its text line the rows' block, paragraph and line numbers.
    PageWords WordsOfPage(int page) const override;

    // The file with the text of each word row named in `verifiedTexts` (by line) replaced and
    // its confidence set to 100; every other byte as it was read. With a `page`, only the
    // header and that page's rows.
    std::string WithVerified(const std::map<int, std::string>& verifiedTexts, int page = 0) const;
    // The verified words found by their indices, each a word row's line.
    std::string WrittenBack(const VerifiedTexts& verified, int page) const override;
    const wchar_t* Suffix() const override;

private:
    std::vector<std::string> m_lines; // without their '\n'
    std::vector<int> m_linePages;     // each line's page_num; 0 for the header and blank lines
    std::vector<Page> m_pages;
    std::vector<Word> m_words;
};
