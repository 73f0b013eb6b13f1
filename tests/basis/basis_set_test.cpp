// The molecule's basis set: functions in atom order, their report labels, atom ranges.
#include "basis/basis_set.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "input/molecule.h"

namespace {

Molecule make_molecule(const std::string& basis, std::initializer_list<std::tuple<const char*, double, double, double>> atoms) {
    Molecule m;
    m.basis_name = basis;
    m.basis.setType(basis);
    for (const auto& [symbol, x, y, z] : atoms) m.addAtom(symbol, x, y, z);
    return m;
}

Molecule water() {
    // O at the origin, O-H 1.81 bohr, 105 degrees.
    const double half = 105.0 / 2 * 3.14159265358979 / 180;
    return make_molecule("sto-3g", {{"O", 0, 0, 0},
                                    {"H", 1.81 * std::sin(half), 1.81 * std::cos(half), 0},
                                    {"H", -1.81 * std::sin(half), 1.81 * std::cos(half), 0}});
}

}  // namespace

TEST(BasisSet, GathersFunctionsInAtomOrderWithLabels) {
    const Molecule w = water();
    const BasisSet basis = molecular_basis(w.atoms);
    ASSERT_EQ(basis.size(), 7u);
    EXPECT_EQ(basis.primitives, 21u);  // seven functions of three primitives
    const char* expected[] = {"[1] O1\t (1s)", "[2] O1\t (2s)", "[3] O1\t (2px)", "[4] O1\t (2py)",
                              "[5] O1\t (2pz)", "[6] H2\t (1s)", "[7] H3\t (1s)"};
    ASSERT_EQ(basis.labels.size(), 7u);
    for (int b = 0; b < 7; ++b) EXPECT_EQ(basis.labels[b], expected[b]);
    EXPECT_EQ(basis.functions[5].position.getx(), w[1].gr().getx());
    EXPECT_EQ(basis.first, (std::vector<unsigned>{0, 5, 6, 7}));
}
