#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <random>
#include <vector>

#include "common/failure.h"
#include "linalg/eigsym.h"

namespace {

Matrix<double> diagonal(std::initializer_list<double> v) {
    const int n = static_cast<int>(v.size());
    Matrix<double> m(n, n);
    int i = 0;
    for (double x : v) {
        m[i][i] = x;
        ++i;
    }
    return m;
}

// |A v_i - w_i v_i| and |U^T U - 1|, largest element.
void expect_eigensystem(const Matrix<double>& A, const Matrix<double>& U, const std::vector<double>& w, double tol) {
    const int n = A.rows();
    ASSERT_EQ(U.rows(), n);
    ASSERT_EQ(U.cols(), n);
    ASSERT_EQ(static_cast<int>(w.size()), n);
    for (int i = 0; i < n; ++i) {
        if (i > 0) {
            EXPECT_LE(w[i - 1], w[i]);
        }
        for (int r = 0; r < n; ++r) {
            double av = 0.0;
            for (int k = 0; k < n; ++k) av += A[r][k] * U[k][i];
            EXPECT_NEAR(av, w[i] * U[r][i], tol) << "n=" << n << " vector " << i;
        }
        for (int j = 0; j < n; ++j) {
            double dot = 0.0;
            for (int k = 0; k < n; ++k) dot += U[k][i] * U[k][j];
            EXPECT_NEAR(dot, i == j ? 1.0 : 0.0, tol);
        }
    }
}

}  // namespace

TEST(Eigsym, OneByOne) {
    Matrix<double> A(1, 1);
    A[0][0] = -0.75;
    Matrix<double> U;
    std::vector<double> w;
    Eigsym(A, U, w);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0], -0.75);
    ASSERT_EQ(U.rows(), 1);
    EXPECT_EQ(U[0][0], 1.0);
}

TEST(Eigsym, EmptyInputGivesEmptyResult) {
    Matrix<double> U(2, 2);
    std::vector<double> w(3, 1.0);
    Eigsym(Matrix<double>(), U, w);
    EXPECT_EQ(U.rows(), 0);
    EXPECT_EQ(U.cols(), 0);
    EXPECT_TRUE(w.empty());
}

// A diagonal matrix is already converged: the final sort alone orders it, and
// U is the permutation that does it. diag(3, 1, 2) -> 1 (e1), 2 (e2), 3 (e0).
TEST(Eigsym, DiagonalIsSortedWithPermutationColumns) {
    Matrix<double> U;
    std::vector<double> w;
    Eigsym(diagonal({3.0, 1.0, 2.0}), U, w);
    EXPECT_EQ(w, (std::vector<double>{1.0, 2.0, 3.0}));
    const int column_of[3] = {1, 2, 0};
    for (int i = 0; i < 3; ++i)
        for (int r = 0; r < 3; ++r) EXPECT_EQ(U[r][i], r == column_of[i] ? 1.0 : 0.0) << r << "," << i;
}

// Values 2, 2, 1 in positions 0, 1, 2: the exchange sort moves the 1 to the
// front by swapping it with position 0, so the order becomes 1 (e2), 2 (e1), 2 (e0).
TEST(Eigsym, TieOrderOfExchangeSort) {
    Matrix<double> U;
    std::vector<double> w;
    Eigsym(diagonal({2.0, 2.0, 1.0}), U, w);
    EXPECT_EQ(w, (std::vector<double>{1.0, 2.0, 2.0}));
    const int column_of[3] = {2, 1, 0};
    for (int i = 0; i < 3; ++i)
        for (int r = 0; r < 3; ++r) EXPECT_EQ(U[r][i], r == column_of[i] ? 1.0 : 0.0) << r << "," << i;
}

// [a b; b c]: lambda = (a + c)/2 -+ sqrt(((a - c)/2)^2 + b^2), vector ~ (b, lambda - a).
TEST(Eigsym, TwoByTwoClosedForm) {
    const double a = 1.5, b = -0.4, c = -0.3;
    Matrix<double> A(2, 2);
    A[0][0] = a;
    A[0][1] = A[1][0] = b;
    A[1][1] = c;
    Matrix<double> U;
    std::vector<double> w;
    Eigsym(A, U, w);
    const double mean = 0.5 * (a + c), rad = std::sqrt(0.25 * (a - c) * (a - c) + b * b);
    const double expected[2] = {mean - rad, mean + rad};
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(w[i], expected[i], 1e-15);
        const double vx = b, vy = expected[i] - a, norm = std::hypot(vx, vy);
        EXPECT_NEAR(std::fabs(U[0][i] * vx + U[1][i] * vy) / norm, 1.0, 1e-15);
    }
}

