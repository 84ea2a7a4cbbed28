#pragma once

#include <string>
#include <vector>

#include "BenchRow.h"

// The picture of each word in its line, as the station makes it before each call: every word
// of a page `repetitions` times, one word at a time.
class WordPreparationBench {
public:
    // `base` names the page's files without their extension; `image` is the image's.
    static void Run(const char* name, const std::wstring& base, const wchar_t* image, int repetitions,
                    std::vector<BenchRow>& rows);
};
