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
