#include "scf/jk.h"

#include <cstddef>
#include <vector>

// The scatter of two_electron_from_distinct (fock.cpp) with the Coulomb and exchange
// parts kept apart. A distinct v = (ij|kl), weighted by f = 1/2 per index coincidence
// (i == j, k == l, ij == kl), adds into half-matrices D with M = D + D^T:
//   Coulomb   D_ij += 2 f v T_kl,  D_kl += 2 f v T_ij             (T = Pa + Pb)
//   exchange  D_ik, D_jl, D_il, D_jk += f v P_jl, P_ik, P_jk, P_il  (P = Pa, Pb)
// The alpha and beta elements are stored side by side, so that each exchange update
// touches one pair of neighbouring numbers.
CoulombExchange coulomb_exchange(const Matrix<double>& Pa, const Matrix<double>& Pb,
                                 const TwoElectronTable& te_table) {
    const int n = Pa.rows();
    const std::size_t nn = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    std::vector<double> T(nn), DJ(nn, 0.0), P(2 * nn), DK(2 * nn, 0.0);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const std::size_t at = static_cast<std::size_t>(i) * n + j;
            T[at] = Pa[i][j] + Pb[i][j];
            P[2 * at] = Pa[i][j];
            P[2 * at + 1] = Pb[i][j];
        }
    const std::size_t row = 2 * static_cast<std::size_t>(n);
    std::size_t index = 0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j <= i; ++j) {
            const double f_ij = (i == j) ? 0.5 : 1.0;
            const double T_ij = T[static_cast<std::size_t>(i) * n + j];
            const double* P_i = &P[i * row];
            const double* P_j = &P[j * row];
            double* K_i = &DK[i * row];
            double* K_j = &DK[j * row];
            double coulomb_ij = 0.0;
            for (int k = 0; k <= i; ++k) {
                const int l_end = (k == i) ? j : k;
                const double* T_k = &T[static_cast<std::size_t>(k) * n];
                double* J_k = &DJ[static_cast<std::size_t>(k) * n];
                const std::size_t k2 = 2 * static_cast<std::size_t>(k);
                for (int l = 0; l <= l_end; ++l, ++index) {
                    double f = f_ij;
                    if (k == l) f *= 0.5;
                    if (k == i && l == j) f *= 0.5;
                    const double v = f * te_table[index];
                    coulomb_ij += 2.0 * v * T_k[l];
                    J_k[l] += 2.0 * v * T_ij;
                    const std::size_t l2 = 2 * static_cast<std::size_t>(l);
                    for (int s = 0; s < 2; ++s) {
                        K_i[k2 + s] += v * P_j[l2 + s];
                        K_j[l2 + s] += v * P_i[k2 + s];
                        K_i[l2 + s] += v * P_j[k2 + s];
                        K_j[k2 + s] += v * P_i[l2 + s];
                    }
                }
            }
            DJ[static_cast<std::size_t>(i) * n + j] += coulomb_ij;
        }
    }
    CoulombExchange r{Matrix<double>(n, n), Matrix<double>(n, n), Matrix<double>(n, n)};
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const std::size_t ij = static_cast<std::size_t>(i) * n + j, ji = static_cast<std::size_t>(j) * n + i;
            r.J[i][j] = DJ[ij] + DJ[ji];
            r.K_alpha[i][j] = DK[2 * ij] + DK[2 * ji];
            r.K_beta[i][j] = DK[2 * ij + 1] + DK[2 * ji + 1];
        }
    return r;
}
