#pragma once

#include <memory>
#include <string>

#include "ErrorModel.h"
#include "WordSelection.h"

// A page's words in falling probability of error (the page's order among equals), as many as
// make the expected share of the page's wrong words among them reach the goal (--catch):
//     1 - (sum of p over the words not shown) / (sum of p over all the page's words) >= goal
// A page whose probabilities sum to 0 shows none.
class CatchSelection : public WordSelection {
public:
    // `goal` a share, 0.95 for --catch 95. `withSecondReading` weighs a second reading where a
    // page has one; null: `engineAlone` serves every page.
    CatchSelection(double goal, std::shared_ptr<const ErrorModel> engineAlone,
                   std::shared_ptr<const ErrorModel> withSecondReading);

    std::vector<SelectedWord> Choose(const PageWords& words, const PageWords* secondReading) const override;

private:
    double m_goal;
    std::shared_ptr<const ErrorModel> m_engineAlone;
    std::shared_ptr<const ErrorModel> m_withSecondReading;
};
