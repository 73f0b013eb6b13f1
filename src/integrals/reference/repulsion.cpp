#include "integrals/reference/repulsion.h"

#include <cmath>
#include <utility>

#include "common/constants.h"
#include "integrals/reference/func.h"
#include "integrals/reference/gamma.h"

// a! / (b! (a-2b)!), exact in integers for 0 <= 2b <= a.
double fact_ratio2(int a, int b) {
    return static_cast<double>((fact(a) / fact(b)) / fact(a - 2 * b));
}

// B0 = (4g)^(r-i) i! / (r! (i-2r)!)
double B0(int i, int r, double g) {
    return std::pow(4.0 * g, static_cast<double>(r - i)) * fact_ratio2(i, r);
}

double fB(int i, int l_1, int l_2, const double& P, const double& A, const double& B, int r, const double& g) {
    return B0(i, r, g) * binomial_prefactor(i, l_1, l_2, P - A, P - B);
}

// B = f_i1 B0(i1,r1,g1) (-1)^i2 f_i2 B0(i2,r2,g2) (-1)^u k!/(u!(k-2u)!) (Qx-Px)^(k-2u) / delta^(k-u),
//   k = i1 + i2 - 2(r1 + r2)
// (Taketa, Huzinaga, O-ohata, J. Phys. Soc. Japan 21, 2313 (1966)).
double B_term(int i1, int i2, int r1, int r2, int u, int l_a, int l_b, int l_c, int l_d, const double& Px,
              const double& Ax, const double& Bx, const double& Qx, const double& Cx, const double& Dx,
              const double& gamma1, const double& gamma2, const double& delta) {
    const int k = i1 + i2 - 2 * (r1 + r2);
    double v = std::pow(-1.0, static_cast<double>(i2)) * fB(i1, l_a, l_b, Px, Ax, Bx, r1, gamma1);
    v = v * fB(i2, l_c, l_d, Qx, Cx, Dx, r2, gamma2);
    v = std::pow(-1.0, static_cast<double>(u)) * v;
    return ((v * fact_ratio2(k, u)) * std::pow(Qx - Px, static_cast<double>(k - 2 * u))) /
           std::pow(delta, static_cast<double>(k - u));
}

// B[I] = sum over i1, i2, r1, r2, u with i1 + i2 - 2(r1 + r2) - u = I of B_term.
std::vector<double> B_array(int l_a, int l_b, int l_c, int l_d, const double& p, const double& a, const double& b,
                            const double& q, const double& c, const double& d, double gamma1, double gamma2,
                            double delta) {
    const int imax = l_a + l_b + l_c + l_d + 1;
    std::vector<double> B(imax > 0 ? static_cast<std::size_t>(imax) : 0, 0.0);
    for (int i1 = 0; i1 <= l_a + l_b; ++i1)
        for (int i2 = 0; i2 <= l_c + l_d; ++i2)
            for (int r1 = 0; r1 <= i1 / 2; ++r1)
                for (int r2 = 0; r2 <= i2 / 2; ++r2)
                    for (int u = 0; u <= (i1 + i2) / 2 - r1 - r2; ++u) {
                        const int I = i1 + i2 - 2 * (r1 + r2) - u;
                        B[I] += B_term(i1, i2, r1, r2, u, l_a, l_b, l_c, l_d, p, a, b, q, c, d, gamma1, gamma2,
                                       delta);
                    }
    return B;
}

// (ab|cd) = 2 pi^(5/2) / (g1 g2 sqrt(g1 + g2)) exp(-a_a a_b |A-B|^2 / g1) exp(-a_c a_d |C-D|^2 / g2)
//           sum_{I,J,K} B_x[I] B_y[J] B_z[K] F_{I+J+K}(|P-Q|^2 / (4 delta)) N_a N_b N_c N_d,
//   delta = (1/g1 + 1/g2) / 4
double coulomb_repulsion(const Vec3& A, const double& norm_a, int l_a, int m_a, int n_a, const double& alpha_a,
                         const Vec3& B, const double& norm_b, int l_b, int m_b, int n_b, const double& alpha_b,
                         const Vec3& C, const double& norm_c, int l_c, int m_c, int n_c, const double& alpha_c,
                         const Vec3& D, const double& norm_d, int l_d, int m_d, int n_d, const double& alpha_d) {
    const double rab2 = dist2(A, B);
    const double rcd2 = dist2(C, D);
    const Vec3 P = gaussian_product_center(alpha_a, A, alpha_b, B);
    const Vec3 Q = gaussian_product_center(alpha_c, C, alpha_d, D);
    const double rpq2 = dist2(P, Q);

    const double gamma1 = alpha_a + alpha_b;
    const double gamma2 = alpha_c + alpha_d;
    const double delta = 0.25 * (1.0 / gamma2 + 1.0 / gamma1);

    const std::vector<double> Bx = B_array(l_a, l_b, l_c, l_d, P.x, A.x, B.x, Q.x, C.x, D.x, gamma1, gamma2, delta);
    const std::vector<double> By = B_array(m_a, m_b, m_c, m_d, P.y, A.y, B.y, Q.y, C.y, D.y, gamma1, gamma2, delta);
    const std::vector<double> Bz = B_array(n_a, n_b, n_c, n_d, P.z, A.z, B.z, Q.z, C.z, D.z, gamma1, gamma2, delta);

    double sum = 0.0;
    for (int I = 0; I <= l_a + l_b + l_c + l_d; ++I)
        for (int J = 0; J <= m_a + m_b + m_c + m_d; ++J)
            for (int K = 0; K <= n_a + n_b + n_c + n_d; ++K)
                sum += Fgamma(static_cast<double>(I + J + K), (0.25 * rpq2) / delta) * ((Bx[I] * By[J]) * Bz[K]);

    const double e1 = std::exp(((-alpha_a) * alpha_b * rab2) / gamma1);
    const double e2 = std::exp(((-alpha_c) * alpha_d * rcd2) / gamma2);
    const double pre = two_pi_2_5 / ((gamma1 * gamma2) * std::sqrt(gamma1 + gamma2));

    return ((((e2 * (e1 * pre)) * sum) * norm_a) * norm_b * norm_c) * norm_d;
}

double gto_repulsion(const GTO& a, const Vec3& A, const GTO& b, const Vec3& B, const GTO& c, const Vec3& C,
                     const GTO& d, const Vec3& D) {
    return coulomb_repulsion(A, a.norm, static_cast<int>(a.l), static_cast<int>(a.m), static_cast<int>(a.n),
                             a.alpha, B, b.norm, static_cast<int>(b.l), static_cast<int>(b.m),
                             static_cast<int>(b.n), b.alpha, C, c.norm, static_cast<int>(c.l),
                             static_cast<int>(c.m), static_cast<int>(c.n), c.alpha, D, d.norm,
                             static_cast<int>(d.l), static_cast<int>(d.m), static_cast<int>(d.n), d.alpha);
}

// The primitive integral already carries all four norms; only the coefficients remain.
double cgf_repulsion(const CGF& a, const Vec3& A, const CGF& b, const Vec3& B, const CGF& c, const Vec3& C,
                     const CGF& d, const Vec3& D) {
    double sum = 0.0;
    for (const GTO& ga : a.gtos)
        for (const GTO& gb : b.gtos)
            for (const GTO& gc : c.gtos)
                for (const GTO& gd : d.gtos) {
                    const double w = ((ga.c * gb.c) * gc.c) * gd.c;
                    sum += gto_repulsion(ga, A, gb, B, gc, C, gd, D) * w;
                }
    return sum;
}
