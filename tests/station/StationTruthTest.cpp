// A session with no operator: every shown word answered with the page's ground truth, and the
// yield counted into yield.json.

#include <gtest/gtest.h>

#include <string>

#include "ScratchFolder.h"
#include "StationData.h"
#include "support/ChildProcess.h"

// The Fraktur page of 1837, its lines transcribed without word boxes, and Debian's Tesseract's
// output for it (committed beside it). The counts were worked out apart, by
// scripts/lib/word_errors (align.py, text.py) on the same files: 157 engine words, 33 of them
// below 90.
TEST(StationTruth, AHeadlessOperatorAnswersFromTheTruthAndTheYieldIsCounted)
{
    ScratchFolder folder;
    const std::wstring page = StationData(L"truth\\laube_europa0202_1837_0105");
    const std::wstring inputs = L"--image " + Quoted(page + L".jpg") + L" --tsv " + Quoted(page + L".tsv") +
                                L" --hocr " + Quoted(page + L".hocr") + L" --below 90";

    // A truth of another page size is refused before the first dialog, and nothing is written.
    WriteFile(folder / L"laube_europa0202_1837_0105.xml",
              "<PcGts xmlns='http://schema.primaresearch.org/PAGE/gts/pagecontent/2019-07-15'>"
              "<Page imageWidth='1280' imageHeight='2000'/></PcGts>");
    const ChildProcess refused = ChildProcess::Run(
        L"tarsil_verify.exe", inputs + L" --truth " + Quoted(folder.Path()) + L" --out " + Quoted(folder / L"refused"));
    EXPECT_EQ(refused.exitCode, 2u) << refused.output;
    EXPECT_NE(refused.output.find("1280 x 2000 pixels, the image"), std::string::npos) << refused.output;
    EXPECT_FALSE(Exists(folder / L"refused"));

    const ChildProcess run = ChildProcess::Run(
        L"tarsil_verify.exe", inputs + L" --truth " + Quoted(StationData(L"truth")) + L" --out " + Quoted(folder / L"out"),
        600000);
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(run.output.find("session complete"), std::string::npos) << run.output;
    const std::string yield = FileBytes(folder / L"out\\yield.json");
    for (const char* expected :
         {"\"pages\": 1,", "\"words\": 147,", "\"wrong\": 14,", "\"long_s\": 0,", "\"shown\": 27,", "\"caught\": 12,",
          "\"audit_shown\": 0,", "\"audit_wrong\": 0,", "\"left_estimate\": null,", "\"left_low\": null,",
          "\"left_high\": null,", "\"left_true\": 0.016667,", "\"merged\": 0,", "\"split\": 2,", "\"added\": 6,",
          "\"missed\": 4,", "\"shown_unmatched\": 6\n"}) {
        EXPECT_NE(yield.find(expected), std::string::npos) << expected << " not in " << yield;
    }
}
