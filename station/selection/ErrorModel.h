#pragma once

#include <string>
#include <vector>

#include "WordFeatures.h"

// The probability that a word was read wrong: a logistic model over the word's features, its
// weights read from a file in the format README.md beside this file describes.
class ErrorModel {
public:
    // The shipped weights, installed beside the program: the engine alone, and with a second
    // reading.
    static constexpr const wchar_t* kEngineAloneFile = L"word-errors.txt";
    static constexpr const wchar_t* kWithSecondReadingFile = L"word-errors-second.txt";

    // Throws InputError naming the file, and the line where there is one, when it cannot be
    // read or is not such a file.
    static ErrorModel FromFile(const std::wstring& path);
    // `name` is the file's, for the messages.
    static ErrorModel FromText(const std::string& text, const std::wstring& name);
    // The full path of `file` in the folder of the running program.
    static std::wstring BesideProgram(const std::wstring& file);

    // True when the model weighs whether a second reading differs.
    bool WeighsSecondReading() const { return m_weighsSecondReading; }
    double Probability(const WordFeatures& features) const;

    // The numbers the weights multiply: 1 for the intercept, then each feature's standardised
    // value, (F - mean) / deviation, in the order of Weights().
    std::vector<double> Inputs(const WordFeatures& features) const;
    // The intercept, then each feature's weight.
    std::vector<double> Weights() const;
    // The same features, means and deviations with other weights (as many as Weights() gives).
    ErrorModel WithWeights(const std::vector<double>& weights) const;
    // The logistic probability of `inputs` (as Inputs gives them) under `weights` (as many).
    static double Logistic(const std::vector<double>& weights, const std::vector<double>& inputs);

private:
    enum class Feature { kWordDoubt, kCharDoubt, kSecondDiffers };
    struct Term {
        Feature feature;
        double mean = 0;
        double deviation = 0;
        double weight = 0;
    };

    double m_intercept = 0;
    std::vector<Term> m_terms;
    bool m_weighsSecondReading = false;
};
