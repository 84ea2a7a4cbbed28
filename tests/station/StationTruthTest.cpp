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

    const std::wstring truth = L" --truth " + Quoted(StationData(L"truth"));
    const ChildProcess run =
        ChildProcess::Run(L"tarsil_verify.exe", inputs + truth + L" --audit 0 --out " + Quoted(folder / L"out"), 600000);
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

// The audit's words are shown and counted apart from the choice's, and its estimate is given.
TEST(StationTruth, TheAuditShowsWordsNotChosenAndEstimatesWhatWasLeft)
{
    ScratchFolder folder;
    const std::wstring page = StationData(L"truth\\laube_europa0202_1837_0105");
    const std::wstring inputs = L"--image " + Quoted(page + L".jpg") + L" --tsv " + Quoted(page + L".tsv") +
                                L" --hocr " + Quoted(page + L".hocr") + L" --below 90 --truth " +
                                Quoted(StationData(L"truth"));
    const ChildProcess refused = ChildProcess::Run(L"tarsil_verify.exe", inputs + L" --audit 51 --out " +
                                                                           Quoted(folder / L"refused"));
    EXPECT_EQ(refused.exitCode, 2u) << refused.output;
    EXPECT_NE(refused.output.find("--audit needs a percentage from 0 to 50"), std::string::npos) << refused.output;
    EXPECT_FALSE(Exists(folder / L"refused"));
    const ChildProcess fixedBelow = ChildProcess::Run(L"tarsil_verify.exe", inputs + L" --fixed-model --out " +
                                                                              Quoted(folder / L"refused"));
    EXPECT_EQ(fixedBelow.exitCode, 2u) << fixedBelow.output;
    EXPECT_NE(fixedBelow.output.find("--fixed-model keeps the error model of --catch"), std::string::npos)
        << fixedBelow.output;

    // 3 % of the 124 words not chosen is less than the batch's least, 20.
    const ChildProcess run = ChildProcess::Run(L"tarsil_verify.exe", inputs + L" --out " + Quoted(folder / L"out"), 600000);
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(run.output.find("33 words below 90 and 20 for the audit: 53 ok"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("20 of 124 words not chosen answered"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("wrong among the words not shown"), std::string::npos) << run.output;
    const std::string yield = FileBytes(folder / L"out\\yield.json");
    // The true share is over the words not chosen, the audit's among them, as its estimate is:
    // 2 wrong of 120, as without the audit.
    for (const char* expected : {"\"shown\": 27,", "\"caught\": 12,", "\"left_true\": 0.016667,"}) {
        EXPECT_NE(yield.find(expected), std::string::npos) << expected << " not in " << yield;
    }
    EXPECT_EQ(yield.find("\"left_estimate\": null"), std::string::npos) << yield;
}
