#pragma once

#include <vector>

#include "common/vec3.h"
#include "gradient/derivative_integrals.h"
#include "scf/calculation.h"

// The Gaussians of a basis for the derivative integrals, each shell on its atom. The
// built-in tables keep their own contraction (each primitive normalised, the whole not
// renormalised) so that the derivatives are those of the energy computed from them.
std::vector<GradientShell> gradient_shells(const BasisSet& basis, const std::vector<Atom>& atoms);

// dE_nuc/dR of E_nuc = sum_(A<B) Z_A Z_B / R_AB.
AtomGradient nuclear_repulsion_gradient(const std::vector<Atom>& atoms);

// The energy-weighted density of the channels: W = sum_s P_s F_s P_s / w_s, w_s the
// electrons per orbital, which is sum_s w_s sum_(i occupied) e_i C_i C_i^T when P_s is
// built from the orbitals of F_s (F C = S C e, C^T S C = 1).
Matrix<double> energy_weighted_density(const SpinRun& run);

// Analytic nuclear gradient of the SCF energy of a finished calculation (RHF or UHF),
//   dE/dR = dE_nuc/dR + sum P dH/dR + 1/2 sum Gamma d(uv|ls)/dR - sum W dS/dR,
// from its reported densities (the tightened ones when there are). Per atom in input
// order, Hartree/bohr; a ghost atom carries functions but no charge.
std::vector<Vec3> scf_gradient(const Calculation& calc, unsigned threads);
