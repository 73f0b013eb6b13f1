#pragma once

#include <array>
#include <vector>

#include "basis/cgf.h"
#include "basis/gto.h"
#include "common/vec3.h"
#include "linalg/matrix.h"

// First-moment (dipole) integrals <a| (r - O)_k |b>, k = x, y, z, about the point O.
//
// Writing x - O_x = (x - B_x) + (B_x - O_x) turns the moment into two overlaps:
//   <a| x - O_x |b> = S(l_a, l_b + 1) + (B_x - O_x) S(l_a, l_b),
// where S(l_a, l_b + 1) is the overlap with b's x power raised by one (the
// binomial expansion of the overlap in overlap.cpp carries it; Obara and Saika,
// J. Chem. Phys. 84, 3963 (1986), eq. 19 with the moment centred on B).
// Axis k is 0 for x, 1 for y, 2 for z.
double gto_dipole(const GTO& a, const Vec3& A, const GTO& b, const Vec3& B, int axis, const Vec3& origin);
// sum_ij c_i c_j N_i N_j gto_dipole(g_i, g_j), contracted as cgf_overlap is.
double cgf_dipole(const CGF& a, const Vec3& A, const CGF& b, const Vec3& B, int axis, const Vec3& origin);
// The three symmetric matrices D_k[mu][nu] = <mu| (r - O)_k |nu> of a basis whose
// function mu is centred on atom_positions[cgfs[mu].atom].
std::array<Matrix<double>, 3> dipole_matrices(const std::vector<CGF>& cgfs, const std::vector<Vec3>& atom_positions,
                                              const Vec3& origin);
