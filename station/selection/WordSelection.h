#pragma once

#include <vector>

#include "PageWords.h"
#include "SelectedWord.h"

// Which of a page's words the operator is shown, in the order they are shown, each with the
// reason. The words a session shows are those its selection chooses, wherever they are
// counted, named or shown: a rule is written once, behind this.
class WordSelection {
public:
    virtual ~WordSelection() = default;

    // The chosen words point into `words`, which must outlive them. `secondReading`: the same
    // page read by a second model, or null.
    virtual std::vector<SelectedWord> Choose(const PageWords& words, const PageWords* secondReading) const = 0;
};
