#pragma once

#include <cstddef>
#include <vector>

#include "linalg/matrix.h"

// The eight-fold scatter of the distinct integrals, written once for every way the
// integrals are held (the dense table, the screened quartets, integral-direct).
//
// A distinct integral v = (ij|kl), i >= j, k >= l, (ij) >= (kl), stands for its eight
// permutations (ij|kl) (ji|kl) (ij|lk) (ji|lk) (kl|ij) (lk|ij) (kl|ji) (lk|ji), fewer when
// indices coincide; with the weight 1/2 per coincidence (i == j, k == l, ij == kl) the
// sum over all eight counts each distinct permutation once (`degeneracy`). For symmetric
// densities the contributions go into half matrices A whose result is A + A^T:
//   Coulomb   J_ab += (ab|cd) D_cd:  A_ij += 2 v D_kl,  A_kl += 2 v D_ij
//   exchange  K_ac += (ab|cd) D_bd:  A_ik += v D_jl,  A_jl += v D_ik,  A_il += v D_jk,  A_jk += v D_il
// The integrals come bra by bra: `kets(add)` calls add(k, l, v) for the weighted integrals
// v of the bra (ij), in a fixed order; the bra's Coulomb element is summed in a register.

inline double degeneracy(int i, int j, int k, int l) {
    double f = 1.0;
    if (i == j) f *= 0.5;
    if (k == l) f *= 0.5;
    if (i == k && j == l) f *= 0.5;
    return f;
}

// Closed shell, one density D (row-major n x n): G = J[D] - 1/2 K[D] into one half matrix A.
template <class Kets>
inline void scatter_g_bra(std::size_t i, std::size_t j, const double* D, double* A, std::size_t n, Kets&& kets) {
    const double D_ij2 = 2.0 * D[i * n + j];
    const double* D_i = D + i * n;
    const double* D_j = D + j * n;
    double* A_i = A + i * n;
    double* A_j = A + j * n;
    double coulomb = 0.0;
    kets([&](std::size_t k, std::size_t l, double v) {
        coulomb += v * D[k * n + l];
        A[k * n + l] += v * D_ij2;
        const double x = 0.5 * v;
        A_i[k] -= x * D_j[l];
        A_j[l] -= x * D_i[k];
        A_i[l] -= x * D_j[k];
        A_j[k] -= x * D_i[l];
    });
    A_i[j] += 2.0 * coulomb;
}

// Spin channels, m densities P_s: J of their sum T into the half matrix AJ, and K[P_s] of
// each into AK. P and AK hold the channels side by side, element (a, b) of channel s at
// (a n + b) m + s, so that each exchange update touches neighbouring numbers.
template <class Kets>
inline void scatter_jk_bra(std::size_t i, std::size_t j, const double* T, const double* P, double* AJ, double* AK,
                           std::size_t n, std::size_t m, Kets&& kets) {
    const double T_ij = T[i * n + j];
    const double* P_i = P + i * n * m;
    const double* P_j = P + j * n * m;
    double* K_i = AK + i * n * m;
    double* K_j = AK + j * n * m;
    double coulomb = 0.0;
    kets([&](std::size_t k, std::size_t l, double v) {
        coulomb += 2.0 * v * T[k * n + l];
        AJ[k * n + l] += 2.0 * v * T_ij;
        const std::size_t k2 = k * m, l2 = l * m;
        for (std::size_t s = 0; s < m; ++s) {
            K_i[k2 + s] += v * P_j[l2 + s];
            K_j[l2 + s] += v * P_i[k2 + s];
            K_i[l2 + s] += v * P_j[k2 + s];
            K_j[k2 + s] += v * P_i[l2 + s];
        }
    });
    AJ[i * n + j] += coulomb;
}

