#include "ErrorModel.h"

#include <windows.h>

#include <cmath>
#include <map>
#include <optional>

#include "InputError.h"
#include "InputFile.h"
#include "ParseNumber.h"
#include "Utf8.h"

namespace {

constexpr const char* kFormatLine = "tarsil-word-errors 1";

std::optional<int> FeatureByName(const std::string& name)
{
    static const std::map<std::string, int> kFeatures = {{"word_doubt", 0}, {"char_doubt", 1}, {"second_differs", 2}};
    const auto found = kFeatures.find(name);
    return found == kFeatures.end() ? std::nullopt : std::optional<int>(found->second);
}

// The three numbers of one feature as read, with the line of the first, for the messages.
struct ReadTerm {
    std::optional<double> mean, deviation, weight;
    int line = 0;
};

} // namespace

ErrorModel ErrorModel::FromFile(const std::wstring& path)
{
    return FromText(InputFile::Read(path), path);
}

ErrorModel ErrorModel::FromText(const std::string& text, const std::wstring& name)
{
    ErrorModel model;
    std::optional<double> intercept;
    std::map<int, ReadTerm> terms;
    int number = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (number == 1) {
            if (line != kFormatLine) {
                throw InputError(name, 1, std::string("not a weights file: the first line is not \"") + kFormatLine +
                                              "\"");
            }
            continue;
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const size_t space = line.find(' ');
        if (space == std::string::npos) {
            throw InputError(name, number, "a line \"name value\" was expected");
        }
        const std::string key = line.substr(0, space);
        double value = 0;
        if (!ParseDecimal(std::string_view(line).substr(space + 1), -1e6, 1e6, value)) {
            throw InputError(name, number, "\"" + key + "\" needs a decimal number");
        }
        std::optional<double>* slot = nullptr;
        const size_t dot = key.find('.');
        if (key == "intercept") {
            slot = &intercept;
        } else if (dot != std::string::npos) {
            const std::string kind = key.substr(0, dot);
            const std::optional<int> feature = FeatureByName(key.substr(dot + 1));
            if (!feature) {
                throw InputError(name, number, "unknown feature \"" + key.substr(dot + 1) + "\"");
            }
            ReadTerm& term = terms[*feature];
            term.line = term.line == 0 ? number : term.line;
            slot = kind == "mean" ? &term.mean : kind == "deviation" ? &term.deviation : kind == "weight" ? &term.weight : nullptr;
            if (kind == "deviation" && !(value > 0)) {
                throw InputError(name, number, "the deviation of \"" + key.substr(dot + 1) + "\" must be above 0");
            }
        }
        if (slot == nullptr) {
            throw InputError(name, number, "unknown name \"" + key + "\"");
        }
        if (*slot) {
            throw InputError(name, number, "\"" + key + "\" is given twice");
        }
        *slot = value;
    }
    if (number == 0) {
        throw InputError(name, "empty: not a weights file");
    }
    if (!intercept) {
        throw InputError(name, "no intercept");
    }
    model.m_intercept = *intercept;
    for (const auto& [feature, read] : terms) {
        if (!read.mean || !read.deviation || !read.weight) {
            throw InputError(name, read.line, "a feature needs its mean, deviation and weight lines");
        }
        model.m_terms.push_back({static_cast<Feature>(feature), *read.mean, *read.deviation, *read.weight});
        model.m_weighsSecondReading = model.m_weighsSecondReading || feature == 2;
    }
    return model;
}

std::wstring ErrorModel::BesideProgram(const std::wstring& file)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return file;
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2); // cut short: a longer path than MAX_PATH
    }
    const size_t slash = path.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1)) + file;
}

std::vector<double> ErrorModel::Inputs(const WordFeatures& features) const
{
    std::vector<double> inputs{1.0};
    for (const Term& term : m_terms) {
        const double value = term.feature == Feature::kWordDoubt   ? features.wordDoubt
                             : term.feature == Feature::kCharDoubt ? features.charDoubt
                                                                   : (features.secondDiffers ? 1.0 : 0.0);
        inputs.push_back((value - term.mean) / term.deviation);
    }
    return inputs;
}

std::vector<double> ErrorModel::Weights() const
{
    std::vector<double> weights{m_intercept};
    for (const Term& term : m_terms) {
        weights.push_back(term.weight);
    }
    return weights;
}

ErrorModel ErrorModel::WithWeights(const std::vector<double>& weights) const
{
    ErrorModel model = *this;
    model.m_intercept = weights.at(0);
    for (size_t i = 0; i < model.m_terms.size(); ++i) {
        model.m_terms[i].weight = weights.at(i + 1);
    }
    return model;
}

double ErrorModel::Probability(const WordFeatures& features) const
{
    return Logistic(Weights(), Inputs(features));
}

double ErrorModel::Logistic(const std::vector<double>& weights, const std::vector<double>& inputs)
{
    double z = 0;
    for (size_t i = 0; i < inputs.size(); ++i) {
        z += weights[i] * inputs[i];
    }
    // The form that cannot overflow, as the fit computes it.
    return z >= 0 ? 1.0 / (1.0 + std::exp(-z)) : std::exp(z) / (1.0 + std::exp(z));
}
