// Bad input: a clear message naming the file, the line and the fault, exit status 2, no
// dialog, nothing written. And input the station copes with: boxes outside the page,
// over-long words, non-word rows.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "AtomicFile.h"
#include "ScratchFolder.h"
#include "StationData.h"
#include "TarsilDlg29.h"
#include "Utf8.h"
#include "VerificationSession.h"
#include "support/ChildProcess.h"

namespace {

const char kHeader[] = "level\tpage_num\tblock_num\tpar_num\tline_num\tword_num\tleft\ttop\twidth\theight\tconf\ttext\n";

} // namespace

TEST(StationInput, BadInputIsNamedWithItsLineAndEndsWithStatusTwoBeforeAnyDialog)
{
    ScratchFolder folder;
    const std::wstring page = StationData(L"page.png");
    WriteFile(folder / L"notanimage.png", "this is text, not a picture\n");
    WriteFile(folder / L"header.tsv", "level\tpage\tblock\n");
    WriteFile(folder / L"short.tsv", std::string(kHeader) + "5\t1\t1\t1\t1\t1\t10\t10\t20\t10\t50\tok\n5\t1\t1\t1\t1\n");
    WriteFile(folder / L"number.tsv", std::string(kHeader) + "5\t1\t1\t1\t1\t1\t10\tten\t20\t10\t50\tword\n");
    WriteFile(folder / L"conf.tsv", std::string(kHeader) + "5\t1\t1\t1\t1\t1\t10\t10\t20\t10\thigh\tword\n");
    WriteFile(folder / L"range.tsv", std::string(kHeader) + "5\t1\t1\t1\t1\t1\t10\t10\t20\t10\t150\tword\n");
    // Between -1 (not a word) and 0: a word below every threshold, which --below 0 would show.
    WriteFile(folder / L"negative.tsv", std::string(kHeader) + "5\t1\t1\t1\t1\t1\t10\t10\t20\t10\t-0.5\tword\n");
    // A box beyond every bound: read as a number, it would not fit the int it becomes.
    WriteFile(folder / L"huge.hocr", "<?xml version=\"1.0\"?>\n<html><head><meta name='ocr-system' "
                                     "content='tesseract 5.3.0'/></head><body><div class='ocr_page'>\n"
                                     "<span class='ocr_line' title='bbox 0 0 10 10'>\n"
                                     "<span class='ocrx_word' title='bbox 0 0 1e300 10; x_wconf 50'>w</span>"
                                     "</span></div></body></html>\n");
    WriteFile(folder / L"utf8.tsv", std::string(kHeader) + "5\t1\t1\t1\t1\t1\t10\t10\t20\t10\t50\tword\n" +
                                        "5\t1\t1\t1\t1\t2\t40\t10\t20\t10\t50\tca\xC3\x28" "f\n");
    WriteFile(folder / L"pageless.hocr", "<?xml version=\"1.0\"?>\n<html><head><meta name='ocr-system' "
                                         "content='other-ocr 1.0'/></head><body><div class='ocr_carea' "
                                         "title='bbox 0 0 10 10'></div></body></html>\n");
    WriteFile(folder / L"broken.hocr", "<?xml version=\"1.0\"?>\n<html><head>\n<meta name='ocr-system' "
                                       "content='tesseract 5.3.0'/>\n</head><body>\n<div class='ocr_page'>\n"
                                       "</span></body></html>\n");
    // Cut short: after a start tag, and inside the XML declaration (both stopped Wine's reader
    // for good, the one in a loop, the other with the process).
    const std::string hocr = FileBytes(StationData(L"page.hocr"));
    WriteFile(folder / L"cut.hocr", hocr.substr(0, hocr.find("<head>") + 7));
    WriteFile(folder / L"declaration.hocr", "<?xml");
    // A comment of half a million characters (Wine's reader read past its buffer's end).
    WriteFile(folder / L"comment.hocr", hocr.substr(0, hocr.find("<body>")) + "<!-- " + std::string(500000, 'x') +
                                            " -->" + hocr.substr(hocr.find("<body>")));
    WriteFile(folder / L"afile", "a file where the output folder should go\n");
    WriteFile(folder / L"entities.xml", "<?xml version=\"1.0\"?>\n<!DOCTYPE alto [<!ENTITY a \"a\">]>\n<alto>&a;</alto>\n");
    WriteFile(folder / L"answers.tsv", "jese These\n");

    struct Case {
        const char* name;
        std::wstring arguments;
        std::vector<std::string> expected; // each part of the message
        std::wstring out;                  // must not appear
    };
    const std::wstring tsv = L" --tsv " + Quoted(StationData(L"page.tsv"));
    const std::wstring out = folder / L"out";
    const std::wstring image = L"--image " + Quoted(page);
    const Case cases[] = {
        {"missing image", L"--image " + Quoted(folder / L"none.png") + tsv, {"none.png", "no such file"}, out},
        {"not an image", L"--image " + Quoted(folder / L"notanimage.png") + tsv,
         {"notanimage.png", "not an image that Windows Imaging Component can read"}, out},
        {"missing TSV", image + L" --tsv " + Quoted(folder / L"none.tsv"), {"none.tsv", "cannot be opened"}, out},
        {"wrong header", image + L" --tsv " + Quoted(folder / L"header.tsv"),
         {"header.tsv:1:", "not Tesseract's TSV header"}, out},
        {"short row", image + L" --tsv " + Quoted(folder / L"short.tsv"), {"short.tsv:3:", "has 5 columns"}, out},
        {"not a number", image + L" --tsv " + Quoted(folder / L"number.tsv"),
         {"number.tsv:2:", "column top is not a whole number from -1000000 to 1000000: \"ten\""}, out},
        {"conf not a number", image + L" --tsv " + Quoted(folder / L"conf.tsv"),
         {"conf.tsv:2:", "column conf is not -1 or a number from 0 to 100: \"high\""}, out},
        {"conf out of range", image + L" --tsv " + Quoted(folder / L"range.tsv"),
         {"range.tsv:2:", "column conf is not -1 or a number from 0 to 100: \"150\""}, out},
        {"conf between -1 and 0", image + L" --tsv " + Quoted(folder / L"negative.tsv"),
         {"negative.tsv:2:", "column conf is not -1 or a number from 0 to 100: \"-0.5\""}, out},
        {"number out of bounds in hOCR", image + L" --hocr " + Quoted(folder / L"huge.hocr"),
         {"huge.hocr:4:", "malformed \"bbox\" in a title"}, out},
        {"invalid UTF-8", image + L" --tsv " + Quoted(folder / L"utf8.tsv"), {"utf8.tsv:3:", "not valid UTF-8"}, out},
        {"hOCR without a page", image + L" --hocr " + Quoted(folder / L"pageless.hocr"),
         {"pageless.hocr", "not hOCR: no element of class ocr_page"}, out},
        {"malformed hOCR", image + L" --hocr " + Quoted(folder / L"broken.hocr"),
         {"broken.hocr:6:", "not well-formed XML"}, out},
        {"hOCR cut short", image + L" --hocr " + Quoted(folder / L"cut.hocr"), {"cut.hocr:", "not well-formed XML"}, out},
        {"hOCR cut in its declaration", image + L" --hocr " + Quoted(folder / L"declaration.hocr"),
         {"declaration.hocr:1:", "not well-formed XML"}, out},
        {"hOCR with a long comment", image + L" --hocr " + Quoted(folder / L"comment.hocr"),
         {"comment.hocr:", "a comment of 500009 characters"}, out},
        {"output folder not writable", image + tsv + L" --out " + Quoted(folder / L"afile\\out"),
         {"afile\\out", "the output folder cannot be written"}, folder / L"afile\\out"},
        {"entity declarations", image + L" --ocr " + Quoted(folder / L"entities.xml"),
         {"entities.xml:2:", "internal subset (entity declarations) is refused"}, out},
        {"answers without a tab", image + tsv + L" --answers " + Quoted(folder / L"answers.tsv"),
         {"answers.tsv:1:", "no tab"}, out},
        {"unknown option", image + tsv + L" --colour red", {"unknown option --colour"}, out},
        {"no recogniser output", image, {"--tsv or --hocr is missing"}, out},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // --press: a dialog, were one shown, would end at once with status 0.
        std::wstring arguments = c.arguments + L" --press ok";
        if (c.arguments.find(L"--out") == std::wstring::npos) {
            arguments += L" --out " + Quoted(c.out);
        }
        const ChildProcess run = ChildProcess::Run(L"tarsil_verify.exe", arguments);
        EXPECT_EQ(run.exitCode, 2u) << run.output;
        for (const std::string& part : c.expected) {
            EXPECT_NE(run.output.find(part), std::string::npos) << "\"" << part << "\" not in: " << run.output;
        }
        EXPECT_EQ(run.output.find(" ok \""), std::string::npos) << run.output; // no word was answered
        EXPECT_FALSE(Exists(c.out));
    }
    EXPECT_EQ(FileBytes(folder / L"afile"), "a file where the output folder should go\n");
}

