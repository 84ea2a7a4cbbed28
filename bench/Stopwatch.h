#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

// Wall-clock timing with the performance counter, and the summary of repeated samples.
class Stopwatch {
public:
    Stopwatch() { ::QueryPerformanceCounter(&m_start); }

    static double Now()
    {
        LARGE_INTEGER now;
        LARGE_INTEGER frequency;
        ::QueryPerformanceCounter(&now);
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
    }

    double Seconds() const
    {
        LARGE_INTEGER now;
        LARGE_INTEGER frequency;
        ::QueryPerformanceCounter(&now);
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(now.QuadPart - m_start.QuadPart) / static_cast<double>(frequency.QuadPart);
    }

private:
    LARGE_INTEGER m_start;
};

struct Summary {
    double median;
    double min;
    double max;

    static Summary Of(std::vector<double> samples)
    {
        if (samples.empty()) {
            return {0, 0, 0};
        }
        std::sort(samples.begin(), samples.end());
        const size_t n = samples.size();
        const double median = n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
        return {median, samples.front(), samples.back()};
    }
};
