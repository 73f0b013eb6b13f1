#pragma once

#include <array>
#include <vector>

#include "integrals/md/shell.h"

// One-electron integrals over two contracted shells of any L, McMurchie-Davidson.
// Each returns the block over the shells' functions (pure or Cartesian as the shells
// say), function_count(a) rows by function_count(b) columns, row-major.

// S_ab = <a|b> = sum_pq c_p c_q K_pq prod_x E^ij_0 sqrt(pi/p)
std::vector<double> overlap_block(const GaussianShell& a, const GaussianShell& b);

// T_ab = <a| -1/2 nabla^2 |b>, per axis
//   T_ij = -2 b^2 S_i(j+2) + b (2j+1) S_ij - j (j-1) / 2 S_i(j-2),
//   T = T_x S_y S_z + S_x T_y S_z + S_x S_y T_z.
std::vector<double> kinetic_block(const GaussianShell& a, const GaussianShell& b);

// D_ab = <a| (r - O)_k |b>, axis k (0 x, 1 y, 2 z): along k, with x - O = (x - B) + (B - O),
//   D_ij = (E^i(j+1)_0 + (B - O) E^ij_0) sqrt(pi/p), the other axes overlaps.
std::vector<double> dipole_block(const GaussianShell& a, const GaussianShell& b, int axis,
                                 const std::array<double, 3>& origin);

// A point charge (a nucleus) attracting the electron.
struct PointCharge {
    double charge;
    std::array<double, 3> position;
};

// V_ab = -sum_C Z_C <a| 1/|r - C| |b> = -sum_C Z_C 2 pi / p sum_tuv E_t E_u E_v R_tuv(p, P - C)
std::vector<double> nuclear_block(const GaussianShell& a, const GaussianShell& b,
                                  const std::vector<PointCharge>& charges);
