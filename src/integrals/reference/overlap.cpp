#include "integrals/reference/overlap.h"

#include <cmath>

#include "common/constants.h"
#include "integrals/reference/func.h"

// I = sum_{i=0}^{floor((l_a+l_b)/2)} f_2i(l_a, l_b, PAx, PBx) (2i-1)!! / (2 gamma)^i
// Only even powers of the product-centred coordinate survive the Gaussian integral.
double overlap_1D(int l_a, int l_b, double PAx, double PBx, double gamma) {
    double sum = 0.0;
    const double nterms = std::floor(static_cast<double>(l_a + l_b) * 0.5) + 1.0;
    for (int i = 0; i < nterms; ++i) {
        sum += (binomial_prefactor(2 * i, l_a, l_b, PAx, PBx) * static_cast<double>(dfact(2 * i - 1))) /
               std::pow(gamma + gamma, static_cast<double>(i));
    }
    return sum;
}

// S = (pi/gamma)^(3/2) exp(-alpha_a alpha_b |A-B|^2 / gamma) I_x I_y I_z,  gamma = alpha_a + alpha_b
// (Taketa, Huzinaga, O-ohata, J. Phys. Soc. Japan 21, 2313 (1966)).
double overlap(double alpha_a, int l_a, int m_a, int n_a, const Vec3& A, double alpha_b, int l_b, int m_b, int n_b,
               const Vec3& B) {
    const double rab2 = dist2(A, B);
    const double gamma = alpha_a + alpha_b;
    const Vec3 P = gaussian_product_center(alpha_a, A, alpha_b, B);

    const double pre = std::pow(pi_convention / gamma, 1.5) * std::exp(((-alpha_a) * alpha_b * rab2) / gamma);

    const double wx = overlap_1D(l_a, l_b, P.x - A.x, P.x - B.x, gamma);
    const double wy = overlap_1D(m_a, m_b, P.y - A.y, P.y - B.y, gamma);
    const double wz = overlap_1D(n_a, n_b, P.z - A.z, P.z - B.z, gamma);
    return ((pre * wx) * wy) * wz;
}

// Overlap of the bare primitives: no coefficient, no normalisation.
double gto_overlap(const GTO& a, const Vec3& A, const GTO& b, const Vec3& B) {
    return overlap(a.alpha, static_cast<int>(a.l), static_cast<int>(a.m), static_cast<int>(a.n), A, b.alpha,
                   static_cast<int>(b.l), static_cast<int>(b.m), static_cast<int>(b.n), B);
}

double cgf_overlap(const CGF& a, const Vec3& A, const CGF& b, const Vec3& B) {
    double sum = 0.0;
    for (const GTO& ga : a.gtos) {
        for (const GTO& gb : b.gtos) {
            const double w = ((ga.c * gb.c) * ga.norm) * gb.norm;
            sum += gto_overlap(ga, A, gb, B) * w;
        }
    }
    return sum;
}
