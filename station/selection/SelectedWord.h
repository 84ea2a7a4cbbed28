#pragma once

#include <string>

#include "PageWords.h"

// One word a page shows, and why it is shown.
struct SelectedWord {
    const PageWords::Word* word = nullptr; // of the page's words it was chosen from
    std::string reason;                     // as the journal keeps it and the report counts it
    double probability = -1;                // of its being wrong, where the rule weighed it; else -1
};
