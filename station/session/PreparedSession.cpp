#include "PreparedSession.h"

#include <cstdio>

#include "CatchSelection.h"
#include "ConfidenceSelection.h"

std::string PreparedSession::PageLine(size_t position) const
{
    return "page " + std::to_string(position + 1) + " of " + std::to_string(plan.pages.size()) + " (" +
           plan.pages[position].Name() + ")";
}

std::string PreparedSession::Number(double value)
{
    char text[32];
    static_cast<void>(std::snprintf(text, sizeof text, "%g", value));
    return text;
}

void PreparedSession::LoadErrorModels()
{
    if (catchGoal > 0 && !errorModel) {
        errorModel = std::make_shared<const ErrorModel>(
            ErrorModel::FromFile(ErrorModel::BesideProgram(ErrorModel::kEngineAloneFile)));
        errorModelWithSecond = std::make_shared<const ErrorModel>(
            ErrorModel::FromFile(ErrorModel::BesideProgram(ErrorModel::kWithSecondReadingFile)));
    }
}

std::unique_ptr<WordSelection> PreparedSession::Selection() const
{
    if (catchGoal > 0) {
        return std::make_unique<CatchSelection>(catchGoal, errorModel, errorModelWithSecond);
    }
    return std::make_unique<ConfidenceSelection>(below);
}

std::string PreparedSession::RuleOption(double catchPercent, double below)
{
    return catchPercent > 0 ? "--catch " + Number(catchPercent) : "--below " + Number(below);
}

std::string PreparedSession::RuleText() const
{
    return catchGoal > 0 ? "chosen to catch " + Number(catchGoal * 100) + " %" : "below " + Number(below);
}
