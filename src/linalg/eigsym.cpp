#include "linalg/eigsym.h"

#include <cmath>
#include <string>

#include "common/failure.h"
#include "linalg/eispack.h"

// A = U diag(w) U^T by Householder tridiagonalisation and implicit QL (EISPACK rs).
// A is copied row by row into an array that rs reads column-major, so rs sees
// A^T and its lower triangle is the diagonal and upper triangle of A.
Eigsym::Eigsym(const Matrix<double>& A, Matrix<double>& U, std::vector<double>& w) {
    const int n = A.cols();
    if (n < 1) {
        U.resize(0, 0);
        w.clear();
        return;
    }

    const std::size_t nn = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    std::vector<double> a(nn);
    std::vector<double> values(static_cast<std::size_t>(n));
    std::vector<double> z(nn);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const double x = A[i][j];
            // NaN and infinity defeat the convergence tests of the QL iteration.
            if (j >= i && !std::isfinite(x))
                throw Failure{"Error: the symmetric eigensolver was given a matrix element that is not finite (" +
                                  std::to_string(x) + " at row " + std::to_string(i + 1) + ", column " +
                                  std::to_string(j + 1) + "); no result can be reported",
                              exit_status::numerical};
            a[static_cast<std::size_t>(i) * n + j] = x;
        }

    const int ierr = rs(n, a.data(), values.data(), z.data());
    if (ierr != 0)
        throw Failure{"Error: the symmetric eigensolver did not converge for eigenvalue " + std::to_string(ierr) +
                          " of " + std::to_string(n) + " in 30 QL sweeps; no result can be reported",
                      exit_status::numerical};

    U.resize(n, n);
    w.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        w[i] = values[i];
        for (int j = 0; j < n; ++j) U[j][i] = z[j + static_cast<std::size_t>(i) * n];
    }
}
