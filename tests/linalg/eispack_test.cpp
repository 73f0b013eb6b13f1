#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "linalg/eispack.h"

namespace {

// Random symmetric n x n matrix in column-major flat form, entries in [-1, 1].
std::vector<double> random_symmetric(int n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<double> a(static_cast<std::size_t>(n) * n);
    for (int c = 0; c < n; ++c)
        for (int r = c; r < n; ++r) a[r + c * n] = a[c + r * n] = u(gen);
    return a;
}

}  // namespace

TEST(Pythag, KnownValues) {
    struct Case { double a, b, expected; };
    const Case cases[] = {
        {3.0, 4.0, 5.0},    {-3.0, 4.0, 5.0},  {4.0, -3.0, 5.0}, {0.0, 0.0, 0.0},
        {0.0, -2.5, 2.5},   {5.0, 12.0, 13.0}, {1.0, 1.0, std::sqrt(2.0)},
        // Naive sqrt(a^2 + b^2) overflows / underflows here.
        {3e200, 4e200, 5e200}, {3e-200, 4e-200, 5e-200},
    };
    for (const Case& c : cases) EXPECT_NEAR(pythag(c.a, c.b), c.expected, 4e-16 * c.expected) << c.a << " " << c.b;
    EXPECT_TRUE(std::isnan(pythag(std::nan(""), 1.0)));
}

TEST(ScalarHelpers, SignAbsMaxMinEpsilon) {
    EXPECT_EQ(r8_sign(-0.0), 1.0);
    EXPECT_EQ(r8_sign(0.0), 1.0);
    EXPECT_EQ(r8_sign(-1e-300), -1.0);
    EXPECT_EQ(r8_sign(7.0), 1.0);
    EXPECT_EQ(r8_abs(-2.5), 2.5);
    EXPECT_EQ(r8_abs(2.5), 2.5);
    EXPECT_EQ(r8_max(1.0, 2.0), 2.0);
    EXPECT_EQ(r8_max(2.0, 1.0), 2.0);
    EXPECT_EQ(r8_min(1.0, 2.0), 1.0);
    EXPECT_EQ(r8_min(2.0, 1.0), 1.0);
}

// Householder reduction: Z orthogonal and Z^T A Z the tridiagonal (d, e), a untouched.
TEST(Tred2, ReducesToTridiagonalByOrthogonalTransformation) {
    for (int n : {1, 2, 3, 7, 15}) {
        const std::vector<double> a = random_symmetric(n, 100 + n);
        const std::vector<double> a_before = a;
        std::vector<double> d(n), e(n), z(static_cast<std::size_t>(n) * n);
        tred2(n, a.data(), d.data(), e.data(), z.data());
        EXPECT_EQ(a, a_before);
        EXPECT_EQ(e[0], 0.0);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                double ztz = 0.0, ztaz = 0.0;
                for (int k = 0; k < n; ++k) {
                    ztz += z[k + i * n] * z[k + j * n];
                    for (int m = 0; m < n; ++m) ztaz += z[k + i * n] * a[k + m * n] * z[m + j * n];
                }
                double t = 0.0;
                if (i == j) t = d[i];
                if (i == j + 1) t = e[i];
                if (j == i + 1) t = e[j];
                EXPECT_NEAR(ztz, i == j ? 1.0 : 0.0, 1e-14) << "n=" << n;
                EXPECT_NEAR(ztaz, t, 1e-13) << "n=" << n << " at " << i << "," << j;
            }
    }
}

// The tridiagonal Toeplitz matrix (2 on the diagonal, -1 beside it) has the
// closed-form eigenvalues 2 - 2 cos(k pi / (n + 1)), k = 1 ... n (ascending).
TEST(Tql2, TridiagonalToeplitzClosedForm) {
    const int n = 12;
    const double pi = std::acos(-1.0);
    std::vector<double> d(n, 2.0), e(n, -1.0), z(n * n, 0.0);
    e[0] = 0.0;
    for (int i = 0; i < n; ++i) z[i + i * n] = 1.0;
    ASSERT_EQ(tql2(n, d.data(), e.data(), z.data()), 0);
    for (int k = 1; k <= n; ++k) {
        const double expected = 2.0 - 2.0 * std::cos(k * pi / (n + 1));
        EXPECT_NEAR(d[k - 1], expected, 1e-14);
        // Eigenvector components sin(j k pi / (n + 1)) * sqrt(2 / (n + 1)), up to sign.
        const double sign = z[0 + (k - 1) * n] < 0.0 ? -1.0 : 1.0;
        for (int j = 1; j <= n; ++j)
            EXPECT_NEAR(sign * z[(j - 1) + (k - 1) * n], std::sqrt(2.0 / (n + 1)) * std::sin(j * k * pi / (n + 1)),
                        1e-14);
    }
}

TEST(Tql2, SizeOneIsLeftAlone) {
    double d = -3.5, e = 8.0, z = 0.25;
    EXPECT_EQ(tql2(1, &d, &e, &z), 0);
    EXPECT_EQ(d, -3.5);
    EXPECT_EQ(e, 8.0);
    EXPECT_EQ(z, 0.25);
}

