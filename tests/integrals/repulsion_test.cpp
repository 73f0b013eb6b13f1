#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <set>
#include <vector>

#include "integrals/reference/repulsion.h"
#include "primitives.h"

// Integer ratios i!/(r!(i-2r)!) and B0 = (4g)^(r-i) i!/(r!(i-2r)!), by hand.
TEST(Repulsion, FactorialRatios) {
    EXPECT_EQ(fact_ratio2(4, 1), 12.0);  // 24 / (1 * 2)
    EXPECT_EQ(fact_ratio2(4, 2), 12.0);  // 24 / (2 * 1)
    EXPECT_EQ(fact_ratio2(3, 1), 6.0);   // 6 / (1 * 1)
    EXPECT_EQ(fact_ratio2(0, 0), 1.0);
    EXPECT_EQ(fact_ratio2(6, 3), 120.0);  // 720 / 6
    EXPECT_EQ(B0(2, 1, 0.5), 1.0);        // 2^-1 * 2
    EXPECT_EQ(B0(0, 0, 0.3), 1.0);
    EXPECT_DOUBLE_EQ(B0(3, 1, 0.25), 6.0);  // 1^-2 * 6
}

// Normalised primitives, alpha = 1. s at the origin, s' at (1,0,0). Closed forms:
//   (ss|ss) = 2/sqrt(pi) (the Boys argument is raised to 1e-08: 3.3e-9 low),
//   (ss|s's') = (2/sqrt(pi)) F_0(1) = erf(1).
TEST(Repulsion, SFunctions) {
    const Placed s = s_at(0), s1 = s_at(1);
    const double ssss = cgf_repulsion(s, s, s, s);
    const double exact = 2.0 / std::sqrt(exact_pi);
    EXPECT_NEAR(ssss / exact, 1.0, 1e-8);
    EXPECT_NEAR(1.0 - ssss / exact, 1e-8 / 3.0, 1e-10);

    const double j = cgf_repulsion(s, s, s1, s1);
    EXPECT_NEAR(j, std::erf(1.0), 1e-13);
    EXPECT_NEAR(cgf_repulsion(s1, s1, s, s), j, 1e-15);

    // (ss'|ss') = S^2 (2/sqrt(pi)) F_0(0) with both charge clouds at x = 1/2: exp(-1) 2/sqrt(pi)
    const double k = cgf_repulsion(s, s1, s, s1);
    EXPECT_GT(k, 0.0);
    EXPECT_LT(k, j);
    EXPECT_NEAR(k / (std::exp(-1.0) * exact), 1.0, 1e-8);
}

// One-centre p functions: positivity and the rotational identity
// (xx|xx) = (xx|yy) + 2 (xy|xy) for p functions sharing a radial part.
TEST(Repulsion, PFunctions) {
    const Placed s = s_at(0), px = px_at(0), py = py_at(0);
    const double xxss = cgf_repulsion(px, px, s, s);
    const double xxyy = cgf_repulsion(px, px, py, py);
    const double xyxy = cgf_repulsion(px, py, px, py);
    const double xxxx = cgf_repulsion(px, px, px, px);
    EXPECT_GT(xxss, 0.0);
    EXPECT_GT(xxyy, 0.0);
    EXPECT_GT(xyxy, 0.0);
    EXPECT_LT(xyxy, 0.2 * xxyy);
    EXPECT_NEAR(xxxx, xxyy + 2.0 * xyxy, 1e-14);
    EXPECT_NEAR(cgf_repulsion(py, py, px, px), xxyy, 1e-15);
    EXPECT_NEAR(cgf_repulsion(py, px, py, px), xyxy, 1e-15);
    EXPECT_EQ(cgf_repulsion(s, px, s, s), 0.0);

    // px' at (1,0,0) with the s' density beside it: same value from either electron
    const Placed s1 = s_at(1), px1 = px_at(1);
    const double v = cgf_repulsion(s, px1, s1, s1);
    EXPECT_LT(v, 0.0);
    EXPECT_NEAR(cgf_repulsion(px1, s, s1, s1), v, 1e-15);
    EXPECT_NEAR(cgf_repulsion(s1, s1, s, px1), v, 1e-15);
}

TEST(Repulsion, Index) {
    EXPECT_EQ(teindex(0, 0, 0, 0), 0u);
    EXPECT_EQ(teindex(1, 0, 0, 0), 1u);
    EXPECT_EQ(teindex(1, 0, 1, 0), 2u);
    EXPECT_EQ(teindex(0, 1, 1, 0), 2u);
    EXPECT_EQ(teindex(1, 1, 0, 0), 3u);
    EXPECT_EQ(teindex(1, 1, 1, 1), 5u);
    EXPECT_EQ(teindex(2, 1, 0, 0), 10u);
    EXPECT_EQ(teindex(0, 0, 1, 2), 10u);
    EXPECT_EQ(teindex(2, 2, 2, 2), 20u);
    // beyond the 32-bit range: ij = 65536*65537/2 + 65536 = 2147581952,
    // ij (ij + 1)/2 + ij = 2306054123499438080 (Python big integers)
    EXPECT_EQ(teindex(65536, 65536, 65536, 65536), UINT64_C(2306054123499438080));

    // eightfold symmetry, and distinct integrals filling 0 ... max without gaps
    const unsigned n = 7;
    std::set<std::uint64_t> seen;
    for (unsigned i = 0; i < n; ++i)
        for (unsigned j = 0; j < n; ++j)
            for (unsigned k = 0; k < n; ++k)
                for (unsigned l = 0; l < n; ++l) {
                    const std::uint64_t v = teindex(i, j, k, l);
                    EXPECT_EQ(v, teindex(j, i, k, l));
                    EXPECT_EQ(v, teindex(i, j, l, k));
                    EXPECT_EQ(v, teindex(j, i, l, k));
                    EXPECT_EQ(v, teindex(k, l, i, j));
                    EXPECT_EQ(v, teindex(l, k, i, j));
                    EXPECT_EQ(v, teindex(k, l, j, i));
                    EXPECT_EQ(v, teindex(l, k, j, i));
                    if (i >= j && k >= l && i * (i + 1) / 2 + j >= k * (k + 1) / 2 + l) seen.insert(v);
                }
    const std::uint64_t pairs = n * (n + 1) / 2;
    EXPECT_EQ(seen.size(), pairs * (pairs + 1) / 2);  // every canonical quadruple has its own index
    EXPECT_EQ(*seen.rbegin(), teindex(n - 1, n - 1, n - 1, n - 1));
    EXPECT_EQ(*seen.rbegin() + 1, seen.size());
}
