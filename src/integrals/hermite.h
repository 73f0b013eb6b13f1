#pragma once

// Hermite Coulomb integrals of McMurchie and Davidson (J. Comput. Phys. 26 (1978) 218):
//   R^n_000 = (-2 alpha)^n F_n(alpha |PC|^2)
//   R^n_(t+1,u,v) = t R^(n+1)_(t-1,u,v) + X_PC R^(n+1)_(t,u,v), likewise for u with Y, v with Z.
// Writes scale * R^0_tuv for every t+u+v <= L (L <= 4) at R[25 t + 5 u + v]; other
// entries of R are left untouched. The Boys function carries the 1e-08 floor.
void hermite_coulomb(int L, double alpha, double X, double Y, double Z, double scale, double* R);
