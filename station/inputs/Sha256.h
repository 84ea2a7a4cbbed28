#pragma once

#include <string>

// SHA-256 of a file's content, by the platform's own implementation (BCrypt), as 64
// lower-case hexadecimal digits.
class Sha256 {
public:
    // Throws InputError naming the file when it cannot be read.
    static std::string OfFile(const std::wstring& path);
};
