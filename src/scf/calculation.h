#pragma once

#include <optional>
#include <vector>

#include "basis/basis_set.h"
#include "linalg/matrix.h"
#include "molecule/molecule.h"
#include "molecule/spin.h"
#include "scf/spin_scf.h"
#include "scf/trust.h"

// The start of the search whose solution is reported: the superposed atomic densities
// unless another start reached a lower stable solution.
enum class ReportedStart {
    atomic_density,
    core_hamiltonian,
    wolfsberg_helmholz,
    occupation_swap,
    density_mixing
};

// A finished calculation: what the report and the files for other programs are
// written from. Its result has one spin channel (a closed shell, restricted) or two
// (alpha and beta, unrestricted).
struct Calculation {
    Molecule molecule;
    BasisSet basis;
    unsigned electrons = 0;
    SpinState spin{1, 0, 0};
    bool diis = false;
    unsigned iteration_limit = 0;
    Matrix<double> S;  // overlap, for the atomic populations
    Matrix<double> H;  // core Hamiltonian, for the energy parts
    double nuclear_repulsion = 0.0;
    SpinRun result;
    // Default mode: DIIS continued from the converged density of the plain loop, which
    // stops on the energy alone; the properties are computed from it (the density error
    // is first order in the properties, second in the energy). Empty otherwise.
    std::optional<SpinRun> tightened;

    unsigned channels() const { return static_cast<unsigned>(result.channels.size()); }

    // What was checked before the result is called a success (see scf/trust.h). An open
    // shell is checked inside its run: its stability only.
    ConvergenceCheck convergence;
    bool stability_checked = false;  // only a converged result is checked
    LowestRotation lowest{};         // lowest orbital Hessian eigenpair of the result
    bool stable = false;
    unsigned instabilities_followed = 0;  // unstable solutions left along their lowest mode
    // Lowest eigenpair of the RHF->UHF (triplet) orbital Hessian of a checked closed-shell
    // solution (scf/stability.h: lowest_triplet_rotation); empty when none was checked.
    std::optional<LowestRotation> triplet;
    std::vector<FollowedInstability> followed;  // --diis, closed shells: the instabilities left on the way
    ReportedStart start = ReportedStart::atomic_density;  // --diis and open shells: where the result comes from
    bool first_start_stable = false;  // another start reported: the atomic-density start's solution
    double first_start_energy = 0.0;
    bool lower_found = false;      // default mode: the --diis search found a lower stable solution
    double lower_energy = 0.0;
    ReportedStart lower_start = ReportedStart::atomic_density;
};
