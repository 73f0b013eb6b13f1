#pragma once

#include <array>
#include <vector>

#include "basis/shell.h"

// A contracted shell of Gaussians on one centre for the integral engine:
//   phi_ijk(r) = sum_p c_p x^i y^j z^k exp(-a_p |r - centre|^2),   i + j + k = l,
// the coefficients c_p holding every normalisation factor common to the shell's
// components (see normalised_shell). Cartesian components are then each scaled to
// unit norm, pure ones formed as real solid harmonics (pure.h).
struct GaussianShell {
    int l = 0;
    bool pure = false;
    std::array<double, 3> centre{};
    std::vector<double> exponents;
    std::vector<double> coefficients;
};

// The engine's largest angular momentum: h (5).
constexpr int max_engine_l = 5;

// Powers (i, j, k) of the Cartesian components of angular momentum l, in the order
// of cartesian_powers (basis/shell.h): Molden's through g.
struct CartesianPowers {
    int x, y, z;
};
const std::vector<CartesianPowers>& cartesian_components(int l);

int cartesian_count(int l);
// Functions of a shell: 2l+1 pure, (l+1)(l+2)/2 Cartesian.
int function_count(const GaussianShell& shell);

// The field's normalisation of file coefficients d_p:
//   c_p = s d_p N(a_p),  N(a) = (2a/pi)^(3/4) (4a)^(l/2) / sqrt((2l-1)!!),
// N normalising the primitive x^l exp(-a r^2), s the whole contraction:
//   s^-2 = sum_pq d_p d_q N_p N_q (pi / (a_p + a_q))^(3/2) (2l-1)!! / (2 (a_p + a_q))^l.
GaussianShell normalised_shell(int l, bool pure, const std::array<double, 3>& centre,
                               const std::vector<double>& exponents, const std::vector<double>& coefficients);
// The same for a shell of a basis set placed at `centre`.
GaussianShell normalised_shell(const ElementShell& shell, const std::array<double, 3>& centre);

// The shell groups of repulsion_pair: where each run of consecutive shells on one centre
// with the same exponents begins, and the end, shells.size().
std::vector<unsigned> exponent_groups(const std::vector<GaussianShell>& shells);

// sqrt((2l-1)!! / ((2i-1)!! (2j-1)!! (2k-1)!!)): the factor taking component
// x^i y^j z^k from the norm of x^l to its own unit norm.
double component_scale(const CartesianPowers& powers);
