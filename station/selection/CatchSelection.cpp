#include "CatchSelection.h"

#include <algorithm>
#include <numeric>

CatchSelection::CatchSelection(double goal, std::shared_ptr<const ErrorModel> engineAlone,
                               std::shared_ptr<const ErrorModel> withSecondReading)
    : m_goal(goal)
    , m_engineAlone(std::move(engineAlone))
    , m_withSecondReading(std::move(withSecondReading))
{
}

std::vector<SelectedWord> CatchSelection::Choose(const PageWords& words, const PageWords* secondReading) const
{
    const bool second = secondReading != nullptr && m_withSecondReading != nullptr;
    const ErrorModel& model = second ? *m_withSecondReading : *m_engineAlone;
    const std::vector<PageWords::Word>& all = words.Words();
    std::vector<double> probabilities;
    double total = 0;
    for (const PageWords::Word& word : all) {
        probabilities.push_back(model.Probability(WordFeatures::Of(word, second ? secondReading : nullptr)));
        total += probabilities.back();
    }
    std::vector<size_t> order(all.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return probabilities[a] > probabilities[b]; });
    std::vector<SelectedWord> chosen;
    double unshown = total;
    for (size_t i : order) {
        if (total <= 0 || 1.0 - unshown / total >= m_goal) {
            break;
        }
        chosen.push_back({&all[i], "chosen", probabilities[i]});
        unshown -= probabilities[i];
    }
    return chosen;
}
