#include "driver/calculation.h"

#include <cmath>
#include <cstdint>
#include <sstream>

#include "common/failure.h"
#include "common/quote.h"
#include "driver/listing.h"
#include "driver/progress.h"
#include "driver/scf_search.h"
#include "linalg/canorg.h"
#include "scf/guess.h"
#include "scf/memory.h"

namespace {

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
    const std::uint64_t matrices = engine_matrix_bytes(n, molecule.atoms.size());
    TwoElectronTable te_table(n, allocate_integral_table(distinct_integral_count(n), path, matrices));
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
    search_scf(calc, hf, atomic_start, settings, path);
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
