#pragma once

#include "linalg/matrix.h"

// Symmetric orthogonalisation X = U s^(-1/2) U^T of an overlap matrix S = U s U^T,
// so that X^T S X = 1. No eigenvalue is dropped.
Matrix<double> canorg(const Matrix<double>& S);
struct Orthogonaliser {
    Matrix<double> X;
    double smallest_eigenvalue;
};
// As canorg, also giving the smallest eigenvalue of S so the caller can refuse a singular basis.
Orthogonaliser canorg_checked(const Matrix<double>& S);

Matrix<double> transpose(const Matrix<double>& A);
