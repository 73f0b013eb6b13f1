#pragma once

#include "basis/cgf.h"
#include "basis/gto.h"
#include "common/vec3.h"

// One-dimensional overlap factor
//   sum_{i=0}^{floor((l_a+l_b)/2)} f_2i(l_a, l_b, PAx, PBx) (2i-1)!! / (2 gamma)^i
double overlap_1D(int l_a, int l_b, double PAx, double PBx, double gamma);
// Overlap of two unnormalised primitives (Taketa, Huzinaga, O-ohata):
//   (pi/gamma)^(3/2) exp(-a b |A-B|^2 / gamma) I_x I_y I_z
double overlap(double alpha_a, int l_a, int m_a, int n_a, const Vec3& A, double alpha_b, int l_b, int m_b, int n_b,
               const Vec3& B);
double gto_overlap(const GTO& a, const Vec3& A, const GTO& b, const Vec3& B);
// S_ab = sum_ij c_i c_j N_i N_j gto_overlap(g_i, g_j), a centred on A and b on B
double cgf_overlap(const CGF& a, const Vec3& A, const CGF& b, const Vec3& B);
