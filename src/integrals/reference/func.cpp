#include "integrals/reference/func.h"

#include <cmath>

// C(a, b) = a! / (b! (a-b)!); the denominator product is formed first and the
// division truncates, which is exact for 0 <= b <= a.
int binomial(int a, int b) {
    return fact(a) / (fact(b) * fact(a - b));
}

// Coefficient of x^s in (x + PA)^l_a (x + PB)^l_b
//   f_s = sum_t C(l_a, s-t) C(l_b, t) PA^(l_a-s+t) PB^(l_b-t),  s-l_a <= t <= l_b
// (Taketa, Huzinaga, O-ohata). pow(0, 0) = 1 lets a zero displacement contribute
// only through its zeroth power.
double binomial_prefactor(int s, int l_a, int l_b, double PA, double PB) {
    double sum = 0.0;
    for (int t = 0; t <= s; ++t) {
        if (s - l_a <= t && t <= l_b) {
            const double c = static_cast<double>(binomial(l_a, s - t) * binomial(l_b, t));
            sum += c * std::pow(PA, static_cast<double>(l_a - s + t)) * std::pow(PB, static_cast<double>(l_b - t));
        }
    }
    return sum;
}

// |a - b|^2 = dx^2 + dy^2 + dz^2
double dist2(const Vec3& a, const Vec3& b) {
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    const double dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz;
}

// Gaussian product theorem: exp(-a|r-A|^2) exp(-b|r-B|^2) is centred at
//   P = (a A + b B) / (a + b)
Vec3 gaussian_product_center(const double& alpha_a, const Vec3& A, const double& alpha_b, const Vec3& B) {
    const double gamma = alpha_a + alpha_b;
    return Vec3((alpha_a * A.x + alpha_b * B.x) / gamma, (alpha_a * A.y + alpha_b * B.y) / gamma,
                (alpha_a * A.z + alpha_b * B.z) / gamma);
}

void swap(unsigned& a, unsigned& b) {
    const unsigned t = a;
    a = b;
    b = t;
}
