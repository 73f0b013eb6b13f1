#include "integrals/reference/kinetic.h"

#include "integrals/reference/overlap.h"

namespace {

// Overlap of a with b's exponent and centre but the powers (l, m, n).
double shifted_overlap(const GTO& a, const Vec3& A, const GTO& b, const Vec3& B, int l, int m, int n) {
    return overlap(a.alpha, static_cast<int>(a.l), static_cast<int>(a.m), static_cast<int>(a.n), A, b.alpha, l, m, n,
                   B);
}

}  // namespace

// -1/2 Laplacian on b, one Cartesian direction at a time:
//   T = alpha (2(l+m+n)+3) S(l,m,n)
//     - 2 alpha^2 [S(l+2,m,n) + S(l,m+2,n) + S(l,m,n+2)]
//     - 1/2 [l(l-1) S(l-2,m,n) + m(m-1) S(l,m-2,n) + n(n-1) S(l,m,n-2)]
// with alpha, l, m, n those of b (Taketa, Huzinaga, O-ohata).
double gto_kinetic(const GTO& a, const Vec3& A, const GTO& b, const Vec3& B) {
    const double alpha = b.alpha;
    const unsigned l = b.l, m = b.m, n = b.n;
    const int il = static_cast<int>(l), im = static_cast<int>(m), in = static_cast<int>(n);

    const double t0 = (static_cast<double>(2 * (l + m + n) + 3) * alpha) * gto_overlap(a, A, b, B);

    const double sxp = shifted_overlap(a, A, b, B, il + 2, im, in);
    const double syp = shifted_overlap(a, A, b, B, il, im + 2, in);
    const double szp = shifted_overlap(a, A, b, B, il, im, in + 2);
    const double t1 = ((alpha * alpha) * -2.0) * (szp + (syp + sxp));

    const double sxm = static_cast<double>(l * (l - 1)) * shifted_overlap(a, A, b, B, il - 2, im, in);
    const double sym = static_cast<double>(m * (m - 1)) * shifted_overlap(a, A, b, B, il, im - 2, in);
    const double szm = static_cast<double>(n * (n - 1)) * shifted_overlap(a, A, b, B, il, im, in - 2);
    const double t2 = (szm + (sxm + sym)) * -0.5;

    return (t0 + t1) + t2;
}

double cgf_kinetic(const CGF& a, const Vec3& A, const CGF& b, const Vec3& B) {
    double sum = 0.0;
    for (const GTO& ga : a.gtos) {
        for (const GTO& gb : b.gtos) {
            const double w = ((ga.c * gb.c) * ga.norm) * gb.norm;
            sum += gto_kinetic(ga, A, gb, B) * w;
        }
    }
    return sum;
}
