#pragma once

#include <cstddef>
#include <optional>
#include <string>

// The value of an enumeration whose values are stored as the words of `words`, in the order of
// its values; nothing for a text that is none of them.
template <typename Value, size_t count>
std::optional<Value> FromStoredWord(const char* const (&words)[count], const std::string& text)
{
    for (size_t i = 0; i < count; ++i) {
        if (text == words[i]) {
            return static_cast<Value>(i);
        }
    }
    return std::nullopt;
}
