#include "scf/fock.h"

#include "integrals/repulsion.h"
#include "linalg/matfunc.h"

Matrix<double> two_electron_reference(const Matrix<double>& P, const std::vector<double>& te_table) {
    const int n = P.rows();
    Matrix<double> G(n, n);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            G[i][j] = 0.0;
            for (int k = 0; k < n; ++k) {
                for (int l = 0; l < n; ++l) {
                    const double coulomb = te_table[teindex(i, j, l, k)];
                    const double exchange = te_table[teindex(i, k, l, j)];
                    G[i][j] = G[i][j] + P[k][l] * (coulomb - 0.5 * exchange);
                }
            }
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
