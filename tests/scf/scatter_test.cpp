// The eight-fold scatter of the distinct integrals (scatter.h), through the dense table:
// the closed-shell G and the J and K of one or two densities against the plain sums over
// all n^4 index quadruples. Random tables indexed by pair(pair(i, j), pair(k, l)) have the
// eight-fold symmetry by construction, so they test every coincidence weight; the
// densities are random and symmetric, as the SCF's are.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "integrals/eri_table.h"
#include "scf/fock.h"
#include "scf/two_electron.h"

namespace {

Matrix<double> random_symmetric(int n, std::mt19937_64& rng) {
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    Matrix<double> P(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) P[i][j] = P[j][i] = u(rng);
    return P;
}

}  // namespace

TEST(EightFoldScatter, MatchesAllQuadrupleSums) {
    // n functions, random seed; every value against the n^4 sums below, to 1e-12.
    for (const auto& [n, seed] : {std::pair{1, 1u}, {2, 2u}, {7, 3u}, {12, 4u}, {13, 5u}}) {
        SCOPED_TRACE(n);
        std::mt19937_64 rng(seed);
        std::uniform_real_distribution<double> u(-1.0, 1.0);
        TwoElectronTable table(static_cast<unsigned>(n));
        for (std::size_t k = 0; k < table.size(); ++k) table[k] = u(rng);
        const Matrix<double> Pa = random_symmetric(n, rng), Pb = random_symmetric(n, rng);
        const TableOperator op(table, true);
        const TwoElectronOperator::JK two = op.jk({Pa, Pb}), one = op.jk({Pa});
        const Matrix<double> K_alone = op.K(Pa);
        const Matrix<double> G = two_electron_from_distinct(Pa, table);
        const Matrix<double> G_reference = two_electron_reference(Pa, table);
        auto te = [&](int a, int b, int c, int d) { return table(a, b, c, d); };
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                double J = 0.0, Ja = 0.0, Ka = 0.0, Kb = 0.0;
                for (int k = 0; k < n; ++k)
                    for (int l = 0; l < n; ++l) {
                        J += (Pa[k][l] + Pb[k][l]) * te(i, j, k, l);
                        Ja += Pa[k][l] * te(i, j, k, l);
                        Ka += Pa[k][l] * te(i, k, j, l);
                        Kb += Pb[k][l] * te(i, k, j, l);
                    }
                EXPECT_NEAR(two.J[i][j], J, 1e-12);
                EXPECT_NEAR(two.K[0][i][j], Ka, 1e-12);
                EXPECT_NEAR(two.K[1][i][j], Kb, 1e-12);
                EXPECT_NEAR(one.J[i][j], Ja, 1e-12);
                EXPECT_NEAR(one.K[0][i][j], Ka, 1e-12);
                EXPECT_EQ(K_alone[i][j], one.K[0][i][j]);  // the same bits: the triplet check's value
                EXPECT_NEAR(G[i][j], Ja - 0.5 * Ka, 1e-12);
                EXPECT_NEAR(G_reference[i][j], Ja - 0.5 * Ka, 1e-12);
            }
        // Pa = Pb = P / 2: J[P] - K[P / 2] is the closed-shell G = J[P] - 1/2 K[P].
        Matrix<double> half(n, n);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) half[i][j] = 0.5 * Pa[i][j];
        const TwoElectronOperator::JK c = op.jk({half, half});
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) EXPECT_NEAR(c.J[i][j] - c.K[0][i][j], G[i][j], 1e-12);
    }
}

// One function, one integral (00|00) = v: G = P v - P v / 2 = P v / 2.
TEST(EightFoldScatter, SingleFunctionClosedForm) {
    Matrix<double> P(1, 1);
    P[0][0] = 0.8;
    TwoElectronTable table(1);
    table[0] = 0.75;
    const Matrix<double> G = two_electron_from_distinct(P, table);
    EXPECT_DOUBLE_EQ(G[0][0], 0.3);
}
