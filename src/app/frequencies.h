#pragma once

#include <string>

#include "app/prepare.h"
#include "app/run.h"
#include "vibration/vibrations.h"

// Step of the central differences, bohr: the Hessian's truncation error grows as h^2 and
// its noise from the SCF (commutator converged to 1e-7) as 1 / h; 0.005 keeps both below
// 0.1 cm^-1 in the wavenumbers of the test molecules against Psi4's analytic Hessians.
constexpr double hessian_step = 0.005;

// The largest Cartesian gradient component (Eh/bohr) at which a geometry counts as stationary:
// the optimiser's criterion (Gaussian's default maximum force).
constexpr double stationary_gradient = 4.5e-4;

// The Hessian by central differences of analytic gradients: H_ij = (g_j(x_i + h) - g_j(x_i - h)) / 2h,
// symmetrised, and the dipole derivatives from the same displaced runs: 6(N-1), every atom
// but the heaviest moved, whose rows follow from translational invariance, fewer by three
// coordinates of atoms heavier than hydrogen whose rows the rotations give when that spares
// runs (vibration/rigid_motion.h); of those, the runs
// a symmetry operation of the reference state maps onto a run computed before are its images
// (vibration/displacement_symmetry.h). Each SCF (--diis) starts from the converged densities
// of `reference`, the run of `prepared` at its own geometry, and must reach the same state
// (scf/same_state.h). The computed runs go to `workers` threads, each SCF single-threaded.
// Then the vibrational analysis. Throws Failure for a ghost atom or a displaced SCF that fails.
Vibrations compute_vibrations(const PreparedRun& prepared, const Calculation& reference, const Settings& settings,
                              const ThermoConditions& conditions, unsigned workers, const std::string& path);

// The lines for standard error after a frequency run: a geometry that is not stationary,
// imaginary wavenumbers. Empty when there is nothing to say.
std::string vibration_warnings(const Vibrations& v);
