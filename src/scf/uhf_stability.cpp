#include "scf/uhf_stability.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "linalg/eigsym.h"
#include "linalg/matfunc.h"

namespace {

unsigned virtual_count(const SpinOrbitals& s) { return static_cast<unsigned>(s.C.cols()) - s.occupied; }

// Symmetrised trial density C_vir x C_occ^T + C_occ x^T C_vir^T of one spin's block x.
Matrix<double> trial_density(const SpinOrbitals& s, const double* x) {
    const int n = s.C.rows();
    const unsigned o = s.occupied, v = virtual_count(s);
    // W = C_vir x: n x o
    Matrix<double> W(n, static_cast<int>(o));
    for (int mu = 0; mu < n; ++mu)
        for (unsigned i = 0; i < o; ++i) {
            double w = 0.0;
            for (unsigned a = 0; a < v; ++a) w += s.C[mu][static_cast<int>(o + a)] * x[i * v + a];
            W[mu][static_cast<int>(i)] = w;
        }
    Matrix<double> D(n, n);
    for (int mu = 0; mu < n; ++mu)
        for (int nu = 0; nu < n; ++nu) {
            double d = 0.0;
            for (unsigned i = 0; i < o; ++i) d += W[mu][static_cast<int>(i)] * s.C[nu][static_cast<int>(i)];
            D[mu][nu] += d;
            D[nu][mu] += d;
        }
    return D;
}

// (A + B) x of one spin: (e_a - e_i) x_ai + (C_vir^T G C_occ)_ai, into out.
void spin_product(const SpinOrbitals& s, const Matrix<double>& G, const double* x, double* out) {
    const int n = s.C.rows();
    const unsigned o = s.occupied, v = virtual_count(s);
    // GC = G C_occ: n x o
    Matrix<double> GC(n, static_cast<int>(o));
    for (int mu = 0; mu < n; ++mu)
        for (unsigned i = 0; i < o; ++i) {
            double g = 0.0;
            for (int nu = 0; nu < n; ++nu) g += G[mu][nu] * s.C[nu][static_cast<int>(i)];
            GC[mu][static_cast<int>(i)] = g;
        }
    for (unsigned i = 0; i < o; ++i)
        for (unsigned a = 0; a < v; ++a) {
            double g = 0.0;
            for (int mu = 0; mu < n; ++mu) g += s.C[mu][static_cast<int>(o + a)] * GC[mu][static_cast<int>(i)];
            out[i * v + a] = (s.energies[o + a] - s.energies[i]) * x[i * v + a] + g;
        }
}

double dot(const std::vector<double>& a, const std::vector<double>& b) {
    return std::inner_product(a.begin(), a.end(), b.begin(), 0.0);
}

}  // namespace

std::size_t rotation_count(const SpinOrbitals& alpha, const SpinOrbitals& beta) {
    return std::size_t{alpha.occupied} * virtual_count(alpha) + std::size_t{beta.occupied} * virtual_count(beta);
}

std::vector<double> hessian_product(const SpinOrbitals& alpha, const SpinOrbitals& beta,
                                    const TwoElectronOperator& two_electron, const std::vector<double>& x) {
    const std::size_t na = std::size_t{alpha.occupied} * virtual_count(alpha);
    const Matrix<double> Da = trial_density(alpha, x.data());
    const Matrix<double> Db = trial_density(beta, x.data() + na);
    const TwoElectronOperator::JK jk = two_electron.jk({Da, Db});
    const int n = alpha.C.rows();
    Matrix<double> Ga(n, n), Gb(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            Ga[i][j] = jk.J[i][j] - jk.K[0][i][j];
            Gb[i][j] = jk.J[i][j] - jk.K[1][i][j];
        }
    std::vector<double> out(x.size());
    spin_product(alpha, Ga, x.data(), out.data());
    spin_product(beta, Gb, x.data() + na, out.data() + na);
    return out;
}

