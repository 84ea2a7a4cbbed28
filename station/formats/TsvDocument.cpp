#include "TsvDocument.h"

#include <algorithm>
#include <tuple>

#include "InputError.h"
#include "InputFile.h"
#include "OcrFormat.h"
#include "ParseNumber.h"
#include "Utf8.h"

namespace {

const char kHeader[] = "level\tpage_num\tblock_num\tpar_num\tline_num\tword_num\tleft\ttop\twidth\theight\tconf\ttext";
constexpr size_t kColumns = 12;
const char* const kColumnNames[kColumns] = {"level", "page_num", "block_num", "par_num", "line_num", "word_num",
                                           "left",  "top",      "width",     "height",  "conf",     "text"};

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

} // namespace

TsvDocument TsvDocument::Read(const std::wstring& path)
{
    return Parse(InputFile::Read(path), path);
}

TsvDocument TsvDocument::Parse(const std::string& content, const std::wstring& path)
{
    TsvDocument document;
    size_t start = 0;
    while (start < content.size()) {
        const size_t newline = content.find('\n', start);
        const size_t end = newline == std::string::npos ? content.size() : newline;
        document.m_lines.push_back(content.substr(start, end - start));
        start = end + 1;
    }
    if (!content.empty() && content.back() == '\n') {
        document.m_lines.emplace_back(); // what follows the last newline: nothing
    }
    if (document.m_lines.empty()) {
        throw InputError(path, 1, "the file is empty: expected Tesseract's TSV header");
    }
    document.m_linePages.assign(document.m_lines.size(), 0);

    for (size_t i = 0; i < document.m_lines.size(); ++i) {
        const int lineNumber = static_cast<int>(i) + 1;
        std::string line = document.m_lines[i];
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::wstring unused;
        if (!Utf8ToWide(line, unused)) {
            throw InputError(path, lineNumber, "not valid UTF-8");
        }
        if (i == 0) {
            if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) {
                line.erase(0, 3);
            }
            if (line != kHeader) {
                throw InputError(path, lineNumber,
                                 "not Tesseract's TSV header (expected the 12 columns level ... conf text)");
            }
            continue;
        }
        if (line.empty() && i + 1 == document.m_lines.size()) {
            continue; // the end of the last line
        }
        const std::vector<std::string> fields = SplitTabs(line);
        if (fields.size() != kColumns) {
            throw InputError(path, lineNumber,
                             "has " + std::to_string(fields.size()) + " columns, expected " + std::to_string(kColumns));
        }
        long long numbers[10] = {};
        for (size_t column = 0; column < 10; ++column) {
            // Negative sizes are read, and skipped later as empty boxes.
            if (!ParseInteger(fields[column], -Box::kMaxCoordinate, Box::kMaxCoordinate, numbers[column])) {
                throw InputError(path, lineNumber,
                                 std::string("column ") + kColumnNames[column] + " is not a whole number from -" +
                                     std::to_string(Box::kMaxCoordinate) + " to " +
                                     std::to_string(Box::kMaxCoordinate) + ": \"" + fields[column] + "\"");
            }
        }
        double confidence = 0;
        // Tesseract's confidence: -1 on a row that is not a word, else 0 to 100.
        if (!ParseDecimal(fields[10], -1, 100, confidence) || (confidence < 0 && confidence != -1)) {
            throw InputError(path, lineNumber, "column conf is not -1 or a number from 0 to 100: \"" + fields[10] + "\"");
        }
        const int page = static_cast<int>(numbers[1]);
        document.m_linePages[i] = page;
        auto known = std::find_if(document.m_pages.begin(), document.m_pages.end(),
                                  [page](const Page& p) { return p.number == page; });
        if (known == document.m_pages.end()) {
            known = document.m_pages.insert(document.m_pages.end(), Page{page});
        }
        if (numbers[0] == 1) {
            known->width = static_cast<double>(numbers[8]);
            known->height = static_cast<double>(numbers[9]);
        }
        if (numbers[0] != 5 || confidence == -1) {
            continue; // page, block, paragraph and line rows
        }
        Word word;
        word.line = lineNumber;
        word.page = static_cast<int>(numbers[1]);
        word.block = static_cast<int>(numbers[2]);
        word.paragraph = static_cast<int>(numbers[3]);
        word.textLine = static_cast<int>(numbers[4]);
        word.box = {static_cast<int>(numbers[6]), static_cast<int>(numbers[7]), static_cast<int>(numbers[8]),
                    static_cast<int>(numbers[9])};
        word.confidence = confidence;
        word.text = fields[11];
        document.m_words.push_back(word);
    }
    return document;
}

PageWords TsvDocument::WordsOfPage(int page) const
{
    std::vector<PageWords::Word> words;
    int lineCount = 0;
    std::tuple<int, int, int, int> previousLine{-1, -1, -1, -1};
    for (const Word& row : m_words) {
        if (page != 0 && row.page != page) {
            continue;
        }
        const auto lineKey = std::make_tuple(row.page, row.block, row.paragraph, row.textLine);
        if (words.empty() || lineKey != previousLine) {
            ++lineCount;
            previousLine = lineKey;
        }
        PageWords::Word word;
        word.index = row.line;
        word.line = lineCount - 1;
        word.box = row.box;
        word.confidence = row.confidence;
        word.text = row.text;
        words.push_back(word);
    }
    return PageWords(std::move(words), lineCount);
}

const wchar_t* TsvDocument::Suffix() const
{
    return OcrFormat::Suffix(OcrFormat::kTsv);
}

std::string TsvDocument::WrittenBack(const VerifiedTexts& verified, int page) const
{
    return WithVerified(verified.ByIndex(), page);
}

std::string TsvDocument::WithVerified(const std::map<int, std::string>& verifiedTexts, int page) const
{
    std::string out;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const std::string& line = m_lines[i];
        if (page != 0 && m_linePages[i] != 0 && m_linePages[i] != page) {
            continue;
        }
        const auto verified = verifiedTexts.find(static_cast<int>(i) + 1);
        if (verified == verifiedTexts.end()) {
            out += line;
        } else {
            // The first ten columns stay as they were; conf and text are replaced.
            size_t tenthTab = 0;
            for (int tab = 0; tab < 10; ++tab) {
                tenthTab = line.find('\t', tab == 0 ? 0 : tenthTab + 1);
            }
            out += line.substr(0, tenthTab + 1) + "100\t" + verified->second;
            if (!line.empty() && line.back() == '\r') {
                out += '\r';
            }
        }
        if (i + 1 < m_lines.size()) {
            out += '\n';
        }
    }
    return out;
}