TEST(Eigsym, ReadsOnlyDiagonalAndUpperTriangle) {
    Matrix<double> A(3, 3);
    const double v[3][3] = {{2.0, 0.5, -0.25}, {0.5, 1.0, 0.75}, {-0.25, 0.75, -1.0}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) A[i][j] = v[i][j];
    Matrix<double> U0, U1, U2;
    std::vector<double> w0, w1, w2;
    Eigsym(A, U0, w0);

    Matrix<double> lower_changed = A;
    lower_changed[2][0] = 5.0;
    Eigsym(lower_changed, U1, w1);
    EXPECT_EQ(w1, w0);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_EQ(U1[i][j], U0[i][j]);

    Matrix<double> upper_changed = A;
    upper_changed[0][2] = 5.0;
    Eigsym(upper_changed, U2, w2);
    EXPECT_NE(w2, w0);
    upper_changed[2][0] = 5.0;  // the matrix it actually diagonalised
    expect_eigensystem(upper_changed, U2, w2, 1e-14);
}

TEST(Eigsym, OutputsAreReshaped) {
    Matrix<double> U(5, 2);
    U[0][0] = 9.0;
    std::vector<double> w(7, 9.0);
    const Matrix<double> A = diagonal({4.0, -1.0});
    Eigsym(A, U, w);
    EXPECT_EQ(w, (std::vector<double>{-1.0, 4.0}));
    ASSERT_EQ(U.rows(), 2);
    ASSERT_EQ(U.cols(), 2);
    EXPECT_EQ(U[0][0], 0.0);
    EXPECT_EQ(U[1][0], 1.0);
    EXPECT_EQ(U[0][1], 1.0);
    EXPECT_EQ(U[1][1], 0.0);
}

// Residual and orthonormality over seeded random symmetric matrices.
TEST(Eigsym, RandomSymmetricResiduals) {
    std::mt19937 gen(20261207);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int n = 1; n <= 40; ++n) {
        Matrix<double> A(n, n);
        for (int i = 0; i < n; ++i)
            for (int j = i; j < n; ++j) A[i][j] = A[j][i] = u(gen);
        Matrix<double> U;
        std::vector<double> w;
        Eigsym(A, U, w);
        expect_eigensystem(A, U, w, 1e-13);
    }
}

// Degenerate spectra (the all-ones matrix: n, then 0 n-1 times) still give an
// orthonormal basis of each eigenspace.
TEST(Eigsym, DegenerateSpectrum) {
    for (int n : {2, 5, 11}) {
        Matrix<double> A(n, n);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) A[i][j] = 1.0;
        Matrix<double> U;
        std::vector<double> w;
        Eigsym(A, U, w);
        for (int i = 0; i < n - 1; ++i) EXPECT_NEAR(w[i], 0.0, 1e-14);
        EXPECT_NEAR(w[n - 1], n, 1e-14);
        expect_eigensystem(A, U, w, 1e-14);
    }
}

// A value that is not finite would defeat the QL convergence tests and give
// garbage orbitals; it stops the run through the one error path instead.
TEST(Eigsym, NonFiniteElementIsANumericalFailure) {
    const double bad[] = {std::nan(""), std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity()};
    for (double x : bad) {
        Matrix<double> A = diagonal({1.0, 2.0, 3.0});
        A[1][2] = A[2][1] = x;
        Matrix<double> U;
        std::vector<double> w;
        try {
            Eigsym(A, U, w);
            ADD_FAILURE() << "no Failure for " << x;
        } catch (const Failure& f) {
            EXPECT_EQ(f.status, exit_status::numerical);
            EXPECT_NE(f.message.find("row 2, column 3"), std::string::npos) << f.message;
        }
    }
}
