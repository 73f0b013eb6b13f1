#include "app/run.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iomanip>
#include <memory>
#include <new>
#include <sstream>
#include <utility>

#include "common/failure.h"
#include "common/quote.h"
#include "report/listing.h"
#include "system/progress.h"
#include "app/scf_search.h"
#include "linalg/canorg.h"
#include "linalg/matfunc.h"
#include "scf/guess.h"
#include "system/memory.h"
#include "system/parallel.h"

namespace {

// Below this smallest overlap eigenvalue lambda the basis is numerically linearly dependent:
// the energy error grows like 1.1e-16 / lambda^2, 1e-8 (the last printed digit) at 1e-4
// (docs/design_notes.md).
constexpr double singular_overlap_threshold = 1e-4;

// Up to this many functions the fast path keeps the dense table and its single-threaded
// scatter: screening removes little there and the scatter is faster (docs/design_notes.md).
constexpr unsigned dense_fast_path_functions = 80;

// The exact path of the built-in tables and small bases keep the dense table; any other
// basis, of the built-in tables or not, goes to the screened quartets.
bool dense_table(const BasisSet& basis, IntegralPath path, const Settings& settings) {
    return (basis.builtin && path == IntegralPath::exact) ||
           (basis.size() <= dense_fast_path_functions && !settings.integral_direct);
}

// Fast path: the Schwarz-screened quartets, stored when they fit in the memory left to
// the process, else recomputed at every build; refused only when not even the quartet
// list and the build's matrices fit.
std::shared_ptr<ScreenedOperator> fast_two_electron(const Integrals& integrals, unsigned n, std::uint64_t other_bytes,
                                                    const Settings& settings, const std::string& path) {
    const unsigned threads = settings.threads != 0 ? settings.threads : default_thread_count();
    auto op = std::make_shared<ScreenedOperator>(integrals.quartets(), n, threads);
    // Each chunk of a build sums into an n x n matrix of its own.
    const std::uint64_t direct_bytes = op->list_bytes() + other_bytes + matrix_bytes(n, ScreenedOperator::chunk_count + 4);
    const MemoryRoom room = available_memory();
    const std::uint64_t available = room.bytes;
    auto refuse = [&]() {
        std::ostringstream msg;
        msg << "Error: not enough memory for input file " << quoted(path) << ": even computing the "
            << op->surviving_integrals() << " two-electron integrals at every step (integral-direct) needs "
            << static_cast<double>(direct_bytes) / (1024.0 * 1024.0) << " MiB" << available_text(room);
        throw Failure{msg.str(), exit_status::out_of_memory};
    };
    if (available != 0 && direct_bytes > available) refuse();
    try {
        op->list_quartets();
    } catch (const std::bad_alloc&) {
        refuse();
    }
    if (!settings.integral_direct && (available == 0 || direct_bytes + op->stored_bytes() <= available)) {
        try {
            Progress progress("Two-electron integrals", 1);
            if (!settings.progress) progress.out = nullptr;
            op->store([&progress](std::uint64_t done, std::uint64_t total) {
                progress.total = total;
                progress.update(done);
            });
        } catch (const std::bad_alloc&) {
            // Not there after all: integral-direct.
        }
    }
    return op;
}

}  // namespace

bool shares_integrals_after_move(const BasisSet& basis, const Settings& settings) {
    const IntegralPath path = choose_integral_path(settings.integrals, basis.functions);
    return basis.builtin && path == IntegralPath::fast && dense_table(basis, path, settings);
}

MolecularIntegrals compute_integrals(const Molecule& molecule, const Settings& settings, const std::string& path,
                                     Listing& listing) {
    return compute_integrals(molecule, molecular_basis(molecule), settings, path, listing);
}

