#pragma once

#include <vector>

#include "linalg/matrix.h"
#include "scf/spin_scf.h"
#include "scf/stability.h"

// Unrestricted Hartree-Fock (J. A. Pople and R. K. Nesbet, J. Chem. Phys. 22, 571 (1954)):
// separate alpha and beta orbitals, densities Pa = C_a,occ C_a,occ^T and Pb likewise,
//   F_a = H + J[Pa + Pb] - K[Pa],   F_b = H + J[Pa + Pb] - K[Pb],
//   E = 1/2 sum_ij [ (Pa + Pb) H + Pa F_a + Pb F_b ]_ij + E_nuc.

struct UhfSettings {
    unsigned max_iterations = 100;  // SCF steps of the whole run, instability follow-ups included
    bool check_stability = true;  // and follow instabilities (stability.h: instability_threshold, max_followed_instabilities)
};

// The alpha and beta channels of the solution (channels[0] and [1]) with its <S^2>.
struct UhfResult : SpinRun {
    // Stability of the final solution: the lowest eigenpair of the orbital Hessian
    // (stability.h), and the number of restarts along unstable modes.
    bool stability_checked = false;
    LowestRotation lowest{};
    bool stable = true;
    unsigned instabilities_followed = 0;
};


// <S^2> = S_z (S_z + 1) + N_b - sum_ij |(C_a,occ^T S C_b,occ)_ij|^2
// (A. Szabo and N. S. Ostlund, Modern Quantum Chemistry, eq. 3.272), S_z = (N_a - N_b) / 2.
double s_squared(const Matrix<double>& Ca, const Matrix<double>& Cb, const Matrix<double>& S, unsigned alpha,
                 unsigned beta);

// The UHF ground state of `system` (two channels) from the closed-shell starting density
// P_start (spin_scf.h: start_densities, converge_diis, with the escape from a stalled DIIS
// along the lowest orbital Hessian mode when it is negative). Then the stability check runs
// and an unstable solution is rotated along its lowest mode and converged again (kept when
// its energy is lower). `report` sees every step, numbered over the whole run.
UhfResult run_uhf(const SpinSystem& system, const Matrix<double>& P_start, const UhfSettings& settings,
                  const StepListener& report);

// The same from the densities of each channel, {alpha, beta} (orbitals occupied apart, as by
// another guess or an occupation swap), which step 1 uses as they are.
UhfResult run_uhf_from(const SpinSystem& system, std::vector<Matrix<double>> P_start, const UhfSettings& settings,
                       const StepListener& report);
