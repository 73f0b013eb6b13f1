#include "scf/follow.h"

#include <cmath>
#include <vector>

#include "linalg/matfunc.h"
#include "scf/fock.h"

namespace {

// exp(A) by scaling and squaring: A / 2^s of Frobenius norm at most 0.1, whose Taylor
// series of 14 terms leaves less than 0.1^15 / 15! (1e-28), squared s times.
Matrix<double> exponential(const Matrix<double>& A) {
    const int n = A.rows();
    double norm = 0.0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) norm += A[i][j] * A[i][j];
    norm = std::sqrt(norm);
    int squarings = 0;
    while (norm > 0.1) {
        norm *= 0.5;
        ++squarings;
    }
    const double scale = std::ldexp(1.0, -squarings);
    Matrix<double> B(n, n), E(n, n), term(n, n);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) B[i][j] = scale * A[i][j];
        E[i][i] = 1.0;
        term[i][i] = 1.0;
    }
    for (int k = 1; k <= 14; ++k) {
        term = matprod(term, B);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                term[i][j] /= k;
                E[i][j] += term[i][j];
            }
    }
    for (int s = 0; s < squarings; ++s) E = matprod(E, E);
    return E;
}

}  // namespace

Matrix<double> rotate_orbitals(const Matrix<double>& C, unsigned occupied, const double* x, double theta) {
    const int m = C.cols();
    const int o = static_cast<int>(occupied), v = m - o;
    Matrix<double> K(m, m);
    for (int i = 0; i < o; ++i)
        for (int a = 0; a < v; ++a) {
            K[o + a][i] = theta * x[static_cast<std::size_t>(i) * v + a];
            K[i][o + a] = -theta * x[static_cast<std::size_t>(i) * v + a];
        }
    return matprod(C, exponential(K));
}

RotatedOrbitals follow_rotation(const Matrix<double>& C, unsigned occupied, const FlatVector& x, double energy0,
                                const std::function<double(const Matrix<double>&)>& energy_of) {
    struct Point {
        double theta, energy;
    };
    std::vector<Point> points{{0.0, energy0}};
    unsigned evaluations = 0;
    auto evaluate = [&](double theta) {
        ++evaluations;
        return energy_of(closed_shell_density(rotate_orbitals(C, occupied, x.data(), theta), occupied));
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
    RotatedOrbitals result{rotate_orbitals(C, occupied, x.data(), theta), Matrix<double>(), energy, theta, evaluations};
    result.P = closed_shell_density(result.C, occupied);
    return result;
}

FollowedRun follow_instabilities(std::vector<Matrix<double>> densities, const InstabilityFollowing& how) {
    FollowedRun r;
    how.converge(std::move(densities), r.run);
    for (;;) {
        r.checked = false;
        r.stable = false;
        if (!how.usable(r.run) || !r.run.finite) return r;
        r.lowest = how.check(r.run);
        r.checked = true;
        r.stable = !(r.lowest.eigenvalue < instability_threshold);
        if (r.stable || r.followed.size() >= max_followed_instabilities) return r;

        double rotated_energy = 0.0;
        std::vector<Matrix<double>> restart = how.leave(r.run, r.lowest, rotated_energy);
        r.followed.push_back({r.run.iterations, r.run.energy, r.lowest.eigenvalue, rotated_energy});
        SpinRun next = r.run;
        how.converge(std::move(restart), next);
        if (how.keep_lower_only && !(next.converged && next.energy < r.run.energy - diis_energy_threshold)) {
            // The restart ends the search: a run stopped at its limit is reported as it is,
            // a converged one not lower leaves the unstable solution standing.
            if (next.converged)
                r.run.iterations = next.iterations;
            else
                r.run = std::move(next);
            return r;
        }
        r.run = std::move(next);
    }
}
