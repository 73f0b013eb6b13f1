#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "integrals/reference/repulsion.h"
#include "scf/fock.h"
#include "scf/two_electron.h"

// The distinct-integral Fock build against the plain n^4 build. Any table indexed by
// teindex has the eightfold symmetry by construction, so random entries test every
// degeneracy factor; the densities are random and symmetric, as the SCF's are.
namespace {

void check(int n, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    const std::uint64_t count = teindex(n - 1, n - 1, n - 1, n - 1) + 1;
    TwoElectronTable table(static_cast<unsigned>(n));
    for (std::uint64_t k = 0; k < count; ++k) table[k] = u(rng);
    Matrix<double> P(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) P[i][j] = P[j][i] = u(rng);
    const Matrix<double> ref = two_electron_reference(P, table);
    const Matrix<double> fast = two_electron_from_distinct(P, table);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) EXPECT_NEAR(fast[i][j], ref[i][j], 1e-12) << "n " << n << " at " << i << "," << j;
}

}  // namespace

TEST(FockDistinct, MatchesReferenceOnRandomSymmetricDensities) {
    check(1, 1);
    check(2, 2);
    check(7, 3);
    check(13, 4);
}

// One function, one integral (00|00) = v: G = P v - P v / 2 = P v / 2.
TEST(FockDistinct, SingleFunctionClosedForm) {
    Matrix<double> P(1, 1);
    P[0][0] = 0.8;
    TwoElectronTable table(1);
    table[0] = 0.75;
    const Matrix<double> G = two_electron_from_distinct(P, table);
    EXPECT_DOUBLE_EQ(G[0][0], 0.3);
}
