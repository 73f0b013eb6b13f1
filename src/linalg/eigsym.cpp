#include "linalg/eigsym.h"

#include "linalg/eispack.h"

Eigsym::Eigsym(const Matrix<double>& A, Matrix<double>& U, std::vector<double>& w) { eig(A, U, w); }

// A = U diag(w) U^T by Householder tridiagonalisation and implicit QL (EISPACK rs).
// A is copied row by row into an array that rs reads column-major, so rs sees
// A^T and its lower triangle is the diagonal and upper triangle of A.
int Eigsym::eig(const Matrix<double>& A, Matrix<double>& U, std::vector<double>& w) {
    const int n = A.cols();
    ierr = 0;
    if (n < 1) {
        U.resize(0, 0);
        w.clear();
        return ierr;
    }

    const std::size_t nn = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    std::vector<double> a(nn);
    std::vector<double> values(static_cast<std::size_t>(n));
    std::vector<double> z(nn);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) a[static_cast<std::size_t>(i) * n + j] = A[i][j];

    ierr = rs(n, a.data(), values.data(), 1, z.data());

    U.resize(n, n);
    w.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        w[i] = values[i];
        for (int j = 0; j < n; ++j) U[j][i] = z[j + static_cast<std::size_t>(i) * n];
    }
    return ierr;
}
