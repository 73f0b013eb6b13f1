#include <gtest/gtest.h>

#include <functional>

#include "common/failure.h"

#include <cmath>
#include <iostream>
#include <sstream>
#include <string>

#include "integrals/reference/gamma.h"
#include "primitives.h"

namespace {

// Runs f with std::cout redirected and returns what it wrote.
template <class F>
std::string captured(F f) {
    std::ostringstream buf;
    std::streambuf* old = std::cout.rdbuf(buf.rdbuf());
    f();
    std::cout.rdbuf(old);
    return buf.str();
}

// F_0(t) = 1/2 sqrt(pi/t) erf(sqrt t)
double boys0(double t) { return 0.5 * std::sqrt(exact_pi / t) * std::erf(std::sqrt(t)); }

}  // namespace

// ln Gamma against factorials and Gamma(1/2) = sqrt(pi).
TEST(Gamma, LogGamma) {
    EXPECT_EQ(gammln(1.0), 0.0);
    EXPECT_NEAR(gammln(2.0), 0.0, 1e-15);
    EXPECT_EQ(gammln(5.0) - std::log(24.0), 0.0);
    EXPECT_NEAR(gammln(10.0), std::log(362880.0), 1e-13);
    EXPECT_NEAR(gammln(0.5), std::log(std::sqrt(exact_pi)), 1e-15);
    EXPECT_NEAR(gammln(3.5), std::lgamma(3.5), 1e-14);
    EXPECT_NEAR(gammln(100.5), std::lgamma(100.5), 1e-11);
}

// P(1/2, x) = erf(sqrt x);  P(1, x) = 1 - exp(-x).
TEST(Gamma, RegularisedIncompleteGamma) {
    EXPECT_NEAR(gammp(0.5, 1.0), std::erf(1.0), 1e-15);  // series branch
    EXPECT_NEAR(gammp(0.5, 4.0), std::erf(2.0), 1e-15);  // continued-fraction branch
    EXPECT_NEAR(gamm_inc(0.5, 1.0), std::sqrt(exact_pi) * std::erf(1.0), 2e-15);
    EXPECT_NEAR(gammp(1.0, 0.5), 1.0 - std::exp(-0.5), 1e-15);
    EXPECT_NEAR(gammp(1.0, 5.0), 1.0 - std::exp(-5.0), 1e-15);
    EXPECT_NEAR(gcf(1.0, 5.0), std::exp(-5.0), 1e-17);
    EXPECT_EQ(gammp(2.5, 0.0), 0.0);
    EXPECT_EQ(gammp(150.0, 0.0), 0.0);
}

// a >= 100 goes to the quadrature. Reference: the series (x < a + 1) and the
// continued fraction (x >= a + 1) evaluated directly, a different method.
TEST(Gamma, QuadratureBranch) {
    const double p1 = gammp(100.5, 100.0);
    EXPECT_LT(p1, 0.5);  // the median of Gamma(a) lies near a - 1/3 > 100
    EXPECT_GT(p1, 0.48);
    EXPECT_NEAR(p1, gser(100.5, 100.0), 1e-12);

    const double p2 = gammp(100.0, 130.0);
    EXPECT_GT(p2, 0.99);
    EXPECT_NEAR(p2, 1.0 - gcf(100.0, 130.0), 1e-12);

    // the complement from the same quadrature
    EXPECT_NEAR(gammpapprox(100.0, 130.0, 0), gcf(100.0, 130.0), 1e-12);
    EXPECT_NEAR(gammpapprox(120.0, 100.0, 1), gser(120.0, 100.0), 1e-12);
}

// Boys function: F_0 in closed form through erf; F_m(0) = 1/(2m+1) reached only
// down to the 1e-08 floor, F_m(t) ~ 1/(2m+1) - t/(2m+3).
TEST(Gamma, BoysFunction) {
    EXPECT_NEAR(Fgamma(0.0, 1.0), boys0(1.0), 4e-16);    // series
    EXPECT_NEAR(Fgamma(0.0, 30.0), boys0(30.0), 1e-16);  // continued fraction
    EXPECT_NEAR(Fgamma(0.0, 2.0), boys0(2.0), 4e-16);
    EXPECT_EQ(Fgamma(0.0, -1.0), Fgamma(0.0, 1.0));
    // higher orders by upward recursion: F_1(t) = (F_0(t) - exp(-t)) / (2t)
    EXPECT_NEAR(Fgamma(1.0, 2.0), (boys0(2.0) - std::exp(-2.0)) / 4.0, 1e-15);
    EXPECT_NEAR(Fgamma(2.0, 2.0), (3.0 * Fgamma(1.0, 2.0) - std::exp(-2.0)) / 4.0, 1e-15);

    const double f00 = Fgamma(0.0, 0.0);
    EXPECT_EQ(f00, Fgamma(0.0, 1e-9));
    EXPECT_EQ(f00, Fgamma(0.0, 1e-8));
    EXPECT_NEAR(1.0 - f00, 1e-8 / 3.0, 1e-11);
    for (int m = 1; m <= 4; ++m) {
        const double fm0 = Fgamma(m, 0.0);
        EXPECT_LT(fm0, 1.0 / (2 * m + 1));
        EXPECT_NEAR(1.0 / (2 * m + 1) - fm0, 1e-8 / (2 * m + 3), 1e-11);
    }
}

// Arguments outside the domain stop the run through the one error path, with the
// functions' own messages, instead of printing into the report and going on.
TEST(Gamma, ArgumentsOutsideTheDomainAreFailures) {
    struct Case {
        std::function<double()> call;
        const char* message;
    };
    const Case cases[] = {
        {[] { return gammln(0.0); }, "Bad argument in gammln"},
        {[] { return gammln(-2.0); }, "Bad argument in gammln"},
        {[] { return gammln(std::nan("")); }, "Bad argument in gammln"},
        {[] { return gammp(1.0, -1.0); }, "Bad value in Fgamma!"},
        {[] { return gammp(0.0, 1.0); }, "Bad value in Fgamma!"},
        {[] { return gamm_inc(-1.0, 1.0); }, "Bad value in Fgamma!"},
    };
    for (const Case& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << "no Failure for " << c.message;
        } catch (const Failure& f) {
            EXPECT_EQ(f.message, c.message);
            EXPECT_EQ(f.status, exit_status::numerical);
        }
    }
    EXPECT_NO_THROW(Fgamma(0.0, 1.0));
}
