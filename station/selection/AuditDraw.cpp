#include "AuditDraw.h"

#include <algorithm>
#include <cmath>
#include <numeric>

AuditDraw::Stream::Stream(uint64_t seed, size_t page, uint64_t use)
    : m_state(seed ^ (0x9E3779B97F4A7C15ULL * (static_cast<uint64_t>(page) * 2 + 1)) ^ (use << 56))
{
}

// SplitMix64: defined here, bit for bit, so that a seed draws the same on every build (the
// standard library's distributions and shuffle may differ from one library to another).
uint64_t AuditDraw::Stream::Next()
{
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

double AuditDraw::Stream::Unit()
{
    return static_cast<double>(Next() >> 11) * 0x1.0p-53;
}

size_t AuditDraw::Stream::Below(size_t n)
{
    return static_cast<size_t>(Unit() * static_cast<double>(n));
}

AuditDraw::AuditDraw(double percent, uint64_t seed)
    : m_share(percent / 100)
    , m_seed(seed)
{
}

AuditDraw::Draw AuditDraw::Of(size_t page, size_t candidates, int needed) const
{
    Stream stream(m_seed, page, 0);
    const double expected = m_share * static_cast<double>(candidates);
    size_t count = static_cast<size_t>(expected) + (stream.Unit() < expected - std::floor(expected) ? 1 : 0);
    const bool toppedUp = needed > 0 && static_cast<size_t>(needed) > count;
    if (toppedUp) {
        count = std::min(candidates, static_cast<size_t>(needed));
    }
    return Take(stream, candidates, count, toppedUp && count > 0);
}

AuditDraw::Draw AuditDraw::Again(size_t page, size_t candidates, int drawn) const
{
    Stream stream(m_seed, page, 0);
    static_cast<void>(stream.Unit()); // the rate's fraction, as Of draws it
    const size_t count = std::min(candidates, static_cast<size_t>(std::max(drawn, 0)));
    return Take(stream, candidates, count, false);
}

AuditDraw::Draw AuditDraw::Take(Stream& stream, size_t candidates, size_t count, bool toppedUp) const
{
    // The first `count` places of a Fisher-Yates shuffle.
    std::vector<size_t> order(candidates);
    std::iota(order.begin(), order.end(), size_t{0});
    for (size_t i = 0; i < count; ++i) {
        std::swap(order[i], order[i + stream.Below(candidates - i)]);
    }
    order.resize(count);
    return {order, toppedUp};
}

std::vector<SelectedWord> AuditDraw::Mix(size_t page, std::vector<SelectedWord> chosen,
                                         const std::vector<SelectedWord>& audit) const
{
    Stream stream(m_seed, page, 1);
    for (const SelectedWord& word : audit) {
        const size_t place = stream.Below(chosen.size() + 1);
        chosen.insert(chosen.begin() + static_cast<std::ptrdiff_t>(place), word);
    }
    return chosen;
}

double AuditDraw::Weight(size_t candidates, int drawn, bool toppedUp) const
{
    return toppedUp ? static_cast<double>(candidates) / drawn : 1 / m_share;
}
