#pragma once

#include <cstddef>
#include <random>
#include <string>

// Choices made at random for the malformers, all from the one generator, so that a seed
// gives the same cases again.
class RandomPick {
public:
    explicit RandomPick(std::mt19937& random) : m_random(random) {}

    // low to high, both included.
    size_t Uniform(size_t low, size_t high);
    bool Chance(int percent) { return Uniform(1, 100) <= static_cast<size_t>(percent); }
    template <typename T, size_t N>
    const T& OneOf(const T (&choices)[N])
    {
        return choices[Uniform(0, N - 1)];
    }
    // A place in the text: 0 to its size, at a line's start half of the time.
    size_t Position(const std::string& bytes);
    // Any long long.
    long long AnyNumber();

private:
    std::mt19937& m_random;
};
