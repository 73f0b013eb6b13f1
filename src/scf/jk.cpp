#include "scf/jk.h"

// The scatter of two_electron_from_distinct (fock.cpp) with the Coulomb and exchange
// parts kept apart. A distinct v = (ij|kl), weighted by f = 1/2 per index coincidence
// (i == j, k == l, ij == kl), adds into half-matrices D with M = D + D^T:
//   Coulomb   D_ij += 2 f v T_kl,  D_kl += 2 f v T_ij             (T = Pa + Pb)
//   exchange  D_ik, D_jl, D_il, D_jk += f v P_jl, P_ik, P_jk, P_il  (P = Pa, Pb)
CoulombExchange coulomb_exchange(const Matrix<double>& Pa, const Matrix<double>& Pb,
                                 const TwoElectronTable& te_table) {
    const int n = Pa.rows();
    Matrix<double> T(n, n), DJ(n, n), DA(n, n), DB(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) T[i][j] = Pa[i][j] + Pb[i][j];
    std::size_t index = 0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j <= i; ++j) {
            const double f_ij = (i == j) ? 0.5 : 1.0;
            const double T_ij = T[i][j];
            const double *A_i = Pa[i], *A_j = Pa[j], *B_i = Pb[i], *B_j = Pb[j];
            double *DA_i = DA[i], *DA_j = DA[j], *DB_i = DB[i], *DB_j = DB[j];
            double coulomb_ij = 0.0;
            for (int k = 0; k <= i; ++k) {
                const int l_end = (k == i) ? j : k;
                const double* T_k = T[k];
                double* DJ_k = DJ[k];
                for (int l = 0; l <= l_end; ++l, ++index) {
                    double f = f_ij;
                    if (k == l) f *= 0.5;
                    if (k == i && l == j) f *= 0.5;
                    const double v = f * te_table[index];
                    coulomb_ij += 2.0 * v * T_k[l];
                    DJ_k[l] += 2.0 * v * T_ij;
                    DA_i[k] += v * A_j[l];
                    DA_j[l] += v * A_i[k];
                    DA_i[l] += v * A_j[k];
                    DA_j[k] += v * A_i[l];
                    DB_i[k] += v * B_j[l];
                    DB_j[l] += v * B_i[k];
                    DB_i[l] += v * B_j[k];
                    DB_j[k] += v * B_i[l];
                }
            }
            DJ[i][j] += coulomb_ij;
        }
    }
    CoulombExchange r{Matrix<double>(n, n), Matrix<double>(n, n), Matrix<double>(n, n)};
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            r.J[i][j] = DJ[i][j] + DJ[j][i];
            r.K_alpha[i][j] = DA[i][j] + DA[j][i];
            r.K_beta[i][j] = DB[i][j] + DB[j][i];
        }
    return r;
}
