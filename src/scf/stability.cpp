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
                                   const TwoElectronBuilder& G, double residual_tolerance, unsigned max_products) {
    const int n = C.rows();
    const int o = static_cast<int>(nocc);
    const int v = C.cols() - o;
    const std::size_t dim = static_cast<std::size_t>(o) * static_cast<std::size_t>(v > 0 ? v : 0);
    LowestRotation result{std::numeric_limits<double>::infinity(), Matrix<double>(o, v > 0 ? v : 0), 0.0, 0, true};
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
    const std::size_t units = std::min<std::size_t>(dim, 4);
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

    const std::size_t max_subspace = std::min<std::size_t>(dim, 24);
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
        x.assign(dim, 0.0);
        sigma_x.assign(dim, 0.0);
        for (int p = 0; p < m; ++p)
            for (std::size_t k = 0; k < dim; ++k) {
                x[k] += U[p][0] * basis[p][k];
                sigma_x[k] += U[p][0] * products[p][k];
            }
        Vec residual(dim);
        for (std::size_t k = 0; k < dim; ++k) residual[k] = sigma_x[k] - theta[0] * x[k];
        result.eigenvalue = theta[0];
        result.residual = std::sqrt(dot(residual, residual));
        result.converged = result.residual <= residual_tolerance;
        if (result.converged || result.products >= max_products) break;

        // Davidson correction (theta - diag)^-1 r, guarded where the denominator vanishes.
        Vec t(dim);
        for (std::size_t k = 0; k < dim; ++k) {
            double d = theta[0] - diagonal[k];
            if (std::fabs(d) < 1e-8) d = d < 0 ? -1e-8 : 1e-8;
            t[k] = residual[k] / d;
        }
        if (basis.size() >= max_subspace) {
            // Restart from the current Ritz vector.
            basis.assign(1, x);
            products.assign(1, sigma_x);
        }
        if (orthonormalise(t, basis) < 1e-10) {
            // The correction lies in the subspace: the residual itself is the new direction.
            t = residual;
            if (orthonormalise(t, basis) < 1e-10) break;
        }
        basis.push_back(t);
    }
    result.kappa = as_matrix(x, o, v);
    return result;
}
