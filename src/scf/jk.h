#pragma once

#include <vector>

#include "integrals/eri_table.h"
#include "linalg/matrix.h"

// Coulomb and exchange matrices of the two spin densities, kept apart:
//   J[D]_ij = sum_kl D_kl (ij|kl),   K[D]_ij = sum_kl D_kl (ik|jl).
// The unrestricted Fock matrices are F_a = H + J[Pa + Pb] - K[Pa] and
// F_b = H + J[Pa + Pb] - K[Pb] (J. A. Pople and R. K. Nesbet, J. Chem. Phys. 22, 571 (1954)).
struct CoulombExchange {
    Matrix<double> J;        // J[Pa + Pb]
    Matrix<double> K_alpha;  // K[Pa]
    Matrix<double> K_beta;   // K[Pb]
};

// J[Pa + Pb], K[Pa] and K[Pb] in one pass over the distinct integrals of te_table
// (laid out by teindex). Pa and Pb must be symmetric.
CoulombExchange coulomb_exchange(const Matrix<double>& Pa, const Matrix<double>& Pb,
                                 const TwoElectronTable& te_table);
