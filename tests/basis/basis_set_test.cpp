// The molecule's basis set: functions in atom order, their report labels, atom ranges.
#include "basis/basis_set.h"

#include <gtest/gtest.h>

#include "../test_molecules.h"

#include <cmath>
#include <tuple>

#include "molecule/molecule.h"

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
