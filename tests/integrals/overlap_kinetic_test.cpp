#include <gtest/gtest.h>

#include <cmath>

#include "common/constants.h"
#include "integrals/reference/func.h"
#include "integrals/reference/kinetic.h"
#include "integrals/reference/overlap.h"
#include "primitives.h"

// Integer and polynomial helpers, against hand-expanded values.
TEST(GaussianHelpers, BinomialsAndPrefactors) {
    EXPECT_EQ(binomial(4, 2), 6);
    EXPECT_EQ(binomial(1, 0), 1);
    EXPECT_EQ(binomial(0, 0), 1);
    EXPECT_EQ(binomial(5, 3), 10);

    // (x + PA)(x + PB) = x^2 + (PA + PB) x + PA PB
    EXPECT_DOUBLE_EQ(binomial_prefactor(0, 1, 1, 0.5, -2.0), -1.0);
    EXPECT_DOUBLE_EQ(binomial_prefactor(1, 1, 1, 0.5, -2.0), -1.5);
    EXPECT_DOUBLE_EQ(binomial_prefactor(2, 1, 1, 0.5, -2.0), 1.0);
    // (x + PA)^2 (x + PB): coefficient of x is PA^2 + 2 PA PB
    EXPECT_DOUBLE_EQ(binomial_prefactor(1, 2, 1, 3.0, 0.5), 9.0 + 3.0);
    EXPECT_EQ(binomial_prefactor(0, 0, 0, 0.0, 0.0), 1.0);
    EXPECT_EQ(binomial_prefactor(0, 0, 0, 7.0, -3.0), 1.0);
    EXPECT_EQ(binomial_prefactor(0, 1, -1, 1.0, 1.0), 0.0);
    EXPECT_EQ(binomial_prefactor(-1, 1, 1, 1.0, 1.0), 0.0);
    // zero displacement contributes only through its zeroth power
    EXPECT_EQ(binomial_prefactor(0, 1, 0, 0.0, 0.0), 0.0);
    EXPECT_EQ(binomial_prefactor(1, 1, 0, 0.0, 0.0), 1.0);

    for (int la = 0; la <= 1; ++la) {
        EXPECT_EQ(overlap_1D(la, -1, 0.3, -0.2, 1.5), 0.0);
        EXPECT_EQ(overlap_1D(la, -2, 0.3, -0.2, 1.5), 0.0);
    }
}

TEST(GaussianHelpers, GeometryAndSwap) {
    EXPECT_DOUBLE_EQ(dist2(Vec3(1, 2, 3), Vec3(-1, 0, 4)), 4.0 + 4.0 + 1.0);
    const Vec3 mid = gaussian_product_center(0.7, Vec3(0, 2, -4), 0.7, Vec3(2, 4, 4));
    EXPECT_DOUBLE_EQ(mid.x, 1.0);
    EXPECT_DOUBLE_EQ(mid.y, 3.0);
    EXPECT_DOUBLE_EQ(mid.z, 0.0);
    // weighted towards the tighter Gaussian: (3*0 + 1*4)/4
    EXPECT_DOUBLE_EQ(gaussian_product_center(3.0, Vec3(), 1.0, Vec3(4, 0, 0)).x, 1.0);
    unsigned a = 3, b = 8;
    swap(a, b);
    EXPECT_EQ(a, 8u);
    EXPECT_EQ(b, 3u);
}

