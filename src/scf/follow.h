#pragma once

#include <functional>
#include <vector>

#include "linalg/matrix.h"
#include "scf/spin_scf.h"
#include "scf/stability.h"

// Leaving an unstable SCF solution along the rotation of its lowest Hessian eigenvector
// (stability.h), to a lower determinant from which the SCF is converged again.

// C exp(theta K), where K is the antisymmetric rotation of the molecular orbitals with
// K_ai = x_ia = -K_ia (i < occupied, a virtual; x one channel's block of a rotation,
// element i * virtual + a). To first order occupied orbital i gains theta x_ia of virtual
// a. exp is summed as a Taylor series after scaling theta K below 0.1 in the Frobenius
// norm, then squared back (scaling and squaring); the result is orthogonal to rounding,
// so C stays S-orthonormal.
Matrix<double> rotate_orbitals(const Matrix<double>& C, unsigned occupied, const double* x, double theta);

struct RotatedOrbitals {
    Matrix<double> C;  // the rotated orbitals
    Matrix<double> P;  // their closed-shell density
    double energy;     // its energy
    double angle;      // theta of the lowest energy found
    unsigned energies; // energy evaluations (two-electron builds)
};

// Line search along theta for a unit rotation x of the occupied orbitals of a closed
// shell: since E(theta) = E0 + 2 lambda theta^2 + ..., with lambda < 0 the energy falls
// from theta = 0. The angles 0.1, 0.2, 0.4, 0.8, 1.6, 3.2 (pi/2 is a full exchange of the
// rotated pair, pi its return) are tried until the energy rises; the lowest is refined by
// the vertex of the parabola through it and its neighbours when that is lower still.
// energy_of(P) is the total energy of a closed-shell density P.
RotatedOrbitals follow_rotation(const Matrix<double>& C, unsigned occupied, const FlatVector& x, double energy0,
                                const std::function<double(const Matrix<double>&)>& energy_of);

// One unstable solution left along its lowest Hessian eigenvector.
struct FollowedInstability {
    unsigned step;          // the step (counted over the whole search) that reached it
    double energy;          // its energy
    double eigenvalue;      // its lowest Hessian eigenvalue
    double rotated_energy;  // the energy of the rotated orbitals the SCF restarts from (NaN: not evaluated)
};

// How one kind of SCF converges, is checked and leaves a saddle point.
struct InstabilityFollowing {
    // DIIS from the channels' densities; steps numbered on from run.iterations.
    std::function<void(std::vector<Matrix<double>> densities, SpinRun& run)> converge;
    // The run reached a state whose stability is worth checking.
    std::function<bool(const SpinRun& run)> usable;
    // The lowest eigenpair of the orbital Hessian at the run's orbitals.
    std::function<LowestRotation(const SpinRun& run)> check;
    // The densities to restart from along the lowest rotation, and their energy.
    std::function<std::vector<Matrix<double>>(const SpinRun& run, const LowestRotation& lowest, double& energy)> leave;
    // A restart replaces the solution only when it converges distinctly lower
    // (diis_energy_threshold); otherwise the search ends on the unstable solution.
    bool keep_lower_only = false;
};

struct FollowedRun {
    SpinRun run;                // the last solution; steps counted over every run
    bool checked = false;       // run was usable and its stability checked
    LowestRotation lowest{};    // of the last checked solution
    bool stable = false;        // checked, and no eigenvalue below instability_threshold
    std::vector<FollowedInstability> followed;
};

// DIIS from `densities`; while the converged solution is unstable, its occupied orbitals
// are rotated along the lowest Hessian eigenvector and DIIS restarts from there, at most
// max_followed_instabilities times.
FollowedRun follow_instabilities(std::vector<Matrix<double>> densities, const InstabilityFollowing& how);
