#include "scf/stability.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <vector>

#include "linalg/eigsym.h"

namespace {

// Orbital rotations are handled as flat vectors of length nocc * nvir, index i * nvir + a.
using Vec = std::vector<double>;

// Unit rotations in the starting subspace, besides the pseudo-random one, and Ritz pairs
// refined together. Measured on naphthalene and caffeine: a stable solution is settled
// after 9 Hessian-vector products; refining three roots needs 12 to 15, and a fully
// converged lowest eigenvalue 26 to 58.
constexpr std::size_t start_units = 2;
constexpr std::size_t tracked_roots = 2;

double dot(const Vec& x, const Vec& y) { return std::inner_product(x.begin(), x.end(), y.begin(), 0.0); }

Matrix<double> as_matrix(const Vec& v, int nocc, int nvir) {
    Matrix<double> M(nocc, nvir);
    for (int i = 0; i < nocc; ++i)
        for (int a = 0; a < nvir; ++a) M[i][a] = v[static_cast<std::size_t>(i) * nvir + a];
    return M;
}

Vec as_vector(const Matrix<double>& M) {
    Vec v;
    v.reserve(static_cast<std::size_t>(M.rows()) * M.cols());
    for (int i = 0; i < M.rows(); ++i)
        for (int a = 0; a < M.cols(); ++a) v.push_back(M[i][a]);
    return v;
}

// Removes from x its components along the orthonormal basis, twice (classical
// Gram-Schmidt repeated, which is orthogonal to working precision), and normalises.
// Returns the norm left after the projection.
double orthonormalise(Vec& x, const std::vector<Vec>& basis) {
    for (int pass = 0; pass < 2; ++pass)
        for (const Vec& b : basis) {
            const double c = dot(b, x);
            for (std::size_t k = 0; k < x.size(); ++k) x[k] -= c * b[k];
        }
    const double norm = std::sqrt(dot(x, x));
    if (norm > 0.0)
        for (double& v : x) v /= norm;
    return norm;
}

}  // namespace

Matrix<double> rhf_hessian_product(const Matrix<double>& C, const Matrix<double>& F_mo, unsigned nocc,
                                   const Matrix<double>& kappa, const TwoElectronBuilder& G) {
    const int n = C.rows();
    const int o = static_cast<int>(nocc);
    const int v = C.cols() - o;
    // D = C_occ kappa C_vir^T, symmetrised.
    Matrix<double> Ck(n, v);  // C_occ kappa
    for (int m = 0; m < n; ++m)
        for (int i = 0; i < o; ++i) {
            const double c = C[m][i];
            if (c == 0.0) continue;
            for (int a = 0; a < v; ++a) Ck[m][a] += c * kappa[i][a];
        }
    Matrix<double> D(n, n);
    for (int m = 0; m < n; ++m)
        for (int l = 0; l < n; ++l) {
            double s = 0.0;
            for (int a = 0; a < v; ++a) s += Ck[m][a] * C[l][o + a];
            D[m][l] += s;
            D[l][m] += s;
        }
    const Matrix<double> g = G(D);
    // sigma = F_vv-side minus F_oo-side, plus 2 C_occ^T G(D) C_vir.
    Matrix<double> gC(n, v);  // G(D) C_vir
    for (int m = 0; m < n; ++m)
        for (int l = 0; l < n; ++l) {
            const double x = g[m][l];
            for (int a = 0; a < v; ++a) gC[m][a] += x * C[l][o + a];
        }
    Matrix<double> sigma(o, v);
    for (int i = 0; i < o; ++i)
        for (int a = 0; a < v; ++a) {
            double two = 0.0;
            for (int m = 0; m < n; ++m) two += C[m][i] * gC[m][a];
            double fock = 0.0;
            for (int b = 0; b < v; ++b) fock += kappa[i][b] * F_mo[o + b][o + a];
            for (int j = 0; j < o; ++j) fock -= F_mo[i][j] * kappa[j][a];
            sigma[i][a] = fock + 2.0 * two;
        }
    return sigma;
}

