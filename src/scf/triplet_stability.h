#pragma once

#include "linalg/matrix.h"
#include "scf/stability.h"
#include "scf/two_electron.h"

// Stability of a closed-shell determinant towards unrestricted ones of lower energy: the
// real RHF -> UHF (triplet) orbital Hessian of R. Seeger and J. A. Pople, J. Chem. Phys.
// 66, 3045 (1977). A rotation kappa_ia of the alpha orbitals and -kappa_ia of the beta
// ones leaves the total density unchanged and breaks the spin symmetry; its Hessian is
//   (A + B)^T_ia,jb = F_ab delta_ij - F_ij delta_ab - (ib|ja) - (ij|ab),
// the RHF -> RHF one without its Coulomb term 4 (ia|jb). A negative eigenvalue means a
// UHF solution below the RHF one: a triplet, or a broken-symmetry singlet.
//
// With D = C_occ kappa C_vir^T symmetrised, (C_occ^T K[D] C_vir)_ia = sum_jb kappa_jb
// [(ij|ab) + (ib|ja)], so the product is that of rhf_hessian_product with -1/2 K[D] in
// place of G(D) = J[D] - 1/2 K[D]; the same Davidson iteration finds the lowest eigenpair
// (lowest_rhf_rotation, stopping once a stable answer is settled).
// A negative eigenvalue is only reported, not followed, so its eigenvector is needed no
// better than this residual; the eigenvalue, quadratic in the residual, is then within
// about residual^2 / (distance to the next eigenvalue), 1e-7 Hartree, of the converged one,
// for a third of the Hessian-vector products of the 1e-5 the RHF->RHF check uses.
constexpr double triplet_residual_tolerance = 1e-4;

LowestRotation lowest_triplet_rotation(const Matrix<double>& C, const Matrix<double>& F, unsigned nocc,
                                       const TwoElectronOperator& two_electron);
