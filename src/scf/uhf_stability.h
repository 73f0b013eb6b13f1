#pragma once

#include <vector>

#include "scf/two_electron.h"
#include "linalg/matrix.h"

// Stability of a real UHF solution against real orbital rotations within UHF
// (R. Seeger and J. A. Pople, J. Chem. Phys. 66, 3045 (1977)). A rotation mixes
// occupied orbital i with virtual orbital a of the same spin by x_ai; the energy to
// second order is x^T (A + B) x with, for orbitals of spins s and t,
//   (A + B)_{ai s, bj t} = delta (e_a - e_i) + 2 (ai|bj) - delta_st [ (ab|ij) + (aj|bi) ].
// The solution is a minimum when the lowest eigenvalue of A + B is positive.

// Orbitals of one spin: coefficients (columns), energies and the occupied count.
struct SpinOrbitals {
    Matrix<double> C;
    std::vector<double> energies;
    unsigned occupied = 0;
};

// Number of rotation parameters: occupied times virtual, alpha then beta. Element
// i * virtual + a of a spin's block rotates occupied i with virtual occupied + a.
std::size_t rotation_count(const SpinOrbitals& alpha, const SpinOrbitals& beta);

// (A + B) x from the Coulomb and exchange matrices of the trial densities
// D_s = C_vir x_s C_occ^T + its transpose: G_s = J[D_a + D_b] - K[D_s], then
// ((A + B) x)_ai = (e_a - e_i) x_ai + (C_vir^T G_s C_occ)_ai.
std::vector<double> hessian_product(const SpinOrbitals& alpha, const SpinOrbitals& beta,
                                    const TwoElectronOperator& two_electron, const std::vector<double>& x);

// Lowest eigenvalue of A + B and its unit eigenvector, by Davidson's method
// (E. R. Davidson, J. Comput. Phys. 17, 87 (1975)) with the diagonal e_a - e_i as
// preconditioner. converged is false when the residual stayed above tolerance.
struct LowestMode {
    double eigenvalue = 0.0;
    std::vector<double> vector;
    bool converged = false;
};
LowestMode lowest_hessian_mode(const SpinOrbitals& alpha, const SpinOrbitals& beta,
                               const TwoElectronOperator& two_electron, double tolerance = 1e-6);

// exp(A) of a real antisymmetric matrix by scaling and squaring of its Taylor series:
// an orthogonal matrix.
Matrix<double> antisymmetric_exponential(const Matrix<double>& A);

// The orbitals C exp(angle K), K the antisymmetric generator with K_{a,i} = x_ai and
// K_{i,a} = -x_ai from one spin's block x of a rotation vector.
Matrix<double> rotate_orbitals(const Matrix<double>& C, unsigned occupied, const double* x, double angle);
