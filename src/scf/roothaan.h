#pragma once

#include <vector>

#include "linalg/matrix.h"

// Orbitals of a Fock matrix: the Roothaan equations F C = S C e solved in the basis
// orthogonalised by X (X^T S X = 1):  F' = X^T F X = C' e C'^T,  C = X C'.
struct Orbitals {
    std::vector<double> energies;  // ascending
    Matrix<double> C;              // coefficients, one orbital per column
};
// free_order: the products may use the BLAS (linalg/blas.h); false keeps matprod's order.
Orbitals roothaan_orbitals(const Matrix<double>& F, const Matrix<double>& X, const Matrix<double>& X_t,
                           bool free_order = false);

// One Roothaan step of a closed shell: the orbitals of F and the density
// P_ij = sum_{k<occupied} 2 C_ik C_jk they give.
struct RoothaanStep {
    Orbitals orbitals;
    Matrix<double> density;
};
RoothaanStep roothaan_step(const Matrix<double>& F, const Matrix<double>& X, const Matrix<double>& X_t,
                           unsigned occupied, bool free_order = false);
