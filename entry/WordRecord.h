#pragma once

#include <cstdint>

// The word under verification. The entry fills it on its stack for one call; the dialog
// reads and writes it in place and the entry copies it back when the dialog ends with OK.
struct WordRecord {
    static constexpr int kTextCapacity = 84; // 83 characters and the terminator

    std::int32_t kind;
    std::int32_t mode;
    wchar_t text[kTextCapacity]; // always zero-terminated within its capacity
    double size;
    double orientation;
    std::int32_t confidence;
    std::int32_t reserved; // always 1
    std::int32_t train;    // 1: train the recogniser with this word
};
