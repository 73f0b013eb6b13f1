#include "scf/guess.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "linalg/canorg.h"
#include "linalg/matfunc.h"
#include "scf/roothaan.h"

namespace {

// The atomic SCF ends when no density element changes by more than this; the result is
// only a starting point, so a modest threshold is enough.
constexpr double atomic_density_threshold = 1e-8;
constexpr unsigned atomic_max_iterations = 100;

// G_ab = sum_cd D_cd [ (ab|cd) - 1/2 (ac|bd) ] over the atom's functions.
// `block` holds (ab|cd) at ((a m + b) m + c) m + d (TwoElectronOperator::block).
Matrix<double> atomic_two_electron(const Matrix<double>& D, const std::vector<double>& block) {
    const int m = D.rows();
    auto eri = [&](int a, int b, int c, int d) { return block[((static_cast<std::size_t>(a) * m + b) * m + c) * m + d]; };
    Matrix<double> G(m, m);
    for (int a = 0; a < m; ++a)
        for (int b = 0; b < m; ++b)
            for (int c = 0; c < m; ++c)
                for (int d = 0; d < m; ++d) G[a][b] += D[c][d] * (eri(a, b, c, d) - 0.5 * eri(a, c, b, d));
    return G;
}

}  // namespace

std::vector<double> averaged_occupations(const std::vector<double>& eps, double electrons,
                                         double degeneracy_tolerance) {
    std::vector<double> n(eps.size(), 0.0);
    double left = electrons;
    std::size_t k = 0;
    while (k < eps.size() && left > 0.0) {
        std::size_t end = k + 1;
        while (end < eps.size() && eps[end] - eps[k] <= degeneracy_tolerance) ++end;
        const double shell = std::min(2.0 * static_cast<double>(end - k), left);
        for (std::size_t q = k; q < end; ++q) n[q] = shell / static_cast<double>(end - k);
        left -= shell;
        k = end;
    }
    return n;
}

Matrix<double> occupied_density(const Matrix<double>& C, const std::vector<double>& n) {
    const int m = C.rows();
    Matrix<double> D(m, m);
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < m; ++j)
            for (std::size_t k = 0; k < n.size(); ++k)
                if (n[k] != 0.0) D[i][j] += n[k] * C[i][k] * C[j][k];
    return D;
}

Matrix<double> atomic_density(const Matrix<double>& S, const Matrix<double>& h, const TwoElectronOperator& two_electron,
                              const std::vector<unsigned>& functions, unsigned electrons) {
    const Matrix<double> X = canorg(S);
    const Matrix<double> X_t = transpose(X);
    Orbitals o = roothaan_orbitals(h, X, X_t);
    Matrix<double> D = occupied_density(o.C, averaged_occupations(o.energies, electrons));
    const std::vector<double> block = two_electron.block(functions);
    for (unsigned it = 0; it < atomic_max_iterations; ++it) {
        const Matrix<double> F = matsum(h, atomic_two_electron(D, block));
        o = roothaan_orbitals(F, X, X_t);
        const Matrix<double> D_new = occupied_density(o.C, averaged_occupations(o.energies, electrons));
        double change = 0.0;
        for (int i = 0; i < D.rows(); ++i)
            for (int j = 0; j < D.cols(); ++j) change = std::fmax(change, std::fabs(D_new[i][j] - D[i][j]));
        D = D_new;
        if (change <= atomic_density_threshold) break;
    }
    return D;
}

Matrix<double> superposition_density(const Matrix<double>& S, const Matrix<double>& T,
                                     const std::vector<Matrix<double>>& V, const TwoElectronOperator& two_electron,
                                     const std::vector<unsigned>& first, const std::vector<unsigned>& electrons) {
    const int n = S.rows();
    Matrix<double> P(n, n);
    for (std::size_t k = 0; k < electrons.size(); ++k) {
        const int m = static_cast<int>(first[k + 1] - first[k]);
        if (m == 0) continue;
        std::vector<unsigned> functions(static_cast<std::size_t>(m));
        Matrix<double> Sa(m, m), ha(m, m);
        for (int a = 0; a < m; ++a) {
            functions[static_cast<std::size_t>(a)] = first[k] + static_cast<unsigned>(a);
            for (int b = 0; b < m; ++b) {
                const int i = static_cast<int>(first[k]) + a, j = static_cast<int>(first[k]) + b;
                Sa[a][b] = S[i][j];
                ha[a][b] = T[i][j] + V[k][i][j];
            }
        }
        const Matrix<double> D = atomic_density(Sa, ha, two_electron, functions, electrons[k]);
        for (int a = 0; a < m; ++a)
            for (int b = 0; b < m; ++b) P[static_cast<int>(first[k]) + a][static_cast<int>(first[k]) + b] = D[a][b];
    }
    return P;
}
