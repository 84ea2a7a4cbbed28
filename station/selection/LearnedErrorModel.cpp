#include "LearnedErrorModel.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

constexpr int kMostSteps = 50;        // Newton's method needs a handful; a bound all the same
constexpr double kSmallestStep = 1e-10; // no weight moves more: converged

// Solves `matrix * x = vector` by Gaussian elimination with partial pivoting; the matrix, the
// negated Hessian plus the prior's precision, is positive definite, so no pivot is 0.
std::vector<double> Solve(std::vector<std::vector<double>> matrix, std::vector<double> vector)
{
    const size_t n = vector.size();
    for (size_t column = 0; column < n; ++column) {
        size_t pivot = column;
        for (size_t row = column + 1; row < n; ++row) {
            pivot = std::fabs(matrix[row][column]) > std::fabs(matrix[pivot][column]) ? row : pivot;
        }
        std::swap(matrix[column], matrix[pivot]);
        std::swap(vector[column], vector[pivot]);
        for (size_t row = column + 1; row < n; ++row) {
            const double factor = matrix[row][column] / matrix[column][column];
            for (size_t k = column; k < n; ++k) {
                matrix[row][k] -= factor * matrix[column][k];
            }
            vector[row] -= factor * vector[column];
        }
    }
    std::vector<double> solution(n);
    for (size_t row = n; row-- > 0;) {
        double sum = vector[row];
        for (size_t k = row + 1; k < n; ++k) {
            sum -= matrix[row][k] * solution[k];
        }
        solution[row] = sum / matrix[row][row];
    }
    return solution;
}

} // namespace

LearnedErrorModel::LearnedErrorModel(std::shared_ptr<const ErrorModel> shipped, double priorDeviation)
    : m_shipped(std::move(shipped))
    , m_priorPrecision(1.0 / (priorDeviation * priorDeviation))
{
}

std::shared_ptr<const ErrorModel> LearnedErrorModel::Refit(std::vector<Label> labels) const
{
    if (labels.empty()) {
        return m_shipped;
    }
    const auto key = [](const Label& label) {
        return std::make_tuple(label.features.wordDoubt, label.features.charDoubt, label.features.secondDiffers,
                               label.wrong);
    };
    std::sort(labels.begin(), labels.end(), [&](const Label& a, const Label& b) { return key(a) < key(b); });
    std::vector<std::vector<double>> inputs;
    inputs.reserve(labels.size());
    for (const Label& label : labels) {
        inputs.push_back(m_shipped->Inputs(label.features));
    }
    const std::vector<double> prior = m_shipped->Weights();
    std::vector<double> weights = prior;
    const size_t n = weights.size();
    for (int step = 0; step < kMostSteps; ++step) {
        // The gradient of the log posterior, and its negated Hessian.
        std::vector<double> gradient(n);
        std::vector<std::vector<double>> curvature(n, std::vector<double>(n, 0.0));
        for (size_t i = 0; i < n; ++i) {
            gradient[i] = -m_priorPrecision * (weights[i] - prior[i]);
            curvature[i][i] = m_priorPrecision;
        }
        for (size_t word = 0; word < labels.size(); ++word) {
            const std::vector<double>& x = inputs[word];
            const double p = ErrorModel::Logistic(weights, x);
            const double residual = (labels[word].wrong ? 1.0 : 0.0) - p;
            for (size_t i = 0; i < n; ++i) {
                gradient[i] += residual * x[i];
                for (size_t j = 0; j < n; ++j) {
                    curvature[i][j] += p * (1.0 - p) * x[i] * x[j];
                }
            }
        }
        const std::vector<double> change = Solve(curvature, gradient);
        double largest = 0;
        for (size_t i = 0; i < n; ++i) {
            weights[i] += change[i];
            largest = std::max(largest, std::fabs(change[i]));
        }
        if (largest <= kSmallestStep) {
            break;
        }
    }
    return std::make_shared<const ErrorModel>(m_shipped->WithWeights(weights));
}
