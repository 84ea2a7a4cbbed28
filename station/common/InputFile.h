#pragma once

#include <string>

// A whole input file read into memory, refused when it is larger than any page's
// recognition output can be: a runaway or hostile file must not exhaust the memory.
class InputFile {
public:
    static constexpr unsigned long long kMaxBytes = 64ull * 1024 * 1024;

    // Throws InputError naming the file when it cannot be read or is too large.
    static std::string Read(const std::wstring& path);
};
