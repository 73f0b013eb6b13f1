#include "scf/fock.h"

#include <cstdint>

#include "linalg/matfunc.h"

Matrix<double> two_electron_reference(const Matrix<double>& P, const TwoElectronTable& te_table) {
    const int n = P.rows();
    Matrix<double> G(n, n);
    // The pair indices of the table, once: index(a, b, c, d) = pair(pair[a][b], pair[c][d]).
    std::vector<std::uint64_t> pair(static_cast<std::size_t>(n) * n);
    for (int a = 0; a < n; ++a)
        for (int b = 0; b < n; ++b) pair[static_cast<std::size_t>(a) * n + b] = TwoElectronTable::pair(a, b);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const std::uint64_t ij = pair[static_cast<std::size_t>(i) * n + j];
            double g = 0.0;
            for (int k = 0; k < n; ++k) {
                const std::uint64_t ik = pair[static_cast<std::size_t>(i) * n + k];
                const double* P_k = P[k];
                for (int l = 0; l < n; ++l) {
                    // (ij|lk) and (ik|lj)
                    const double coulomb = te_table[TwoElectronTable::pair(ij, pair[static_cast<std::size_t>(l) * n + k])];
                    const double exchange = te_table[TwoElectronTable::pair(ik, pair[static_cast<std::size_t>(l) * n + j])];
                    g = g + P_k[l] * (coulomb - 0.5 * exchange);
                }
            }
            G[i][j] = g;
        }
    }
    return G;
}

// A distinct integral v = (ij|kl), i >= j, k >= l, ij >= kl, stands for its eight
// permutations (ij|kl) (ji|kl) (ij|lk) (ji|lk) (kl|ij) (lk|ij) (kl|ji) (lk|ji), fewer when
// indices coincide. Summing over all eight with the weight f = 1/2 per coincidence
// (i == j, k == l, ij == kl) counts each distinct permutation exactly once.
// With P symmetric the eight permutations give, into a matrix D with G = D + D^T,
//   Coulomb   G_ab += P_cd (ab|cd):      D_ij += 2 f v P_kl,   D_kl += 2 f v P_ij
//   exchange  G_ac -= 1/2 P_bd (ab|cd):  D_ik, D_jl, D_il, D_jk -= 1/2 f v P_jl, P_ik, P_jk, P_il
// The table is laid out by (ij, kl) with kl running fastest, so it is read in order.
Matrix<double> two_electron_from_distinct(const Matrix<double>& P, const TwoElectronTable& te_table) {
    const int n = P.rows();
    Matrix<double> D(n, n);
    std::size_t index = 0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j <= i; ++j) {
            const double f_ij = (i == j) ? 0.5 : 1.0;
            const double P_ij = P[i][j];
            double* D_i = D[i];
            double* D_j = D[j];
            const double* P_i = P[i];
            const double* P_j = P[j];
            double coulomb_ij = 0.0;
            for (int k = 0; k <= i; ++k) {
                const int l_end = (k == i) ? j : k;
                double* D_k = D[k];
                const double* P_k = P[k];
                for (int l = 0; l <= l_end; ++l, ++index) {
                    double f = f_ij;
                    if (k == l) f *= 0.5;
                    if (k == i && l == j) f *= 0.5;
                    const double v = f * te_table[index];
                    coulomb_ij += 2.0 * v * P_k[l];
                    D_k[l] += 2.0 * v * P_ij;
                    const double x = 0.5 * v;
                    D_i[k] -= x * P_j[l];
                    D_j[l] -= x * P_i[k];
                    D_i[l] -= x * P_j[k];
                    D_j[k] -= x * P_i[l];
                }
            }
            D_i[j] += coulomb_ij;
        }
    }
    Matrix<double> G(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) G[i][j] = D[i][j] + D[j][i];
    return G;
}

double total_energy(const Matrix<double>& P, const Matrix<double>& H, const Matrix<double>& F,
                    double nuclear_repulsion) {
    const Matrix<double> M = matsum(H, F);
    const int n = H.rows();
    double s = 0.0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) s = s + P[j][i] * M[i][j];
    return 0.5 * s + nuclear_repulsion;
}

Matrix<double> closed_shell_density(const Matrix<double>& C, unsigned nocc) {
    const int n = C.rows();
    Matrix<double> D(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (unsigned k = 0; k < nocc; ++k) D[i][j] = D[i][j] + (2 * C[i][k]) * C[j][k];
    return D;
}