TEST(StationInput, BoxesOutsideThePageLongWordsAndNonWordRowsAreSkippedOrClippedAndListed)
{
    ScratchFolder folder;
    const std::string longWord(TARSIL_MAX_LENGTH + 1, 'x');
    const std::string exactWord(TARSIL_MAX_LENGTH, 'y');
    // The page is 384 x 191.
    WriteFile(folder / L"edge.tsv",
              std::string(kHeader) +
                  "1\t1\t0\t0\t0\t0\t0\t0\t384\t191\t-1\t\n"                // page row: not a word
                  "5\t1\t1\t1\t1\t1\t370\t180\t40\t30\t50\tclipped\n"       // partly outside
                  "5\t1\t1\t1\t1\t2\t500\t10\t20\t10\t50\toutside\n"        // wholly outside
                  "5\t1\t1\t1\t1\t3\t10\t10\t0\t10\t50\tflat\n"             // no width
                  "5\t1\t1\t1\t2\t1\t10\t10\t-5\t10\t50\tnegative\n"        // negative width
                  "5\t1\t1\t1\t2\t2\t10\t10\t20\t10\t50\t" + longWord + "\n" +
                  "5\t1\t1\t1\t2\t3\t10\t10\t20\t10\t50\t" + exactWord + "\n" +
                  "5\t1\t1\t1\t2\t4\t10\t10\t20\t10\t-1\tnoword\n"
                  "5\t1\t1\t1\t3\t1\t10\t10\t20\t10\t50\t\n");                   // no text
    StationOptions options;
    options.image = StationData(L"page.png");
    options.tsv = folder / L"edge.tsv";
    options.out = folder / L"out";
    options.press = L"ok";
    std::vector<std::string> printed;
    VerificationSession session(options, &RastStartDialog, [&](const std::string& line) { printed.push_back(line); });
    session.Prepare();
    const VerificationSession::Summary summary = session.Run();

    const std::vector<VerifiedWord>& words = session.Record().pages.at(0).words;
    ASSERT_EQ(words.size(), 7u);
    EXPECT_EQ(words[0].outcome, WordOutcome::kOk);
    EXPECT_EQ(words[0].text, "clipped");
    EXPECT_EQ(words[1].reason, "box outside the page");
    EXPECT_EQ(words[2].reason, "empty box (0 x 10)");
    EXPECT_EQ(words[3].reason, "empty box (-5 x 10)");
    EXPECT_EQ(words[4].reason, "longer than 83 UTF-16 units (84)");
    EXPECT_EQ(words[5].outcome, WordOutcome::kOk);
    EXPECT_EQ(words[5].corrected, exactWord); // the longest word the library takes, whole
    for (size_t i = 1; i <= 4; ++i) {
        EXPECT_EQ(words[i].outcome, WordOutcome::kSkipped);
    }
    // OK is refused for a word without text; unattended, it is answered with Ignore.
    EXPECT_EQ(words[6].outcome, WordOutcome::kIgnore);
    EXPECT_EQ(summary.skipped, 4);
    EXPECT_EQ(summary.ok, 2);
    EXPECT_EQ(printed[0], "1/3 ok \"clipped\" (50), for training");
    EXPECT_EQ(printed[1], "skipped \"outside\" (row 4): box outside the page");
    // The clipped word's training image is what lies on the page.
    std::string png;
    std::string error;
    EXPECT_TRUE(AtomicFile::Read(folder / L"out\\train\\0003.png", png, error)) << error;
}

TEST(StationInput, HelpNamesEveryOptionTheProgramTakes)
{
    const ChildProcess run = ChildProcess::Run(L"tarsil_verify.exe", L"--help");
    EXPECT_EQ(run.exitCode, 0u);
    for (const char* option : {"--image", "--ocr", "--tsv", "--hocr", "--below", "--char-below", "--out", "--restart",
                               "--press", "--answers", "--screenshots", "--help", "--tesseract", "--lang",
                               "--second-lang", "--psm", "--ahead", "--engine-seconds", "--team", "--batch", "--status",
                               "--export"}) {
        EXPECT_NE(run.output.find(option), std::string::npos) << option;
        // And the program takes it: an option it does not know is refused by name.
        StationOptions options;
        std::string error;
        const wchar_t* argv[] = {L"tarsil_verify", L"--image", L"a.png", L"--tsv", L"a.tsv", nullptr, L"1"};
        std::wstring wide(option, option + std::string(option).size());
        argv[5] = wide.c_str();
        options.Parse(7, argv, error);
        EXPECT_EQ(error.find(std::string("unknown option ") + option), std::string::npos) << error;
    }
}
