#include "SessionState.h"

#include <cstdio>

SessionState::SessionState(StationOptions stationOptions, RastStartDialogFn dialogFunction, PrintFn printLine,
                           StoreMaker storeMaker)
    : options(std::move(stationOptions))
    , dialog(dialogFunction)
    , print(std::move(printLine))
    , makeStore(std::move(storeMaker))
{
}

std::vector<int> SessionState::WordsToVerify(size_t position) const
{
    std::vector<int> indices;
    const PlannedPage& planned = plan.pages[position];
    if (planned.ocr) {
        const PageWords words = planned.ocr->Words(planned.ocrPage);
        for (const PageWords::Word& word : words.Words()) {
            if (word.confidence < options.below) {
                indices.push_back(word.index);
            }
        }
    }
    return indices;
}

std::wstring SessionState::ScreenshotPath(size_t position, int index) const
{
    return OutputLayout::Screenshot(options.screenshots, Recorded().pages[position].name, index);
}

std::string SessionState::PageLine(size_t position) const
{
    return "page " + std::to_string(position + 1) + " of " + std::to_string(plan.pages.size()) + " (" +
           plan.pages[position].Name() + ")";
}

std::string SessionState::Number(double value)
{
    char text[32];
    static_cast<void>(std::snprintf(text, sizeof text, "%g", value));
    return text;
}
