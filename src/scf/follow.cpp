#include "scf/follow.h"

#include <cmath>
#include <vector>

#include "linalg/matfunc.h"
#include "scf/fock.h"

namespace {

Matrix<double> identity(int n) {
    Matrix<double> I(n, n);
    for (int i = 0; i < n; ++i) I[i][i] = 1.0;
    return I;
}

// exp(A) by scaling and squaring with a Taylor series of 16 terms: for |A / 2^s| <= 1/2
// the remainder is below 0.5^17 / 17! (1e-20).
Matrix<double> exponential(const Matrix<double>& A) {
    const int n = A.rows();
    double norm = 0.0;
    for (int i = 0; i < n; ++i) {
        double row = 0.0;
        for (int j = 0; j < n; ++j) row += std::fabs(A[i][j]);
        norm = std::fmax(norm, row);
    }
    int squarings = 0;
    double scale = 1.0;
    while (norm * scale > 0.5) {
        scale *= 0.5;
        ++squarings;
    }
    Matrix<double> B(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) B[i][j] = A[i][j] * scale;
    Matrix<double> sum = identity(n), term = identity(n);
    for (int k = 1; k <= 16; ++k) {
        term = matprod(term, B);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                term[i][j] /= k;
                sum[i][j] += term[i][j];
            }
    }
    for (int s = 0; s < squarings; ++s) sum = matprod(sum, sum);
    return sum;
}

}  // namespace

Matrix<double> rotate_orbitals(const Matrix<double>& C, unsigned nocc, const Matrix<double>& kappa, double theta) {
    const int m = C.cols();
    const int o = static_cast<int>(nocc);
    Matrix<double> K(m, m);
    for (int i = 0; i < o; ++i)
        for (int a = 0; a < m - o; ++a) {
            K[o + a][i] = theta * kappa[i][a];
            K[i][o + a] = -theta * kappa[i][a];
        }
    return matprod(C, exponential(K));
}

RotatedOrbitals follow_rotation(const Matrix<double>& C, unsigned nocc, const Matrix<double>& kappa, double energy0,
                                const std::function<double(const Matrix<double>&)>& energy_of) {
    struct Point {
        double theta, energy;
    };
    std::vector<Point> points{{0.0, energy0}};
    unsigned evaluations = 0;
    auto evaluate = [&](double theta) {
        ++evaluations;
        return energy_of(closed_shell_density(rotate_orbitals(C, nocc, kappa, theta), nocc));
    };
    for (double theta = 0.1; theta < 4.0; theta *= 2.0) {
        points.push_back({theta, evaluate(theta)});
        if (points.back().energy > points[points.size() - 2].energy) break;
    }
    std::size_t best = 0;
    for (std::size_t k = 1; k < points.size(); ++k)
        if (points[k].energy < points[best].energy) best = k;

    double theta = points[best].theta, energy = points[best].energy;
    if (best > 0 && best + 1 < points.size()) {
        // Vertex of the parabola through the three points around the lowest.
        const Point &a = points[best - 1], &b = points[best], &c = points[best + 1];
        const double num = (b.theta - a.theta) * (b.theta - a.theta) * (b.energy - c.energy) -
                           (b.theta - c.theta) * (b.theta - c.theta) * (b.energy - a.energy);
        const double den = (b.theta - a.theta) * (b.energy - c.energy) - (b.theta - c.theta) * (b.energy - a.energy);
        if (den != 0.0) {
            const double vertex = b.theta - 0.5 * num / den;
            if (vertex > a.theta && vertex < c.theta) {
                const double e = evaluate(vertex);
                if (e < energy) {
                    theta = vertex;
                    energy = e;
                }
            }
        }
    }
    RotatedOrbitals result{rotate_orbitals(C, nocc, kappa, theta), Matrix<double>(), energy, theta, evaluations};
    result.P = closed_shell_density(result.C, nocc);
    return result;
}
