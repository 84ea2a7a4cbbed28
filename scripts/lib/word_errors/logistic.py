"""L2-regularised logistic regression by Newton's method (iteratively reweighted least squares)
over standardised features, in plain Python so that the fit is the same wherever it runs."""

import math

REGULARISATION = 1.0  # the L2 penalty on the standardised weights (not on the intercept)


def solve(matrix, vector):
    """Gaussian elimination with partial pivoting."""
    n = len(vector)
    a = [row[:] + [vector[i]] for i, row in enumerate(matrix)]
    for column in range(n):
        pivot = max(range(column, n), key=lambda r: abs(a[r][column]))
        a[column], a[pivot] = a[pivot], a[column]
        for r in range(column + 1, n):
            factor = a[r][column] / a[column][column]
            for c in range(column, n + 1):
                a[r][c] -= factor * a[column][c]
    x = [0.0] * n
    for r in reversed(range(n)):
        x[r] = (a[r][n] - sum(a[r][c] * x[c] for c in range(r + 1, n))) / a[r][r]
    return x


def sigmoid(z):
    return 1.0 / (1.0 + math.exp(-z)) if z >= 0 else math.exp(z) / (1.0 + math.exp(z))


class Model:
    def __init__(self, names, means, deviations, intercept, weights):
        self.names, self.means, self.deviations = names, means, deviations
        self.intercept, self.weights = intercept, weights

    def probability(self, row):
        z = self.intercept
        for name, mean, deviation, weight in zip(self.names, self.means, self.deviations, self.weights):
            z += weight * (row[name] - mean) / deviation
        return sigmoid(z)


def fit(rows, labels, names, regularisation=REGULARISATION):
    n = len(rows)
    means = [sum(r[name] for r in rows) / n for name in names]
    deviations = []
    for name, mean in zip(names, means):
        deviation = math.sqrt(sum((r[name] - mean) ** 2 for r in rows) / n)
        deviations.append(deviation if deviation > 0 else 1.0)
    x = [[1.0] + [(r[name] - m) / d for name, m, d in zip(names, means, deviations)] for r in rows]
    k = len(names) + 1
    beta = [0.0] * k
    for _ in range(100):
        p = [sigmoid(sum(b * v for b, v in zip(beta, xi))) for xi in x]
        gradient = [sum((p[i] - labels[i]) * x[i][j] for i in range(n)) + (regularisation * beta[j] if j else 0.0)
                    for j in range(k)]
        hessian = [[0.0] * k for _ in range(k)]
        for i in range(n):
            w = p[i] * (1.0 - p[i])
            xi = x[i]
            for a in range(k):
                wa = w * xi[a]
                row = hessian[a]
                for b in range(a, k):
                    row[b] += wa * xi[b]
        for a in range(k):
            for b in range(a):
                hessian[a][b] = hessian[b][a]
            if a:
                hessian[a][a] += regularisation
        delta = solve(hessian, gradient)
        beta = [b - d for b, d in zip(beta, delta)]
        if max(abs(d) for d in delta) < 1e-10:
            break
    return Model(names, means, deviations, beta[0], beta[1:])


def refit(model, rows, labels, prior_deviation):
    """The model's weights refitted on rows and labels as the station refits them on a batch's
    answers: maximum a posteriori, a Gaussian prior centred on the model's weights with one
    deviation for the intercept and every weight, in the model's standardised features."""
    x = [[1.0] + [(r[name] - m) / d for name, m, d in zip(model.names, model.means, model.deviations)] for r in rows]
    prior = [model.intercept] + list(model.weights)
    precision = 1.0 / prior_deviation ** 2
    k = len(prior)
    beta = prior[:]
    for _ in range(50):
        gradient = [-precision * (b - b0) for b, b0 in zip(beta, prior)]
        curvature = [[precision if a == b else 0.0 for b in range(k)] for a in range(k)]
        for xi, label in zip(x, labels):
            p = sigmoid(sum(b * v for b, v in zip(beta, xi)))
            for a in range(k):
                gradient[a] += (label - p) * xi[a]
                for b in range(k):
                    curvature[a][b] += p * (1.0 - p) * xi[a] * xi[b]
        delta = solve(curvature, gradient)
        beta = [b + d for b, d in zip(beta, delta)]
        if max(abs(d) for d in delta) <= 1e-10:
            break
    return Model(model.names, model.means, model.deviations, beta[0], beta[1:])
