#pragma once

#include <optional>
#include <string>

// What became of the correction a dialog opened with (an earlier answer's for the same
// recognised text): none was proposed; OK with it (accepted), OK with the recognised text
// (rejected: the proposal is withdrawn), OK with another text (changed), or Ignore (ignored,
// the proposal stands).
enum class ProposalFate { kNone, kAccepted, kRejected, kChanged, kIgnored };

// The words a fate is stored as ("", "accepted", "rejected", "changed", "ignored"): in the
// journal's JSON and the team's tables, nowhere else.
const char* ProposalFateText(ProposalFate fate);
// The fate a stored word names; nothing for a word that names none.
std::optional<ProposalFate> ProposalFateFromText(const std::string& text);
