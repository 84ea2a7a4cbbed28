// A second model run by the station beside the first (--second-lang): its output kept beside
// the first's, read again with the first reading kept, and a model the engine lacks refused.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "BatchPlan.h"
#include "BatchScans.h"
#include "OutputLayout.h"
#include "OwnedHandle.h"
#include "PagePreparer.h"
#include "ScratchFolder.h"
#include "SessionRun.h"
#include "StationData.h"
#include "TesseractEngine.h"
#include "Utf8.h"
#include "support/ChildProcess.h"
#include "support/FileExists.h"

TEST(StationBatch, ASecondModelReadsEachPageBesideTheFirstAndAModelTheEngineLacksIsRefused)
{
    ScratchFolder folder;
    Copy(Scan(L"phototest.tif"), folder / L"photo.tif");
    for (const std::wstring option : {L"--lang", L"--second-lang"}) {
        const ChildProcess refused = ChildProcess::Run(
            L"tarsil_verify.exe", Quoted(folder / L"photo.tif") + L" --tesseract " + Quoted(Relay()) + L" " + option +
                                      L" deu+xx-not-installed --press ok",
            120000);
        EXPECT_EQ(refused.exitCode, 2u) << refused.output;
        EXPECT_NE(refused.output.find("has no model \"xx-not-installed\" (" + WideToUtf8(option) + ")"),
                  std::string::npos)
            << refused.output;
        EXPECT_FALSE(Exists(folder / L"photo.tif.verified"));
    }

    StationOptions options;
    options.inputs = {folder / L"photo.tif"};
    options.out = folder / L"out";
    options.tesseract = Relay();
    options.secondLang = L"deu";
    options.below = 0; // no dialog: the readings are what is looked at
    const SessionRun run = RunSession(options);
    EXPECT_TRUE(run.journal.finished);
    const std::wstring ocr = folder / L"out\\ocr\\0001-photo";
    EXPECT_EQ(FileBytes(ocr + L".second.tsv").rfind("level\tpage_num\t", 0), 0u);
    EXPECT_NE(FileBytes(ocr + L".second.hocr").find("ocrx_word"), std::string::npos);
    const FILETIME made = LastWritten(ocr + L".second.tsv");

    // Prepared again with the first reading kept: the second is the one kept beside it.
    const OwnedHandle cancel(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const PagePreparer preparer(BatchPlan::Make(options).pages, {{0, {ocr + L".tsv", ocr + L".hocr"}}},
                                std::make_shared<const TesseractEngine>(options), OutputLayout(options.out, false),
                                cancel.get());
    Recognition recognition;
    const std::unique_ptr<PreparedPage> page = preparer.PrepareOrFail(0, recognition);
    ASSERT_EQ(page->failure, "");
    EXPECT_EQ(page->secondFailure, "");
    EXPECT_TRUE(recognition.tsv.empty()); // neither reading made again
    ASSERT_FALSE(page->words.Words().empty());
    EXPECT_GE(page->secondWords.Words().size(), page->words.Words().size() / 2);
    const FILETIME after = LastWritten(ocr + L".second.tsv");
    EXPECT_EQ(::CompareFileTime(&made, &after), 0);
}