// Exchange alone, one density D: K[D] into the half matrix AK, in the order of
// scatter_jk_bra's exchange updates for one channel, so that both give the same bits.
template <class Kets>
inline void scatter_k_bra(std::size_t i, std::size_t j, const double* D, double* AK, std::size_t n, Kets&& kets) {
    const double* D_i = D + i * n;
    const double* D_j = D + j * n;
    double* K_i = AK + i * n;
    double* K_j = AK + j * n;
    kets([&](std::size_t k, std::size_t l, double v) {
        K_i[k] += v * D_j[l];
        K_j[l] += v * D_i[k];
        K_i[l] += v * D_j[k];
        K_j[k] += v * D_i[l];
    });
}

// The dense table of distinct integrals (eri_table.h: bra pairs ij in order, kets kl <= ij
// running fastest), read once in order: calls bra(i, j, kets) for every bra.
template <class Bra>
inline void for_each_table_bra(const double* values, std::size_t n, Bra&& bra) {
    std::size_t index = 0;
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j <= i; ++j) {
            const double f_ij = (i == j) ? 0.5 : 1.0;
            bra(i, j, [&](auto&& add) {
                // Kets kl < ij: the weight halves on the diagonal l == k only.
                for (std::size_t k = 0; k < i; ++k) {
                    for (std::size_t l = 0; l < k; ++l, ++index) add(k, l, f_ij * values[index]);
                    add(k, k, (0.5 * f_ij) * values[index++]);
                }
                // Kets il, l <= j: l == j is the bra itself (ij|ij), halved once more.
                for (std::size_t l = 0; l < j; ++l, ++index) add(i, l, f_ij * values[index]);
                add(i, j, (i == j ? 0.25 * f_ij : 0.5 * f_ij) * values[index++]);
            });
        }
}

// The densities of the channels packed for scatter_jk_bra: their sum T and the channels
// side by side.
struct PackedDensities {
    std::size_t n = 0, m = 0;
    std::vector<double> T, P;
    explicit PackedDensities(const std::vector<Matrix<double>>& densities)
        : n(densities.empty() ? 0 : static_cast<std::size_t>(densities[0].rows())), m(densities.size()),
          T(n * n, 0.0), P(n * n * m) {
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < n; ++j) {
                const std::size_t at = i * n + j;
                for (std::size_t s = 0; s < m; ++s) {
                    const double d = densities[s][static_cast<int>(i)][static_cast<int>(j)];
                    T[at] = s == 0 ? d : T[at] + d;
                    P[at * m + s] = d;
                }
            }
    }
};

// The half matrices scatter_jk_bra fills.
struct HalfJK {
    std::size_t n, m;
    std::vector<double> J, K;
    HalfJK(std::size_t n_, std::size_t m_) : n(n_), m(m_), J(n * n, 0.0), K(n * n * m, 0.0) {}
    void add(const HalfJK& o) {
        for (std::size_t k = 0; k < J.size(); ++k) J[k] += o.J[k];
        for (std::size_t k = 0; k < K.size(); ++k) K[k] += o.K[k];
    }
    // J = AJ + AJ^T and K_s = AK_s + AK_s^T.
    void finish(Matrix<double>& J_out, std::vector<Matrix<double>>& K_out) const {
        const int ni = static_cast<int>(n);
        J_out = Matrix<double>(ni, ni);
        K_out.assign(m, Matrix<double>(ni, ni));
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < n; ++j) {
                const std::size_t ij = i * n + j, ji = j * n + i;
                J_out[static_cast<int>(i)][static_cast<int>(j)] = J[ij] + J[ji];
                for (std::size_t s = 0; s < m; ++s)
                    K_out[s][static_cast<int>(i)][static_cast<int>(j)] = K[ij * m + s] + K[ji * m + s];
            }
    }
};

// A + A^T.
inline Matrix<double> symmetrised(const Matrix<double>& A) {
    const int n = A.rows();
    Matrix<double> S(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) S[i][j] = A[i][j] + A[j][i];
    return S;
}
