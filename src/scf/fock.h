#pragma once

#include <vector>

#include "integrals/eri_table.h"
#include "linalg/matrix.h"

// Two-electron part of the closed-shell Fock matrix,
//   G_ij = sum_kl P_kl [ (ij|kl) - 1/2 (ik|jl) ],
// visiting all n^4 index quadruples and reading the table through teindex.
Matrix<double> two_electron_reference(const Matrix<double>& P, const TwoElectronTable& te_table);

// Total energy E = 1/2 sum_ij P_ji (H_ij + F_ij) + E_nuc.
double total_energy(const Matrix<double>& P, const Matrix<double>& H, const Matrix<double>& F,
                    double nuclear_repulsion);

// Closed-shell density P_ij = sum_{k<nocc} 2 C_ik C_jk.
Matrix<double> closed_shell_density(const Matrix<double>& C, unsigned nocc);
