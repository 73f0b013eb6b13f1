#include "linalg/matfunc.h"

Matrix<double> matprod(const Matrix<double>& A, const Matrix<double>& B) {
    Matrix<double> C(A.rows(), B.cols());
    const int inner = A.cols();
    for (int i = 0; i < A.rows(); ++i) {
        for (int j = 0; j < B.cols(); ++j) {
            double sum = 0.0;
            for (int k = 0; k < inner; ++k) sum += A[i][k] * B[k][j];
            C[i][j] = sum;
        }
    }
    return C;
}

Matrix<double> matsum(const Matrix<double>& A, const Matrix<double>& B) {
    Matrix<double> C(A.rows(), A.cols());
    for (int i = 0; i < A.rows(); ++i)
        for (int j = 0; j < A.cols(); ++j) C[i][j] = A[i][j] + B[i][j];
    return C;
}

Matrix<double> trimatprod(const Matrix<double>& A, const Matrix<double>& B, const Matrix<double>& C) {
    const Matrix<double> T = matprod(B, C);
    return matprod(A, T);
}
