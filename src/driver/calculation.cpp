#include "driver/calculation.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <new>
#include <sstream>

#include "common/failure.h"
#include "common/quote.h"
#include "driver/listing.h"
#include "driver/progress.h"
#include "linalg/canorg.h"
#include "scf/guess.h"
#include "scf/memory.h"
#include "scf/parallel.h"
#include "scf/screened.h"

namespace {

// n x n matrices held during a run besides the per-atom attraction matrices
// (H, S, T, X, X^T, and in the SCF P, F, G, F', C', C, the new density), counted
// before the table is allocated so that a molecule that cannot fit is refused first.
constexpr std::uint64_t engine_matrix_count = 12;
// Below this smallest overlap eigenvalue the basis is numerically linearly
// dependent: X = S^(-1/2) would amplify rounding beyond the printed digits.
constexpr double singular_overlap_threshold = 1e-7;

// The fast path decides about the integrals once their bounds are known; the matrices
// (the per-atom attraction matrices grow as atoms x n^2) are checked first.
void check_matrices_fit(std::uint64_t bytes, unsigned n, const std::string& path) {
    const std::uint64_t available = available_memory_bytes();
    if (available == 0 || bytes <= available) return;
    std::ostringstream msg;
    msg << "Error: not enough memory for input file " << quoted(path) << ": the " << n << " x " << n
        << " matrices of the run alone need " << static_cast<double>(bytes) / (1024.0 * 1024.0) << " MiB, "
        << static_cast<double>(available) / (1024.0 * 1024.0) << " MiB are available";
    throw Failure{msg.str(), exit_status::out_of_memory};
}

// The two-electron integrals of a run and the operator the SCF reads them through.
struct TwoElectronSetup {
    std::unique_ptr<TwoElectronTable> table;  // exact path
    std::unique_ptr<TwoElectronOperator> op;
};

// Exact path: the dense table of every distinct integral (allocated, or refused, before
// anything is computed).
TwoElectronSetup exact_two_electron(const Integrals& integrals, std::unique_ptr<TwoElectronTable> table) {
    TwoElectronSetup s;
    s.table = std::move(table);
    Progress progress("Two-electron integrals", 1);
    integrals.repulsion(*s.table, [&progress](std::uint64_t done, std::uint64_t total) {
        progress.total = total;
        progress.update(done);
    });
    s.op = std::make_unique<TableOperator>(*s.table, true);
    return s;
}

// Fast path: the Schwarz-screened quartets, stored when they fit in the memory left to
// the process, else recomputed at every build; refused only when not even the quartet
// list and the build's matrices fit.
TwoElectronSetup fast_two_electron(const Integrals& integrals, unsigned n, std::uint64_t other_bytes,
                                   const Settings& settings, const std::string& path) {
    const unsigned threads = settings.threads != 0 ? settings.threads : default_thread_count();
    auto op = std::make_unique<ScreenedOperator>(integrals.shell_pairs(), n, threads);
    // Each chunk of a build sums into an n x n matrix of its own.
    const std::uint64_t direct_bytes = op->list_bytes() + other_bytes +
                                       matrix_bytes(n, ScreenedOperator::chunk_count + 4);
    const std::uint64_t available = available_memory_bytes();
    auto refuse = [&]() {
        std::ostringstream msg;
        msg << "Error: not enough memory for input file " << quoted(path) << ": even computing the "
            << op->surviving_integrals() << " two-electron integrals at every step (integral-direct) needs "
            << static_cast<double>(direct_bytes) / (1024.0 * 1024.0) << " MiB, "
            << static_cast<double>(available) / (1024.0 * 1024.0) << " MiB are available";
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
            op->store([&progress](std::uint64_t done, std::uint64_t total) {
                progress.total = total;
                progress.update(done);
            });
        } catch (const std::bad_alloc&) {
            // Not there after all: integral-direct.
        }
    }
    TwoElectronSetup s;
    s.op = std::move(op);
    return s;
}

}  // namespace

