#pragma once

#include <stdexcept>
#include <string>

// Input the station cannot use: a file it cannot read, or one whose content is wrong.
// The message names the file and, where there is one, the line.
class InputError : public std::runtime_error {
public:
    InputError(const std::wstring& file, int line, const std::string& what);
    InputError(const std::wstring& file, const std::string& what) : InputError(file, 0, what) {}
};
