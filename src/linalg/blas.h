#pragma once

#include "linalg/matrix.h"

// Matrix products where the order of the floating-point operations is free (the fast
// path): the BLAS dgemm when velko is built with one (found at configure time,
// VELKO_HAVE_BLAS), else matprod. Not for the exact path, whose digits are pinned.
bool have_blas();
// C = A B.
Matrix<double> gemm(const Matrix<double>& A, const Matrix<double>& B);
// A (B C), the middle product first, as trimatprod.
Matrix<double> gemm3(const Matrix<double>& A, const Matrix<double>& B, const Matrix<double>& C);
