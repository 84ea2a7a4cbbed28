#pragma once

#include <string>
#include <vector>

// Which of the formats the station reads a recogniser's output file is in, told by its
// content and never by its name: Tesseract's TSV by its header line; hOCR (any engine's),
// ALTO (v2, v3, v4 or no namespace) and PAGE XML (2013-07-15, 2019-07-15) by the root element
// and its namespace. And the suffix of the file each format's verified document is written to.
class OcrFormat {
public:
    enum Kind { kTsv, kHocr, kAlto, kPage };

    // ALTO v2's namespace: a String there has no CS attribute.
    static constexpr const wchar_t* kAltoV2Namespace = L"http://www.loc.gov/standards/alto/ns-v2#";

    // Throws InputError naming the file when it is none of them.
    static Kind Of(const std::string& bytes, const std::wstring& path);
    static Kind OfFile(const std::wstring& path);

    // ".tsv", ".hocr", and ".xml" for ALTO and PAGE XML alike.
    static const wchar_t* Suffix(Kind kind);
    // Every format's suffix, once each: the names an output folder's verified documents may end in.
    static std::vector<const wchar_t*> Suffixes();
};
