// Molecular properties from the values of an SCF run.
#include "scf/properties.h"

#include <gtest/gtest.h>

namespace {

Matrix<double> matrix2(double a, double b, double c, double d) {
    Matrix<double> M(2, 2);
    M[0][0] = a;
    M[0][1] = b;
    M[1][0] = c;
    M[1][1] = d;
    return M;
}

}  // namespace

// By hand: E1 = 1*(-2) + 0.5*(-1) + 0.5*(-1) + 2*(-3) = -9,
// F - H = [[1, 0.5], [0.5, 2]], E2 = 1/2 (1 + 0.25 + 0.25 + 4) = 2.75.
TEST(EnergyParts, HandComputedTwoByTwo) {
    const Matrix<double> P = matrix2(1.0, 0.5, 0.5, 2.0);
    const Matrix<double> H = matrix2(-2.0, -1.0, -1.0, -3.0);
    const Matrix<double> F = matrix2(-1.0, -0.5, -0.5, -1.0);
    const EnergyParts parts = energy_parts(P, H, F);
    EXPECT_DOUBLE_EQ(parts.one_electron, -9.0);
    EXPECT_DOUBLE_EQ(parts.two_electron, 2.75);
}
