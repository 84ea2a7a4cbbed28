#include "RandomPick.h"

size_t RandomPick::Uniform(size_t low, size_t high)
{
    return std::uniform_int_distribution<size_t>(low, high)(m_random);
}

size_t RandomPick::Position(const std::string& bytes)
{
    const size_t position = Uniform(0, bytes.size());
    if (Chance(50)) {
        const size_t lineStart = bytes.rfind('\n', position == 0 ? 0 : position - 1);
        return lineStart == std::string::npos || position == 0 ? 0 : lineStart + 1;
    }
    return position;
}

long long RandomPick::AnyNumber()
{
    return std::uniform_int_distribution<long long>()(m_random);
}
