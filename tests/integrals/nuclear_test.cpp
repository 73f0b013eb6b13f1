#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "molecule/atom.h"
#include "integrals/reference/nuclear.h"
#include "primitives.h"

namespace {

Atom nucleus(const char* symbol, double x) { return Atom(symbol, x, 0.0, 0.0); }

}  // namespace

// Hand expansion of (x + 0.5)(x - 0.5) about C with CP = 0.25, gamma = 2:
// A = [f0 + 2 f2/(4 gamma), -2 f2/(4 gamma), f2 CP^2] = [0, -1/4, 1/16].
TEST(Nuclear, CoefficientArray) {
    const std::vector<double> a = A_array(1, 1, 0.5, -0.5, 0.25, 2.0);
    ASSERT_EQ(a.size(), 3u);
    EXPECT_NEAR(a[0], 0.0, 1e-16);
    EXPECT_NEAR(a[1], -0.25, 1e-16);
    EXPECT_NEAR(a[2], 1.0 / 16.0, 1e-16);
    for (double cp : {0.0, 0.7, -3.0}) {
        const std::vector<double> one = A_array(0, 0, 1.3, -0.4, cp, 1.7);
        ASSERT_EQ(one.size(), 1u);
        EXPECT_EQ(one[0], 1.0);
    }
    // single p: A = [PA, -CP]
    const std::vector<double> p = A_array(1, 0, 0.3, 9.0, 0.8, 1.0);
    EXPECT_NEAR(p[0], 0.3, 1e-16);
    EXPECT_NEAR(p[1], -0.8, 1e-16);
}

// Normalised primitives, alpha = 1, unit charge unless stated. Closed forms
// (F_0 through erf, F_1(t) = (F_0(t) - e^-t)/(2t)):
//   <s|-1/r|s>, C at the centre:        -2 sqrt(2/pi)
//   <s|-1/|r-C||s>, |C| = 1:            -erf(sqrt 2)
//   <px|-1/r|px>:                        -(4/3) sqrt(2/pi)
//   <s|-1/|r-C||px>, C = (1,0,0):       -(erf(sqrt 2)/2 - sqrt(2/pi) e^-2)
// At C on the centre the Boys argument is raised to 1e-08, so the first and third
// hold to eight digits only, about 3.3e-9 (F_0) and 2e-9 (F_1) too small in size.
TEST(Nuclear, NormalisedPrimitives) {
    const Atom h0 = nucleus("H", 0.0), h1 = nucleus("H", 1.0), o1 = nucleus("O", 1.0);
    const double ss0 = -2.0 * std::sqrt(2.0 / exact_pi);
    const double v_ss0 = cgf_nuclear(s_at(0), s_at(0), h0);
    EXPECT_NEAR(v_ss0 / ss0, 1.0, 1e-8);
    EXPECT_GT(v_ss0, ss0);  // floor makes it slightly smaller in magnitude

    const double pp0 = -(4.0 / 3.0) * std::sqrt(2.0 / exact_pi);
    EXPECT_NEAR(cgf_nuclear(px_at(0), px_at(0), h0) / pp0, 1.0, 1e-8);

    EXPECT_NEAR(cgf_nuclear(s_at(0), s_at(0), h1), -std::erf(std::sqrt(2.0)), 1e-13);
    EXPECT_NEAR(cgf_nuclear(s_at(0), s_at(0), o1), -8.0 * std::erf(std::sqrt(2.0)), 8e-13);

    const double sp = -(0.5 * std::erf(std::sqrt(2.0)) - std::sqrt(2.0 / exact_pi) * std::exp(-2.0));
    const double v_sp = cgf_nuclear(s_at(0), px_at(0), h1);
    EXPECT_LT(v_sp, 0.0);
    EXPECT_NEAR(v_sp, sp, 1e-13);
    EXPECT_NEAR(cgf_nuclear(px_at(0), s_at(0), h1), v_sp, 1e-15);
    EXPECT_EQ(cgf_nuclear(s_at(0), py_at(0), h1), 0.0);
    // nucleus on the other side: the sign of the p lobe it sits in flips
    EXPECT_NEAR(cgf_nuclear(s_at(0), px_at(0), nucleus("H", -1.0)), -v_sp, 1e-15);
}
