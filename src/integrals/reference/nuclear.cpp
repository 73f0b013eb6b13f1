#include "integrals/reference/nuclear.h"

#include <cmath>

#include "common/constants.h"
#include "integrals/reference/func.h"
#include "integrals/reference/gamma.h"

// A_{i,r,u} = (-1)^i f_i(l_a, l_b, PAx, PBx) (-1)^u i! CPx^(i-2r-2u) (1/(4 gamma))^(r+u)
//             / (r! u! (i-2r-2u)!)
// (Taketa, Huzinaga, O-ohata, J. Phys. Soc. Japan 21, 2313 (1966)).
double A_term(int i, int r, int u, int l_a, int l_b, double PAx, double PBx, double CPx, double gamma) {
    double v = std::pow(-1.0, static_cast<double>(i)) * binomial_prefactor(i, l_a, l_b, PAx, PBx);
    v = std::pow(-1.0, static_cast<double>(u)) * v;
    v = (v * static_cast<double>(fact(i))) * std::pow(CPx, static_cast<double>(i - 2 * r - 2 * u));
    v = std::pow(0.25 / gamma, static_cast<double>(r + u)) * v;
    v = v / static_cast<double>(fact(r));
    v = v / static_cast<double>(fact(u));
    v = v / static_cast<double>(fact(i - 2 * r - 2 * u));
    return v;
}

// A[I] = sum over i, r, u with i - 2r - u = I of A_{i,r,u}; I = 0 ... l_a + l_b.
std::vector<double> A_array(int l_a, int l_b, double PA, double PB, double CP, double gamma) {
    const int imax = l_a + l_b + 1;
    std::vector<double> A(imax > 0 ? static_cast<std::size_t>(imax) : 0, 0.0);
    for (int i = 0; i < imax; ++i)
        for (int r = 0; r <= i / 2; ++r)
            for (int u = 0; u <= (i - 2 * r) / 2; ++u)
                A[i - 2 * r - u] += A_term(i, r, u, l_a, l_b, PA, PB, CP, gamma);
    return A;
}

// V = -(2 pi / gamma) N_a N_b exp(-alpha_a alpha_b |A-B|^2 / gamma)
//     sum_{I,J,K} A_x[I] A_y[J] A_z[K] F_{I+J+K}(gamma |C-P|^2)
double nuclear(Vec3 A, double norm_a, int l_a, int m_a, int n_a, double alpha_a, Vec3 B, double norm_b, int l_b,
               int m_b, int n_b, double alpha_b, Vec3 C) {
    const double gamma = alpha_a + alpha_b;
    const Vec3 P = gaussian_product_center(alpha_a, A, alpha_b, B);
    const double rab2 = dist2(A, B);
    const double rcp2 = dist2(C, P);

    const std::vector<double> Ax = A_array(l_a, l_b, P.x - A.x, P.x - B.x, P.x - C.x, gamma);
    const std::vector<double> Ay = A_array(m_a, m_b, P.y - A.y, P.y - B.y, P.y - C.y, gamma);
    const std::vector<double> Az = A_array(n_a, n_b, P.z - A.z, P.z - B.z, P.z - C.z, gamma);

    double sum = 0.0;
    for (int I = 0; I <= l_a + l_b; ++I)
        for (int J = 0; J <= m_a + m_b; ++J)
            for (int K = 0; K <= n_a + n_b; ++K)
                sum += Fgamma(static_cast<double>(I + J + K), gamma * rcp2) * ((Ax[I] * Ay[J]) * Az[K]);

    return ((pi_convention * (2.0 * ((-norm_a) * norm_b))) / gamma) * std::exp(((-alpha_a) * alpha_b * rab2) / gamma) *
           sum;
}

double gto_nuclear(const GTO& a, const Vec3& A, const GTO& b, const Vec3& B, const Vec3& C) {
    return nuclear(A, a.norm, static_cast<int>(a.l), static_cast<int>(a.m), static_cast<int>(a.n), a.alpha,
                   B, b.norm, static_cast<int>(b.l), static_cast<int>(b.m), static_cast<int>(b.n), b.alpha,
                   C);
}

// The primitive integral already carries both norms and the sign; only the
// coefficients and the nuclear charge remain.
double cgf_nuclear(const CGF& a, const Vec3& A, const CGF& b, const Vec3& B, const Atom& atom) {
    double sum = 0.0;
    for (const GTO& ga : a.gtos) {
        for (const GTO& gb : b.gtos) {
            const double w = ga.c * gb.c;
            sum += gto_nuclear(ga, A, gb, B, atom.gr()) * w;
        }
    }
    return static_cast<double>(atom.nucl_chg()) * sum;
}
