#pragma once

#include <string_view>

// Numbers in the files the station reads and on its command line, parsed one way
// everywhere: an optional '-', ASCII digits, for a decimal an optional fraction after a full
// stop and an optional exponent. No blanks, no '+', no hexadecimal, infinity or NaN, and
// whatever locale the process has set. False, with `value` untouched, unless the whole text
// is such a number and lies within [least, most]; a number too large for its type is out
// of bounds, never wrapped or turned into infinity.
bool ParseInteger(std::string_view text, long long least, long long most, long long& value);
bool ParseDecimal(std::string_view text, double least, double most, double& value);

// The same for text that came from XML or the command line as UTF-16.
bool ParseInteger(std::wstring_view text, long long least, long long most, long long& value);
bool ParseDecimal(std::wstring_view text, double least, double most, double& value);