// Normalised primitives, alpha = 1 unless stated. Closed forms:
//   S(s,s';R) = exp(-a b R^2/(a+b)) for a = b = 1,  <s|px'> = -R/2 S  (R = 1),
//   T(s,s) = 3a/2,  T(px,px) = 5a/2,  T(s,s';R=1) = (a b/g)(3 - 2 a b R^2/g) S = S,
//   T(s,px') = -2 exp(-1/2).
TEST(Overlap, NormalisedPrimitives) {
    const double tol = 1e-14;
    EXPECT_NEAR(cgf_overlap(s_at(0), s_at(0)), 1.0, tol);
    EXPECT_NEAR(cgf_overlap(px_at(0), px_at(0)), 1.0, tol);
    EXPECT_NEAR(cgf_overlap(s_at(0.3, -1.0, 2.0, 0.37), s_at(0.3, -1.0, 2.0, 0.37)), 1.0, tol);
    EXPECT_EQ(cgf_overlap(px_at(0), py_at(0)), 0.0);
    EXPECT_EQ(cgf_overlap(s_at(0), px_at(0)), 0.0);

    EXPECT_NEAR(cgf_overlap(s_at(0), s_at(1)), std::exp(-0.5), tol);
    EXPECT_NEAR(cgf_overlap(s_at(0), px_at(1)), -std::exp(-0.5), tol);
    EXPECT_NEAR(cgf_overlap(px_at(1), s_at(0)), -std::exp(-0.5), tol);
    // moving the p function to -x flips the sign
    EXPECT_NEAR(cgf_overlap(s_at(0), px_at(-1)), std::exp(-0.5), tol);
    // the same pair along y: px sees no displacement
    EXPECT_EQ(cgf_overlap(s_at(0), px_at(0, 1)), 0.0);
    EXPECT_NEAR(cgf_overlap(s_at(0), py_at(0, 1)), -std::exp(-0.5), tol);

    // bare primitives: (pi/2)^(3/2) exp(-1/2), with the program's rounded pi
    const GTO g0(1.0, 1.0, 0, 0, 0);
    EXPECT_NEAR(gto_overlap(g0, Vec3(), g0, Vec3(1, 0, 0)), std::pow(pi_convention / 2.0, 1.5) * std::exp(-0.5), 1e-15);

    // unequal exponents: (4ab/(a+b)^2)^(3/4) exp(-ab R^2/(a+b)), a = 1, b = 0.5, R^2 = 2
    EXPECT_NEAR(cgf_overlap(s_at(0), s_at(1, 1, 0, 0.5)), std::pow(2.0 / 2.25, 0.75) * std::exp(-(0.5 / 1.5) * 2.0),
                tol);
}

TEST(Kinetic, NormalisedPrimitives) {
    const double tol = 1e-13;
    EXPECT_NEAR(cgf_kinetic(s_at(0), s_at(0)), 1.5, tol);
    EXPECT_NEAR(cgf_kinetic(s_at(0, 0, 0, 0.8), s_at(0, 0, 0, 0.8)), 1.2, tol);
    EXPECT_NEAR(cgf_kinetic(px_at(0), px_at(0)), 2.5, tol);
    EXPECT_NEAR(cgf_kinetic(py_at(1, 2, 3, 0.6), py_at(1, 2, 3, 0.6)), 1.5, tol);
    EXPECT_EQ(cgf_kinetic(px_at(0), py_at(0)), 0.0);

    EXPECT_NEAR(cgf_kinetic(s_at(0), s_at(1)), std::exp(-0.5), tol);
    EXPECT_NEAR(cgf_kinetic(s_at(0), px_at(1)), -2.0 * std::exp(-0.5), tol);
    EXPECT_NEAR(cgf_kinetic(px_at(1), s_at(0)), -2.0 * std::exp(-0.5), tol);

    // the derivatives act on the second function only; the two orders agree to rounding
    const double ab = cgf_kinetic(s_at(0), s_at(1, 0, 0, 0.5));
    const double ba = cgf_kinetic(s_at(1, 0, 0, 0.5), s_at(0));
    EXPECT_NEAR(ab, ba, 4e-16);
    // closed form (ab/g)(3 - 2 ab R^2/g) S with a = 1, b = 0.5, R = 1
    const double mu = 0.5 / 1.5;
    EXPECT_NEAR(ab, mu * (3.0 - 2.0 * mu) * std::pow(2.0 / 2.25, 0.75) * std::exp(-mu), tol);

    // bare s primitive with itself: (3/2)(pi/2)^(3/2)
    const GTO g(1.0, 1.0, 0, 0, 0);
    EXPECT_NEAR(gto_kinetic(g, Vec3(), g, Vec3()), 1.5 * std::pow(pi_convention / 2.0, 1.5), 1e-14);
}
