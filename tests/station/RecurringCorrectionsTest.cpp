// The batch's corrections reused: which recognised texts count as corrected, and which of a
// page's words they add to the words chosen.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RecurringCorrections.h"

namespace {

VerifiedWord Answer(const std::string& text, WordOutcome outcome, const std::string& corrected)
{
    VerifiedWord answer;
    answer.text = text;
    answer.outcome = outcome;
    answer.corrected = corrected;
    answer.changed = corrected != text; // as the dialog sets it
    return answer;
}

PageWords::Word MakeWord(int index, const std::string& text)
{
    PageWords::Word word;
    word.index = index;
    word.text = text;
    word.confidence = 96;
    return word;
}

} // namespace

TEST(RecurringCorrections, AnOkOnAnotherTextIsLearntForTheOtherPagesAndAddedAfterTheChoice)
{
    RecurringCorrections recurring;
    recurring.Learn(0, Answer("fich", WordOutcome::kOk, "sich"));
    recurring.Learn(0, Answer("deu", WordOutcome::kOk, "deu"));  // OK on the text as read
    recurring.Learn(0, Answer("fann", WordOutcome::kIgnore, "")); // Ignore decides nothing
    recurring.Learn(2, Answer("Haus", WordOutcome::kOk, "Hans"));
    EXPECT_TRUE(recurring.CorrectedElsewhere("fich", 1));
    EXPECT_FALSE(recurring.CorrectedElsewhere("fich", 0)); // the page's own correction
    EXPECT_FALSE(recurring.CorrectedElsewhere("Fich", 1)); // compared exactly
    EXPECT_FALSE(recurring.CorrectedElsewhere("deu", 1));
    EXPECT_FALSE(recurring.CorrectedElsewhere("fann", 1));
    EXPECT_FALSE(recurring.CorrectedElsewhere("und", 1));

    // Page 1: "Haus" chosen already keeps its reason; both "fich" come after it, in reading order.
    const PageWords page({MakeWord(1, "fich"), MakeWord(2, "und"), MakeWord(3, "Haus"), MakeWord(4, "fich")}, 1);
    std::vector<SelectedWord> chosen{{&page.Words()[2], "chosen", 0.4}};
    recurring.AddTo(1, page, chosen);
    ASSERT_EQ(chosen.size(), 3u);
    EXPECT_EQ(chosen[0].reason, "chosen");
    for (size_t i = 1; i < chosen.size(); ++i) {
        EXPECT_EQ(chosen[i].reason, "recurring");
        EXPECT_EQ(chosen[i].word, &page.Words()[i == 1 ? 0 : 3]);
    }
}
