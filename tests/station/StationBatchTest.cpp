// Batches as a user meets them: a multi-page TIFF with Tesseract's output for it, bad input
// refused before any dialog, a session whose inputs changed, two stations on one folder, and
// the engine run by the station (Debian's Tesseract through the relay) failing on one page
// and succeeding on a later run.

#include <gtest/gtest.h>

#include <windows.h>

#include <wincodec.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "AtomicFile.h"
#include "ImageFile.h"
#include "InputError.h"
#include "JobProcess.h"
#include "OutputLayout.h"
#include "PageImage.h"
#include "ScratchFolder.h"
#include "StationData.h"
#include "TarsilDlg29.h"
#include "Utf8.h"
#include "VerificationSession.h"
#include "support/ChildProcess.h"
#include "support/StartedChild.h"

namespace {

std::wstring Scan(const std::wstring& name)
{
    return StationData(L"scans/" + name);
}

void Copy(const std::wstring& from, const std::wstring& to)
{
    ASSERT_TRUE(::CopyFileW(from.c_str(), to.c_str(), FALSE)) << ::GetLastError();
}

std::wstring Relay()
{
    return ChildProcess::ProgramFolder() + L"engine_relay.exe";
}

ImageFrame FrameOf(const PageImage& page)
{
    return {page.Grey(), page.Dpi()};
}

// A multi-page TIFF, one frame a page, 8-bit grey, uncompressed.
void WriteTiff(const std::vector<ImageFrame>& frames, const std::wstring& path)
{
    WriteImageFile(GUID_ContainerFormatTiff, frames, false, path);
}

// Every pixel of the training image is the page's own around the word's box.
int DifferingPixels(const std::wstring& trainingImage, const GreyImage& page, const Box& box)
{
    const GreyImage crop = PageImage::Read(trainingImage).Grey();
    const int left = box.left - (crop.width - box.width) / 2;
    const int top = box.top - (crop.height - box.height) / 2;
    int differing = 0;
    for (int y = 0; y < crop.height; ++y) {
        for (int x = 0; x < crop.width; ++x) {
            differing += crop.At(x, y) != page.At(left + x, top + y) ? 1 : 0;
        }
    }
    return differing;
}

struct BatchRun {
    VerificationSession::Summary summary;
    std::vector<std::string> printed;
    SessionRecord journal;
};

// The captions of the dialogs shown, as the host's text lookup gives them.
std::vector<std::wstring> g_captions;

int WINAPI RecordCaption(HWND parent, int kind, int mode, wchar_t* text, int length, double* size,
                         double* orientation, int confidence, int r1, int g1, int b1, int rb, int gb, int bb, int r2,
                         int g2, int b2, LayerDrawFn layer1, LayerDrawFn layer2, int* reserved, int* train,
                         int* unchanged, TextLookupFn lookup)
{
    g_captions.push_back(lookup(TARSIL_TEXT_CAPTION));
    return RastStartDialog(parent, kind, mode, text, length, size, orientation, confidence, r1, g1, b1, rb, gb, bb, r2,
                           g2, b2, layer1, layer2, reserved, train, unchanged, lookup);
}

BatchRun RunSession(const StationOptions& options)
{
    BatchRun run;
    VerificationSession session(options, &RecordCaption,
                                [&run](const std::string& line) { run.printed.push_back(line); });
    session.Prepare();
    run.summary = session.Run();
    run.journal = session.Record();
    return run;
}

// A session on `image` unattended, words below 95, as a batch (the recogniser's output found
// beside the image) and in the one-page form (given the output), each with its own folder.
std::pair<StationOptions, StationOptions> BothForms(const ScratchFolder& folder, const std::wstring& image)
{
    StationOptions batch;
    batch.inputs = {image};
    batch.out = folder / L"batch";
    batch.below = 95;
    batch.press = L"ok";
    StationOptions onePage = batch;
    onePage.inputs.clear();
    onePage.image = image;
    onePage.out = folder / L"one";
    return {batch, onePage};
}

bool Printed(const BatchRun& run, const std::string& part)
{
    for (const std::string& line : run.printed) {
        if (line.find(part) != std::string::npos) {
            return true;
        }
    }
    return false;
}

} // namespace

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
    g_captions.clear();
    const BatchRun batchRun = RunSession(batch);
    const BatchRun oneRun = RunSession(onePage);
    ASSERT_EQ(batchRun.journal.pages.size(), 2u);
    const size_t firstPageWords = batchRun.journal.pages[0].words.size();
    ASSERT_GT(g_captions.size(), firstPageWords);
    EXPECT_EQ(g_captions[firstPageWords].rfind(L"Word Verification \u2013 page 2 of 2 \u2013 word 1 of ", 0), 0u)
        << WideToUtf8(g_captions[firstPageWords]);
    EXPECT_FALSE(oneRun.journal.pages.at(1).words.empty());

    int checked = 0;
    for (const BatchRun* run : {static_cast<const BatchRun*>(&batchRun), &oneRun}) {
        const bool isBatch = run == &batchRun;
        for (size_t page = 0; page < 2; ++page) {
            const StoredPage& journalPage = run->journal.pages[page];
            EXPECT_EQ(journalPage.ocrPage, static_cast<int>(page) + 1);
            EXPECT_EQ(journalPage.state, "done");
            ASSERT_FALSE(journalPage.words.empty()) << page;
            const GreyImage& frame = page == 0 ? photo.Grey() : magazine.Grey();
            for (const VerifiedWord& word : journalPage.words) {
                ASSERT_EQ(word.outcome, "ok");
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
        const BatchRun run = RunSession(options);
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

// The second defect: a session was resumed when the paths matched, so a rescan saved under
// the same name, or an edited OCR file, took the earlier session's answers.
TEST(StationBatch, AResumedSessionWhoseInputsChangedIsRefusedNamingTheFile)
{
    ScratchFolder folder;
    for (const wchar_t* name : {L"page.png", L"page.tsv", L"page.hocr"}) {
        Copy(StationData(name), folder / name);
    }
    StationOptions options;
    options.inputs = {folder / L"page.png"};
    options.out = folder / L"out";
    {
        DialogDriver driver(60000);
        AnswerWord(driver, 1, 7, [](DialogDriver& d) { d.Click(IDOK); });
        AnswerWord(driver, 2, 7, [](DialogDriver& d) { d.Click(IDCANCEL); });
        RunSession(options);
        EXPECT_TRUE(driver.Finished());
    }
    std::string edited = FileBytes(folder / L"page.tsv");
    edited.replace(edited.find("determine"), 9, "detormine");
    // The same page scanned again, saved under the same name: one pixel differs.
    ImageFrame page = FrameOf(PageImage::Read(folder / L"page.png"));
    page.grey.grey[1000] ^= 0x40;
    WriteTiff({page}, folder / L"rescan.tif");
    const std::string rescan = FileBytes(folder / L"rescan.tif");
    struct Change {
        const wchar_t* file;
        std::string content;
    };
    for (const Change& change : {Change{L"page.tsv", edited}, Change{L"page.png", rescan}}) {
        SCOPED_TRACE(std::string(change.file, change.file + wcslen(change.file)));
        const std::string original = FileBytes(folder / change.file);
        WriteFile(folder / change.file, change.content);
        VerificationSession session(options, &RastStartDialog, [](const std::string&) {});
        try {
            session.Prepare();
            ADD_FAILURE() << "a session with a changed input was resumed";
        } catch (const InputError& fault) {
            const std::string message = fault.what();
            EXPECT_EQ(message.rfind(WideToUtf8(folder / change.file) + ": has changed", 0), 0u) << message;
        }
        WriteFile(folder / change.file, original);
    }
    // Unchanged, it goes on at the next unanswered word, and with the threshold it began with
    // (a higher one was taken silently: it changed the words shown and their numbers, and the
    // journal claimed it for answers given at the old one).
    options.below = 95;
    options.press = L"cancel";
    g_captions.clear();
    const BatchRun resumed = RunSession(options);
    EXPECT_EQ(g_captions, std::vector<std::wstring>{VerificationSession::Caption(2, 7)});
    EXPECT_EQ(resumed.summary.earlier, 1);
    EXPECT_EQ(resumed.journal.below, 90);
    EXPECT_TRUE(Printed(resumed, "session.json began with --below 90 and goes on with it; --below 95 takes effect "
                                 "with --restart"));
}

// One station per output folder: a second is refused at once; the lock goes with the first
// station's process, however it ends.
TEST(StationBatch, ASecondStationOnTheSameFolderIsRefusedUntilTheFirstHasEnded)
{
    ScratchFolder folder;
    for (const wchar_t* name : {L"page.png", L"page.tsv", L"page.hocr"}) {
        Copy(StationData(name), folder / name);
    }
    const std::wstring arguments = Quoted(folder / L"page.png") + L" --out " + Quoted(folder / L"out");
    // The first station waits for its operator at the first dialog.
    const StartedChild first(L"tarsil_verify.exe", arguments, false);
    ASSERT_TRUE(first.Started()) << first.Failure();
    const std::wstring caption = VerificationSession::Caption(1, 7);
    HWND dialog = nullptr;
    for (int waited = 0; dialog == nullptr && waited < 30000; waited += 100) {
        ::Sleep(100);
        dialog = ::FindWindowW(nullptr, caption.c_str());
    }
    EXPECT_NE(dialog, nullptr);
    const ChildProcess second = ChildProcess::Run(L"tarsil_verify.exe", arguments + L" --press ok");
    EXPECT_EQ(second.exitCode, 2u) << second.output;
    EXPECT_NE(second.output.find("the output folder is in use by another station"), std::string::npos)
        << second.output;

    ::TerminateProcess(first.Process(), 9); // as a crash or the task manager ends it
    ::WaitForSingleObject(first.Process(), 10000);
    const ChildProcess third = ChildProcess::Run(L"tarsil_verify.exe", arguments + L" --press ignore");
    EXPECT_EQ(third.exitCode, 0u) << third.output;
    EXPECT_NE(third.output.find("7 words below 90: 0 ok (0 corrected, 0 for training), 7 ignored"), std::string::npos)
        << third.output;
}

FILETIME LastWritten(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

// The engine run by the station, one run per frame of a two-page TIFF: it fails on both pages
// (a language that is not installed), the batch goes on and lists them; the next run tries
// them again and keeps their output in the session's folder, so that a third run does not
// recognise them again.
TEST(StationBatch, PagesTheEngineFailsOnAreSkippedListedAndRecognisedByALaterRun)
{
    ScratchFolder folder;
    for (const wchar_t* name : {L"page.png", L"page.tsv", L"page.hocr"}) {
        Copy(StationData(name), folder / name);
    }
    ::CreateDirectoryW((folder / L"scans").c_str(), nullptr);
    // Frames of different pages: the engine's output for the wrong frame would be refused.
    WriteTiff({FrameOf(PageImage::Read(Scan(L"phototest.tif"))), FrameOf(PageImage::Read(StationData(L"page.png")))},
              folder / L"scans\\mixed.tif");
    StationOptions options;
    options.inputs = {folder / L"page.png", folder / L"scans"};
    options.out = folder / L"out";
    options.below = 95;
    options.tesseract = Relay();
    options.lang = L"xx-not-installed";
    options.press = L"ok";
    const BatchRun first = RunSession(options);
    ASSERT_EQ(first.journal.pages.size(), 3u);
    EXPECT_EQ(first.journal.pages[0].state, "done");
    for (size_t page = 1; page < 3; ++page) {
        EXPECT_EQ(first.journal.pages[page].state, "failed");
        EXPECT_NE(first.journal.pages[page].failure.find("the engine ended with status 1"), std::string::npos)
            << first.journal.pages[page].failure;
    }
    EXPECT_EQ(first.summary.pagesFailed, 2);
    EXPECT_TRUE(Printed(first, "3 pages: 1 done, 2 failed")) << first.printed.back();
    EXPECT_TRUE(Printed(first, "failed: " + WideToUtf8(folder / L"scans\\mixed.tif") + " frame 2"));
    EXPECT_FALSE(first.journal.finished);

    // Tried again: recognised, the first frame's uncertain words shown; cancelled at the second.
    options.lang.clear();
    options.press.clear();
    {
        DialogDriver driver(120000);
        for (const wchar_t* word : {L"word 1 of ", L"word 2 of "}) {
            const std::wstring caption = std::wstring(L"Word Verification \u2013 page 2 of 3 \u2013 ") + word;
            driver.WaitUntil(
                [caption](DialogDriver& d) { return DialogDriver::WindowText(d.Dialog()).rfind(caption, 0) == 0; });
            if (word[5] == L'1') {
                driver.Type(1000, L"corrected").Click(IDOK);
            } else {
                driver.Click(IDCANCEL);
            }
        }
        const BatchRun second = RunSession(options);
        EXPECT_TRUE(driver.Finished());
        EXPECT_EQ(second.journal.pages[1].state, "in progress");
        EXPECT_TRUE(second.journal.pages[1].ocrByStation);
        EXPECT_EQ(second.journal.pages[1].tsv.sha256.size(), 64u);
    }
    const std::wstring kept = folder / L"out\\ocr\\0002-mixed-frame1.tsv";
    const FILETIME recognised = LastWritten(kept);
    ::Sleep(50);
    // The batch goes on at page 2's second word, with the page's output as it was kept.
    options.press = L"ignore";
    const BatchRun third = RunSession(options);
    const FILETIME afterwards = LastWritten(kept);
    EXPECT_NE(recognised.dwLowDateTime | recognised.dwHighDateTime, 0u);
    EXPECT_EQ(::CompareFileTime(&recognised, &afterwards), 0);
    EXPECT_TRUE(third.journal.finished);
    EXPECT_EQ(third.summary.earlier, 10 + 1); // page.png's words below 95, and the corrected one
    for (size_t page = 1; page < 3; ++page) {
        ASSERT_FALSE(third.journal.pages[page].words.empty());
        for (const VerifiedWord& word : third.journal.pages[page].words) {
            EXPECT_TRUE(word.Answered());
        }
    }
    EXPECT_EQ(third.journal.pages[1].words.front().corrected, "corrected");
    // The second frame's words are the second frame's: page.png's text.
    EXPECT_NE(FileBytes(folder / L"out\\pages\\0003-mixed-frame2.txt").find("markers"), std::string::npos);
    const std::string text = FileBytes(folder / L"out\\text.txt");
    EXPECT_NE(text.find("corrected"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 2);

    // The kept output of page 2 left empty, as an unflushed rename and a power cut left it (the
    // session was refused; only --restart, which forgets every answer, went on): the page is
    // recognised again and keeps its answers, which fit the new output.
    const size_t answered = third.journal.pages[1].words.size();
    WriteFile(kept, "");
    options.press = L"cancel"; // a dialog would leave the session unfinished
    const BatchRun fourth = RunSession(options);
    EXPECT_TRUE(Printed(fourth, "(" + WideToUtf8(folder / L"scans\\mixed.tif") +
                                    " frame 1): the engine's output kept in " + WideToUtf8(folder / L"out") +
                                    "\\ocr is missing or has changed: the page is recognised again"));
    EXPECT_TRUE(fourth.journal.finished);
    EXPECT_EQ(fourth.summary.ok + fourth.summary.ignored, 0);
    ASSERT_EQ(fourth.journal.pages[1].words.size(), answered);
    EXPECT_EQ(fourth.journal.pages[1].words.front().corrected, "corrected");
    EXPECT_EQ(FileBytes(kept).rfind("level\tpage_num\t", 0), 0u); // the engine's TSV again
}

// A run whose only page failed said "session complete" and ended with status 0: a script could
// not tell it from a verified batch.
TEST(StationBatch, ARunWithPagesTheEngineFailedOnEndsWithItsOwnStatus)
{
    ScratchFolder folder;
    Copy(Scan(L"phototest.tif"), folder / L"photo.tif");
    const ChildProcess run =
        ChildProcess::Run(L"tarsil_verify.exe", Quoted(folder / L"photo.tif") + L" --tesseract " + Quoted(Relay()) +
                                                    L" --lang xx-not-installed --press ok");
    EXPECT_EQ(run.exitCode, 3u) << run.output;
    EXPECT_NE(run.output.find("0 skipped; 1 page failed, a later run tries it again"), std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("session complete"), std::string::npos) << run.output;
}
