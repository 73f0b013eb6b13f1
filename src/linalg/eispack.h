#pragma once

// The EISPACK path for the real symmetric eigenproblem (Smith et al., Matrix
// Eigensystem Routines - EISPACK Guide, 1976): Householder reduction to
// tridiagonal form followed by the implicit QL iteration.
//
// Arrays are flat, 0-based and column-major with no separate leading
// dimension: element (r, c) of an n x n array x is x[r + c*n]. Only the lower
// triangle (r >= c) of an input matrix is referenced. Every routine needs n >= 1.

// Eigenvalues (ascending, into w) and eigenvectors (columns of z) of the symmetric
// matrix a. Returns 0, or the error code of tql2.
int rs(int n, const double a[], double w[], double z[]);

// Householder reduction a = Z T Z^T with the transformation Z accumulated.
// d: diagonal of T; e[0] = 0, e[1..n-1]: sub-diagonal of T. a is not written.
void tred2(int n, const double a[], double d[], double e[], double z[]);

// Implicit QL iteration on the tridiagonal (d, e), rotations applied to the columns of z.
// d becomes the eigenvalues in ascending order, z the eigenvectors; e is destroyed.
// Returns 0, or l + 1 when eigenvalue l (0-based) did not converge in 30 sweeps.
int tql2(int n, double d[], double e[], double z[]);

// sqrt(a^2 + b^2) without destructive overflow or underflow.
double pythag(double a, double b);

double r8_abs(double x);
double r8_max(double a, double b);
double r8_min(double a, double b);
// -1 for x < 0, +1 otherwise (also for -0.0).
double r8_sign(double x);
