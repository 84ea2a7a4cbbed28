#include "WordOutcome.h"

#include "StoredWord.h"

namespace {

// In the order of the values.
constexpr const char* kWordOutcomes[] = {"ok", "ignore", "cancel", "skipped"};

} // namespace

const char* WordOutcomeText(WordOutcome outcome)
{
    return kWordOutcomes[static_cast<size_t>(outcome)];
}

std::optional<WordOutcome> WordOutcomeFromText(const std::string& text)
{
    return FromStoredWord<WordOutcome>(kWordOutcomes, text);
}
