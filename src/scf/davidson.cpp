#include "scf/davidson.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>

#include "linalg/eigsym.h"
#include "linalg/matrix.h"

namespace {

double dot(const FlatVector& x, const FlatVector& y) { return std::inner_product(x.begin(), x.end(), y.begin(), 0.0); }

// Removes from x its components along the orthonormal basis, twice (classical
// Gram-Schmidt repeated, which is orthogonal to working precision), and normalises.
// Returns the norm left after the projection.
double orthonormalise(FlatVector& x, const std::vector<FlatVector>& basis) {
    for (int pass = 0; pass < 2; ++pass)
        for (const FlatVector& b : basis) {
            const double c = dot(b, x);
            for (std::size_t k = 0; k < x.size(); ++k) x[k] -= c * b[k];
        }
    const double norm = std::sqrt(dot(x, x));
    if (norm > 0.0)
        for (double& v : x) v /= norm;
    return norm;
}

std::vector<FlatVector> start_vectors(const FlatVector& diagonal, std::size_t start_units, bool pseudo_random) {
    const std::size_t dim = diagonal.size();
    std::vector<std::size_t> order(dim);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&diagonal](std::size_t x, std::size_t y) { return diagonal[x] < diagonal[y]; });
    std::vector<FlatVector> start;
    const std::size_t units = std::min(dim, start_units);
    for (std::size_t k = 0; k < units; ++k) {
        FlatVector e(dim, 0.0);
        e[order[k]] = 1.0;
        start.push_back(e);
    }
    if (pseudo_random && dim > units) {
        FlatVector r(dim);
        std::uint64_t state = 0x9E3779B97F4A7C15ull;  // a fixed linear congruential sequence
        for (double& x : r) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            x = static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5;
        }
        start.push_back(r);
    }
    return start;
}

}  // namespace

LowestEigenpair lowest_eigenpair(const LinearMap& A, const FlatVector& diagonal, const DavidsonOptions& options) {
    const std::size_t dim = diagonal.size();
    LowestEigenpair result{std::numeric_limits<double>::infinity(), FlatVector(dim, 0.0), 0.0, 0, true, true};
    if (dim == 0) return result;

    std::vector<FlatVector> basis, products;
    for (FlatVector& s : start_vectors(diagonal, options.start_units, options.pseudo_random_start))
        if (orthonormalise(s, basis) > 1e-8) basis.push_back(std::move(s));

    const std::size_t roots = std::min(dim, options.roots);
    const std::size_t subspace_limit = std::min(dim, options.max_subspace);
    for (;;) {
        if (products.size() < basis.size()) {  // the new vectors' products, together
            const std::vector<FlatVector> added(basis.begin() + static_cast<std::ptrdiff_t>(products.size()), basis.end());
            for (FlatVector& p : A(added)) products.push_back(std::move(p));
            result.products += static_cast<unsigned>(added.size());
        }
        // Rayleigh-Ritz in the subspace.
        const int m = static_cast<int>(basis.size());
        Matrix<double> M(m, m), U;
        for (int p = 0; p < m; ++p)
            for (int q = 0; q <= p; ++q) M[p][q] = M[q][p] = 0.5 * (dot(basis[p], products[q]) + dot(basis[q], products[p]));
        std::vector<double> theta;
        Eigsym(M, U, theta);
        const std::size_t found = std::min(roots, static_cast<std::size_t>(m));
        std::vector<FlatVector> ritz(found, FlatVector(dim, 0.0)), sigma(found, FlatVector(dim, 0.0)),
            residual(found, FlatVector(dim));
        std::vector<double> norm(found);
        bool all_converged = true, all_settled = true;
        for (std::size_t r = 0; r < found; ++r) {
            for (int p = 0; p < m; ++p)
                for (std::size_t k = 0; k < dim; ++k) {
                    ritz[r][k] += U[p][r] * basis[p][k];
                    sigma[r][k] += U[p][r] * products[p][k];
                }
            for (std::size_t k = 0; k < dim; ++k) residual[r][k] = sigma[r][k] - theta[r] * ritz[r][k];
            norm[r] = std::sqrt(dot(residual[r], residual[r]));
            all_converged = all_converged && norm[r] <= options.residual_tolerance;
            all_settled = all_settled &&
                          (norm[r] <= options.residual_tolerance || theta[r] - 4.0 * norm[r] > options.settled_above);
        }
        result.eigenvalue = theta[0];
        result.vector = ritz[0];
        result.residual = norm[0];
        result.converged = all_converged;
        result.settled = all_converged || (all_settled && theta[0] > options.settled_above);
        if (options.stop_when_lowest_converged_below && norm[0] <= options.residual_tolerance &&
            theta[0] < options.settled_above)
            result.converged = result.settled = true;  // the pair returned has converged
        if (result.converged || (options.stop_when_settled && result.settled) ||
            result.products >= options.max_products)
            break;

        if (basis.size() + found > subspace_limit) {
            // Restart from the current Ritz vectors.
            basis.assign(ritz.begin(), ritz.end());
            products.assign(sigma.begin(), sigma.end());
        }
        const std::size_t before = basis.size();
        for (std::size_t r = 0; r < found; ++r) {
            if (norm[r] <= options.residual_tolerance) continue;
            // Davidson correction (theta - diag)^-1 r, guarded where the denominator vanishes.
            FlatVector t(dim);
            for (std::size_t k = 0; k < dim; ++k) {
                double d = options.negated_correction ? diagonal[k] - theta[r] : theta[r] - diagonal[k];
                if (std::fabs(d) < options.smallest_denominator)
                    d = d < 0 ? -options.smallest_denominator : options.smallest_denominator;
                t[k] = residual[r][k] / d;
            }
            if (orthonormalise(t, basis) < 1e-10) {
                // The correction lies in the subspace: the residual itself is the new direction.
                t = residual[r];
                if (orthonormalise(t, basis) < 1e-10) continue;
            }
            basis.push_back(t);
        }
        if (basis.size() == before) break;  // the subspace is exhausted
    }
    return result;
}
