#pragma once

#include <string>

#include "FileContent.h"
#include "RandomPick.h"

// Malformed text files (TSV, hOCR, ALTO, PAGE XML, the session's JSON): extreme numbers,
// very long lines, invalid UTF-8, byte-order marks, other line ends, deep nesting, names
// swapped.
class TextMalformer {
public:
    explicit TextMalformer(RandomPick& pick) : m_pick(pick) {}

    std::string ExtremeNumbers(std::string& bytes);
    std::string LongLine(std::string& bytes);
    std::string InvalidUtf8(std::string& bytes);
    std::string ByteOrderMark(std::string& bytes);
    std::string LineEnds(std::string& bytes);
    // Nested arrays in JSON; nested elements or entities that expand in markup.
    std::string DeepNesting(std::string& bytes, FileContent content);
    std::string SwapNames(std::string& bytes);

private:
    RandomPick& m_pick;
};