Calculation compute_rhf(const Molecule& molecule, const Settings& settings, const std::string& path,
                        Listing& listing) {
    Calculation calc;
    calc.molecule = molecule;
    // check_closed_shell has made sure the count, charge included, is positive and fits.
    calc.electrons = static_cast<unsigned>(molecule.electron_count());
    calc.occupied = calc.electrons / 2;
    calc.diis = settings.diis;

    // --- basis ---
    calc.basis = molecular_basis(molecule.atoms);
    const unsigned n = calc.basis.size();
    const std::uint64_t matrices = matrix_bytes(n, engine_matrix_count + molecule.atoms.size());
    const IntegralPath integral_path = choose_integral_path(settings.integrals, calc.basis.functions);
    std::unique_ptr<TwoElectronTable> table;
    if (integral_path == IntegralPath::exact)
        table = std::make_unique<TwoElectronTable>(
            n, allocate_integral_table(TwoElectronTable::entries(n), path, matrices));
    else
        check_matrices_fit(matrices, n, path);
    listing.input(calc.basis.labels);

    // --- one-electron matrices and the two-electron integrals ---
    const Integrals integrals(integral_path, calc.basis.functions);
    listing.phase("S matrix");
    calc.S = integrals.overlap();
    const Matrix<double>& S = calc.S;
    listing.phase_done();
    listing.phase("T matrix");
    const Matrix<double> T = integrals.kinetic();
    listing.phase_done();
    listing.phase("V matrices");
    const std::vector<Matrix<double>> V = integrals.nuclear_attraction(molecule.atoms);
    calc.H = core_hamiltonian(T, V);
    listing.phase_done();
    listing.repulsion_phase(TwoElectronTable::entries(n));
    const TwoElectronSetup two_electron = integrals.exact()
                                              ? exact_two_electron(integrals, std::move(table))
                                              : fast_two_electron(integrals, n, matrices, settings, path);
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
    calc.nuclear_repulsion = calcnuclrepul(molecule.atoms);

    // --- SCF ---
    HF hf;
    hf.H = calc.H;
    hf.S = S;
    hf.X = orth.X;
    hf.X_t = transpose(orth.X);
    hf.two_electron_operator = two_electron.op.get();
    hf.free_order_products = !integrals.exact();
    hf.nuclear_repulsion = calc.nuclear_repulsion;
    hf.occupied = calc.occupied;
    hf.listener = &listing;
    if (settings.max_iterations != 0)
        (settings.diis ? hf.diis_max_iterations : hf.max_iterations) = settings.max_iterations;
    calc.iteration_limit = settings.diis ? hf.diis_max_iterations : hf.max_iterations;

    listing.scf_start();
    if (settings.diis) {
        std::vector<unsigned> electrons;
        for (const Atom& atom : molecule.atoms) electrons.push_back(atom.nrelecs());
        calc.scf = hf.iterate_diis(superposition_density(S, T, V, *two_electron.op, calc.basis.first, electrons));
    } else {
        calc.scf = hf.iterate();
    }
    if (!calc.scf.finite) throw nonfinite_energy_failure(path, calc.scf);
    return calc;
}

Failure nonfinite_energy_failure(const std::string& path, const ScfResult& r) {
    std::ostringstream msg;
    msg << "Error in input file " << quoted(path) << ": the SCF energy became " << r.energy << " at step "
        << r.iterations << "; no result can be reported";
    return Failure{msg.str(), exit_status::numerical};
}

std::string nonconvergence_message(const Calculation& calc) {
    std::ostringstream msg;
    if (calc.diis) {
        msg << "velko: the DIIS SCF did not converge in " << calc.iteration_limit
            << " iterations; the energy reported is not reliable; try a larger --max-iterations";
    } else {
        msg << "velko: the SCF did not converge in " << calc.iteration_limit
            << " iterations; the energy reported is not reliable; try --diis";
    }
    return msg.str();
}
