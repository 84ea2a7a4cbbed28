#pragma once

#include <cstdint>
#include <random>
#include <string>

// What an input file holds, for the malformations that suit it.
enum class FileContent { kImage, kTabular, kMarkup, kJson };

// Malformed variants of a well-formed input file, made at random: truncations, byte flips,
// huge and negative numbers (in an image, in the header's fields), very long lines,
// invalid UTF-8, byte-order marks, other line ends, deep nesting, names swapped.
class Malformer {
public:
    explicit Malformer(std::mt19937& random) : m_random(random) {}

    // One to three malformations of `bytes`, in place. Returns what was done, for the
    // report of a failing case.
    std::string Apply(std::string& bytes, FileContent content);

private:
    std::string ApplyOne(std::string& bytes, FileContent content);
    std::string Truncate(std::string& bytes);
    std::string FlipBytes(std::string& bytes, FileContent content);
    std::string ExtremeNumbers(std::string& bytes);
    std::string ExtremeHeaderField(std::string& bytes);
    std::string LongLine(std::string& bytes);
    std::string InvalidUtf8(std::string& bytes);
    std::string ByteOrderMark(std::string& bytes);
    std::string LineEnds(std::string& bytes);
    std::string DeepNesting(std::string& bytes, FileContent content);
    std::string SwapNames(std::string& bytes);

    size_t Uniform(size_t low, size_t high);
    bool Chance(int percent) { return Uniform(1, 100) <= static_cast<size_t>(percent); }
    template <typename T, size_t N>
    const T& OneOf(const T (&choices)[N])
    {
        return choices[Uniform(0, N - 1)];
    }
    // A place in the text: 0 to its size, at a line's start half of the time.
    size_t Position(const std::string& bytes);

    std::mt19937& m_random;
};
