#pragma once

#include <vector>

#include "linalg/matrix.h"

// Starts of the SCF besides the superposed atomic densities (scf/guess.h) and the core
// Hamiltonian, for the search of the lowest stable solution: each leads a loop into
// another basin of the energy, where competing solutions lie (stretched bonds, ions,
// open shells).

// The generalised Wolfsberg-Helmholz guess Hamiltonian (M. Wolfsberg and L. Helmholz,
// J. Chem. Phys. 20, 837 (1952); the extended Hueckel form of R. Hoffmann, J. Chem. Phys.
// 39, 1397 (1963)):  F_ii = H_ii,  F_ij = K/2 (H_ii + H_jj) S_ij,  K = 1.75.
// Its couplings follow the overlap, unlike the core Hamiltonian's, which lacks all
// electron repulsion: its orbitals order the states differently from the start.
Matrix<double> wolfsberg_helmholz(const Matrix<double>& H, const Matrix<double>& S);

// An occupation change at the frontier: occupied orbital `from` is emptied and virtual
// orbital `to` filled (indices of orbitals in ascending energy).
struct OccupationSwap {
    unsigned from, to;
};

// The swaps tried from a solution with `occupied` orbitals of one spin in `functions`
// basis functions: HOMO -> LUMO, HOMO-1 -> LUMO and HOMO -> LUMO+1, those that exist.
std::vector<OccupationSwap> frontier_swaps(unsigned occupied, unsigned functions);

// D = weight sum_k C_ik C_jk over the orbitals k < occupied with the swap made
// (weight 2 for a closed shell, 1 for one spin).
Matrix<double> swapped_density(const Matrix<double>& C, unsigned occupied, OccupationSwap swap, double weight);
