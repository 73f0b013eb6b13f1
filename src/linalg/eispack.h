#pragma once

// The EISPACK path for the real symmetric eigenproblem (Smith et al., Matrix
// Eigensystem Routines - EISPACK Guide, 1976): Householder reduction to
// tridiagonal form followed by the implicit QL iteration.
//
// Arrays are flat, 0-based and column-major with no separate leading
// dimension: element (r, c) of an n x n array x is x[r + c*n]. Only the lower
// triangle (r >= c) of an input matrix is referenced. Every routine needs n >= 1.

// Eigenvalues (ascending, into w) and, when matz != 0, eigenvectors (columns of z)
// of the symmetric matrix a. Returns 0, or the error code of tql2 / tqlrat.
// The eigenvalues-only path (matz == 0) overwrites the strict lower triangle of a.
int rs(int n, double a[], double w[], int matz, double z[]);

// Householder reduction a = Z T Z^T with the transformation Z accumulated.
// d: diagonal of T; e[0] = 0, e[1..n-1]: sub-diagonal of T. a is not written.
void tred2(int n, const double a[], double d[], double e[], double z[]);

// Implicit QL iteration on the tridiagonal (d, e), rotations applied to the columns of z.
// d becomes the eigenvalues in ascending order, z the eigenvectors; e is destroyed.
// Returns 0, or l + 1 when eigenvalue l (0-based) did not converge in 30 sweeps.
int tql2(int n, double d[], double e[], double z[]);

// Householder reduction without the transformation. e2 receives the squared
// sub-diagonal. The strict lower triangle of a is overwritten.
void tred1(int n, double a[], double d[], double e[], double e2[]);

// Rational QL iteration (eigenvalues only) on the diagonal d and the squared
// sub-diagonal e2 (destroyed). Returns as tql2.
int tqlrat(int n, double d[], double e2[]);

// sqrt(a^2 + b^2) without destructive overflow or underflow.
double pythag(double a, double b);

double r8_abs(double x);
double r8_max(double a, double b);
double r8_min(double a, double b);
// -1 for x < 0, +1 otherwise (also for -0.0).
double r8_sign(double x);
// 2^-52, the spacing of doubles at 1.
double r8_epsilon();
