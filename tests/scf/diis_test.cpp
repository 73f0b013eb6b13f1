// The DIIS pieces on small hand-made inputs whose answers follow in closed form.
#include <gtest/gtest.h>

#include <vector>

#include "scf/diis.h"

namespace {

Matrix<double> mat(int rows, int cols, std::vector<double> values) {
    Matrix<double> M(rows, cols);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) M[i][j] = values[static_cast<std::size_t>(i * cols + j)];
    return M;
}

Matrix<double> scalar(double v) { return mat(1, 1, {v}); }

}  // namespace

TEST(SolveLinear, NeedsRowExchangeForAZeroLeadingPivot) {
    // x = (1, 2, 3): without pivoting the first step divides by A[0][0] = 0.
    const std::vector<std::vector<double>> A{{0, 2, 1}, {1, 1, 1}, {2, 1, -1}};
    const std::vector<double> b{7, 6, 1};
    std::vector<double> x;
    ASSERT_TRUE(solve_linear(A, b, x));
    ASSERT_EQ(x.size(), 3u);
    EXPECT_NEAR(x[0], 1.0, 1e-14);
    EXPECT_NEAR(x[1], 2.0, 1e-14);
    EXPECT_NEAR(x[2], 3.0, 1e-14);
}

TEST(SolveLinear, PivotsOnTheLargestElementForAccuracy) {
    // A tiny leading pivot: elimination without row exchange loses every digit of x0;
    // the exact solution is x0 = 1/(1 - 1e-17) ~ 1, x1 = 1 - 1e-17 x0 ~ 1.
    const std::vector<std::vector<double>> A{{1e-17, 1}, {1, 1}};
    std::vector<double> x;
    ASSERT_TRUE(solve_linear(A, {1, 2}, x));
    EXPECT_NEAR(x[0], 1.0, 1e-14);
    EXPECT_NEAR(x[1], 1.0, 1e-14);
}

TEST(SolveLinear, RefusesSingularSystems) {
    std::vector<double> x;
    EXPECT_FALSE(solve_linear({{1, 2}, {2, 4}}, {1, 2}, x));  // rank 1
    EXPECT_FALSE(solve_linear({{0, 0}, {0, 0}}, {0, 0}, x));
}

TEST(DiisCoefficients, TwoVectorsInClosedForm) {
    // c1 = (B22 - B12) / (B11 - 2 B12 + B22), c2 = 1 - c1.
    std::vector<double> c;
    // Opposite errors 1 and -1 cancel with equal weights.
    ASSERT_TRUE(diis_coefficients({{1, -1}, {-1, 1}}, c));
    EXPECT_NEAR(c[0], 0.5, 1e-15);
    EXPECT_NEAR(c[1], 0.5, 1e-15);
    // Errors 2 and 1 (one-dimensional): linear extrapolation to zero, c = (-1, 2).
    ASSERT_TRUE(diis_coefficients({{4, 2}, {2, 1}}, c));
    EXPECT_NEAR(c[0], -1.0, 1e-14);
    EXPECT_NEAR(c[1], 2.0, 1e-14);
    // Orthogonal errors of squared lengths 1 and 3: weights 3/4 and 1/4.
    ASSERT_TRUE(diis_coefficients({{1, 0}, {0, 3}}, c));
    EXPECT_NEAR(c[0], 0.75, 1e-15);
    EXPECT_NEAR(c[1], 0.25, 1e-15);
}

TEST(DiisCoefficients, AreIndependentOfTheScaleOfTheErrors) {
    // Errors of size 1e-9 (late iterations) give the same weights as size 1.
    std::vector<double> c;
    ASSERT_TRUE(diis_coefficients({{1e-18, 0}, {0, 3e-18}}, c));
    EXPECT_NEAR(c[0], 0.75, 1e-12);
    EXPECT_NEAR(c[1], 0.25, 1e-12);
}

TEST(DiisCoefficients, RefuseLinearlyDependentErrors) {
    std::vector<double> c;
    EXPECT_FALSE(diis_coefficients({{1, 1}, {1, 1}}, c));  // the same error twice
    EXPECT_FALSE(diis_coefficients({{0, 0}, {0, 0}}, c));  // no error at all
}