LowestRotation lowest_rhf_rotation(const Matrix<double>& C, const Matrix<double>& F, unsigned nocc,
                                   const TwoElectronBuilder& G, bool stop_when_settled, double residual_tolerance,
                                   unsigned max_products) {
    const int n = C.rows();
    const int o = static_cast<int>(nocc);
    const int v = C.cols() - o;
    const std::size_t dim = static_cast<std::size_t>(o) * static_cast<std::size_t>(v > 0 ? v : 0);
    LowestRotation result{std::numeric_limits<double>::infinity(), Matrix<double>(o, v > 0 ? v : 0), 0.0, 0, true, true};
    if (dim == 0) return result;

    // F in the molecular orbitals.
    Matrix<double> FC(n, C.cols());
    for (int m = 0; m < n; ++m)
        for (int l = 0; l < n; ++l)
            for (int p = 0; p < C.cols(); ++p) FC[m][p] += F[m][l] * C[l][p];
    Matrix<double> F_mo(C.cols(), C.cols());
    for (int p = 0; p < C.cols(); ++p)
        for (int q = 0; q < C.cols(); ++q)
            for (int m = 0; m < n; ++m) F_mo[p][q] += C[m][p] * FC[m][q];

    Vec diagonal(dim);
    for (int i = 0; i < o; ++i)
        for (int a = 0; a < v; ++a) diagonal[static_cast<std::size_t>(i) * v + a] = F_mo[o + a][o + a] - F_mo[i][i];

    // Start: unit rotations of the smallest diagonal elements and one pseudo-random rotation.
    std::vector<Vec> basis, products;
    std::vector<std::size_t> order(dim);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&diagonal](std::size_t x, std::size_t y) { return diagonal[x] < diagonal[y]; });
    const std::size_t units = std::min<std::size_t>(dim, start_units);
    for (std::size_t k = 0; k < units; ++k) {
        Vec e(dim, 0.0);
        e[order[k]] = 1.0;
        basis.push_back(e);
    }
    if (dim > units) {
        Vec r(dim);
        std::uint64_t state = 0x9E3779B97F4A7C15ull;  // a fixed linear congruential sequence
        for (double& x : r) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            x = static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5;
        }
        if (orthonormalise(r, basis) > 1e-8) basis.push_back(r);
    }

    // The lowest `roots` Ritz pairs are refined together. Refining the lowest alone can
    // stop on an exact eigenvector spanned by the unit rotations (a zero mode of a linear
    // molecule) while a lower eigenvalue of another symmetry has not yet appeared; the
    // next roots hold the pseudo-random direction and develop it.
    const std::size_t roots = std::min<std::size_t>(dim, tracked_roots);
    const std::size_t max_subspace = std::min<std::size_t>(dim, 8 * tracked_roots);
    Vec x, sigma_x;
    for (;;) {
        while (products.size() < basis.size()) {
            products.push_back(as_vector(rhf_hessian_product(C, F_mo, nocc, as_matrix(basis[products.size()], o, v), G)));
            ++result.products;
        }
        // Rayleigh-Ritz in the subspace.
        const int m = static_cast<int>(basis.size());
        Matrix<double> M(m, m), U;
        for (int p = 0; p < m; ++p)
            for (int q = 0; q <= p; ++q) M[p][q] = M[q][p] = 0.5 * (dot(basis[p], products[q]) + dot(basis[q], products[p]));
        std::vector<double> theta;
        Eigsym(M, U, theta);
        const std::size_t found = std::min<std::size_t>(roots, static_cast<std::size_t>(m));
        std::vector<Vec> ritz(found, Vec(dim, 0.0)), sigma(found, Vec(dim, 0.0)), residual(found, Vec(dim));
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
            // theta is an upper bound of the r-th eigenvalue and an eigenvalue lies within the
            // residual of it: four residuals above the threshold, that root is settled.
            all_converged = all_converged && norm[r] <= residual_tolerance;
            all_settled = all_settled && (norm[r] <= residual_tolerance ||
                                          theta[r] - 4.0 * norm[r] > instability_threshold);
        }
        x = ritz[0];
        sigma_x = sigma[0];
        result.eigenvalue = theta[0];
        result.residual = norm[0];
        // A negative lowest eigenvalue is converged fully, since it is reported and followed.
        result.converged = all_converged;
        result.settled = all_converged || (all_settled && theta[0] > instability_threshold);
        if (result.converged || (stop_when_settled && result.settled) || result.products >= max_products) break;

        if (basis.size() + found > max_subspace) {
            // Restart from the current Ritz vectors.
            basis.assign(ritz.begin(), ritz.end());
            products.assign(sigma.begin(), sigma.end());
        }
        const std::size_t before = basis.size();
        for (std::size_t r = 0; r < found; ++r) {
            if (norm[r] <= residual_tolerance) continue;
            // Davidson correction (theta - diag)^-1 r, guarded where the denominator vanishes.
            Vec t(dim);
            for (std::size_t k = 0; k < dim; ++k) {
                double d = theta[r] - diagonal[k];
                if (std::fabs(d) < 1e-8) d = d < 0 ? -1e-8 : 1e-8;
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
    result.kappa = as_matrix(x, o, v);
    return result;
}
