#include "molecule/atom.h"

#include <gtest/gtest.h>

#include <string>

#include "molecule/element.h"

namespace {

// The element table: symbol <-> atomic number for H ... Kr (IUPAC symbols).
TEST(Atom, ElementTable) {
    const char* symbols[36] = {"H",  "He", "Li", "Be", "B",  "C",  "N",  "O",  "F",  "Ne", "Na", "Mg",
                               "Al", "Si", "P",  "S",  "Cl", "Ar", "K",  "Ca", "Sc", "Ti", "V",  "Cr",
                               "Mn", "Fe", "Co", "Ni", "Cu", "Zn", "Ga", "Ge", "As", "Se", "Br", "Kr"};
    for (unsigned z = 1; z <= 36; ++z) {
        EXPECT_EQ(element_number(symbols[z - 1]), z);
        EXPECT_EQ(element_symbol(z), symbols[z - 1]);
        const Atom a(symbols[z - 1], 0, 0, 0);
        EXPECT_EQ(a.element, z);
        EXPECT_EQ(a.nucl_chg(), z);
        EXPECT_EQ(a.nrelecs(), z);
        EXPECT_EQ(a.ps(), symbols[z - 1]);
    }
    for (const char* other : {"o", "he", "HE", "NA", "Rb", "", " H", "H "}) EXPECT_EQ(element_number(other), 0u) << other;
    for (unsigned z : {0u, 37u, 100u}) EXPECT_EQ(element_symbol(z), "?") << z;
}

TEST(Atom, PositionAndUnknownSymbol) {
    const Atom h("H", 0.0, 0.0, 1.4);
    EXPECT_EQ(h.gr().z, 1.4);
    const Atom x("Xx", 0, 0, 0);
    EXPECT_EQ(x.nucl_chg(), 0u);
    EXPECT_EQ(x.nrelecs(), 0u);
    EXPECT_EQ(x.ps(), "?");
}

// A ghost keeps its element (for the basis) but has neither nuclear charge nor electrons.
TEST(Atom, GhostHasNoChargeNorElectrons) {
    Atom o("O", 0, 0, 0);
    o.ghost = true;
    EXPECT_EQ(o.element, 8u);
    EXPECT_EQ(o.ps(), "O");
    EXPECT_EQ(o.nucl_chg(), 0u);
    EXPECT_EQ(o.nrelecs(), 0u);
}

}  // namespace
