#include "PageState.h"

#include "StoredWord.h"

namespace {

// In the order of the values.
constexpr const char* kPageStates[] = {"waiting", "recognised", "in progress", "done", "failed"};

} // namespace

const char* PageStateText(PageState state)
{
    return kPageStates[static_cast<size_t>(state)];
}

std::optional<PageState> PageStateFromText(const std::string& text)
{
    return FromStoredWord<PageState>(kPageStates, text);
}
