// The analytic SCF gradient against central finite differences of velko's own energies
// (step 5e-4 bohr, truncation error below 1e-7): one table over basis kinds (built-in table,
// Cartesian d, pure d, f and h, general contractions) and RHF/UHF, every coordinate of every atom.
#include <gtest/gtest.h>

#include <fstream>

#include "app/prepare.h"
#include "app/run.h"
#include "gradient/scf_gradient.h"
#include "report/listing.h"

namespace {

struct Case {
    const char* name;
    const char* basis;
    bool pure;
    int charge;
    int multiplicity;
    std::vector<std::array<double, 3>> positions;  // bohr
    std::vector<const char*> symbols;
    const char* basis_text = nullptr;  // Gaussian94, read as a basis-set file instead of `basis`
};

// An s and an h shell on H: the differentiated pair of two h shells needs R of order 22,
// beyond the Boys tables, for its screening bound.
const char* const h_shell_basis =
    "****\nH     0\nS   1   1.00\n  1.0  1.0\nH   1   1.00\n  1.2  1.0\n****\n";

// On each H an s, and an s and two d shells sharing their two exponents: one block of
// mixed angular momenta and general contraction.
const char* const general_d_basis =
    "****\nH     0\nS   1   1.00\n  1.0  1.0\nS   2   1.00\n  1.5  0.6\n  0.4  0.5\n"
    "D   2   1.00\n  1.5  0.6\n  0.4  0.5\nD   2   1.00\n  1.5  -0.8\n  0.4  1.0\n****\n";

Calculation run(const Case& c, const std::vector<std::array<double, 3>>& positions) {
    Molecule mol;
    mol.basis_name = c.basis;
    if (c.basis_text) {
        mol.basis_file = testing::TempDir() + "velko_fd_basis.gbs";
        std::ofstream(mol.basis_file) << c.basis_text;
    }
    mol.pure = c.pure;
    mol.charge = c.charge;
    mol.multiplicity = c.multiplicity;
    for (std::size_t a = 0; a < positions.size(); ++a)
        mol.addAtom(c.symbols[a], positions[a][0], positions[a][1], positions[a][2]);
    Settings settings;
    settings.progress = false;
    settings.diis = true;
    Listing quiet(false);
    return compute_run(prepare_run(mol, c.name), settings, c.name, quiet);
}

double energy(const Calculation& calc) { return calc.tightened ? calc.tightened->energy : calc.result.energy; }

TEST(ScfGradient, AgreesWithFiniteDifferencesOfTheEnergy) {
    const double step = 5e-4;
    const std::vector<Case> cases = {
        {"water rhf", "sto-3g", false, 0, 1, {{0.0, 0.1, 0.0}, {1.43, 1.1, 0.05}, {-1.5, 1.0, 0.0}}, {"O", "H", "H"}},
        {"ch2 uhf", "sto-3g", false, 0, 3, {{0.0, 0.0, 0.1}, {1.9, 0.0, 0.9}, {-1.8, 0.2, 1.0}}, {"C", "H", "H"}},
        {"hf cartesian d", "6-31g*", false, 0, 1, {{0.0, 0.0, 0.0}, {0.2, 0.1, 1.75}}, {"F", "H"}},
        {"oh pure d", "cc-pvdz", true, 0, 2, {{0.0, 0.0, 0.0}, {0.1, 0.0, 1.9}}, {"O", "H"}},
        {"lih+ pure f", "cc-pvtz", true, 1, 2, {{0.0, 0.0, 0.0}, {0.0, 0.3, 3.2}}, {"Li", "H"}},
        {"h2 pure h", "h-file", true, 0, 1, {{0.0, 0.0, 0.0}, {0.2, 0.1, 1.4}}, {"H", "H"}, h_shell_basis},
        {"h2 general d", "d-file", true, 0, 1, {{0.0, 0.0, 0.0}, {0.2, 0.1, 1.4}}, {"H", "H"}, general_d_basis},
        {"h3+ general cartesian d", "d-file", false, 1, 1, {{0.0, 0.0, 0.0}, {0.2, 0.1, 1.6}, {1.5, 0.0, 0.8}},
         {"H", "H", "H"}, general_d_basis},
    };
    for (const Case& c : cases) {
        const Calculation calc = run(c, c.positions);
        const std::vector<Vec3> g = scf_gradient(calc, 1);
        // The pairs' sums are combined in one order whatever the threads.
        const std::vector<Vec3> threaded = scf_gradient(calc, 3);
        for (std::size_t a = 0; a < g.size(); ++a)
            EXPECT_TRUE(g[a].x == threaded[a].x && g[a].y == threaded[a].y && g[a].z == threaded[a].z) << c.name;
        for (std::size_t a = 0; a < c.positions.size(); ++a)
            for (int x = 0; x < 3; ++x) {
                std::vector<std::array<double, 3>> moved = c.positions;
                moved[a][static_cast<std::size_t>(x)] += step;
                const double up = energy(run(c, moved));
                moved[a][static_cast<std::size_t>(x)] -= 2.0 * step;
                const double down = energy(run(c, moved));
                const double analytic = x == 0 ? g[a].x : x == 1 ? g[a].y : g[a].z;
                EXPECT_NEAR(analytic, (up - down) / (2.0 * step), 1e-6) << c.name << " atom " << a << " axis " << x;
            }
    }
}

}  // namespace
