#include "InkThreshold.h"

#include <array>

InkThreshold::InkThreshold(const GreyImage& image)
{
    std::array<double, 256> histogram{};
    for (const std::uint8_t grey : image.grey) {
        histogram[grey] += 1;
    }
    const auto total = static_cast<double>(image.grey.size());
    double sumAll = 0;
    for (int level = 0; level < 256; ++level) {
        sumAll += level * histogram[static_cast<size_t>(level)];
    }
    // The level that maximises the variance between the two classes. Levels that no pixel
    // has leave it unchanged, so it is the same over a gap in the histogram (over 1 to 254
    // for a scan of one bit a pixel): the middle of that range is taken, which puts the
    // boundary halfway between ink and paper for the grey levels that scaling makes.
    int firstBest = 127;
    int lastBest = 127;
    double countBelow = 0;
    double sumBelow = 0;
    double best = -1;
    for (int level = 0; level < 255; ++level) {
        countBelow += histogram[static_cast<size_t>(level)];
        sumBelow += level * histogram[static_cast<size_t>(level)];
        const double countAbove = total - countBelow;
        if (countBelow == 0 || countAbove == 0) {
            continue;
        }
        const double meanBelow = sumBelow / countBelow;
        const double meanAbove = (sumAll - sumBelow) / countAbove;
        const double between = countBelow * countAbove * (meanBelow - meanAbove) * (meanBelow - meanAbove);
        if (between > best * (1 + 1e-12)) {
            best = between;
            firstBest = level;
            lastBest = level;
        } else if (level == lastBest + 1 && between >= best * (1 - 1e-12)) {
            lastBest = level;
        }
    }
    m_boundary = (firstBest + lastBest + 1) / 2.0;
    double dark = 0;
    double darkSum = 0;
    for (int level = 0; level < m_boundary; ++level) {
        dark += histogram[static_cast<size_t>(level)];
        darkSum += level * histogram[static_cast<size_t>(level)];
    }
    m_lightInk = dark * 2 > total;
    if (m_lightInk) {
        m_paper = dark > 0 ? darkSum / dark : 0;
    } else {
        m_paper = total > dark ? (sumAll - darkSum) / (total - dark) : 255;
    }
}

InkThreshold InkThreshold::Shrunk(double scale) const
{
    InkThreshold shrunk = *this;
    if (scale < 1 && scale > 0) {
        shrunk.m_boundary = m_paper + scale * (m_boundary - m_paper);
    }
    return shrunk;
}
