// The further starts of the SCF search: the Wolfsberg-Helmholz guess, the frontier swaps
// and their densities, against closed forms worked by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "scf/starts.h"

TEST(WolfsbergHelmholz, DiagonalOfHAndOverlapScaledMeansOffIt) {
    Matrix<double> H(2, 2), S(2, 2);
    H[0][0] = -1.0, H[0][1] = H[1][0] = -0.5, H[1][1] = -0.2;
    S[0][0] = S[1][1] = 1.0, S[0][1] = S[1][0] = 0.4;
    const Matrix<double> F = wolfsberg_helmholz(H, S);
    // F_ii = H_ii; F_01 = 1.75 / 2 (-1.0 - 0.2) 0.4 = -0.42, whatever H_01 is.
    EXPECT_EQ(F[0][0], -1.0);
    EXPECT_EQ(F[1][1], -0.2);
    EXPECT_NEAR(F[0][1], -0.42, 1e-15);
    EXPECT_NEAR(F[1][0], -0.42, 1e-15);
}

TEST(FrontierSwaps, HomoToLumoHomoMinusOneToLumoHomoToLumoPlusOneWhereTheyExist) {
    struct Case {
        unsigned occupied, functions;
        std::vector<std::pair<unsigned, unsigned>> swaps;  // (from, to)
    };
    const Case cases[] = {
        {3, 7, {{2, 3}, {1, 3}, {2, 4}}},
        {2, 3, {{1, 2}, {0, 2}}},  // no LUMO+1
        {1, 2, {{0, 1}}},          // no HOMO-1, no LUMO+1
        {1, 3, {{0, 1}, {0, 2}}},  // no HOMO-1
        {2, 2, {}},                // every orbital occupied
        {0, 5, {}},                // nothing occupied (a beta spin without electrons)
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.occupied) + " of " + std::to_string(c.functions));
        std::vector<std::pair<unsigned, unsigned>> got;
        for (OccupationSwap s : frontier_swaps(c.occupied, c.functions)) got.emplace_back(s.from, s.to);
        EXPECT_EQ(got, c.swaps);
    }
}

TEST(SwappedDensity, EmptiesOneOrbitalAndFillsAnother) {
    // Orthonormal orbitals of a rotation by t: c0 = (cos t, sin t), c1 = (-sin t, cos t).
    const double t = 0.3, c = std::cos(t), s = std::sin(t);
    Matrix<double> C(2, 2);
    C[0][0] = c, C[1][0] = s, C[0][1] = -s, C[1][1] = c;
    // One electron of one spin moved from c0 to c1: D = c1 c1^T.
    const Matrix<double> D = swapped_density(C, 1, {0, 1}, 1.0);
    EXPECT_NEAR(D[0][0], s * s, 1e-15);
    EXPECT_NEAR(D[0][1], -s * c, 1e-15);
    EXPECT_NEAR(D[1][1], c * c, 1e-15);
    // Closed shell in three orthonormal orbitals (the unit vectors), two occupied, the
    // second moved to the third: diag(2, 0, 2).
    Matrix<double> I(3, 3);
    for (int k = 0; k < 3; ++k) I[k][k] = 1.0;
    const Matrix<double> P = swapped_density(I, 2, {1, 2}, 2.0);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_EQ(P[i][j], i == j && i != 1 ? 2.0 : 0.0);
}
