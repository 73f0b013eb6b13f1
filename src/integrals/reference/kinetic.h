#pragma once

#include "basis/cgf.h"
#include "basis/gto.h"

// Kinetic energy of two unnormalised primitives centred on A and B, -1/2 Laplacian acting on b,
// reduced to overlaps with the powers of b raised and lowered by two.
double gto_kinetic(const GTO& a, const Vec3& A, const GTO& b, const Vec3& B);
// T_ab = sum_ij c_i c_j N_i N_j gto_kinetic(g_i, g_j), a centred on A and b on B
double cgf_kinetic(const CGF& a, const Vec3& A, const CGF& b, const Vec3& B);
