#pragma once

#include <deque>
#include <vector>

#include "linalg/matrix.h"

// Pulay's direct inversion in the iterative subspace (DIIS): P. Pulay,
// Chem. Phys. Lett. 73, 393 (1980) and J. Comput. Chem. 3, 556 (1982).
// The next Fock matrix is the combination F = sum_i c_i F_i of earlier ones whose
// combined error vector sum_i c_i e_i is smallest, subject to sum_i c_i = 1.

// Commutator error of a Fock matrix F and density D, in the orthogonal basis:
//   e = X^T (F D S - S D F) X.
// It vanishes exactly when F and D share eigenvectors, that is at self-consistency.
// free_order: the products may use the BLAS (linalg/blas.h).
Matrix<double> diis_error(const Matrix<double>& F, const Matrix<double>& D, const Matrix<double>& S,
                          const Matrix<double>& X, bool free_order = false);

// max_ij |A_ij|
double max_abs_element(const Matrix<double>& A);

// Frobenius inner product <A, B> = sum_ij A_ij B_ij.
double frobenius_dot(const Matrix<double>& A, const Matrix<double>& B);

// Solves A x = b by Gaussian elimination with partial pivoting (row exchanges
// choose the largest remaining pivot in the column). Returns false, leaving x
// unspecified, when a pivot is below relative_tolerance times the largest |A_ij|:
// A is then singular to working precision.
bool solve_linear(std::vector<std::vector<double>> A, std::vector<double> b, std::vector<double>& x,
                  double relative_tolerance = 1e-13);

// DIIS coefficients from the m x m matrix B_ij = <e_i, e_j>: the solution of
//   [ B    -1 ] [ c      ]   [  0 ]
//   [ -1^T  0 ] [ lambda ] = [ -1 ]
// which minimises |sum_i c_i e_i|^2 under sum_i c_i = 1. B is divided by its largest
// diagonal element first, so the tolerance does not depend on the size of the errors.
// Returns false when the system is singular (linearly dependent error vectors).
bool diis_coefficients(const std::vector<std::vector<double>>& B, std::vector<double>& c);

// Bounded history of Fock matrices and their error vectors. A Fock matrix and its error
// may be any rectangular block, such as the alpha and beta matrices stacked.
struct Diis {
    unsigned max_vectors = 8;
    std::deque<Matrix<double>> focks;
    std::deque<Matrix<double>> errors;

    // Appends F with its error e, forgetting the oldest pair beyond max_vectors.
    void add(const Matrix<double>& F, const Matrix<double>& e);
    // The DIIS combination of the stored Fock matrices. While the error vectors are
    // linearly dependent the oldest pair is dropped; a single pair gives its own F.
    // Requires at least one stored pair.
    Matrix<double> extrapolate();
};
