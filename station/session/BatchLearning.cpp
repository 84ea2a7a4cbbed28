#include "BatchLearning.h"

#include <algorithm>

#include "CatchSelection.h"
#include "RecordedSession.h"

BatchLearning::BatchLearning(const PreparedSession& session)
    : m_goal(session.catchGoal)
    , m_engineAlone(session.errorModel)
{
    if (session.errorModelWithSecond) {
        m_withSecondReading = std::make_unique<LearnedErrorModel>(session.errorModelWithSecond);
    }
}

std::unique_ptr<WordSelection> BatchLearning::SelectionFor(SessionStore& store, size_t position) const
{
    const std::vector<std::vector<VerifiedWord>> answers = store.BatchAnswers();
    return std::make_unique<CatchSelection>(
        m_goal, m_engineAlone.Refit(Labels(answers, position, false)),
        m_withSecondReading ? m_withSecondReading->Refit(Labels(answers, position, true)) : nullptr);
}

std::vector<LearnedErrorModel::Label> BatchLearning::Labels(const SessionRecord& record, size_t position,
                                                            bool withSecond)
{
    return Labels(RecordedSession(record).BatchAnswers(), position, withSecond);
}

std::vector<LearnedErrorModel::Label> BatchLearning::Labels(const std::vector<std::vector<VerifiedWord>>& pages,
                                                            size_t position, bool withSecond)
{
    std::vector<LearnedErrorModel::Label> labels;
    for (size_t page = 0; page < pages.size(); ++page) {
        if (page == position) {
            continue;
        }
        for (const VerifiedWord& word : pages[page]) {
            if (word.outcome != WordOutcome::kOk || word.leastCharConfidence < 0 ||
                (withSecond && word.secondDiffers < 0)) {
                continue;
            }
            // Within the engine's range, as a journal edited by hand may not be: the fit needs
            // finite features.
            const double confidence = std::clamp(word.confidence, 0.0, 100.0);
            labels.push_back(
                {WordFeatures::FromConfidences(confidence, word.leastCharConfidence, word.secondDiffers == 1),
                 word.changed});
        }
    }
    return labels;
}
