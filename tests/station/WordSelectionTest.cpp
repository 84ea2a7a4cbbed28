// The probability of error and the choice of the words by it, against the numbers the fit's
// Python (scripts/lib/word_errors) gives for the same words and the shipped weights.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AuditEstimate.h"
#include "CatchSelection.h"
#include "ErrorModel.h"
#include "InputError.h"
#include "StationOptions.h"
#include "Utf8.h"

namespace {

PageWords::Word MakeWord(int index, Box box, double confidence, const std::string& text,
                         std::vector<double> characters = {})
{
    PageWords::Word word;
    word.index = index;
    word.box = box;
    word.confidence = confidence;
    word.text = text;
    for (double character : characters) {
        word.characters.push_back({{0, 0, 1, 1}, character});
    }
    return word;
}

// Four words: one with an uncertain character, one with no characters (a long s), a sure one
// that the second reading has nothing over, one ending in a dash and a line-end hyphen.
PageWords Page()
{
    return PageWords({MakeWord(2, {10, 10, 50, 20}, 95.5, "Haus", {99.1, 87.2}),
                      MakeWord(3, {70, 10, 40, 20}, 40.0, "\xC5\xBFind"),
                      MakeWord(4, {120, 10, 30, 20}, 99.0, "und", {99.5}),
                      MakeWord(5, {10, 40, 60, 20}, 88.0, "Wort\xE2\x80\x94=", {91.0})},
                     2);
}

// Over them: a misreading, the same word with s, the same with plain dashes (and a small word
// that overlaps the last less than its own reading does).
PageWords SecondReading()
{
    return PageWords({MakeWord(2, {12, 12, 50, 20}, 90, "Hans"), MakeWord(3, {65, 8, 40, 22}, 90, "sind"),
                      MakeWord(5, {10, 45, 60, 20}, 90, "Wort-\xC2\xAC"), MakeWord(6, {0, 41, 12, 5}, 90, "x")},
                     2);
}

std::shared_ptr<const ErrorModel> Shipped(const wchar_t* file)
{
    return std::make_shared<const ErrorModel>(ErrorModel::FromFile(ErrorModel::BesideProgram(file)));
}

} // namespace

TEST(WordSelection, TheShippedWeightsGiveTheFitsProbabilitiesAndTheCatchRuleStopsWhereTheFitsDoes)
{
    const auto alone = Shipped(ErrorModel::kEngineAloneFile);
    const auto second = Shipped(ErrorModel::kWithSecondReadingFile);
    EXPECT_FALSE(alone->WeighsSecondReading());
    EXPECT_TRUE(second->WeighsSecondReading());
    const PageWords page = Page();
    const PageWords reread = SecondReading();
    const double expectedAlone[] = {0.05951937594540368, 0.7635877666679052, 0.007368388590489542, 0.16571292989584122};
    const double expectedSecond[] = {0.3971311677441284, 0.2857373860000562, 0.10829207624738287, 0.05583428409515278};
    const bool expectedDiffers[] = {true, false, true, false};
    for (size_t i = 0; i < page.Words().size(); ++i) {
        const PageWords::Word& word = page.Words()[i];
        EXPECT_NEAR(alone->Probability(WordFeatures::Of(word, nullptr)), expectedAlone[i], 1e-12) << i;
        const WordFeatures features = WordFeatures::Of(word, &reread);
        EXPECT_EQ(features.secondDiffers, expectedDiffers[i]) << i;
        EXPECT_NEAR(second->Probability(features), expectedSecond[i], 1e-12) << i;
    }

    // Falling probability, until the expected share caught reaches the goal.
    const auto chosenIndexes = [&](const CatchSelection& selection, const PageWords* secondReading) {
        std::vector<int> indexes;
        for (const SelectedWord& chosen : selection.Choose(page, secondReading)) {
            EXPECT_EQ(chosen.reason, "chosen");
            indexes.push_back(chosen.word->index);
        }
        return indexes;
    };
    EXPECT_EQ(chosenIndexes(CatchSelection(0.5, alone, second), nullptr), (std::vector<int>{3}));
    EXPECT_EQ(chosenIndexes(CatchSelection(0.8, alone, second), nullptr), (std::vector<int>{3, 5}));
    EXPECT_EQ(chosenIndexes(CatchSelection(0.95, alone, second), nullptr), (std::vector<int>{3, 5, 2}));
    EXPECT_EQ(chosenIndexes(CatchSelection(0.99, alone, second), nullptr), (std::vector<int>{3, 5, 2}));
    EXPECT_EQ(chosenIndexes(CatchSelection(0.8, alone, second), &reread), (std::vector<int>{2, 3}));
    // Without weights for a second reading, the engine's alone serve.
    EXPECT_EQ(chosenIndexes(CatchSelection(0.8, alone, nullptr), &reread), (std::vector<int>{3, 5}));
}

