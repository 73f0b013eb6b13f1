#pragma once

#include <vector>

// McMurchie-Davidson Hermite Gaussians (L.E. McMurchie, E.R. Davidson, J. Comput.
// Phys. 26, 218 (1978); Helgaker, Jorgensen, Olsen, Molecular Electronic-Structure
// Theory, 9.5 and 9.9).

// Expansion of a product of two Cartesian Gaussian factors along one axis in
// Hermite Gaussians of the product centre P, p = a + b:
//   x_A^i x_B^j exp(-a x_A^2 - b x_B^2) = exp(-ab/p X_AB^2) sum_t E^ij_t Lambda_t(x_P),
//   E^00_0 = 1,
//   E^(i+1)j_t = E^ij_(t-1) / (2p) + X_PA E^ij_t + (t+1) E^ij_(t+1),
//   E^i(j+1)_t = E^ij_(t-1) / (2p) + X_PB E^ij_t + (t+1) E^ij_(t+1).
class HermiteExpansion {
public:
    void compute(int imax, int jmax, double p, double PA, double PB);
    // E^ij_t for i <= imax, j <= jmax, t <= i + j.
    double operator()(int i, int j, int t) const { return e[static_cast<std::size_t>((i * nj + j) * nt + t)]; }

private:
    int nj = 0, nt = 0;
    std::vector<double> e;
};

// Hermite Coulomb integrals for t + u + v <= L,
//   R^n_000 = (-2 alpha)^n F_n(alpha R^2),
//   R^n_(t+1)uv = t R^(n+1)_(t-1)uv + X R^(n+1)_tuv   (and likewise in u with Y, v with Z).
// Returns R_tuv = R^0_tuv at [(t (L+1) + u) (L+1) + v] of `scratch`, which holds the orders n.
const double* hermite_coulomb(int L, double alpha, double X, double Y, double Z, std::vector<double>& scratch);

// Hermite indices (t, u, v) with t + u + v <= L, ordered by t + u + v, then t and u descending.
struct HermiteIndex {
    int t, u, v;
};
const std::vector<HermiteIndex>& hermite_indices(int L);
