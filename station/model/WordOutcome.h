#pragma once

#include <optional>
#include <string>

// What became of a word the session chose: the operator's answer in its dialog (OK, Ignore,
// or Cancel, which is no answer and asks the word again), or skipped without a dialog (a
// word that cannot be shown).
enum class WordOutcome { kOk, kIgnore, kCancel, kSkipped };

// The words an outcome is stored as ("ok", "ignore", "cancel", "skipped"): in the journal's
// JSON and the team's tables, nowhere else.
const char* WordOutcomeText(WordOutcome outcome);
// The outcome a stored word names; nothing for a word that names none.
std::optional<WordOutcome> WordOutcomeFromText(const std::string& text);
