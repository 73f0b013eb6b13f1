#pragma once

#include <vector>

#include "linalg/matrix.h"

// Whether a finished SCF run describes one self-consistent state: the density P that
// built the Fock matrix F (and gave the energy) must be the density of the reported
// occupied orbitals, and F and P must commute.
//
// Both tolerances follow from the accuracy the report claims: the total energy is printed
// to 8 decimals, so its error should stay below half the last digit, 5e-9 Hartree (five
// times the loop's 1e-9 test on the energy change). In the orthogonal basis, in the
// orbitals of P, the commutator e = X^T (F P S - S P F) X has the blocks -/+ 2 F_ia, so
// |e|_F = 2 sqrt(2) |F_ov|. The energy is stationary; the Newton step kappa_ia =
// -F_ia / (e_a - e_i) lowers it by about 2 sum_ia F_ia^2 / (e_a - e_i) <= |e|_F^2 / (4 g),
// g the HOMO-LUMO gap. Keeping that below 5e-9 gives
//   |e|_F <= 2 sqrt(5e-9 g).
// The density of the orbitals of F differs from P by that step, |P_orbitals - P|_F =
// 2 sqrt(2) |kappa| <= |e|_F / g, whence
//   |P_orbitals - P|_F <= 2 sqrt(5e-9 / g)   (both in the orthogonal basis).
// Frobenius norms sum over every orbital pair, so the tests tighten with the size of the
// molecule as its energy error grows. A gap below 0.05 Hartree is taken as 0.05 (a
// near-degenerate pair rotates almost freely, and the printed coefficients have 4
// decimals), and the commutator keeps a floor of 1e-9 for the rounding of the products
// F P S (n terms of |F| |P| |S| times 2^-53). A plain-loop run of N2 that converges
// slowly (80 steps) ends at |e|_F = 4e-5 against a bound of 1.3e-4; a density that flips
// between two mirror images (H2 at 20 bohr) is 1.9 away from its orbitals' density.
struct SelfConsistency {
    double density_difference;  // |P_orbitals - P|_F
    double commutator;          // |X^T (F P S - S P F) X|_F
    double density_tolerance;
    double commutator_tolerance;
    bool density_ok() const { return density_difference <= density_tolerance; }
    bool commutator_ok() const { return commutator <= commutator_tolerance; }
    bool ok() const { return density_ok() && commutator_ok(); }
};

constexpr double printed_energy_tolerance = 5e-9;  // Hartree, half the last printed digit

// C: orbitals (columns), orbital_energies ascending, nocc doubly occupied; P the density
// that built F; S the overlap and X the orthogonaliser (X^T S X = 1).
SelfConsistency check_self_consistency(const Matrix<double>& C, const std::vector<double>& orbital_energies,
                                       unsigned nocc, const Matrix<double>& P, const Matrix<double>& F,
                                       const Matrix<double>& S, const Matrix<double>& X);

// |A|_F = sqrt(sum_ij A_ij^2)
double frobenius_norm(const Matrix<double>& A);
