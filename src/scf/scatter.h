#pragma once

#include "linalg/matrix.h"

// Scattering one distinct integral v = (ij|kl), i >= j, k >= l, (ij) >= (kl), into the
// matrices it contributes to, for a symmetric density D. v stands for its eight
// permutations (ij|kl) (ji|kl) (ij|lk) (ji|lk) (kl|ij) (lk|ij) (kl|ji) (lk|ji), fewer when
// indices coincide; with the weight 1/2 per coincidence (i == j, k == l, ij == kl) the
// sum over all eight counts each distinct permutation once. The contributions go into
// a half matrix A whose result is A + A^T (screened.cpp has the same scatter for G = J - 1/2 K):
//   Coulomb   J_ab += (ab|cd) D_cd:  A_ij += 2 v D_kl,  A_kl += 2 v D_ij
//   exchange  K_ac += (ab|cd) D_bd:  A_ik += v D_jl,  A_jl += v D_ik,  A_il += v D_jk,  A_jk += v D_il

inline double degeneracy(int i, int j, int k, int l) {
    double f = 1.0;
    if (i == j) f *= 0.5;
    if (k == l) f *= 0.5;
    if (i == k && j == l) f *= 0.5;
    return f;
}

struct HalfJK {
    Matrix<double> J, K;
    explicit HalfJK(int n) : J(n, n), K(n, n) {}
};

inline void scatter_jk(int i, int j, int k, int l, double v, const Matrix<double>& D, HalfJK& A) {
    A.J[i][j] += 2.0 * v * D[k][l];
    A.J[k][l] += 2.0 * v * D[i][j];
    A.K[i][k] += v * D[j][l];
    A.K[j][l] += v * D[i][k];
    A.K[i][l] += v * D[j][k];
    A.K[j][k] += v * D[i][l];
}

// A + A^T.
inline Matrix<double> symmetrised(const Matrix<double>& A) {
    const int n = A.rows();
    Matrix<double> S(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) S[i][j] = A[i][j] + A[j][i];
    return S;
}
