// ALTO, PAGE XML and hOCR read into the page's words, told apart by content; written back
// unchanged when nothing was verified; hostile or broken documents refused with their file
// and line. (Station.Formats corrects them through the dialog and checks what is written.)

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "HocrDocument.h"
#include "InputError.h"
#include "LayoutReader.h"
#include "OcrFormat.h"
#include "PageImage.h"
#include "ScratchFolder.h"
#include "StationData.h"
#include "TarsilDlg29.h"
#include "TsvDocument.h"
#include "TypedAnswers.h"
#include "VerificationSession.h"

namespace {

std::vector<std::string> Texts(const PageWords& words)
{
    std::vector<std::string> texts;
    for (const PageWords::Word& word : words.Words()) {
        texts.push_back(word.text);
    }
    return texts;
}

const PageWords::Word& WordAt(const PageWords& words, int position)
{
    for (const PageWords::Word& word : words.Words()) {
        if (word.position == position) {
            return word;
        }
    }
    throw std::out_of_range("no word at " + std::to_string(position));
}

// `text` with its first `from` replaced by `to`; the test fails when it has none.
std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

} // namespace

TEST(StationFormats, AltoIsReadInPixelsWithItsGlyphsAndCcAndWrittenBackByteForByte)
{
    // Tesseract's ALTO of the 300 dpi scan: every String, entities decoded.
    const std::unique_ptr<LayoutDocument> scan =
        LayoutReader::Read(StationData(L"scans/8087_054.3B.alto.xml"), {300});
    ASSERT_EQ(scan->Words(1).Words().size(), 694u);
    EXPECT_EQ(scan->Words(1).LineCount(), 116);
    const PageWords::Word& travel = WordAt(scan->Words(1), 347);
    EXPECT_EQ(travel.text, "TRAVEL&LEISURE");
    EXPECT_EQ(travel.box, (Box{319, 3202, 352, 22}));
    EXPECT_NEAR(travel.confidence, 75, 1e-9);
    EXPECT_EQ(scan->WithVerified({}), FileBytes(StationData(L"scans/8087_054.3B.alto.xml")));

    // ALTO v4 in tenths of millimetres at the page's own resolution (72.009 dpi).
    const double dpi = PageImage::Read(StationData(L"page.png")).Dpi();
    const std::unique_ptr<LayoutDocument> alto = LayoutReader::Read(StationData(L"page.alto4.xml"), {dpi});
    const PageWords& words = alto->Words(1);
    ASSERT_EQ(Texts(words), (std::vector<std::string>{"\xE2\x80\x9C" "based", "segmentation", "determine", "markers"}));
    const PageWords::Word& based = words.Words()[0];
    EXPECT_EQ(based.box, (Box{74, 12, 68, 18})); // page.tsv's box for it
    ASSERT_EQ(based.characters.size(), 6u);     // from its Glyphs, GC 0 to 1
    EXPECT_EQ(based.characters[1].box, (Box{83, 12, 12, 18}));
    EXPECT_NEAR(based.characters[1].confidence, 98, 1e-9);
    EXPECT_NEAR(based.confidence, 89, 1e-9); // no WC: its least sure glyph
    const PageWords::Word& segmentation = words.Words()[1];
    EXPECT_NEAR(segmentation.confidence, 97, 1e-9);
    ASSERT_EQ(segmentation.characters.size(), 12u); // from CC, 0 sure to 9 unsure
    EXPECT_NEAR(segmentation.characters[3].confidence, 200.0 / 9, 1e-9);
    EXPECT_NEAR(segmentation.characters[0].confidence, 100, 1e-9);
    EXPECT_EQ(segmentation.characters[0].box.left, 151);
    EXPECT_EQ(words.Words()[3].confidence, 0); // nothing vouches for it
    EXPECT_EQ(words.Words()[2].line, 1);
}

