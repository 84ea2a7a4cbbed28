// The error model refitted on a batch's answers, against the numbers the fit's Python
// (scripts/lib/word_errors/logistic.py, refit) gives for the same labels and the shipped weights.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "BatchLearning.h"
#include "ErrorModel.h"
#include "LearnedErrorModel.h"

TEST(LearnedErrorModel, TheRefitIsThePythonsWhateverTheLabelsOrderAndNoneKeepsTheShippedWeights)
{
    const auto shipped = std::make_shared<const ErrorModel>(
        ErrorModel::FromFile(ErrorModel::BesideProgram(ErrorModel::kEngineAloneFile)));
    const LearnedErrorModel learned(shipped, 0.5);
    EXPECT_EQ(learned.Refit({}), shipped);

    // As the journal keeps them: the word's confidence, its least sure character's, and what
    // the answer did; one label each but for the answers that teach nothing.
    struct Answer {
        double confidence, leastChar;
        WordOutcome outcome;
        bool changed;
        int secondDiffers;
    };
    const std::vector<Answer> answers = {
        {96.0, 96.0, WordOutcome::kOk, false, 0},  {99.0, 98.5, WordOutcome::kOk, false, 1},
        {91.0, 60.0, WordOutcome::kOk, true, -1},  {93.0, 99.0, WordOutcome::kOk, false, -1},
        {85.0, 85.0, WordOutcome::kOk, false, -1}, {97.0, 90.0, WordOutcome::kOk, true, -1},
        {50.0, 50.0, WordOutcome::kIgnore, true, 1}, {50.0, -1, WordOutcome::kOk, true, 1}, // not kept
    };
    SessionRecord record;
    record.pages.resize(3);
    for (const Answer& answer : answers) {
        VerifiedWord word;
        word.confidence = answer.confidence;
        word.leastCharConfidence = answer.leastChar;
        word.outcome = answer.outcome;
        word.changed = answer.changed;
        word.secondDiffers = answer.secondDiffers;
        record.pages[record.pages[0].words.size() < 4 ? 0 : 2].words.push_back(word);
    }
    record.pages[1].words.push_back(record.pages[0].words[2]); // the page being chosen: none
    std::vector<LearnedErrorModel::Label> labels = BatchLearning::Labels(record, 1, false);
    ASSERT_EQ(labels.size(), 6u);
    EXPECT_EQ(BatchLearning::Labels(record, 1, true).size(), 2u);

    const std::vector<double> expected = {-2.5612855292472627, 0.7532752680555194, 0.5984493269938874};
    const std::shared_ptr<const ErrorModel> refitted = learned.Refit(labels);
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(refitted->Weights()[i], expected[i], 1e-12) << i;
    }
    EXPECT_NEAR(refitted->Probability(WordFeatures::FromConfidences(95.5, 87.2, false)), 0.28301183078018405, 1e-12);
    std::reverse(labels.begin(), labels.end());
    std::swap(labels[0], labels[3]);
    EXPECT_EQ(learned.Refit(labels)->Weights(), refitted->Weights());
}
