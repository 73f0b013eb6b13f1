// The repulsion gradient's kernels fixed at compile time for quartets of s, sp, p, two-s and d
// blocks (d not with sp or d) against its general loops (the reference): the same additions in the same order, so the
// same bits, over every pair shape the table's bases make, RHF and UHF. Each result is also
// held to translational invariance, sum over atoms of dE/dR_x = 0 (closed form), to 1e-10.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/prepare.h"
#include "app/run.h"
#include "gradient/scf_gradient.h"
#include "report/listing.h"

namespace {

struct Case {
    const char* name;  // the block kinds it has
    const char* basis;
    int multiplicity;
    std::vector<std::array<double, 3>> positions;  // bohr
    std::vector<const char*> symbols;
};

Calculation run(const Case& c) {
    Molecule mol;
    mol.basis_name = c.basis;
    mol.multiplicity = c.multiplicity;
    for (std::size_t a = 0; a < c.positions.size(); ++a)
        mol.addAtom(c.symbols[a], c.positions[a][0], c.positions[a][1], c.positions[a][2]);
    Settings settings;
    settings.progress = false;
    settings.diis = true;
    Listing quiet(false);
    return compute_run(prepare_run(mol, c.name), settings, c.name, quiet);
}

// H2 in cc-pVDZ, s and p blocks only (the p shells' own shape), whole gradient against
// Psi4 1.3.2: gradient("scf"), scf_type pk, puream, e/d_convergence 1e-10, units bohr,
// no_com, no_reorient, symmetry c1, the geometry below.
TEST(RepulsionGradientKernels, SAndPBlocksAgreeWithPsi4) {
    const Case h2{"h2 cc-pvdz", "cc-pvdz", 1, {{0.0, 0.0, 0.0}, {0.3, 0.1, 1.45}}, {"H", "H"}};
    const double psi4[2][3] = {{-0.0051082207, -0.0017027402, -0.0246897336},
                               {0.0051082207, 0.0017027402, 0.0246897336}};
    const Calculation calc = run(h2);
    EXPECT_NEAR(calc.result.energy, -1.1278189584, 1e-8);
    const std::vector<Vec3> g = scf_gradient(calc, 1);
    ASSERT_EQ(g.size(), 2u);
    for (std::size_t a = 0; a < 2; ++a) {
        EXPECT_NEAR(g[a].x, psi4[a][0], 1e-6) << "atom " << a;
        EXPECT_NEAR(g[a].y, psi4[a][1], 1e-6) << "atom " << a;
        EXPECT_NEAR(g[a].z, psi4[a][2], 1e-6) << "atom " << a;
    }
}

TEST(RepulsionGradientKernels, FixedKernelsGiveTheGeneralLoopsBits) {
    const std::vector<Case> cases = {
        {"h2: s", "sto-3g", 1, {{0.0, 0.0, 0.0}, {0.2, 0.1, 1.4}}, {"H", "H"}},
        {"water: s, sp", "sto-3g", 1, {{0.0, 0.1, 0.0}, {1.43, 1.1, 0.05}, {-1.5, 1.0, 0.0}}, {"O", "H", "H"}},
        {"h2: s, p", "cc-pvdz", 1, {{0.0, 0.0, 0.0}, {0.3, 0.1, 1.45}}, {"H", "H"}},
        {"ch2 triplet: s, sp split valence", "6-31g", 3, {{0.0, 0.0, 0.1}, {1.9, 0.0, 0.9}, {-1.8, 0.2, 1.0}},
         {"C", "H", "H"}},
        {"hcn: s, sp", "sto-6g", 1, {{0.0, 0.0, -2.0}, {0.0, 0.05, 0.0}, {0.0, 0.0, 2.2}}, {"H", "C", "N"}},
        // The two-s blocks of O and C with s and p blocks, pure d with all of them: d-p pairs
        // raise their partners to degree 4 and have 18 component pairs.
        {"water: s, ss, p, d", "cc-pvdz", 1, {{0.0, 0.1, 0.0}, {1.43, 1.1, 0.05}, {-1.5, 1.0, 0.0}},
         {"O", "H", "H"}},
        {"ch2 triplet: s, ss, p, d", "cc-pvdz", 3, {{0.0, 0.0, 0.1}, {1.9, 0.0, 0.9}, {-1.8, 0.2, 1.0}},
         {"C", "H", "H"}},
        // d blocks on two atoms, UHF: d with s, p, two-s across atoms fixed, d with d general.
        {"no doublet: ss, p, d", "cc-pvdz", 2, {{0.0, 0.0, 0.0}, {0.1, 0.05, 2.3}}, {"N", "O"}},
        // Cartesian d (6D) with H's s fixed, with O's sp general.
        {"water: s, sp, 6d", "6-31g*", 1, {{0.0, 0.1, 0.0}, {1.43, 1.1, 0.05}, {-1.5, 1.0, 0.0}}, {"O", "H", "H"}},
    };
    for (const Case& c : cases) {
        const Calculation calc = run(c);
        const SpinRun& run = calc.tightened ? *calc.tightened : calc.result;
        PairDensities densities;
        densities.total = run.total_density();
        for (const ChannelState& channel : run.channels) densities.channels.push_back(channel.density);
        densities.exchange = run.channels.size() == 1 ? 0.25 : 0.5;
        const std::vector<GradientShell> shells = gradient_shells(calc.basis, calc.molecule.atoms);
        const unsigned atoms = static_cast<unsigned>(c.positions.size());
        const AtomGradient fixed = repulsion_gradient(shells, densities, atoms, 2, RepulsionKernels::fixed);
        const AtomGradient general = repulsion_gradient(shells, densities, atoms, 1, RepulsionKernels::general);
        // The fixed kernels on one thread and on three: the same fixed partition of the pairs.
        EXPECT_EQ(fixed, repulsion_gradient(shells, densities, atoms, 1, RepulsionKernels::fixed)) << c.name;
        EXPECT_EQ(fixed, repulsion_gradient(shells, densities, atoms, 3, RepulsionKernels::fixed)) << c.name;
        ASSERT_EQ(fixed.size(), 3 * c.positions.size()) << c.name;
        double largest = 0.0;
        for (std::size_t k = 0; k < fixed.size(); ++k) {
            EXPECT_EQ(fixed[k], general[k]) << c.name << " coordinate " << k;
            largest = std::max(largest, std::fabs(fixed[k]));
        }
        EXPECT_GT(largest, 1e-3) << c.name;  // the molecules are off equilibrium
        for (std::size_t x = 0; x < 3; ++x) {
            double sum = 0.0;
            for (std::size_t a = 0; a < c.positions.size(); ++a) sum += fixed[3 * a + x];
            EXPECT_NEAR(sum, 0.0, 1e-10) << c.name << " axis " << x;
        }
    }
}

}  // namespace
