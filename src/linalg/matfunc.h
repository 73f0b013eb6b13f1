#pragma once

#include "linalg/matrix.h"

// C = A B, accumulated strictly in i, j, k order so results are reproducible to the bit.
Matrix<double> matprod(const Matrix<double>& A, const Matrix<double>& B);
// Element-wise A + B, in the shape of A.
Matrix<double> matsum(const Matrix<double>& A, const Matrix<double>& B);
// A (B C): the middle product first. X^T F X is trimatprod(X_t, F, X).
Matrix<double> trimatprod(const Matrix<double>& A, const Matrix<double>& B, const Matrix<double>& C);
