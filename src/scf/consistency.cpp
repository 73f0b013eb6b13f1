#include "scf/consistency.h"

#include <algorithm>
#include <cmath>

#include "linalg/canorg.h"
#include "linalg/matfunc.h"
#include "scf/diis.h"
#include "scf/fock.h"

namespace {

constexpr double smallest_gap = 0.05;           // Hartree
constexpr double commutator_rounding = 1e-9;    // Hartree

}  // namespace

double frobenius_norm(const Matrix<double>& A) { return std::sqrt(frobenius_dot(A, A)); }

SelfConsistency check_self_consistency(const Matrix<double>& C, const std::vector<double>& orbital_energies,
                                       unsigned nocc, const Matrix<double>& P, const Matrix<double>& F,
                                       const Matrix<double>& S, const Matrix<double>& X) {
    const int n = P.rows();
    double gap = smallest_gap;
    if (nocc > 0 && nocc < orbital_energies.size())
        gap = std::max(gap, orbital_energies[nocc] - orbital_energies[nocc - 1]);

    // Density difference in the orthogonal basis: P' = X^-1 P X^-T with X^-1 = X^T S.
    const Matrix<double> orbital_density = closed_shell_density(C, nocc);
    Matrix<double> difference(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) difference[i][j] = orbital_density[i][j] - P[i][j];
    const Matrix<double> SX = matprod(S, X);
    const Matrix<double> orthogonal_difference = trimatprod(transpose(SX), difference, SX);

    SelfConsistency result{};
    result.density_difference = frobenius_norm(orthogonal_difference);
    result.commutator = frobenius_norm(diis_error(F, P, S, X));
    result.density_tolerance = 2.0 * std::sqrt(printed_energy_tolerance / gap);
    result.commutator_tolerance = 2.0 * std::sqrt(printed_energy_tolerance * gap) + commutator_rounding;
    return result;
}
