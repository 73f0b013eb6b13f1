#pragma once

#include <vector>

#include "linalg/matrix.h"
#include "scf/consistency.h"
#include "scf/hf.h"
#include "scf/follow.h"
#include "scf/stability.h"

// What velko checks before it calls an SCF result a success: that the run converged to
// one self-consistent state, that the state is a minimum among closed-shell determinants,
// and that an independent start finds nothing lower.

// The energy test of the loops compares a step with the one before, and step 1 with
// 1000 Hartree: a molecule whose step-1 energy (the nuclear repulsion, in the plain loop)
// lies within 1e-9 of 1000 would pass it at once. So a run counts as converged only when
// its loop says so after more than one step and the state is self-consistent.
struct ConvergenceCheck {
    bool converged = false;
    bool first_step = false;  // the loop's test passed at step 1
    SelfConsistency consistency{};
};
ConvergenceCheck check_convergence(const HF& hf, const SpinRun& r);

// The lowest eigenpair of the RHF -> RHF Hessian at the result's orbitals (converged up to
// thorough_search_functions functions, else only until its sign is settled).
LowestRotation check_stability(const HF& hf, const SpinRun& r);

struct StableSearch {
    SpinRun scf;  // the last solution (one channel); iterations counted over every run of the search
    ConvergenceCheck check;
    LowestRotation lowest{};  // of scf, when check.converged
    bool stable = false;      // converged and no eigenvalue below instability_threshold
    std::vector<FollowedInstability> followed;
};

// DIIS from `start` (see HF::iterate_diis), following instabilities (follow_instabilities):
// the occupied orbitals are rotated to the lowest energy along the lowest Hessian
// eigenvector (follow_rotation) and each DIIS run, of at most hf.diis_max_iterations steps,
// starts from the orbitals of the Fock matrix of the rotated density. The listener of hf,
// if any, sees every step, numbered on from run to run.
StableSearch diis_with_following(const HF& hf, const Matrix<double>& start);

// Two runs reached different states when their energies differ by more than this.
// One state reached twice agrees to the runs' convergence, a few 1e-9 Hartree (the
// printed-energy tolerance of consistency.h each); distinct stationary states of the
// molecules here lie 1e-3 Hartree and more apart. 1e-8 relative (1e-6 for N2) separates
// the two with margins of 100 on either side; the floor is twice the printed-energy
// tolerance, for light molecules.
double distinct_state_tolerance(double energy);
