#include "ProposalFate.h"

#include "StoredWord.h"

namespace {

// In the order of the values.
constexpr const char* kProposalFates[] = {"", "accepted", "rejected", "changed", "ignored"};

} // namespace

const char* ProposalFateText(ProposalFate fate)
{
    return kProposalFates[static_cast<size_t>(fate)];
}

std::optional<ProposalFate> ProposalFateFromText(const std::string& text)
{
    return FromStoredWord<ProposalFate>(kProposalFates, text);
}
