#include <gtest/gtest.h>

#include <cmath>

#include "integrals/fast/boys.h"
#include "integrals/reference/gamma.h"

// The fast Boys function against the reference Fgamma (series and continued
// fraction) and against the closed form F_0(t) = sqrt(pi/t) erf(sqrt t) / 2.
// Both apply the floor t' = max(|t|, 1e-08).
namespace {
const double grid[] = {0.0,  1e-09, 1e-08, 2e-08, 1e-06, 0.001, 0.049, 0.05, 0.051, 0.3,  1.0,  2.5,
                       7.77, 12.0,  17.3,  25.0,  29.99, 30.0,  35.95, 36.0, 36.05, 50.0, 123.4, 1e4};
}

TEST(Boys, AgreesWithFgammaForAllOrders) {
    for (double t : grid) {
        double F[boys_max_order + 1];
        boys(boys_max_order, t, F);
        for (int m = 0; m <= boys_max_order; ++m) {
            const double ref = Fgamma(m, t);
            EXPECT_NEAR(F[m], ref, 2e-14 * ref) << "m = " << m << ", t = " << t;
        }
    }
}

TEST(Boys, LowerOrderRequestGivesTheSameValues) {
    for (double t : grid) {
        double all[boys_max_order + 1], one[1];
        boys(boys_max_order, t, all);
        boys(0, t, one);
        EXPECT_NEAR(one[0], all[0], 4e-16 * all[0]) << "t = " << t;
    }
}

TEST(Boys, ZeroOrderMatchesErfClosedForm) {
    for (double t : grid) {
        const long double x = std::max(t, 1e-08);
        const long double exact = 0.5L * std::sqrt(3.14159265358979323846L / x) * std::erf(std::sqrt(x));
        double F[1];
        boys(0, t, F);
        EXPECT_NEAR(F[0], static_cast<double>(exact), 4e-16 * static_cast<double>(exact)) << "t = " << t;
    }
}

TEST(Boys, FloorMakesZeroAndTinyArgumentsEqual) {
    double a[5], b[5], c[5];
    boys(4, 0.0, a);
    boys(4, 1e-09, b);
    boys(4, 1e-08, c);
    for (int m = 0; m <= 4; ++m) {
        EXPECT_EQ(a[m], c[m]);
        EXPECT_EQ(b[m], c[m]);
        // F_m(1e-8) = 1/(2m+1) - 1e-8/(2m+3) + ...: just below the limit.
        EXPECT_NEAR(a[m], 1.0 / (2 * m + 1) - 1e-08 / (2 * m + 3), 2.3e-16);
    }
}