TEST(WordSelection, AWeightsFileThatCannotBeUsedIsRefusedWithItsLine)
{
    const std::string head = "tarsil-word-errors 1\n# comment\n\nintercept -1.5\n";
    const std::string feature = "mean.word_doubt 2\ndeviation.word_doubt 0.5\nweight.word_doubt 1\n";
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"tarsil-word-errors 2\n" + feature, "w.txt:1: "},
        {head + feature + "mean.width 1\n", "w.txt:8: unknown feature \"width\""},
        {head + "mean.char_doubt 1\nweight.char_doubt 1\n" + feature, "w.txt:5: a feature needs"},
        {head + "mean.word_doubt 2\ndeviation.word_doubt 0\nweight.word_doubt 1\n", "w.txt:6: the deviation"},
        {head + "mean.word_doubt 2,5\n", "w.txt:5: \"mean.word_doubt\" needs a decimal number"},
        {"tarsil-word-errors 1\n" + feature, "w.txt: no intercept"},
    };
    for (const auto& malformed : cases) {
        try {
            static_cast<void>(ErrorModel::FromText(malformed.text, L"w.txt"));
            ADD_FAILURE() << malformed.text;
        } catch (const InputError& error) {
            EXPECT_NE(std::string(error.what()).find(malformed.message), std::string::npos) << error.what();
        }
    }
    EXPECT_NEAR(ErrorModel::FromText(head + feature, L"w.txt").Probability({3, 0, false}), 0.6224593312018546, 1e-12);
    EXPECT_THROW(ErrorModel::FromFile(ErrorModel::BesideProgram(L"no-such-weights.txt")), InputError);
}

TEST(WordSelection, CatchTakesAPercentageFromFiftyTo99Point9)
{
    for (const wchar_t* refused : {L"49.9", L"100", L"95%", L""}) {
        const wchar_t* argv[] = {L"tarsil_verify", L"scans", L"--catch", refused};
        StationOptions options;
        std::string error;
        EXPECT_FALSE(options.Parse(4, argv, error)) << WideToUtf8(refused);
        EXPECT_NE(error.find("--catch needs a percentage from 50 to 99.9"), std::string::npos) << error;
    }
    const wchar_t* argv[] = {L"tarsil_verify", L"scans", L"--catch", L"99.9"};
    StationOptions options;
    std::string error;
    ASSERT_TRUE(options.Parse(4, argv, error)) << error;
    EXPECT_EQ(options.catchPercent, 99.9);
    // The default outside a team; --below instead, not beside it; a team's stations by --below.
    const wchar_t* plain[] = {L"tarsil_verify", L"scans", L"--below", L"90"};
    StationOptions byDefault;
    ASSERT_TRUE(byDefault.Parse(2, plain, error)) << error;
    EXPECT_EQ(byDefault.catchPercent, 95);
    StationOptions byConfidence;
    ASSERT_TRUE(byConfidence.Parse(4, plain, error)) << error;
    EXPECT_EQ(byConfidence.catchPercent, 0);
    const wchar_t* both[] = {L"tarsil_verify", L"scans", L"--below", L"90", L"--catch", L"95"};
    EXPECT_FALSE(StationOptions().Parse(6, both, error));
    const wchar_t* joining[] = {L"tarsil_verify", L"--team", L"DSN=t", L"--batch", L"b"};
    StationOptions teamDefault;
    ASSERT_TRUE(teamDefault.Parse(5, joining, error)) << error;
    EXPECT_EQ(teamDefault.catchPercent, 0);
    // A team's batch records its --catch (its first station's); not a second reading yet.
    for (const wchar_t* own : {L"--catch", L"--second-lang"}) {
        const wchar_t* team[] = {L"tarsil_verify", L"--team", L"DSN=t", L"--batch", L"b", own, L"95"};
        StationOptions teamOptions;
        const bool accepted = teamOptions.Parse(7, team, error);
        EXPECT_EQ(accepted, own == std::wstring(L"--catch")) << WideToUtf8(own);
        EXPECT_TRUE(accepted || error.find("not yet a team's batch") != std::string::npos) << error;
    }
}

// The audit's estimates against values worked out apart (Python, the Wilson score formula at
// z = 1.959963984540054).
TEST(WordSelection, TheAuditEstimatesTheShareLeftAndTheShareCaughtWithWilsonIntervals)
{
    const auto expectInterval = [](const AuditEstimate::Interval& got, double estimate, double low, double high) {
        EXPECT_NEAR(got.estimate, estimate, 1e-12);
        EXPECT_NEAR(got.low, low, 1e-12);
        EXPECT_NEAR(got.high, high, 1e-12);
    };
    expectInterval(AuditEstimate::Wilson(3, 20), 0.15, 0.052368745896216595, 0.36041886474075696);
    expectInterval(AuditEstimate::Wilson(0, 20), 0, 0, 0.16112515805281938);
    expectInterval(AuditEstimate::Wilson(20, 20), 1, 0.8388748419471806, 1);

    AuditEstimate none;
    none.AddPage(40, 0, 0, 33.3, 5);
    EXPECT_FALSE(none.LeftShare());
    EXPECT_FALSE(none.CaughtShare());
    // 12 corrected among the chosen, 120 not chosen, 3 of 20 audited wrong.
    AuditEstimate equal;
    equal.AddPage(120, 20, 3, 6, 12);
    expectInterval(*equal.LeftShare(), 0.15, 0.052368745896216595, 0.36041886474075696);
    expectInterval(*equal.CaughtShare(), 0.4, 0.21719353323262702, 0.656302573154427);
    // Unequal weights: 1 of 10 at weight 1, 2 of 10 at weight 3; effective size 40^2 / 100.
    AuditEstimate weighted;
    weighted.AddPage(10, 10, 1, 1, 0);
    weighted.AddPage(30, 10, 2, 3, 0);
    expectInterval(*weighted.LeftShare(), 0.175, 0.059285015778654, 0.4165599765687297);
    expectInterval(*weighted.CaughtShare(), 0, 0, 0);
}
