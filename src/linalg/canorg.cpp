#include "linalg/canorg.h"

#include <cmath>
#include <limits>
#include <vector>

#include "linalg/eigsym.h"
#include "linalg/matfunc.h"

Matrix<double> transpose(const Matrix<double>& A) {
    Matrix<double> R(A.cols(), A.rows());
    for (int i = 0; i < A.rows(); ++i)
        for (int j = 0; j < A.cols(); ++j) R[j][i] = A[i][j];
    return R;
}

// Loewdin's symmetric orthogonalisation (P.-O. Loewdin, J. Chem. Phys. 18 (1950) 365):
// S = U s U^T  ->  X = S^(-1/2) = U (s^(-1/2) U^T), formed in that bracketing.
// Each eigenvector enters twice, so X does not depend on the signs the
// eigensolver gives them. Every eigenvalue is used; none is dropped.
Orthogonaliser canorg_checked(const Matrix<double>& S) {
    const Matrix<double> Scopy = S;
    Matrix<double> U;
    std::vector<double> s;
    const Eigsym solve(Scopy, U, s);
    (void)solve;

    const int n = S.rows();
    Matrix<double> D(n, n);
    for (int i = 0; i < n; ++i) D[i][i] = 1.0 / std::sqrt(s[i]);

    const Matrix<double> Ut = transpose(U);
    const Matrix<double> T = matprod(D, Ut);
    Orthogonaliser result;
    result.X = matprod(U, T);
    // Eigenvalues come out ascending; an empty S has no smallest one, and +inf
    // (the minimum over an empty set) never looks singular.
    result.smallest_eigenvalue = n > 0 ? s[0] : std::numeric_limits<double>::infinity();
    return result;
}

Matrix<double> canorg(const Matrix<double>& S) { return canorg_checked(S).X; }
