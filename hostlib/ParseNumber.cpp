#include "ParseNumber.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

// Only the characters a number may hold: anything else (a blank, "inf", "0x") fails here,
// before from_chars, which would accept "inf" and "nan".
bool NumberCharacters(std::string_view text, bool decimal)
{
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        const bool digit = c >= '0' && c <= '9';
        const bool decimalPart = decimal && (c == '.' || c == 'e' || c == 'E' || c == '-' || c == '+');
        if (!digit && c != '-' && !decimalPart) {
            return false;
        }
    }
    return text.front() != '+';
}

// The wide text as ASCII; false when it holds anything else.
bool Narrow(std::wstring_view text, std::string& narrow)
{
    narrow.clear();
    narrow.reserve(text.size());
    for (const wchar_t c : text) {
        if (c > 0x7F) {
            return false;
        }
        narrow.push_back(static_cast<char>(c));
    }
    return true;
}

} // namespace

bool ParseInteger(std::string_view text, long long least, long long most, long long& value)
{
    if (!NumberCharacters(text, false)) {
        return false;
    }
    long long parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size() || parsed < least || parsed > most) {
        return false;
    }
    value = parsed;
    return true;
}

bool ParseDecimal(std::string_view text, double least, double most, double& value)
{
    if (!NumberCharacters(text, true)) {
        return false;
    }
    double parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(parsed) || parsed < least ||
        parsed > most) {
        return false;
    }
    value = parsed == 0 ? 0.0 : parsed; // no "-0"
    return true;
}

bool ParseInteger(std::wstring_view text, long long least, long long most, long long& value)
{
    std::string narrow;
    return Narrow(text, narrow) && ParseInteger(std::string_view(narrow), least, most, value);
}

bool ParseDecimal(std::wstring_view text, double least, double most, double& value)
{
    std::string narrow;
    return Narrow(text, narrow) && ParseDecimal(std::string_view(narrow), least, most, value);
}
