#pragma once

#include <memory>
#include <vector>

#include "ErrorModel.h"
#include "WordFeatures.h"

// A shipped error model refitted on the batch's answers, so that its probabilities follow the
// batch rather than the pages it was fitted on: the maximum a posteriori logistic regression
// over the model's standardised inputs, with a Gaussian prior centred on the shipped weights (one
// deviation for every weight and the intercept), found by Newton's method from the shipped
// weights. The labels are sorted before they are summed: the same labels in any order give the
// same weights, bit for bit.
class LearnedErrorModel {
public:
    // One answer: what the model weighed of the word, and whether the operator changed its text.
    struct Label {
        WordFeatures features;
        bool wrong = false;
    };

    // The prior's deviation, chosen on the truth pages (README.md beside this file).
    static constexpr double kPriorDeviation = 1.0;

    explicit LearnedErrorModel(std::shared_ptr<const ErrorModel> shipped, double priorDeviation = kPriorDeviation);

    // The model refitted on `labels`; the shipped one itself when there are none.
    std::shared_ptr<const ErrorModel> Refit(std::vector<Label> labels) const;

private:
    std::shared_ptr<const ErrorModel> m_shipped;
    double m_priorPrecision; // 1 / deviation^2
};
