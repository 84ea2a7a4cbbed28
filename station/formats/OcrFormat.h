#pragma once

#include <string>

// Which of the formats the station reads a recogniser's output file is in, told by its
// content and never by its name: Tesseract's TSV by its header line; hOCR (any engine's),
// ALTO (v2, v3, v4 or no namespace) and PAGE XML (2013-07-15, 2019-07-15) by the root element
// and its namespace.
class OcrFormat {
public:
    enum Kind { kTsv, kHocr, kAlto, kPage };

    // ALTO v2's namespace: a String there has no CS attribute.
    static constexpr const wchar_t* kAltoV2Namespace = L"http://www.loc.gov/standards/alto/ns-v2#";

    // Throws InputError naming the file when it is none of them.
    static Kind Of(const std::string& bytes, const std::wstring& path);
    static Kind OfFile(const std::wstring& path);
};
