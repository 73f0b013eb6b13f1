#include <gtest/gtest.h>

#include "linalg/canorg.h"
#include "linalg/matfunc.h"
#include "linalg/matrix.h"

namespace {

Matrix<double> make(int r, int c, std::initializer_list<double> v) {
    Matrix<double> m(r, c);
    auto it = v.begin();
    for (int i = 0; i < r; ++i)
        for (int j = 0; j < c; ++j) m[i][j] = *it++;
    return m;
}

void expect_equal(const Matrix<double>& a, const Matrix<double>& b) {
    ASSERT_EQ(a.rows(), b.rows());
    ASSERT_EQ(a.cols(), b.cols());
    for (int i = 0; i < a.rows(); ++i)
        for (int j = 0; j < a.cols(); ++j) EXPECT_EQ(a[i][j], b[i][j]) << "at " << i << "," << j;
}

}  // namespace

TEST(Matrix, ConstructionZeroFillsAndRowsAreContiguous) {
    Matrix<double> m(3, 4);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(m[i][j], 0.0);
    EXPECT_EQ(m[1], m[0] + 4);
    EXPECT_EQ(m[2], m[0] + 8);
}

TEST(Matrix, SpecialShapes) {
    Matrix<double> empty;
    EXPECT_EQ(empty.rows(), 0);
    EXPECT_EQ(empty.cols(), 0);
    Matrix<double> no_columns(3, 0);
    EXPECT_EQ(no_columns.rows(), 3);
    EXPECT_EQ(no_columns[0], nullptr);
    EXPECT_EQ(no_columns[2], nullptr);
    Matrix<double> copy = no_columns;  // copying a storage-less shape touches no element
    EXPECT_EQ(copy.rows(), 3);
    EXPECT_EQ(copy.cols(), 0);
    Matrix<double> zero_rows(0, 5);
    EXPECT_EQ(zero_rows.rows(), 0);
}

TEST(Matrix, CopyIsDeep) {
    Matrix<double> a = make(2, 2, {1, 2, 3, 4});
    Matrix<double> b(a);
    Matrix<double> c;
    c = a;
    a[0][1] = 99.0;
    EXPECT_EQ(b[0][1], 2.0);
    EXPECT_EQ(c[0][1], 2.0);
    EXPECT_NE(b[0], a[0]);
    EXPECT_NE(c[0], a[0]);
}

TEST(Matrix, Assignment) {
    Matrix<double> a = make(2, 3, {1, 2, 3, 4, 5, 6});
    const double* before = a[0];
    Matrix<double>& self = a;
    a = self;
    EXPECT_EQ(a[0], before);
    expect_equal(a, make(2, 3, {1, 2, 3, 4, 5, 6}));

    Matrix<double> same_shape(2, 3);
    const double* storage = same_shape[0];
    same_shape = a;
    EXPECT_EQ(same_shape[0], storage);  // storage kept
    expect_equal(same_shape, a);

    Matrix<double> other_shape(5, 1);
    other_shape = a;
    EXPECT_EQ(other_shape.rows(), 2);
    EXPECT_EQ(other_shape.cols(), 3);
    expect_equal(other_shape, a);
}

TEST(Matrix, ResizeAlwaysClears) {
    Matrix<double> a = make(2, 2, {1, 2, 3, 4});
    const double* storage = a[0];
    a.resize(2, 2);
    EXPECT_EQ(a[0], storage);
    expect_equal(a, Matrix<double>(2, 2));
    a[1][1] = 7.0;
    a.resize(3, 1);
    expect_equal(a, Matrix<double>(3, 1));
}

// Hand-computed products: [1 2; 3 4][5 6; 7 8] = [19 22; 43 50].
TEST(MatFunc, ProductSumTranspose) {
    const Matrix<double> A = make(2, 2, {1, 2, 3, 4});
    const Matrix<double> B = make(2, 2, {5, 6, 7, 8});
    expect_equal(matprod(A, B), make(2, 2, {19, 22, 43, 50}));
    expect_equal(matprod(B, A), make(2, 2, {23, 34, 31, 46}));
    expect_equal(matsum(A, B), make(2, 2, {6, 8, 10, 12}));

    // Non-square: (2x3)(3x1).
    const Matrix<double> C = make(2, 3, {1, -1, 2, 0, 3, -2});
    const Matrix<double> v = make(3, 1, {4, 5, 6});
    expect_equal(matprod(C, v), make(2, 1, {11, 3}));
    expect_equal(transpose(C), make(3, 2, {1, 0, -1, 3, 2, -2}));

    const Matrix<double> row = make(1, 4, {1, 2, 3, 4});
    expect_equal(transpose(row), make(4, 1, {1, 2, 3, 4}));
}

TEST(MatFunc, DegenerateShapes) {
    const Matrix<double> no_columns(2, 0);
    const Matrix<double> B(0, 3);
    expect_equal(matprod(no_columns, B), Matrix<double>(2, 3));
    const Matrix<double> no_rows(0, 2);
    const Matrix<double> R = matprod(no_rows, make(2, 2, {1, 2, 3, 4}));
    EXPECT_EQ(R.rows(), 0);
    EXPECT_EQ(R.cols(), 2);
}

// A (B C) = (1 2; 3 4)((0 1; 1 0)(2 0; 0 3)) = (1 2; 3 4)(0 3; 2 0) = (4 3; 8 9).
// It is not A^T B A and not (A B) C in floating point: it must match the
// right-bracketed product bit for bit.
TEST(MatFunc, TripleProductIsRightBracketed) {
    expect_equal(trimatprod(make(2, 2, {1, 2, 3, 4}), make(2, 2, {0, 1, 1, 0}), make(2, 2, {2, 0, 0, 3})),
                 make(2, 2, {4, 3, 8, 9}));

    Matrix<double> A(4, 4), B(4, 4), C(4, 4);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            A[i][j] = 0.1 * (i + 1) + 0.37 * j;
            B[i][j] = 1.0 / (i + j + 1);
            C[i][j] = (i == j ? 1.3 : 0.0) + 0.01 * i * j - 0.7;
        }
    expect_equal(trimatprod(A, B, C), matprod(A, matprod(B, C)));
}
