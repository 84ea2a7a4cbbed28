#pragma once

#include <optional>
#include <string>

// Where a page of a session stands: waiting for the engine, recognised, being verified, done
// (every word to verify answered or skipped, its files written), or failed (the engine, or
// its output, could not be used).
enum class PageState { kWaiting, kRecognised, kInProgress, kDone, kFailed };

// The words a page's state is stored as ("waiting", "recognised", "in progress", "done",
// "failed"): in the journal's JSON and the team's tables, nowhere else.
const char* PageStateText(PageState state);
// The state a stored word names; nothing for a word that names none.
std::optional<PageState> PageStateFromText(const std::string& text);
