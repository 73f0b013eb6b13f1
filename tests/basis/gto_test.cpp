#include "basis/gto.h"

#include <gtest/gtest.h>

#include <cmath>

#include "basis/cgf.h"
#include "common/constants.h"

namespace {

const double pi = pi_convention;  // the rounded pi of every integral formula

// Closed forms of the normalisation constant, from int g^2 = 1:
//   s:   (2a/pi)^(3/4)
//   p:   (2a/pi)^(3/4) 2 sqrt(a)
//   dxx: (2a/pi)^(3/4) 4a / sqrt(3)
double norm_s(double a) { return std::pow(2.0 * a / pi, 0.75); }
double norm_p(double a) { return norm_s(a) * 2.0 * std::sqrt(a); }
double norm_dxx(double a) { return norm_s(a) * 4.0 * a / std::sqrt(3.0); }

TEST(GtoNorm, ClosedFormsForSAndP) {
    for (double a : {0.0310841655, 0.1688554, 1.0, 3.42525091, 130.70932, 2146.955475}) {
        const GTO s(0.3, a, 0, 0, 0);
        EXPECT_NEAR(s.norm, norm_s(a), 1e-14 * norm_s(a)) << a;
        for (const GTO& p : {GTO(0.3, a, 1, 0, 0), GTO(0.3, a, 0, 1, 0), GTO(0.3, a, 0, 0, 1)}) {
            EXPECT_NEAR(p.norm, norm_p(a), 1e-14 * norm_p(a)) << a;
            EXPECT_EQ(p.norm, GTO(0.3, a, 1, 0, 0).norm);  // the three orientations agree exactly
        }
        const GTO d(0.3, a, 2, 0, 0);  // (2l-1)!! = 3 enters here
        EXPECT_NEAR(d.norm, norm_dxx(a), 1e-14 * norm_dxx(a)) << a;
    }
}

TEST(GtoNorm, UsesRoundedPi) {
    // For alpha = 1 the rounded pi (3.14159265359 vs 3.14159265358979) shifts the
    // s norm by about 5e-14 relative: visible, but far below 1e-12.
    const GTO s(1.0, 1.0, 0, 0, 0);
    const double full = std::pow(2.0 / M_PI, 0.75);
    EXPECT_NE(s.norm, full);
    EXPECT_NEAR(s.norm, full, 1e-12);
    EXPECT_LT(s.norm, full);  // larger pi, smaller norm
    EXPECT_NEAR(GTO(1.0, 1.0, 1, 0, 0).norm, 2.0 * s.norm, 1e-15);
}

TEST(GtoFields, ConstructorArgumentOrder) {
    const GTO g(0.25, 4.5, 0, 1, 0);
    EXPECT_EQ(g.c, 0.25);
    EXPECT_EQ(g.alpha, 4.5);
    EXPECT_EQ(g.l, 0u);
    EXPECT_EQ(g.m, 1u);
    EXPECT_EQ(g.n, 0u);
}

TEST(Cgf, OwnsPrimitives) {
    std::vector<GTO> prims{GTO(0.5, 1.0, 0, 1, 0)};
    const CGF a{2, prims};
    prims.clear();
    ASSERT_EQ(a.gtos.size(), 1u);
    EXPECT_EQ(a.gtos[0].norm, GTO(0.5, 1.0, 0, 1, 0).norm);
    EXPECT_EQ(a.atom, 2u);
}

}  // namespace
