#pragma once

#include <string>

#include "WordSelection.h"

// The words the engine is less sure of than a threshold (--below), in reading order.
class ConfidenceSelection : public WordSelection {
public:
    explicit ConfidenceSelection(double below);

    std::vector<SelectedWord> Choose(const PageWords& words, const PageWords* secondReading) const override;

private:
    double m_below;
    std::string m_reason;
};
