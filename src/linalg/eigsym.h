#pragma once

#include <vector>

#include "linalg/matrix.h"

// All eigenpairs of a real symmetric matrix. Only the diagonal and the upper
// triangle of A are read. U receives the eigenvectors as columns, w the
// eigenvalues in ascending order. The constructor does the whole job.
struct Eigsym {
    Eigsym(const Matrix<double>& A, Matrix<double>& U, std::vector<double>& w);
    // Returns the error code of rs: 0, or the 1-based index of an eigenvalue that did not converge.
    int eig(const Matrix<double>& A, Matrix<double>& U, std::vector<double>& w);
    int ierr = 0;
};
