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
// Below this smallest overlap eigenvalue lambda the basis is numerically linearly
// dependent for the SCF. In the AO basis the orbital coefficients grow like
// lambda^(-1/2), the density like 1/lambda and the two-electron energy, quadratic in
// it, like 1/lambda^2, each amplifying the rounding of double precision (2^-53 =
// 1.1e-16): the energy error reaches 1.1e-16 / lambda^2, 1e-8 (the last printed digit)
// at lambda = 1e-4. He with two H at 1e-3 bohr (lambda = 5e-7) gave -3324.6 Hartree
// against a nuclear repulsion of +4707; at lambda = 5e-6 the exact and fast integral
// paths already differ by 7e-5 Hartree. Minimal bases at ordinary geometries have lambda
// above 0.1 (the examples and benchmark molecules: 0.16 to 0.76).
constexpr double singular_overlap_threshold = 1e-4;
// --diis runs its second start always up to this many basis functions (see compute_rhf).
constexpr unsigned second_start_functions = 30;

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
    TwoElectronTable te_table(n, allocate_integral_table(TwoElectronTable::entries(n), path, matrices));
    listing.input(calc.basis.labels);

    // --- one-electron matrices and the two-electron table ---
    const Integrals integrals(choose_integral_path(settings.integrals, calc.basis.functions), calc.basis.functions);
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
    std::vector<unsigned> electrons;
    for (const Atom& atom : molecule.atoms) electrons.push_back(atom.nrelecs());
    const Matrix<double> atomic_start = superposition_density(S, T, V, te_table, calc.basis.first, electrons);
    HF quiet = hf;  // the independent starts are not listed
    quiet.listener = nullptr;
    // A limit set on the command line holds for every loop of the --diis search.
    if (settings.diis && settings.max_iterations != 0) quiet.max_iterations = settings.max_iterations;
    if (settings.diis) {
        StableSearch search = diis_with_following(hf, atomic_start);
        if (!search.scf.finite) throw nonfinite_energy_failure(path, search.scf);
        // Second opinions, not listed: the core-Hamiltonian start, and when neither DIIS run
        // reaches a stable solution, the density-mixing loop of the default mode continued
        // by DIIS. The lowest stable solution is reported. The core start runs always for
        // up to second_start_functions basis functions, where competing states are common
        // (stretched bonds of small molecules) and a run costs milliseconds; beyond, only
        // when the atomic-density start reached no stable state: it would double the SCF
        // time of caffeine (0.5 s) for a check of well-behaved closed shells.
        const double first_energy = search.scf.energy;
        const bool first_stable = search.stable;
        auto consider = [&](StableSearch other, ReportedStart start) {
            if (!other.scf.finite || !other.stable) return;
            if (search.stable && !(other.scf.energy < search.scf.energy - distinct_state_tolerance(search.scf.energy)))
                return;
            search = std::move(other);
            calc.start = start;
        };
        if (!search.stable || n <= second_start_functions)
            consider(diis_with_following(quiet, Matrix<double>(static_cast<int>(n), static_cast<int>(n))),
                     ReportedStart::core_hamiltonian);
        if (!search.stable) {
            const ScfResult mixed = quiet.iterate();
            if (mixed.finite && check_convergence(quiet, mixed).converged)
                consider(diis_with_following(quiet, mixed.density), ReportedStart::density_mixing);
        }
        if (calc.start != ReportedStart::atomic_density) {
            calc.first_start_stable = first_stable;
            calc.first_start_energy = first_energy;
        }
        calc.scf = std::move(search.scf);
        calc.convergence = search.check;
        calc.stability_checked = search.check.converged;
        calc.lowest = std::move(search.lowest);
        calc.stable = search.stable;
        calc.followed = std::move(search.followed);
    } else {
        calc.scf = hf.iterate();
        if (!calc.scf.finite) throw nonfinite_energy_failure(path, calc.scf);
        calc.convergence = check_convergence(hf, calc.scf);
        if (calc.convergence.converged) {
            calc.stability_checked = true;
            calc.lowest = check_stability(hf, calc.scf);
            calc.stable = !(calc.lowest.eigenvalue < instability_threshold);
        }
        if (calc.stable) {
            // The --diis path from the atomic densities, as an independent start.
            const StableSearch other = diis_with_following(quiet, atomic_start);
            if (other.scf.finite && other.stable &&
                other.scf.energy < calc.scf.energy - distinct_state_tolerance(calc.scf.energy)) {
                calc.lower_found = true;
                calc.lower_energy = other.scf.energy;
            }
        }
    }
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