MolecularIntegrals compute_integrals(const Molecule& molecule, const BasisSet& basis, const Settings& settings,
                                     const std::string& path, Listing& listing, const MovedAtom* moved) {
    MolecularIntegrals m;
    m.basis = basis;
    const unsigned n = m.basis.size();
    const std::uint64_t matrices = engine_matrix_bytes(n, molecule.atoms.size());
    const IntegralPath integral_path = choose_integral_path(settings.integrals, m.basis.functions);
    const bool dense = dense_table(m.basis, integral_path, settings);
    if (dense) m.te_table = TwoElectronTable(n, allocate_integral_table(distinct_integral_count(n), path, matrices));
    TwoElectronTable& te_table = m.te_table;
    listing.input(m.basis.labels);

    // --- one-electron matrices and the two-electron table ---
    const Integrals integrals(integral_path, m.basis, molecule.atoms,
                              settings.threads != 0 ? settings.threads : default_thread_count());
    m.exact = integrals.exact();
    listing.phase("S matrix");
    m.S = integrals.overlap();
    const Matrix<double>& S = m.S;
    listing.phase_done();
    listing.phase("T matrix");
    m.T = integrals.kinetic();
    listing.phase_done();
    listing.phase("V matrices");
    m.V = integrals.nuclear_attraction(molecule.atoms);
    m.H = core_hamiltonian(m.T, m.V);
    listing.phase_done();
    listing.repulsion_phase(TwoElectronTable::entries(n));
    if (dense && moved != nullptr && moved->reference.te_table.size() == te_table.size()) {
        std::copy(moved->reference.te_table.values().begin(), moved->reference.te_table.values().end(),
                  te_table.data());
        integrals.repulsion_after_move(te_table, moved->atom);
    } else if (dense) {
        Progress progress("Two-electron integrals", 1);
        if (!settings.progress) progress.out = nullptr;
        integrals.repulsion(te_table, [&progress](std::uint64_t done, std::uint64_t total) {
            progress.total = total;
            progress.update(done);
        });
    } else {
        m.screened = fast_two_electron(integrals, n, matrices, settings, path);
    }
    listing.repulsion_done(TwoElectronTable::entries(n));
    listing.matrix("--- Smatrix ---", S);

    // --- orthogonaliser ---
    const Orthogonaliser orth = canorg_checked(S);
    if (n > 0 && !(orth.smallest_eigenvalue >= singular_overlap_threshold)) {
        std::ostringstream msg;
        msg << "Error in input file " << quoted(path) << ": the overlap matrix is singular (smallest eigenvalue "
            << orth.smallest_eigenvalue
            << "); atoms are so close together that their basis functions are linearly dependent";
        throw Failure{msg.str(), exit_status::unsupported};
    }
    listing.matrix("--- Xmatrix ---", orth.X);
    m.X = orth.X;
    m.nuclear_repulsion = calcnuclrepul(molecule.atoms);
    return m;
}

namespace {

// What every calculation carries from its molecule, spin state and integrals.
Calculation calculation_of(const Molecule& molecule, const SpinState& spin, const MolecularIntegrals& m) {
    Calculation calc;
    calc.molecule = molecule;
    calc.electrons = spin.alpha + spin.beta;
    calc.spin = spin;
    calc.basis = m.basis;
    calc.S = m.S;
    calc.H = m.H;
    calc.nuclear_repulsion = m.nuclear_repulsion;
    return calc;
}

// The SCF's view of the molecule: a singlet as one channel of doubly occupied orbitals,
// any other spin state as alpha and beta channels.
SpinSystem spin_system_of(const MolecularIntegrals& m, const SpinState& spin, const TwoElectronOperator& two_electron) {
    SpinSystem system;
    system.H = m.H;
    system.S = m.S;
    system.X = m.X;
    system.X_t = transpose(m.X);
    system.two_electron = &two_electron;
    system.free_order_products = m.screened != nullptr;
    system.nuclear_repulsion = m.nuclear_repulsion;
    system.occupied = spin.multiplicity == 1 ? std::vector<unsigned>{spin.alpha} : std::vector<unsigned>{spin.alpha, spin.beta};
    return system;
}

// The superposition of the atoms' own densities, each atom with the electrons of its neutral atom.
Matrix<double> atomic_start_density(const Molecule& molecule, const MolecularIntegrals& m,
                                    const TwoElectronOperator& two_electron) {
    std::vector<unsigned> electrons;
    for (const Atom& atom : molecule.atoms) electrons.push_back(atom.nrelecs());
    return superposition_density(m.S, m.T, m.V, two_electron, m.basis.first, electrons);
}

// The closed-shell search: the plain loop or DIIS (default_diis unless asked), listed step by step.
void closed_shell_scf(Calculation& calc, const SpinSystem& system, const Matrix<double>& atomic_start,
                      const Settings& settings, const std::string& path, Listing& listing) {
    HF hf = closed_shell_engine(system);
    hf.listener = &listing;
    calc.diis = settings.diis.value_or(default_diis(calc.basis));
    if (settings.max_iterations != 0)
        (calc.diis ? hf.diis_max_iterations : hf.max_iterations) = settings.max_iterations;
    calc.iteration_limit = calc.diis ? hf.diis_max_iterations : hf.max_iterations;
    search_scf(calc, hf, atomic_start, settings, path);
}

// The open-shell search (always DIIS); a non-finite energy stops it at once, with the
// step's number and energy.
void open_shell_scf(Calculation& calc, const SpinSystem& system, std::vector<Matrix<double>> first_start,
                    const Settings& settings, const std::string& path, Listing& listing) {
    UhfSettings uhf;
    if (settings.max_iterations != 0) uhf.max_iterations = settings.max_iterations;
    calc.diis = true;
    calc.iteration_limit = uhf.max_iterations;
    const StepListener report = [&](unsigned step, double energy, double ms) {
        listing.step(step, energy, ms);
        if (!std::isfinite(energy)) throw nonfinite_energy_failure(path, step, energy);
    };
    search_uhf(calc, system, std::move(first_start), uhf, settings.checks, report);
}

}  // namespace

