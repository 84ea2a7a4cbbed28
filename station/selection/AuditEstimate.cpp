#include "AuditEstimate.h"

#include <cmath>

namespace {

constexpr double kZ = 1.959963984540054; // the normal quantile of 0.975

} // namespace

AuditEstimate::Interval AuditEstimate::Wilson(double wrong, double n)
{
    const double share = wrong / n;
    const double z2 = kZ * kZ;
    const double centre = (share + z2 / (2 * n)) / (1 + z2 / n);
    const double half = kZ / (1 + z2 / n) * std::sqrt(share * (1 - share) / n + z2 / (4 * n * n));
    return {share, std::fmax(0.0, centre - half), std::fmin(1.0, centre + half)};
}

void AuditEstimate::AddPage(int notChosen, int answered, int wrong, double weight, int chosenCorrected)
{
    m_notChosen += notChosen;
    m_answered += answered;
    m_wrong += wrong;
    m_chosenCorrected += chosenCorrected;
    m_weights += answered * weight;
    m_squaredWeights += answered * weight * weight;
    m_wrongWeights += wrong * weight;
}

std::optional<AuditEstimate::Interval> AuditEstimate::LeftShare() const
{
    if (m_answered == 0) {
        return std::nullopt;
    }
    const double effective = m_weights * m_weights / m_squaredWeights;
    return Wilson(m_wrongWeights / m_weights * effective, effective);
}

std::optional<AuditEstimate::Interval> AuditEstimate::CaughtShare() const
{
    const std::optional<Interval> left = LeftShare();
    if (!left || m_chosenCorrected + m_notChosen * left->estimate <= 0) {
        return std::nullopt;
    }
    // Fewer wrong words left, more caught: the caught share's low bound is the left share's high.
    const auto caught = [this](double share) {
        const double all = m_chosenCorrected + m_notChosen * share;
        return all > 0 ? m_chosenCorrected / all : 1.0;
    };
    return Interval{caught(left->estimate), caught(left->high), caught(left->low)};
}
