#pragma once

#include <functional>

#include "linalg/matrix.h"

// Stability of a closed-shell determinant among closed-shell determinants: the
// real RHF -> RHF orbital Hessian of R. Seeger and J. A. Pople, J. Chem. Phys. 66,
// 3045 (1977). For a real rotation kappa_ia of occupied orbital i into virtual a,
// with U = exp(K), K_ai = kappa_ia = -K_ia, the energy changes as
//   E(kappa) = E + 4 sum_ia F_ia kappa_ia + 2 kappa^T (A + B) kappa + O(kappa^3),
//   (A + B)_ia,jb = F_ab delta_ij - F_ij delta_ab + 4 (ia|jb) - (ib|ja) - (ij|ab),
// in the molecular orbitals C (canonical orbitals: F_ab delta_ij - F_ij delta_ab =
// (e_a - e_i) delta_ij delta_ab). A stationary solution is a minimum among closed-shell
// determinants when the lowest eigenvalue of A + B is not negative.

// G(D) = J[D] - 1/2 K[D], the two-electron part of the Fock matrix of a symmetric AO
// density D (two_electron_reference or two_electron_from_distinct).
using TwoElectronBuilder = std::function<Matrix<double>(const Matrix<double>&)>;

// (A + B) kappa, for kappa an nocc x nvir matrix, from one two-electron build in the AO
// basis. With D = C_occ kappa C_vir^T + (C_occ kappa C_vir^T)^T,
//   (C_occ^T G(D) C_vir)_ia = sum_jb kappa_jb [2 (ia|jb) - 1/2 (ij|ab) - 1/2 (ib|ja)],
// half the two-electron part of (A + B) kappa. F_mo = C^T F C.
Matrix<double> rhf_hessian_product(const Matrix<double>& C, const Matrix<double>& F_mo, unsigned nocc,
                                   const Matrix<double>& kappa, const TwoElectronBuilder& G);

struct LowestRotation {
    // The lowest eigenvalue of A + B (Hartree); +infinity when there is no occupied-virtual
    // pair (no rotation to test).
    double eigenvalue;
    Matrix<double> kappa;  // its eigenvector, nocc x nvir, unit norm
    double residual;       // |(A + B) kappa - eigenvalue kappa|; the eigenvalue is within this of one of A + B
    unsigned products;     // Hessian-vector products computed (two-electron builds)
    bool converged;        // residual below the tolerance
    bool settled;          // converged, or the Ritz value is four residuals above instability_threshold
};

// Davidson's iteration (E. R. Davidson, J. Comput. Phys. 17, 87 (1975)) for the lowest
// eigenpairs of A + B, preconditioned by the diagonal F_aa - F_ii, refining the two
// lowest Ritz pairs together. It starts from the unit rotations of the two smallest
// diagonal elements and one fixed pseudo-random rotation, which has a component in every
// symmetry, so a lowest eigenvector of another symmetry than the frontier pairs is not
// missed (refining the lowest pair alone stops on the exact zero mode of a linear
// molecule that the unit rotations span, above a negative eigenvalue of another
// symmetry: C2 at 4 bohr). C: orbitals (columns, S-orthonormal); F: AO Fock matrix.
// With stop_when_settled the iteration ends as soon as both Ritz values exceed
// instability_threshold by four residual norms: the verdict "stable" needs no more, and
// the eigenvalue is then only an upper bound. Otherwise, and always for a negative
// eigenvalue, it runs to the residual tolerance.
LowestRotation lowest_rhf_rotation(const Matrix<double>& C, const Matrix<double>& F, unsigned nocc,
                                   const TwoElectronBuilder& G, bool stop_when_settled = false,
                                   double residual_tolerance = 1e-5, unsigned max_products = 60);

// Below this the lowest eigenvalue counts as negative, the solution as unstable.
// The computed eigenvalue is trusted to the sum of (a) the Davidson residual, at most
// 1e-5 for a negative eigenvalue, which bounds its distance to an eigenvalue of A + B;
// (b) the error of A + B itself at orbitals off self-consistency by the rotation
// |kappa| <= |e| / (2 sqrt(2) g): the orbital energies and the two-electron terms move
// to first order, by about |kappa| times the valence two-electron integrals (below 1
// Hartree), at most 5e-5 at the loosest converged state accepted (the plain loop's N2,
// |e| = 4e-5, g = 0.8; DIIS states are 1e-3 of that); (c) rounding, about 1e-15 n |F|.
// An eigenvalue below -1e-4 is negative beyond all three; the exact zero modes of
// linear molecules with a broken-symmetry occupation (O2 as a closed shell) stay above it.
// The same bound holds for the unrestricted Hessian: its terms are of the same kind and
// its DIIS solutions are converged tighter.
constexpr double instability_threshold = -1e-4;

// The SCF follows at most this many instabilities, closed or open shell; each restarts a
// DIIS run, and a solution still unstable after that many is reported as unstable.
constexpr unsigned max_followed_instabilities = 6;