LowestMode lowest_hessian_mode(const SpinOrbitals& alpha, const SpinOrbitals& beta,
                               const TwoElectronOperator& two_electron, double tolerance) {
    const std::size_t dim = rotation_count(alpha, beta);
    LowestMode mode;
    if (dim == 0) {
        mode.converged = true;
        return mode;
    }
    std::vector<double> diag(dim);
    {
        std::size_t k = 0;
        for (const SpinOrbitals* s : {&alpha, &beta})
            for (unsigned i = 0; i < s->occupied; ++i)
                for (unsigned a = s->occupied; a < static_cast<unsigned>(s->C.cols()); ++a)
                    diag[k++] = s->energies[a] - s->energies[i];
    }
    // Start from unit vectors on the smallest diagonal elements: several, so that a
    // mode of another symmetry than the lowest diagonal one is not missed.
    std::vector<std::size_t> order(dim);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return diag[a] < diag[b]; });
    const std::size_t start = std::min<std::size_t>(dim, 8), max_subspace = std::min<std::size_t>(dim, 40);
    constexpr unsigned max_iterations = 200;

    std::vector<std::vector<double>> V, AV;
    auto add = [&](std::vector<double> v) {
        // Orthogonalise twice against the subspace (Gram-Schmidt), then normalise.
        for (int pass = 0; pass < 2; ++pass)
            for (const std::vector<double>& b : V) {
                const double c = dot(b, v);
                for (std::size_t k = 0; k < dim; ++k) v[k] -= c * b[k];
            }
        const double norm = std::sqrt(dot(v, v));
        if (!(norm > 1e-8)) return false;
        for (double& e : v) e /= norm;
        AV.push_back(hessian_product(alpha, beta, two_electron, v));
        V.push_back(std::move(v));
        return true;
    };
    for (std::size_t k = 0; k < start; ++k) {
        std::vector<double> e(dim, 0.0);
        e[order[k]] = 1.0;
        add(e);
    }
    for (unsigned it = 0; it < max_iterations; ++it) {
        const int m = static_cast<int>(V.size());
        Matrix<double> small(m, m), U;
        for (int i = 0; i < m; ++i)
            for (int j = 0; j <= i; ++j)
                small[i][j] = small[j][i] = 0.5 * (dot(V[static_cast<std::size_t>(i)], AV[static_cast<std::size_t>(j)]) +
                                                   dot(V[static_cast<std::size_t>(j)], AV[static_cast<std::size_t>(i)]));
        std::vector<double> w;
        Eigsym(small, U, w);
        std::vector<double> x(dim, 0.0), ax(dim, 0.0);
        for (int i = 0; i < m; ++i)
            for (std::size_t k = 0; k < dim; ++k) {
                x[k] += U[i][0] * V[static_cast<std::size_t>(i)][k];
                ax[k] += U[i][0] * AV[static_cast<std::size_t>(i)][k];
            }
        std::vector<double> r(dim);
        for (std::size_t k = 0; k < dim; ++k) r[k] = ax[k] - w[0] * x[k];
        mode.eigenvalue = w[0];
        mode.vector = x;
        if (std::sqrt(dot(r, r)) <= tolerance) {
            mode.converged = true;
            break;
        }
        if (V.size() >= max_subspace) {
            // Restart from the current best vector.
            V.clear();
            AV.clear();
            add(x);
        }
        // Davidson correction (D - lambda)^-1 r, guarded near zero denominators.
        std::vector<double> t(dim);
        for (std::size_t k = 0; k < dim; ++k) {
            const double d = diag[k] - w[0];
            t[k] = r[k] / (std::fabs(d) > 1e-4 ? d : (d < 0 ? -1e-4 : 1e-4));
        }
        if (!add(t)) {
            // The correction lies in the subspace: use the residual itself.
            if (!add(r)) {
                mode.converged = true;
                break;
            }
        }
    }
    return mode;
}

Matrix<double> antisymmetric_exponential(const Matrix<double>& A) {
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
    // |B| <= 0.1: 14 terms leave less than 0.1^15 / 15!.
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

Matrix<double> rotate_orbitals(const Matrix<double>& C, unsigned occupied, const double* x, double angle) {
    const int n = C.cols();
    const unsigned v = static_cast<unsigned>(n) - occupied;
    Matrix<double> K(n, n);
    for (unsigned i = 0; i < occupied; ++i)
        for (unsigned a = 0; a < v; ++a) {
            K[static_cast<int>(occupied + a)][static_cast<int>(i)] = angle * x[i * v + a];
            K[static_cast<int>(i)][static_cast<int>(occupied + a)] = -angle * x[i * v + a];
        }
    return matprod(C, antisymmetric_exponential(K));
}