TEST(StationFormats, PageXmlIsReadInReadingOrderWithTheLowestIndexAsTheText)
{
    // 2019: the heading region comes second in the file and first in ReadingOrder.
    const std::unique_ptr<LayoutDocument> page = LayoutReader::Read(StationData(L"page.2019.xml"), {72});
    const PageWords& words = page->Words(1);
    ASSERT_EQ(Texts(words), (std::vector<std::string>{"\xE2\x80\x9C" "based", "segmentation", "determine", "markers",
                                                     "of", "the", "coinsand", "jese", "markers", "are", "pixels"}));
    const int positions[] = {10, 11, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    const int lines[] = {0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2};
    for (size_t i = 0; i < words.Words().size(); ++i) {
        EXPECT_EQ(words.Words()[i].position, positions[i]);
        EXPECT_EQ(words.Words()[i].index, positions[i]);
        EXPECT_EQ(words.Words()[i].line, lines[i]);
    }
    EXPECT_EQ(words.LineCount(), 3);
    EXPECT_EQ(words.Words()[0].box, (Box{74, 12, 68, 18})); // around a five-point polygon
    EXPECT_EQ(words.Words()[2].box, (Box{89, 49, 69, 17}));
    EXPECT_NEAR(words.Words()[2].baselineSlope, -2.0 / 287, 1e-12);
    EXPECT_NEAR(words.Words()[7].confidence, 87, 1e-9); // index 1, not the index 2 before it
    EXPECT_EQ(words.Words()[4].confidence, 0);           // no conf at all
    const PageWords::Word& markers = words.Words()[8];   // no conf, but glyphs
    ASSERT_EQ(markers.characters.size(), 2u);
    EXPECT_EQ(markers.characters[1].box, (Box{148, 72, 8, 9}));
    EXPECT_NEAR(markers.confidence, 52, 1e-9);
    EXPECT_EQ(page->WithVerified({}), FileBytes(StationData(L"page.2019.xml")));

    const std::unique_ptr<LayoutDocument> page2013 = LayoutReader::Read(StationData(L"page.2013.xml"), {72});
    EXPECT_EQ(Texts(page2013->Words(1)),
              (std::vector<std::string>{"\xE2\x80\x9C" "based", "segmentation", "jese", "markers", "are"}));
    EXPECT_EQ(page2013->Words(1).Words()[3].confidence, 0);
}

TEST(StationFormats, EachFormatIsToldByItsContentWhateverItsName)
{
    ScratchFolder folder;
    const struct {
        const wchar_t* data;
        const wchar_t* misleadingName;
        OcrFormat::Kind format;
    } files[] = {
        {L"page.tsv", L"page.xml", OcrFormat::kTsv},          {L"page.plain.hocr", L"page.alto", OcrFormat::kHocr},
        {L"page.alto4.xml", L"page.hocr", OcrFormat::kAlto},  {L"scans/8087_054.3B.alto.xml", L"scan.tsv", OcrFormat::kAlto},
        {L"page.2013.xml", L"page.2013.tsv", OcrFormat::kPage}, {L"page.2019.xml", L"page.2019.hocr", OcrFormat::kPage},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(std::string(file.data, file.data + std::wcslen(file.data)));
        WriteFile(folder / file.misleadingName, FileBytes(StationData(file.data)));
        EXPECT_EQ(OcrFormat::OfFile(folder / file.misleadingName), file.format);
    }

    // ALTO v2 and ALTO without a namespace read alike; inch1200 is converted as mm10 is.
    const std::string alto = FileBytes(StationData(L"page.alto4.xml"));
    const std::string v2 = Replaced(Replaced(alto, "ns-v4#", "ns-v2#"), "ns-v4#", "ns-v2#");
    const std::string none = Replaced(alto, "xmlns=\"http://www.loc.gov/standards/alto/ns-v4#\"", "");
    const std::string inches = Replaced(alto, ">mm10<", ">inch1200<");
    for (const auto& [variant, left] : {std::make_pair(v2, 74), std::make_pair(none, 74), std::make_pair(inches, 16)}) {
        WriteFile(folder / L"variant", variant);
        const std::unique_ptr<LayoutDocument> read = LayoutReader::Read(folder / L"variant", {72});
        ASSERT_EQ(read->Words(1).Words().size(), 4u);
        EXPECT_EQ(read->Words(1).Words()[0].box.left, left); // HPOS 261 x 72 / 254, or / 1200
    }
}

TEST(StationFormats, LstmChoiceModeHocrIsReadWithoutItsAlternatives)
{
    // Tesseract's lstm_choice_mode=2: each character's alternatives follow it in spans
    // without boxes, whose text is not the word's.
    const HocrDocument plain = HocrDocument::Read(StationData(L"page.hocr"));
    for (const wchar_t* name : {L"page.choices.hocr", L"page.choices-nobox.hocr"}) {
        SCOPED_TRACE(name == std::wstring(L"page.choices.hocr") ? "with character boxes" : "without");
        const HocrDocument choices = HocrDocument::Read(StationData(name));
        ASSERT_EQ(choices.Words().size(), 2u);
        for (size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(choices.Words()[i].text, plain.Words()[i].text);
            EXPECT_EQ(choices.Words()[i].confidence, plain.Words()[i].confidence);
        }
        const bool boxes = name == std::wstring(L"page.choices.hocr");
        ASSERT_EQ(choices.Words()[0].characters.size(), boxes ? plain.Words()[0].characters.size() : 0u);
        for (size_t i = 0; boxes && i < plain.Words()[0].characters.size(); ++i) {
            EXPECT_EQ(choices.Words()[0].characters[i].box, plain.Words()[0].characters[i].box);
        }
    }
    EXPECT_EQ(plain.WithVerified({}), FileBytes(StationData(L"page.hocr")));
}

TEST(StationFormats, HocrWithoutCharacterSpansTakesTheWordsOwnCharacterConfidences)
{
    // kraken's: x_confs from 0 to 1 on the word, no x_wconf, character boxes on the line only.
    const HocrDocument kraken = HocrDocument::Read(StationData(L"page.kraken.hocr"));
    const HocrDocument::Word& based = kraken.Words()[0]; // x_confs 0.89 0.98 1.00 1.00 1.00 1.00
    EXPECT_NEAR(based.confidence, 89, 1e-9);
    ASSERT_EQ(based.characters.size(), 6u);
    EXPECT_NEAR(based.characters[0].confidence, 89, 1e-9);
    EXPECT_EQ(based.characters[0].box, (Box{74, 12, 11, 18})); // a sixth of the word's box
    for (size_t i = 1; i < 6; ++i) {
        EXPECT_GE(based.characters[i].confidence, 98);
    }
    // The word's own box for each character; one x_confs value above 1 makes all percentages.
    ScratchFolder folder;
    const std::string own = Replaced(FileBytes(StationData(L"page.kraken.hocr")), "x_confs 0.98 0.99 0.99 0.99",
                                     "x_bboxes 106 71 108 80 107 71 115 80 116 71 121 80 120 71 128 80; "
                                     "x_confs 0.98 0.99 0.99 0.40");
    WriteFile(folder / L"own.hocr", own);
    const HocrDocument owned = HocrDocument::Read(folder / L"own.hocr");
    const HocrDocument::Word& jese = owned.Words()[2];
    EXPECT_NEAR(jese.confidence, 40, 1e-9);
    ASSERT_EQ(jese.characters.size(), 4u);
    EXPECT_EQ(jese.characters[3].box, (Box{120, 71, 8, 9}));
    WriteFile(folder / L"percent.hocr", Replaced(own, "x_confs 1.00 1.00 1.00\"", "x_confs 100 99 100\""));
    const HocrDocument percent = HocrDocument::Read(folder / L"percent.hocr");
    EXPECT_NEAR(percent.Words()[0].confidence, 0.89, 1e-9);
    EXPECT_NEAR(percent.Words()[4].confidence, 99, 1e-9);
}

TEST(StationFormats, HostileOrBrokenDocumentsAreRefusedWithTheirFileAndLine)
{
    ScratchFolder folder;
    const std::string hocr = FileBytes(StationData(L"page.plain.hocr"));
    const std::string alto = FileBytes(StationData(L"page.alto4.xml"));
    const std::string page = FileBytes(StationData(L"page.2019.xml"));
    std::string deep = "<?xml version=\"1.0\"?>\n<alto>";
    for (int i = 0; i < 100; ++i) {
        deep += "<Layout>";
    }
    const struct {
        const char* name;
        std::string content;
        std::vector<std::string> expected;
        double dpi = 72;
    } cases[] = {
        {"entities", "<?xml version=\"1.0\"?>\n<!DOCTYPE alto [\n <!ENTITY a \"aaaaaaaaaa\">\n <!ENTITY b \"&a;&a;&a;&a;\">\n]>\n<alto>&b;</alto>\n",
         {":2:", "a document type declaration with an internal subset (entity declarations) is refused"}},
        {"deep", deep, {":2:", "elements nested more than 100 deep"}},
        {"character box", Replaced(hocr, "bbox 74 12 142 30; x_wconf 22", "bbox 74 12 2147483647 30; x_wconf 22"),
         {":17:", "malformed \"bbox\" in a title (four whole numbers from 0 to 1000000 expected)"}},
        {"x-height", Replaced(hocr, "x_size 22;", "x_size 1e308;"), {":16:", "malformed \"x_size\""}},
        {"local decimal", Replaced(alto, "WC=\"0.97\"", "WC=\"0,97\""), {":25:", "\"WC\" is not a number from 0 to 1: \"0,97\""}},
        {"confidence beyond 1", Replaced(alto, "WC=\"0.71\"", "WC=\"71\""), {":30:", "\"WC\" is not a number"}},
        {"CC", Replaced(alto, "CC=\"0 0 0 7", "CC=\"0 0 0 x"), {":25:", "\"CC\" is not a list of digits"}},
        {"unit", Replaced(alto, ">mm10<", ">furlong<"), {":7:", "unknown MeasurementUnit \"furlong\""}},
        {"beyond any page", Replaced(alto, "determine\" HPOS=\"314\"", "determine\" HPOS=\"1e7\""),
         {":30:", "\"HPOS\" is not a number from 0 to 1000000"}},
        {"beyond any page in pixels", Replaced(alto, "determine\" HPOS=\"314\"", "determine\" HPOS=\"900000\""),
         {":30:", "a position beyond 1000000 pixels"}, 300},
        {"polygon", Replaced(page, "89,50 124,49", "89,50 124"), {":25:", "\"points\" is not a list of x,y pairs"}},
        {"word without coordinates", Replaced(page, "<Coords points=\"168,51 222,51 222,63 168,63\"/>", ""),
         {":28:", "a Word without Coords"}},
        {"UTF-16", std::string("\xFF\xFE<\0a\0/\0>\0", 10), {":1:", "not UTF-8"}},
        {"foreign root", "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"/>\n",
         {":2:", "not Tesseract's TSV, nor hOCR, ALTO or PAGE XML (root element \"svg\" in namespace"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = folder / L"document";
        WriteFile(path, c.content);
        try {
            const OcrFormat::Kind format = OcrFormat::OfFile(path);
            if (format == OcrFormat::kHocr) {
                HocrDocument::Read(path);
            } else {
                LayoutReader::Read(path, {c.dpi});
            }
            ADD_FAILURE() << "read without complaint";
        } catch (const InputError& error) {
            for (const std::string& part : c.expected) {
                EXPECT_NE(std::string(error.what()).find(part), std::string::npos) << error.what();
            }
            EXPECT_NE(std::string(error.what()).find("document"), std::string::npos) << error.what();
        }
    }

    // Larger than any page's recognition output: refused before it is read, as a document
    // of any format and as the TSV given with --tsv.
    const std::wstring huge = folder / L"huge.xml";
    HANDLE file = ::CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size{};
    size.QuadPart = 64ll * 1024 * 1024 + 1;
    EXPECT_TRUE(::SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && ::SetEndOfFile(file));
    ::CloseHandle(file);
    for (const auto& read : {std::function<void()>([&] { OcrFormat::OfFile(huge); }),
                             std::function<void()>([&] { TsvDocument::Read(huge); })}) {
        try {
            read();
            ADD_FAILURE() << "a huge file read";
        } catch (const InputError& error) {
            EXPECT_NE(std::string(error.what()).find("huge.xml: is 67108865 bytes, more than the 67108864"),
                      std::string::npos)
                << error.what();
        }
    }

    // The typed answers: each line needs its tab, each recognised text one answer.
    WriteFile(folder / L"answers.tsv", "jese\tThese\nbased Region-based\n");
    WriteFile(folder / L"twice.tsv", "jese\tThese\r\njese\tJese\r\n");
    for (const auto& [name, expected] : {std::make_pair(L"answers.tsv", "answers.tsv:2: no tab"),
                                         std::make_pair(L"twice.tsv", "twice.tsv:2: \"jese\" already has an answer on line 1")}) {
        try {
            TypedAnswers::Read(folder / name);
            ADD_FAILURE() << "accepted";
        } catch (const InputError& error) {
            EXPECT_NE(std::string(error.what()).find(expected), std::string::npos) << error.what();
        }
    }
}

// A session on a PAGE document resumes from its journal like any other, and a journal of
// another document is not taken for it.
TEST(StationFormats, ALayoutDocumentsSessionResumesAndRefusesAnotherDocumentsJournal)
{
    ScratchFolder out;
    StationOptions options;
    options.image = StationData(L"page.png");
    options.ocr = StationData(L"page.2013.xml");
    options.out = out.Path();
    options.press = L"ok";
    VerificationSession first(options, &RastStartDialog, [](const std::string&) {});
    first.Prepare();
    EXPECT_EQ(first.Run().ok, 3);
    EXPECT_NE(FileBytes(out / L"session.json").find("page.2013.xml"), std::string::npos);

    DialogDriver idle(20000);
    VerificationSession second(options, &RastStartDialog, [](const std::string&) {});
    second.Prepare();
    EXPECT_EQ(second.Run().earlier, 3);
    EXPECT_EQ(idle.DialogsOpened(), 0);

    options.ocr = StationData(L"page.2019.xml");
    VerificationSession other(options, &RastStartDialog, [](const std::string&) {});
    EXPECT_THROW(other.Prepare(), InputError);
}
