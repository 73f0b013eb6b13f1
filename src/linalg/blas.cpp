#include "linalg/blas.h"

#include "linalg/matfunc.h"

#ifdef VELKO_HAVE_BLAS
extern "C" {
// The Fortran BLAS interface, common to every BLAS (reference, OpenBLAS, ...).
void dgemm_(const char* transa, const char* transb, const int* m, const int* n, const int* k, const double* alpha,
            const double* a, const int* lda, const double* b, const int* ldb, const double* beta, double* c,
            const int* ldc);
// OpenBLAS only: absent (null) with other BLAS libraries.
void openblas_set_num_threads(int) __attribute__((weak));
}
#endif

bool have_blas() {
#ifdef VELKO_HAVE_BLAS
    return true;
#else
    return false;
#endif
}

Matrix<double> gemm(const Matrix<double>& A, const Matrix<double>& B) {
#ifdef VELKO_HAVE_BLAS
    const int m = A.rows(), k = A.cols(), n = B.cols();
    if (m == 0 || n == 0 || k == 0) return matprod(A, B);
    // velko's own threads share out the integral work; the BLAS keeps to one so that
    // its threads do not compete with them (and its sums do not depend on a core count).
    static const bool single = [] {
        if (openblas_set_num_threads) openblas_set_num_threads(1);
        return true;
    }();
    (void)single;
    Matrix<double> C(m, n);
    // Row-major C = A B is column-major C^T = B^T A^T.
    const double one = 1.0, zero = 0.0;
    dgemm_("N", "N", &n, &m, &k, &one, B[0], &n, A[0], &k, &zero, C[0], &n);
    return C;
#else
    return matprod(A, B);
#endif
}

Matrix<double> gemm3(const Matrix<double>& A, const Matrix<double>& B, const Matrix<double>& C) {
    return gemm(A, gemm(B, C));
}
