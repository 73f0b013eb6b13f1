#pragma once

#include <vector>

#include "molecule/atom.h"
#include "basis/cgf.h"
#include "basis/gto.h"
#include "common/vec3.h"

double A_term(int i, int r, int u, int l_a, int l_b, double PAx, double PBx, double CPx, double gamma);
std::vector<double> A_array(int l_a, int l_b, double PA, double PB, double CP, double gamma);
// Attraction of two normalised primitives to a unit charge at C, sign included.
double nuclear(Vec3 A, double norm_a, int l_a, int m_a, int n_a, double alpha_a, Vec3 B, double norm_b, int l_b,
               int m_b, int n_b, double alpha_b, Vec3 C);
double gto_nuclear(const GTO& a, const Vec3& A, const GTO& b, const Vec3& B, const Vec3& C);
// V_ab(atom) = Z sum_ij c_i c_j gto_nuclear(g_i, g_j, C), a centred on A and b on B
double cgf_nuclear(const CGF& a, const Vec3& A, const CGF& b, const Vec3& B, const Atom& atom);