bool default_diis(const BasisSet& basis) { return !basis.builtin; }

Calculation compute_scf(const Molecule& molecule, const SpinState& spin, const Settings& settings,
                        const std::string& path, Listing& listing, const StartDensities* start) {
    return compute_scf(molecule, molecular_basis(molecule), spin, settings, path, listing, start);
}

Calculation compute_scf(const Molecule& molecule, const BasisSet& basis, const SpinState& spin,
                        const Settings& settings, const std::string& path, Listing& listing,
                        const StartDensities* start) {
    return compute_scf(molecule, spin, compute_integrals(molecule, basis, settings, path, listing), settings, path,
                       listing, start);
}

Calculation compute_scf(const Molecule& molecule, const SpinState& spin, const MolecularIntegrals& m,
                        const Settings& settings, const std::string& path, Listing& listing,
                        const StartDensities* start) {
    Calculation calc = calculation_of(molecule, spin, m);
    // The exact path's reports are pinned to the all-quadruples sum; the dense fast path
    // scatters the distinct integrals.
    const TableOperator table_operator(m.te_table, m.exact);
    const TwoElectronOperator& two_electron =
        m.screened ? static_cast<const TwoElectronOperator&>(*m.screened) : table_operator;
    const SpinSystem system = spin_system_of(m, spin, two_electron);

    listing.scf_start();
    Matrix<double> start_density;  // closed-shell
    if (start == nullptr) {
        start_density = atomic_start_density(molecule, m, two_electron);
    } else {
        start_density = start->front();
        for (std::size_t s = 1; s < start->size(); ++s) start_density = matsum(start_density, (*start)[s]);
    }
    if (system.channels() == 1)
        closed_shell_scf(calc, system, start_density, settings, path, listing);
    else if (start != nullptr && start->size() == system.channels())
        open_shell_scf(calc, system, start_densities(system, *start), settings, path, listing);
    else
        open_shell_scf(calc, system, start_densities(system, start_density), settings, path, listing);
    return calc;
}

Calculation compute_rhf(const Molecule& molecule, const Settings& settings, const std::string& path,
                        Listing& listing) {
    // check_molecule has made sure the count, charge included, is positive and fits.
    const unsigned pairs = static_cast<unsigned>(molecule.electron_count()) / 2;
    return compute_scf(molecule, SpinState{1, pairs, pairs}, settings, path, listing);
}

Failure nonfinite_energy_failure(const std::string& path, unsigned step, double energy) {
    std::ostringstream msg;
    msg << "Error in input file " << quoted(path) << ": the SCF energy became " << energy << " at step " << step
        << "; no result can be reported";
    return Failure{msg.str(), exit_status::numerical};
}

Calculation compute_run(const PreparedRun& run, const Settings& settings, const std::string& path, Listing& listing) {
    return compute_scf(run.molecule, run.basis, run.spin, settings, path, listing);
}
