// A batch's pages as a user meets them: a multi-page TIFF with Tesseract's output for it,
// each page's words cut from its own frame, and bad input refused before any dialog.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "BatchScans.h"
#include "JobProcess.h"
#include "OutputLayout.h"
#include "PageImage.h"
#include "ScratchFolder.h"
#include "SessionRun.h"
#include "StationData.h"
#include "Utf8.h"
#include "WordCrop.h"
#include "support/ChildProcess.h"

// The defect as it hit a user: a two-page TIFF with Tesseract's TSV and hOCR for it (page_num
// 1 and 2, two ocr_pages) had every word of page 2 cut from page 1 and marked for training.
TEST(StationBatch, EachPagesWordsAreCutFromTheFrameTheirPageNumberNames)
{
    ScratchFolder folder;
    const PageImage photo = PageImage::Read(Scan(L"phototest.tif"));
    const PageImage magazine = PageImage::Read(Scan(L"8087_054.3B.tif"));
    WriteTiff({FrameOf(photo), FrameOf(magazine)}, folder / L"both.tif");
    // The engine's own output for the two-page file, made the way a user makes it.
    const JobProcess::Result engine = JobProcess::Run(
        Quoted(Relay()) + L" " + Quoted(folder / L"both.tif") + L" " + Quoted(folder / L"both") +
            L" -c hocr_char_boxes=1 tsv hocr",
        folder.Path(), folder / L"engine.log", 180000, nullptr);
    ASSERT_TRUE(engine.ended) << engine.failure;
    ASSERT_EQ(engine.exitCode, 0u) << FileBytes(folder / L"engine.log");

    // The batch form finds the output beside the image; the one-page form is given it.
    auto [batch, onePage] = BothForms(folder, folder / L"both.tif");
    onePage.tsv = folder / L"both.tsv";
    onePage.hocr = folder / L"both.hocr";
    const SessionRun batchRun = RunSession(batch);
    const SessionRun oneRun = RunSession(onePage);
    ASSERT_EQ(batchRun.journal.pages.size(), 2u);
    const size_t firstPageWords = batchRun.journal.pages[0].words.size();
    ASSERT_GT(batchRun.captions.size(), firstPageWords);
    EXPECT_EQ(batchRun.captions[firstPageWords].rfind(L"Word Verification \u2013 page 2 of 2 \u2013 word 1 of ", 0), 0u)
        << WideToUtf8(batchRun.captions[firstPageWords]);
    EXPECT_FALSE(oneRun.journal.pages.at(1).words.empty());

    int checked = 0;
    for (const SessionRun* run : {static_cast<const SessionRun*>(&batchRun), &oneRun}) {
        const bool isBatch = run == &batchRun;
        for (size_t page = 0; page < 2; ++page) {
            const StoredPage& journalPage = run->journal.pages[page];
            EXPECT_EQ(journalPage.ocrPage, static_cast<int>(page) + 1);
            EXPECT_EQ(journalPage.state, PageState::kDone);
            ASSERT_FALSE(journalPage.words.empty()) << page;
            const GreyImage& frame = page == 0 ? photo.Grey() : magazine.Grey();
            for (const VerifiedWord& word : journalPage.words) {
                ASSERT_EQ(word.outcome, WordOutcome::kOk);
                const std::wstring name = (isBatch ? L"batch\\train\\" : L"one\\train\\") +
                                          OutputLayout::WordFileName(journalPage.name, word.index) + L".png";
                EXPECT_EQ(DifferingPixels(folder / name, frame, word.box), 0) << word.index;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 4);
    // Each page's verified TSV holds its own rows; text.txt has both pages, apart by a form feed.
    EXPECT_NE(FileBytes(folder / L"batch\\pages\\0002-both-frame2.tsv").find("\t2\t"), std::string::npos);
    EXPECT_EQ(FileBytes(folder / L"batch\\pages\\0001-both-frame1.tsv").find("\n5\t2\t"), std::string::npos);
    EXPECT_EQ(FileBytes(folder / L"batch\\text.txt"),
              FileBytes(folder / L"batch\\pages\\0001-both-frame1.txt") + "\f" +
                  FileBytes(folder / L"batch\\pages\\0002-both-frame2.txt"));
}

// The defect as it hit a user: a two-page TIFF with Tesseract's ALTO for it beside it (a Page
// for each frame) had the uncertain words of page 2 shown on page 1, cut from the first frame.
TEST(StationBatch, EachAltoPageIsTheFrameOfItsPlace)
{
    ScratchFolder folder;
    const PageImage photo = PageImage::Read(Scan(L"phototest.tif"));
    const PageImage text = PageImage::Read(StationData(L"page.png"));
    WriteTiff({FrameOf(photo), FrameOf(text)}, folder / L"two-pages.tif");
    Copy(StationData(L"two-pages.alto.xml"), folder / L"two-pages.xml");
    auto [batch, onePage] = BothForms(folder, folder / L"two-pages.tif");
    onePage.ocr = folder / L"two-pages.xml";
    for (const StationOptions& options : {batch, onePage}) {
        const SessionRun run = RunSession(options);
        ASSERT_EQ(run.journal.pages.size(), 2u);
        for (size_t page = 0; page < 2; ++page) {
            const StoredPage& journalPage = run.journal.pages[page];
            ASSERT_FALSE(journalPage.words.empty()) << page;
            for (const VerifiedWord& word : journalPage.words) {
                const std::wstring crop = options.out + L"\\train\\" +
                                          OutputLayout::WordFileName(journalPage.name, word.index) + L".png";
                EXPECT_EQ(DifferingPixels(crop, (page == 0 ? photo : text).Grey(), word.box), 0)
                    << page << ": " << word.index;
            }
        }
    }
}

// Bad input: a message naming the file (and frame), exit status 2, before any dialog and with
// nothing written.
TEST(StationBatch, BadInputIsNamedAndRefusedBeforeAnyDialogWithNothingWritten)
{
    ScratchFolder folder;
    ::CreateDirectoryW((folder / L"empty").c_str(), nullptr);
    WriteFile(folder / L"empty\\notes.txt", "no image here\n");
    ::CreateDirectoryW((folder / L"scans").c_str(), nullptr);
    Copy(Scan(L"phototest.tif"), folder / L"scans\\photo.tif");
    Copy(Scan(L"phototest.tsv"), folder / L"scans\\photo.tsv");
    // Tesseract's output for another page: a page of another size.
    Copy(Scan(L"phototest.tif"), folder / L"other.tif");
    Copy(Scan(L"8087_054.3B.tsv"), folder / L"other.tsv");
    // Its own output, but naming a second page the file does not have.
    Copy(Scan(L"phototest.tif"), folder / L"second.tif");
    std::string tsv = FileBytes(Scan(L"phototest.tsv"));
    for (size_t at = tsv.find("\n5\t1\t"); at != std::string::npos; at = tsv.find("\n5\t1\t", at + 1)) {
        tsv[at + 3] = '2';
    }
    WriteFile(folder / L"second.tsv", tsv);
    // An ALTO document of two pages beside one of them; a PAGE XML document of another page.
    Copy(Scan(L"phototest.tif"), folder / L"alto.tif");
    Copy(StationData(L"two-pages.alto.xml"), folder / L"alto.xml");
    Copy(Scan(L"phototest.tif"), folder / L"layout.tif");
    Copy(StationData(L"page.2019.xml"), folder / L"layout.xml");
    // A two-page file whose second frame names a compression no decoder has.
    const PageImage photo = PageImage::Read(Scan(L"phototest.tif"));
    WriteTiff({FrameOf(photo), FrameOf(photo)}, folder / L"broken.tif");
    std::string tiff = FileBytes(folder / L"broken.tif");
    const std::string uncompressed("\x03\x01\x03\x00\x01\x00\x00\x00\x01\x00", 10);
    const size_t second = tiff.find(uncompressed, tiff.find(uncompressed) + 1);
    ASSERT_NE(second, std::string::npos);
    tiff[second + 8] = '\x77';
    tiff[second + 9] = '\x77';
    WriteFile(folder / L"broken.tif", tiff);
    Copy(Scan(L"phototest.tif"), folder / L"noocr.tif");

    struct Case {
        const char* name;
        std::wstring arguments;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"a folder with no images", Quoted(folder / L"empty"), {"empty", "a folder with no images"}},
        {"an input given twice", Quoted(folder / L"scans") + L" " + Quoted(folder / L"scans\\photo.tif"),
         {"photo.tif", "given twice"}},
        {"OCR of another page size", Quoted(folder / L"other.tif"),
         {"other.tsv", "page 1 is 2560 x 3300 pixels", "other.tif is 640 x 480"}},
        {"OCR for a page that does not exist", Quoted(folder / L"second.tif"),
         {"second.tsv", "names page 2", "second.tif has 1 page"}},
        {"an ALTO page the image does not have", Quoted(folder / L"alto.tif"),
         {"alto.xml", "names page 2", "alto.tif has 1 page"}},
        {"a PAGE XML page of another size", Quoted(folder / L"layout.tif"),
         {"layout.xml", "page 1 is 384 x 191 pixels", "layout.tif is 640 x 480"}},
        {"a frame that cannot be decoded", Quoted(folder / L"broken.tif"), {"broken.tif", "frame 2"}},
        {"no engine", Quoted(folder / L"noocr.tif"), {"tesseract.exe", "install Tesseract", "--tesseract"}},
        {"an engine that is not there", Quoted(folder / L"noocr.tif") + L" --tesseract " + Quoted(folder / L"no.exe"),
         {"no.exe", "does not exist"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring out = folder / L"out";
        const ChildProcess run =
            ChildProcess::Run(L"tarsil_verify.exe", c.arguments + L" --press ok --out " + Quoted(out));
        EXPECT_EQ(run.exitCode, 2u) << run.output;
        for (const std::string& part : c.expected) {
            EXPECT_NE(run.output.find(part), std::string::npos) << "\"" << part << "\" not in: " << run.output;
        }
        EXPECT_FALSE(Exists(out));
    }
}
