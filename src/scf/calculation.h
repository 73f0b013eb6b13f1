#pragma once

#include <optional>
#include <vector>

#include "basis/basis_set.h"
#include "linalg/matrix.h"
#include "molecule/molecule.h"
#include "molecule/spin.h"
#include "scf/hf.h"
#include "scf/trust.h"
#include "scf/uhf.h"

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
// written from. A closed shell has its result in scf; an open shell (unrestricted)
// in uhf.
struct Calculation {
    Molecule molecule;
    BasisSet basis;
    unsigned electrons = 0;
    unsigned occupied = 0;  // doubly occupied orbitals
    SpinState spin{1, 0, 0};
    bool unrestricted = false;
    bool diis = false;
    unsigned iteration_limit = 0;
    Matrix<double> S;  // overlap, for the atomic populations
    Matrix<double> H;  // core Hamiltonian, for the energy parts
    double nuclear_repulsion = 0.0;
    ScfResult scf;
    UhfResult uhf;
    // Default mode: DIIS continued from the converged density of the plain loop, which
    // stops on the energy alone; the properties are computed from it (the density error
    // is first order in the properties, second in the energy). Empty otherwise.
    std::optional<ScfResult> tightened;

    // What was checked before the result is called a success (see scf/trust.h).
    ConvergenceCheck convergence;
    bool stability_checked = false;  // only a converged result is checked
    LowestRotation lowest{};         // lowest RHF->RHF Hessian eigenpair of scf
    bool stable = false;
    // Lowest eigenpair of the RHF->UHF (triplet) orbital Hessian of a checked closed-shell
    // solution (scf/stability.h: lowest_triplet_rotation); empty when none was checked.
    std::optional<LowestRotation> triplet;
    std::vector<FollowedInstability> followed;  // --diis: instabilities left on the way to scf
    ReportedStart start = ReportedStart::atomic_density;  // --diis and open shells: where the result comes from
    bool first_start_stable = false;  // another start reported: the atomic-density start's solution
    double first_start_energy = 0.0;
    bool lower_found = false;      // default mode: the --diis search found a lower stable solution
    double lower_energy = 0.0;
    ReportedStart lower_start = ReportedStart::atomic_density;
};

