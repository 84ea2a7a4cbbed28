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
    // The level that maximises the variance between the two classes.
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
        if (between > best) {
            best = between;
            m_level = level;
        }
    }
    double dark = 0;
    for (int level = 0; level <= m_level; ++level) {
        dark += histogram[static_cast<size_t>(level)];
    }
    m_lightInk = dark * 2 > total;
}
