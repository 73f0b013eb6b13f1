#pragma once

#include <vector>

#include "basis/cgf.h"
#include "integrals/fast/shells.h"
#include "linalg/matrix.h"

// One-electron matrices over the whole basis, shell pair by shell pair, agreeing
// with cgf_overlap, cgf_kinetic and cgf_nuclear to rounding. Each element is
// computed once for i >= j and mirrored, except the kinetic energy (below).

// S_ij = sum c_a N_a c_b N_b (pi/p)^(3/2) K_ab s_x s_y s_z, with the one-dimensional
// Obara-Saika overlaps s(i+1,j) = PA s(i,j) + (i s(i-1,j) + j s(i,j-1)) / 2p, s(0,0) = 1.
Matrix<double> overlap_matrix(const std::vector<ShellBlock>& shells);

// T_ij = sum c_a N_a c_b N_b [ b (2 L_b + 3) S(a, b) - 2 b^2 sum_d S(a, b + 2 e_d)
//                              - 1/2 sum_d l_d (l_d - 1) S(a, b - 2 e_d) ],
// the Laplacian acting on the second function as in gto_kinetic; every i, j.
Matrix<double> kinetic_matrix(const std::vector<ShellBlock>& shells);

// V_ij(C) = -Z sum_pairs (2 pi / p) sum_tuv E^ab_tuv R_tuv(p, P - C) (McMurchie-Davidson),
// one matrix per nucleus, in the order given.
struct Nucleus {
    Vec3 position;
    unsigned charge = 0;
};
std::vector<Matrix<double>> nuclear_matrices(const std::vector<ShellPair>& pairs, unsigned n,
                                             const std::vector<Nucleus>& nuclei);
