#include "driver/calculation.h"

#include <cmath>
#include <cstdint>
#include <sstream>

#include "common/failure.h"
#include "common/quote.h"
#include "driver/listing.h"
#include "driver/progress.h"
#include "linalg/canorg.h"
#include "scf/guess.h"
#include "scf/memory.h"

namespace {

// n x n matrices held during a run besides the per-atom attraction matrices
// (H, S, T, X, X^T, and in the SCF P, F, G, F', C', C, the new density), counted
// before the table is allocated so that a molecule that cannot fit is refused first.
constexpr std::uint64_t engine_matrix_count = 12;
// Below this smallest overlap eigenvalue the basis is numerically linearly
// dependent: X = S^(-1/2) would amplify rounding beyond the printed digits.
constexpr double singular_overlap_threshold = 1e-7;

unsigned electron_count(const Molecule& molecule) {
    unsigned electrons = 0;
    for (const Atom& atom : molecule.atoms) electrons += atom.nrelecs();
    return electrons;
}

}  // namespace

Calculation compute_rhf(const Molecule& molecule, const Settings& settings, const std::string& path,
                        Listing& listing) {
    Calculation calc;
    calc.molecule = molecule;
    calc.electrons = electron_count(molecule);
    calc.occupied = calc.electrons / 2;
    calc.diis = settings.diis;

    // --- basis ---
    calc.basis = molecular_basis(molecule.atoms);
    const unsigned n = calc.basis.size();
    const std::uint64_t matrices = matrix_bytes(n, engine_matrix_count + molecule.atoms.size());
    TwoElectronTable te_table(n, allocate_integral_table(TwoElectronTable::entries(n), path, matrices));
    listing.input(calc.basis.labels);

    // --- one-electron matrices and the two-electron table ---
    const Integrals integrals(choose_integral_path(settings.integrals, calc.basis.functions), calc.basis.functions);
    listing.phase("S matrix");
    const Matrix<double> S = integrals.overlap();
    listing.phase_done();
    listing.phase("T matrix");
    const Matrix<double> T = integrals.kinetic();
    listing.phase_done();
    listing.phase("V matrices");
    const std::vector<Matrix<double>> V = integrals.nuclear_attraction(molecule.atoms);
    calc.H = core_hamiltonian(T, V);
    listing.phase_done();
    listing.repulsion_phase(TwoElectronTable::entries(n));
    {
        Progress progress("Two-electron integrals", 1);
        integrals.repulsion(te_table, [&progress](std::uint64_t done, std::uint64_t total) {
            progress.total = total;
            progress.update(done);
        });
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
    calc.nuclear_repulsion = calcnuclrepul(molecule.atoms);

    // --- SCF ---
    HF hf;
    hf.H = calc.H;
    hf.S = S;
    hf.X = orth.X;
    hf.X_t = transpose(orth.X);
    hf.te_table = &te_table;
    hf.all_quadruples = integrals.exact();
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
        calc.scf = hf.iterate_diis(superposition_density(S, T, V, te_table, calc.basis.first, electrons));
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
