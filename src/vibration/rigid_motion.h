#pragma once

#include <array>
#include <vector>

#include "common/vec3.h"

// Rows of a finite-difference Hessian that rigid motions give from the computed ones.
// The energy does not change when the molecule is translated or rotated, so at every
// geometry the gradient g obeys sum_b g_b = 0 and sum_b (r_b - o) x g_b = 0. Moving
// coordinate j = (a, d) and using the symmetry of H, each Hessian column obeys
//   sum_b H[bc][j] = 0                                         (translation along c)
//   sum_(b,c) (e_u x (r_b - o))_c H[bc][j] = (e_u x g_a)_d     (rotation about e_u)
// and each dipole component k (about the origin; a rotation about o turns mu - Q o,
// Q the molecular charge) the same with the right-hand sides Q delta_kc and
// (e_u x (mu - Q o))_k. With o at the atom whose three coordinates the translations
// give, the rotations give three more coordinates of other atoms (the invariance that makes
// six frequencies of a stationary point zero, here at any geometry: the g terms).

// Three coordinates are used only when their rotation matrix
//   M[u][t] = (e_u x (r_(b_t) - r_kept))_(c_t)
// has |det M| at least this much of R^3, R the largest distance from the kept atom: the
// solved entries are the right-hand side less the others' lever-weighted sum over M, and a
// small determinant would multiply the computed rows' noise into them.
constexpr double rotation_conditioning = 0.1;

// A coordinate 3 b + c that a frequency run could leave to the rotations, and how many
// displaced runs that spares (its computed runs among +h and -h).
struct RotationCandidate {
    unsigned coordinate = 0;
    unsigned spared = 0;
};

// Three candidates (none of atom `kept`) that spare the most runs, among those the one with
// the largest |det M|; empty when no three reach rotation_conditioning (a linear molecule,
// fewer than three candidates off the kept atom's lines).
std::vector<unsigned> rotation_coordinates(const std::vector<Vec3>& positions, unsigned kept,
                                           const std::vector<RotationCandidate>& candidates);

// Fills the entries of the three `rotation` coordinates of a column v (3N) from its other
// entries (the kept atom's are not read): M x = rho - sum_(b,c) (e_u x (r_b - r_kept))_c v_bc.
void fill_rotation_entries(std::vector<double>& v, const std::vector<Vec3>& positions, unsigned kept,
                           const std::vector<unsigned>& rotation, const std::array<double, 3>& rho);

// The right-hand side rho_u = (e_u x g_a)_d of Hessian column j = 3 a + d (gradient 3N).
std::array<double, 3> hessian_column_torque(const std::vector<double>& gradient, unsigned j);
// The right-hand side rho_u = (e_u x (mu - Q o))_k of dipole component k, o the kept atom.
std::array<double, 3> dipole_torque(const std::array<double, 3>& dipole, double charge, const Vec3& origin, unsigned k);
