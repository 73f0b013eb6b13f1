#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "linalg/canorg.h"
#include "linalg/eigsym.h"
#include "linalg/matfunc.h"

namespace {

// Overlap of normalised s Gaussians exp(-r^2/2) centred at x_i on a line:
// S_ij = exp(-(x_i - x_j)^2 / 4), positive definite for distinct centres.
Matrix<double> gaussian_overlap(const std::vector<double>& x) {
    const int n = static_cast<int>(x.size());
    Matrix<double> S(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) S[i][j] = std::exp(-(x[i] - x[j]) * (x[i] - x[j]) / 4.0);
    return S;
}

}  // namespace

TEST(Canorg, IdentityGivesIdentity) {
    Matrix<double> S(4, 4);
    for (int i = 0; i < 4; ++i) S[i][i] = 1.0;
    const Matrix<double> X = canorg(S);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(X[i][j], i == j ? 1.0 : 0.0);
}

TEST(Canorg, OneByOne) {
    Matrix<double> S(1, 1);
    S[0][0] = 0.64;
    EXPECT_EQ(canorg(S)[0][0], 1.0 / std::sqrt(0.64));
}

// X^T S X = 1 and X = X^T for a realistic, fairly ill-conditioned overlap.
TEST(Canorg, OrthonormalisesGaussianOverlap) {
    const Matrix<double> S = gaussian_overlap({0.0, 0.7, 1.5, 2.1, 3.4, 3.9});
    const Matrix<double> S_before = S;
    const Matrix<double> X = canorg(S);
    const Matrix<double> XSX = matprod(matprod(transpose(X), S), X);
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) {
            EXPECT_NEAR(XSX[i][j], i == j ? 1.0 : 0.0, 1e-12);
            EXPECT_NEAR(X[i][j], X[j][i], 1e-12);
            EXPECT_EQ(S[i][j], S_before[i][j]);
        }
}

// X = U s^(-1/2) U^T with any column of U negated is the same matrix.
TEST(Canorg, IndependentOfEigenvectorSigns) {
    const Matrix<double> S = gaussian_overlap({0.0, 1.0, 2.5, 3.0});
    Matrix<double> U;
    std::vector<double> s;
    Eigsym(S, U, s);
    for (int r = 0; r < 4; ++r) {
        U[r][1] = -U[r][1];
        U[r][3] = -U[r][3];
    }
    Matrix<double> D(4, 4);
    for (int i = 0; i < 4; ++i) D[i][i] = 1.0 / std::sqrt(s[i]);
    const Matrix<double> flipped = matprod(U, matprod(D, transpose(U)));
    const Matrix<double> X = canorg(S);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(X[i][j], flipped[i][j], 1e-13);
}

// Two functions: S = [1 t; t 1] has eigenvalues 1 - t, 1 + t, and
// S^(-1/2) = [p q; q p] with p, q = (1/sqrt(1+t) +- 1/sqrt(1-t)) / 2.
TEST(CanorgChecked, SmallestEigenvalueAndSameMatrix) {
    const double t = std::exp(-0.8 * 0.8 / 4.0);
    const Matrix<double> S = gaussian_overlap({0.0, 0.8});
    const Orthogonaliser o = canorg_checked(S);
    EXPECT_NEAR(o.smallest_eigenvalue, 1.0 - t, 1e-15);
    const double p = 0.5 * (1.0 / std::sqrt(1.0 + t) + 1.0 / std::sqrt(1.0 - t));
    const double q = 0.5 * (1.0 / std::sqrt(1.0 + t) - 1.0 / std::sqrt(1.0 - t));
    EXPECT_NEAR(o.X[0][0], p, 1e-13);
    EXPECT_NEAR(o.X[1][1], p, 1e-13);
    EXPECT_NEAR(o.X[0][1], q, 1e-13);
    EXPECT_NEAR(o.X[1][0], q, 1e-13);
    const Matrix<double> X = canorg(S);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) EXPECT_EQ(X[i][j], o.X[i][j]);

    // A zero row (a function with no primitives) shows up as a zero eigenvalue.
    Matrix<double> singular = gaussian_overlap({0.0, 1.0, 2.0});
    for (int k = 0; k < 3; ++k) singular[1][k] = singular[k][1] = 0.0;
    EXPECT_EQ(canorg_checked(singular).smallest_eigenvalue, 0.0);

    const Orthogonaliser empty = canorg_checked(Matrix<double>());
    EXPECT_EQ(empty.X.rows(), 0);
    EXPECT_TRUE(std::isinf(empty.smallest_eigenvalue) && empty.smallest_eigenvalue > 0.0);
}
