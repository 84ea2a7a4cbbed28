#pragma once

#include <optional>

// What the audit's answers say of the words a session did not show: the share of wrong words
// among them, and the share of all wrong words the choice caught, each with a 95 % interval.
//
// Pages are added one at a time with their audit: the words not chosen it drew from, how many
// of its drawn words were answered and how many of those were wrong, and the weight of each
// (one over its chance of being drawn). The share is the weighted share of wrong answers
// (equal weights: the plain share); its interval Wilson's at the weights' effective sample
// size, (sum of weights)^2 / (sum of squared weights), which is the number answered when the
// weights are equal.
class AuditEstimate {
public:
    struct Interval {
        double estimate = 0;
        double low = 0;
        double high = 0;
    };

    // The 95 % Wilson score interval of `wrong` in `n` (n above 0; either may be fractional).
    static Interval Wilson(double wrong, double n);

    // `notChosen` the page's words the audit drew from, `answered` of its drawn words those
    // answered with OK, `wrong` of those the ones whose text the answer changed, `weight`
    // theirs; `chosenCorrected` the page's chosen words whose text an answer changed.
    void AddPage(int notChosen, int answered, int wrong, double weight, int chosenCorrected);

    int NotChosen() const { return m_notChosen; }
    int Answered() const { return m_answered; }
    int Wrong() const { return m_wrong; }

    // The share of wrong words among the words not chosen; none before an audit answer.
    std::optional<Interval> LeftShare() const;
    // corrected / (corrected + notChosen * share), its bounds from the share's; none before an
    // audit answer, or when neither the choice nor the audit found a wrong word.
    std::optional<Interval> CaughtShare() const;

private:
    int m_notChosen = 0;
    int m_answered = 0;
    int m_wrong = 0;
    int m_chosenCorrected = 0;
    double m_weights = 0;        // summed over the answered audit words
    double m_squaredWeights = 0; // of their squares
    double m_wrongWeights = 0;   // over the wrong ones
};
