#pragma once

#include <cstdint>
#include <vector>

#include "basis/cgf.h"
#include "basis/gto.h"
#include "common/vec3.h"
#include "integrals/eri_table.h"

double fact_ratio2(int a, int b);
double B0(int i, int r, double g);
double fB(int i, int l_1, int l_2, const double& P, const double& A, const double& B, int r, const double& g);
double B_term(int i1, int i2, int r1, int r2, int u, int l_a, int l_b, int l_c, int l_d, const double& Px,
              const double& Ax, const double& Bx, const double& Qx, const double& Cx, const double& Dx,
              const double& gamma1, const double& gamma2, const double& delta);
std::vector<double> B_array(int l_a, int l_b, int l_c, int l_d, const double& p, const double& a, const double& b,
                            const double& q, const double& c, const double& d, double gamma1, double gamma2,
                            double delta);
// (ab|cd) over four normalised primitives, chemists' notation.
double coulomb_repulsion(const Vec3& A, const double& norm_a, int l_a, int m_a, int n_a, const double& alpha_a,
                         const Vec3& B, const double& norm_b, int l_b, int m_b, int n_b, const double& alpha_b,
                         const Vec3& C, const double& norm_c, int l_c, int m_c, int n_c, const double& alpha_c,
                         const Vec3& D, const double& norm_d, int l_d, int m_d, int n_d, const double& alpha_d);
double gto_repulsion(const GTO& a, const Vec3& A, const GTO& b, const Vec3& B, const GTO& c, const Vec3& C,
                     const GTO& d, const Vec3& D);
// (ab|cd) = sum_ijkl c_i c_j c_k c_l gto_repulsion(a_i, b_j, c_k, d_l), a centred on A, b on B, ...
double cgf_repulsion(const CGF& a, const Vec3& A, const CGF& b, const Vec3& B, const CGF& c, const Vec3& C,
                     const CGF& d, const Vec3& D);
// Canonical index of (ij|kl) under the eightfold permutational symmetry.
inline std::uint64_t teindex(std::uint64_t i, std::uint64_t j, std::uint64_t k, std::uint64_t l) {
    return TwoElectronTable::index(i, j, k, l);
}
