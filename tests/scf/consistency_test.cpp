// The self-consistency test of a finished run on a three-orbital model in an orthonormal
// basis (S = X = 1), F = diag(e), the reported orbitals C = 1 with orbital 0 occupied, and
// the density P of orbital 0 rotated by theta into orbital 1:
//   P = 2 [c^2, cs, 0; cs, s^2, 0; 0, 0, 0],  c = cos theta, s = sin theta.
// In closed form |C_occ C_occ^T 2 - P|_F = sqrt(8 s^4 + 2 sin^2 2theta) and
// |F P - P F|_F = sqrt(2) (e1 - e0) |sin 2theta|.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scf/consistency.h"

TEST(SelfConsistency, DensityAndCommutatorOfARotatedDensity) {
    struct Case {
        double theta, gap;
        bool density_ok, commutator_ok;  // against 2 sqrt(5e-9 / g) and 2 sqrt(5e-9 g) + 1e-9
    };
    const Case cases[] = {
        {0.0, 1.0, true, true},       // the orbitals' own density
        {1e-5, 1.0, true, true},      // |dP| 2.8e-5 < 1.4e-4, |e| 2.8e-5 < 1.4e-4
        {1e-4, 1.0, false, false},    // 2.8e-4 above both
        {1e-4, 0.2, true, true},      // small gap: |dP| < 3.2e-4, |e| 5.7e-5 < 6.3e-5
        {1e-5, 0.001, true, true},    // a gap below 0.05 counts as 0.05
        {std::acos(-1.0) / 2, 0.5, false, true},  // the other orbital occupied: F and P commute
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.theta);
        SCOPED_TRACE(c.gap);
        const std::vector<double> e{-1.0, -1.0 + c.gap, 2.0};
        Matrix<double> I(3, 3), F(3, 3), P(3, 3);
        for (int k = 0; k < 3; ++k) {
            I[k][k] = 1.0;
            F[k][k] = e[k];
        }
        const double co = std::cos(c.theta), si = std::sin(c.theta);
        P[0][0] = 2 * co * co;
        P[0][1] = P[1][0] = 2 * co * si;
        P[1][1] = 2 * si * si;
        const SelfConsistency r = check_self_consistency(I, e, 1, P, F, I, I);
        EXPECT_NEAR(r.density_difference, std::sqrt(8 * std::pow(si, 4) + 2 * std::pow(std::sin(2 * c.theta), 2)), 1e-15);
        EXPECT_NEAR(r.commutator, std::sqrt(2.0) * c.gap * std::fabs(std::sin(2 * c.theta)), 1e-15);
        EXPECT_EQ(r.density_ok(), c.density_ok);
        EXPECT_EQ(r.commutator_ok(), c.commutator_ok);
        EXPECT_EQ(r.ok(), c.density_ok && c.commutator_ok);
    }
}

// The overlap enters through X^-1 = X^T S: a density difference is measured in the
// orthogonal basis. S = 4 (X = 1/2): P' = X^T S P S X = 4 P.
TEST(SelfConsistency, MeasuresTheDensityInTheOrthogonalBasis) {
    Matrix<double> C(1, 1), P(1, 1), F(1, 1), S(1, 1), X(1, 1);
    C[0][0] = 0.5;  // normalised: C^T S C = 1
    S[0][0] = 4.0;
    X[0][0] = 0.5;
    P[0][0] = 0.25;  // the orbital density is 2 C^2 = 0.5
    const SelfConsistency r = check_self_consistency(C, {-1.0}, 1, P, F, S, X);
    EXPECT_DOUBLE_EQ(r.density_difference, 4 * 0.25);
    EXPECT_FALSE(r.density_ok());
}
