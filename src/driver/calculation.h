#pragma once

#include <memory>
#include <string>
#include <vector>

#include "basis/basis_set.h"
#include "input/molecule.h"
#include "integrals/integrals.h"
#include "linalg/matrix.h"
#include "scf/hf.h"
#include "scf/screened.h"
#include "scf/spin.h"
#include "scf/trust.h"
#include "scf/uhf.h"

class Listing;

// How to compute: chosen on the command line.
struct Settings {
    IntegralPath integrals = IntegralPath::automatic;
    bool diis = false;
    unsigned max_iterations = 0;  // 0: the mode's default
    unsigned threads = 0;         // fast path; 0: every core
    bool integral_direct = false; // fast path: recompute the integrals at every step even when they would fit
    bool progress = true;  // the progress line of the integrals on a terminal; off where several runs share it
};

// The start of the --diis search whose solution is reported: the superposed atomic
// densities unless another start reached a lower stable solution.
enum class ReportedStart { atomic_density, core_hamiltonian, density_mixing };

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

    // What was checked before the result is called a success (see scf/trust.h).
    ConvergenceCheck convergence;
    bool stability_checked = false;  // only a converged result is checked
    LowestRotation lowest{};         // lowest RHF->RHF Hessian eigenpair of scf
    bool stable = false;
    std::vector<FollowedInstability> followed;  // --diis: instabilities left on the way to scf
    ReportedStart start = ReportedStart::atomic_density;  // --diis: where scf comes from
    bool first_start_stable = false;  // --diis, another start reported: the atomic-density start's solution
    double first_start_energy = 0.0;
    bool lower_found = false;      // default mode: the --diis path found a lower stable solution
    double lower_energy = 0.0;
};

// What every SCF needs of a molecule: its basis, one-electron matrices, two-electron
// table and orthogonaliser.
struct MolecularIntegrals {
    BasisSet basis;
    Matrix<double> S, T, H, X;
    std::vector<Matrix<double>> V;  // nuclear attraction, one matrix per atom
    TwoElectronTable te_table;  // every distinct integral: exact path, or an open shell
    std::shared_ptr<ScreenedOperator> screened;  // otherwise: the fast path's screened quartets
    bool exact = true;  // computed by the exact integral path
    double nuclear_repulsion = 0.0;
};

// Basis -> one-electron matrices and two-electron table -> orthogonaliser, listed as
// they are computed. Throws Failure when the molecule is too large for memory or its
// basis is linearly dependent.
// `dense`: the table of every distinct integral even on the fast path (the open-shell code reads it).
MolecularIntegrals compute_integrals(const Molecule& molecule, const Settings& settings, const std::string& path,
                                     Listing& listing, bool dense = true);

// Restricted Hartree-Fock of a molecule, in the order of the algorithm:
// basis -> one-electron matrices and two-electron table -> orthogonaliser -> SCF.
// `path` names the input file in messages. Throws Failure when the molecule is too
// large for memory, its basis is linearly dependent, or the SCF energy becomes
// non-finite.
Calculation compute_rhf(const Molecule& molecule, const Settings& settings, const std::string& path,
                        Listing& listing);

// Unrestricted Hartree-Fock of an open-shell molecule in the given spin state, from the
// superposition of atomic densities (DIIS, the iteration limit of --diis), followed by
// the stability check.
Calculation compute_uhf(const Molecule& molecule, const SpinState& spin, const Settings& settings,
                        const std::string& path, Listing& listing);

// The Failure of a run whose SCF energy became non-finite (r.finite false).
struct Failure;
Failure nonfinite_energy_failure(const std::string& path, const ScfResult& r);

// The line for standard error after a run that reached its iteration limit unconverged.
std::string nonconvergence_message(const Calculation& calc);

// The line for standard error when an open-shell solution is still unstable after
// following its unstable modes as often as allowed; empty otherwise.
std::string instability_message(const Calculation& calc);
