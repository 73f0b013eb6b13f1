#pragma once

#include <vector>

#include "linalg/matrix.h"

// All eigenpairs of a real symmetric matrix. Only the diagonal and the upper
// triangle of A are read. U receives the eigenvectors as columns, w the
// eigenvalues in ascending order. The constructor does the whole job; when the
// QL iteration does not converge (rs reports the eigenvalue), or A holds a value
// that is not finite, it throws Failure (numerical) instead of handing out garbage.
struct Eigsym {
    Eigsym(const Matrix<double>& A, Matrix<double>& U, std::vector<double>& w);
};
