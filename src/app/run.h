#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/prepare.h"
#include "basis/basis_set.h"
#include "molecule/molecule.h"
#include "integrals/integrals.h"
#include "linalg/matrix.h"
#include "scf/hf.h"
#include "scf/screened.h"
#include "molecule/spin.h"
#include "scf/calculation.h"

class Listing;

// How much of a single point's checking an SCF gets (app/scf_search.h).
enum class ScfChecks {
    single_point,   // every check
    geometry_step,  // an optimisation's intermediate geometry: the checks that only report wait for the final one
    displacement,   // a small displacement of a checked geometry, started from its density: convergence only
};

// How to compute: chosen on the command line.
struct Settings {
    IntegralPath integrals = IntegralPath::automatic;
    std::optional<bool> diis;     // the closed-shell loop; unset: default_diis of the basis
    unsigned max_iterations = 0;  // 0: the mode's default
    unsigned threads = 0;         // fast path; 0: every core
    bool integral_direct = false; // fast path: recompute the integrals at every step even when they would fit
    bool progress = true;  // the progress line of the integrals on a terminal; off where several runs share it
    ScfChecks checks = ScfChecks::single_point;
};

// What every SCF needs of a molecule: its basis, one-electron matrices, two-electron
// table and orthogonaliser.
struct MolecularIntegrals {
    BasisSet basis;
    Matrix<double> S, T, H, X;
    std::vector<Matrix<double>> V;  // nuclear attraction, one matrix per atom
    TwoElectronTable te_table;  // every distinct integral: the exact path and small molecules
    std::shared_ptr<ScreenedOperator> screened;  // otherwise: the fast path's screened quartets
    bool exact = true;  // computed by the exact integral path
    double nuclear_repulsion = 0.0;
};

// The converged density of each spin channel of a run at a nearby geometry (the last
// optimisation step, the reference of a displaced one), alpha and beta apart: an open shell
// started from their sum would lose its spin polarisation (more steps, and a risk of another
// state). A closed shell starts from their sum.
using StartDensities = std::vector<Matrix<double>>;

// The closed-shell loop when none is asked for. The built-in STO-3G/STO-6G tables of H-Ne
// keep the damped plain loop their reports were made with; any other basis (library, file,
// heavier atoms) gets DIIS from the atomic start and the search of several starts, which
// converges where the plain loop oscillates (caffeine cc-pVDZ).
bool default_diis(const BasisSet& basis);

// Basis -> one-electron matrices and two-electron table -> orthogonaliser, listed as
// they are computed. Throws Failure when the molecule is too large for memory or its
// basis is linearly dependent.
MolecularIntegrals compute_integrals(const Molecule& molecule, const Settings& settings, const std::string& path,
                                     Listing& listing);
// The integrals of a geometry where one atom alone has moved since `reference` was computed
// in the same basis (a displaced run of a frequency calculation).
struct MovedAtom {
    const MolecularIntegrals& reference;
    unsigned atom;
};
// The same in the molecule's basis as already built (molecular_basis). With `moved`, the
// two-electron table starts as the reference's and only the integrals with a function on the
// moved atom are computed again (Integrals::repulsion_after_move): the same table.
MolecularIntegrals compute_integrals(const Molecule& molecule, const BasisSet& basis, const Settings& settings,
                                     const std::string& path, Listing& listing, const MovedAtom* moved = nullptr);
// Whether a MovedAtom spares integrals in this basis: the dense table of the fast path of the
// built-in tables (the exact path and the shell engine compute the whole table again).
bool shares_integrals_after_move(const BasisSet& basis, const Settings& settings);

// Hartree-Fock of a molecule in a spin state, in the order of the algorithm:
// basis -> one-electron matrices and two-electron table -> orthogonaliser -> SCF, with
// one spin channel for a singlet (restricted: the plain loop, or DIIS with --diis) and
// two otherwise (unrestricted, DIIS with the iteration limit of --diis), each followed by
// its checks (app/scf_search.h). `path` names the input file in messages. Throws Failure
// when the molecule is too large for memory, its basis is linearly dependent, or the SCF
// energy becomes non-finite. `start`, when given, holds the densities the search starts
// from instead of the superposed atomic densities (StartDensities).
Calculation compute_scf(const Molecule& molecule, const SpinState& spin, const Settings& settings,
                        const std::string& path, Listing& listing, const StartDensities* start = nullptr);
// The same in the molecule's basis as already built.
Calculation compute_scf(const Molecule& molecule, const BasisSet& basis, const SpinState& spin,
                        const Settings& settings, const std::string& path, Listing& listing,
                        const StartDensities* start = nullptr);

// The same on integrals already computed for the molecule.
Calculation compute_scf(const Molecule& molecule, const SpinState& spin, const MolecularIntegrals& m,
                        const Settings& settings, const std::string& path, Listing& listing,
                        const StartDensities* start = nullptr);

// The same for the closed shell of the molecule's electrons.
Calculation compute_rhf(const Molecule& molecule, const Settings& settings, const std::string& path,
                        Listing& listing);

// The calculation of a prepared run.
Calculation compute_run(const PreparedRun& run, const Settings& settings, const std::string& path, Listing& listing);

// The Failure of a run whose SCF energy became non-finite, `energy` at step `step`.
struct Failure;
Failure nonfinite_energy_failure(const std::string& path, unsigned step, double energy);