TEST(DiisExtrapolate, SolvesALinearFixedPointProblem) {
    // Error e(F) = 3.5 - F/2 vanishes at F = 7; from F = 3 (e = 2) and F = 5 (e = 1)
    // DIIS lands on 7 in one extrapolation.
    Diis d;
    d.add(scalar(3), scalar(2));
    d.add(scalar(5), scalar(1));
    EXPECT_NEAR(d.extrapolate()[0][0], 7.0, 1e-13);
}

TEST(DiisExtrapolate, DropsOldestVectorsWhileDependent) {
    Diis d;
    d.add(scalar(1), scalar(0.5));
    d.add(scalar(4), scalar(0.5));  // same error as the first: B is singular
    EXPECT_EQ(d.extrapolate()[0][0], 4.0);
    EXPECT_EQ(d.focks.size(), 1u);
    // A single pair, or errors that are all zero, give the newest Fock matrix back.
    Diis z;
    z.add(scalar(2), scalar(0));
    z.add(scalar(9), scalar(0));
    EXPECT_EQ(z.extrapolate()[0][0], 9.0);
}

TEST(DiisHistory, KeepsOnlyTheNewestPairs) {
    Diis d;
    d.max_vectors = 3;
    for (int k = 1; k <= 5; ++k) d.add(scalar(k), scalar(10 * k));
    ASSERT_EQ(d.focks.size(), 3u);
    ASSERT_EQ(d.errors.size(), 3u);
    EXPECT_EQ(d.focks.front()[0][0], 3.0);
    EXPECT_EQ(d.errors.front()[0][0], 30.0);
    EXPECT_EQ(d.focks.back()[0][0], 5.0);
}

TEST(DiisError, CommutatorOfNonCommutingFockAndDensity) {
    // S = X = 1: e = F D - D F. F = [[0,1],[1,0]], D = [[1,0],[0,0]] give [[0,-1],[1,0]].
    const Matrix<double> I = mat(2, 2, {1, 0, 0, 1});
    const Matrix<double> F = mat(2, 2, {0, 1, 1, 0});
    const Matrix<double> D = mat(2, 2, {1, 0, 0, 0});
    const Matrix<double> e = diis_error(F, D, I, I);
    EXPECT_EQ(e[0][0], 0.0);
    EXPECT_EQ(e[0][1], -1.0);
    EXPECT_EQ(e[1][0], 1.0);
    EXPECT_EQ(e[1][1], 0.0);
    // X enters on both sides: X = 2 scales the error by 4.
    const Matrix<double> e2 = diis_error(F, D, I, mat(2, 2, {2, 0, 0, 2}));
    EXPECT_EQ(e2[1][0], 4.0);
    EXPECT_EQ(max_abs_element(e2), 4.0);
}

TEST(DiisError, VanishesWhenFockAndDensityShareEigenvectors) {
    // Non-orthogonal basis S = [[1, s], [s, 1]]. With F = 2 S + 3 S D S both products
    // F D S and S D F equal 2 S D S + 3 S D S D S.
    const double s = 0.3;
    const Matrix<double> S = mat(2, 2, {1, s, s, 1});
    const Matrix<double> D = mat(2, 2, {0.4, 0.1, 0.1, 0.2});
    Matrix<double> SDS(2, 2), F(2, 2);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
            for (int k = 0; k < 2; ++k)
                for (int l = 0; l < 2; ++l) SDS[i][j] += S[i][k] * D[k][l] * S[l][j];
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) F[i][j] = 2 * S[i][j] + 3 * SDS[i][j];
    const Matrix<double> I = mat(2, 2, {1, 0, 0, 1});
    EXPECT_LT(max_abs_element(diis_error(F, D, S, I)), 1e-15);
}

TEST(MaxAbsElement, CountsNegativeElements) {
    EXPECT_EQ(max_abs_element(mat(1, 3, {-3, 2, 1})), 3.0);
    EXPECT_EQ(max_abs_element(Matrix<double>()), 0.0);
}
