// The one choice of integral path, and the two paths' agreement over a whole run.
#include "integrals/integrals.h"

#include <gtest/gtest.h>

#include "../test_molecules.h"

#include <cmath>
#include <tuple>

#include "basis/basis_set.h"
#include "app/run.h"
#include "report/listing.h"
#include "molecule/molecule.h"

namespace {


Calculation rhf(const Molecule& m, IntegralPath path) {
    Listing quiet(false);
    Settings settings;
    settings.integrals = path;
    return compute_rhf(m, settings, "test.in", quiet);
}

}  // namespace

TEST(IntegralPath, PrimitiveQuartetsOfTheDistinctIntegrals) {
    // H2 in STO-3G: three distinct pairs of weight 9 give ((27)^2 + 3*81)/2 = 486
    // primitive quartets, i.e. six distinct integrals of 81 quartets each.
    const BasisSet h2 = molecular_basis(make_molecule("sto-3g", {{"H", 0, 0, 0}, {"H", 0, 0, 1.4}}));
    EXPECT_EQ(primitive_quartet_count(h2.functions), 6u * 81u);
    // Water: 406 distinct integrals of 81 quartets.
    const BasisSet w = molecular_basis(water());
    EXPECT_EQ(primitive_quartet_count(w.functions), 406u * 81u);
    EXPECT_EQ(choose_integral_path(IntegralPath::automatic, w.functions), IntegralPath::exact);
    EXPECT_EQ(choose_integral_path(IntegralPath::fast, w.functions), IntegralPath::fast);
}

TEST(IntegralPath, LargeMoleculesTakeTheFastPath) {
    // Ten carbon atoms in STO-6G: 50 functions of 6 primitives, 1275 pairs,
    // 813450 distinct integrals of 1296 quartets each: far beyond the exact limit.
    Molecule m;
    m.basis_name = "sto-6g";
    for (int k = 0; k < 10; ++k) m.addAtom("C", 2.5 * k, 0, 0);
    const BasisSet basis = molecular_basis(m);
    EXPECT_EQ(primitive_quartet_count(basis.functions), 813450ull * 1296ull);
    EXPECT_EQ(choose_integral_path(IntegralPath::automatic, basis.functions), IntegralPath::fast);
    EXPECT_EQ(choose_integral_path(IntegralPath::exact, basis.functions), IntegralPath::exact);
}

TEST(IntegralPath, ExactAndFastRunsAgreeOnWater) {
    const SpinRun exact = rhf(water(), IntegralPath::exact).result;
    const SpinRun fast = rhf(water(), IntegralPath::fast).result;
    EXPECT_NEAR(exact.energy, fast.energy, 1e-10);
    for (int k = 0; k < 7; ++k) EXPECT_NEAR(exact.channels[0].energies[k], fast.channels[0].energies[k], 1e-10);
}
