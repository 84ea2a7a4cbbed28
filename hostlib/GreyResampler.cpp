#include "GreyResampler.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The source pixels and weights of each output pixel along one axis, the same number for
// every output pixel (unused places weigh nothing).
struct AxisTaps {
    int perOutput = 0;
    std::vector<int> source; // clamped to the image: its edge repeats
    std::vector<float> weight;
};

// Catmull-Rom's cubic: interpolating (a source pixel's centre keeps its value) and sharp.
double Cubic(double distance)
{
    const double d = std::fabs(distance);
    if (d < 1) {
        return (1.5 * d - 2.5) * d * d + 1;
    }
    if (d < 2) {
        return ((-0.5 * d + 2.5) * d - 4) * d + 2;
    }
    return 0;
}

AxisTaps Taps(int outputs, double origin, double scale, int sourceSize)
{
    AxisTaps taps;
    const auto clamped = [sourceSize](double index) {
        return static_cast<int>(std::clamp(index, 0.0, static_cast<double>(sourceSize - 1)));
    };
    if (scale < 1) {
        // Each output pixel covers 1 / scale source pixels: the overlaps, as shares of it.
        const double span = 1 / scale;
        taps.perOutput = static_cast<int>(std::ceil(span)) + 1;
        for (int x = 0; x < outputs; ++x) {
            const double from = origin + x * span;
            const double to = from + span;
            const double first = std::floor(from);
            for (int k = 0; k < taps.perOutput; ++k) {
                const double cell = first + k;
                const double overlap = std::max(0.0, std::min(to, cell + 1) - std::max(from, cell));
                taps.source.push_back(clamped(cell));
                taps.weight.push_back(static_cast<float>(overlap * scale));
            }
        }
        return taps;
    }
    taps.perOutput = 4;
    for (int x = 0; x < outputs; ++x) {
        // In source pixels, with pixel i's centre at i.
        const double centre = origin + (x + 0.5) / scale - 0.5;
        const double base = std::floor(centre);
        for (int k = -1; k <= 2; ++k) {
            taps.source.push_back(clamped(base + k));
            taps.weight.push_back(static_cast<float>(Cubic(centre - (base + k))));
        }
    }
    return taps;
}

} // namespace

GreyImage GreyResampler::Scale(const GreyImage& image, double left, double top, double scale, int width, int height)
{
    GreyImage scaled;
    if (image.width <= 0 || image.height <= 0 || width <= 0 || height <= 0 || !(scale > 0)) {
        return scaled;
    }
    const AxisTaps columns = Taps(width, left, scale, image.width);
    const AxisTaps rows = Taps(height, top, scale, image.height);
    const int firstRow = *std::min_element(rows.source.begin(), rows.source.end());
    const int lastRow = *std::max_element(rows.source.begin(), rows.source.end());

    // Across first, only the rows the second pass reads.
    std::vector<float> across(static_cast<size_t>(lastRow - firstRow + 1) * width);
    for (int row = firstRow; row <= lastRow; ++row) {
        const std::uint8_t* source = image.grey.data() + static_cast<size_t>(row) * image.width;
        float* out = across.data() + static_cast<size_t>(row - firstRow) * width;
        for (int x = 0; x < width; ++x) {
            const size_t tap = static_cast<size_t>(x) * columns.perOutput;
            float sum = 0;
            for (int k = 0; k < columns.perOutput; ++k) {
                sum += columns.weight[tap + k] * static_cast<float>(source[columns.source[tap + k]]);
            }
            out[x] = sum;
        }
    }

    scaled.width = width;
    scaled.height = height;
    scaled.grey.resize(static_cast<size_t>(width) * height);
    std::vector<float> sum(static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        std::fill(sum.begin(), sum.end(), 0.0F);
        const size_t tap = static_cast<size_t>(y) * rows.perOutput;
        for (int k = 0; k < rows.perOutput; ++k) {
            const float weight = rows.weight[tap + k];
            if (weight == 0) {
                continue;
            }
            const float* in = across.data() + static_cast<size_t>(rows.source[tap + k] - firstRow) * width;
            for (int x = 0; x < width; ++x) {
                sum[static_cast<size_t>(x)] += weight * in[x];
            }
        }
        std::uint8_t* out = scaled.grey.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            out[x] = static_cast<std::uint8_t>(std::clamp(std::lround(sum[static_cast<size_t>(x)]), 0L, 255L));
        }
    }
    return scaled;
}
