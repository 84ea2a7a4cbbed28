#pragma once

#include <string>
#include <vector>

#include "BenchRow.h"
#include "MeasuredDialog.h"

// The page turn of a batch: batches of five copies of the 300-dpi scan without the engine's
// output, so that the station recognises each page in the background while the operator
// answers the one before. The operator answers each word 2 s after its dialog has painted;
// the first dialog of each page after the first is timed from the last answer of the page
// before, against three bare dialogs shown outside the timed span. `secondLang`: a second
// model reads each page too (--second-lang), ahead as the first; empty for none.
class PageTurnBench {
public:
    static void Run(const MeasuredDialog& dialog, const std::wstring& scan, const std::wstring& engine,
                    const std::string& secondLang, int sessions, std::vector<BenchRow>& rows);
};
