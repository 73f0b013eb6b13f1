// The molecule's basis set: shells placed on atoms, the functions they expand to,
// their report labels and the offsets of shells and atoms.
#include "basis/basis_set.h"

#include <gtest/gtest.h>

#include "../test_molecules.h"

#include <cmath>
#include <tuple>

#include "common/failure.h"
#include "molecule/molecule.h"

namespace {

TEST(BasisSet, GathersFunctionsInAtomOrderWithLabels) {
    const Molecule w = water();
    const BasisSet basis = molecular_basis(w);
    ASSERT_EQ(basis.size(), 7u);
    EXPECT_EQ(basis.primitives, 21u);  // seven functions of three primitives
    const char* expected[] = {"[1] O1\t (1s)", "[2] O1\t (2s)", "[3] O1\t (2px)", "[4] O1\t (2py)",
                              "[5] O1\t (2pz)", "[6] H2\t (1s)", "[7] H3\t (1s)"};
    ASSERT_EQ(basis.labels.size(), 7u);
    for (int b = 0; b < 7; ++b) EXPECT_EQ(basis.labels[b], expected[b]);
    EXPECT_EQ(basis.functions[5].atom, 1u);
    EXPECT_EQ(basis.first, (std::vector<unsigned>{0, 5, 6, 7}));
    EXPECT_EQ(basis.atom_shells, (std::vector<unsigned>{0, 3, 4, 5}));
    EXPECT_EQ(basis.shell_first, (std::vector<unsigned>{0, 1, 2, 5, 6, 7}));
    ASSERT_EQ(basis.shells.size(), 5u);
    EXPECT_EQ(basis.shells[2].L, 1u);
    EXPECT_EQ(basis.shells[4].atom, 2u);
}

// Each function of a p shell has one Cartesian power set, x, y, z in turn, and the
// primitives of its shell with the table's coefficients.
TEST(BasisSet, POrientationForEveryElementAndSet) {
    for (const char* type : {"sto-3g", "sto-6g"})
        for (const char* symbol : {"Li", "Be", "B", "C", "N", "O", "F", "Ne"}) {
            const BasisSet basis = molecular_basis(make_molecule(type, {{symbol, 0.5, -1.0, 2.0}}));
            ASSERT_EQ(basis.size(), 5u);
            for (int axis = 0; axis < 3; ++axis) {
                const CGF& f = basis.functions[2 + axis];
                EXPECT_EQ(f.atom, 0u);
                ASSERT_EQ(f.gtos.size(), basis.shells[2].exponents.size());
                for (std::size_t k = 0; k < f.gtos.size(); ++k) {
                    const GTO& g = f.gtos[k];
                    EXPECT_EQ(g.l, axis == 0 ? 1u : 0u) << type << " " << symbol;
                    EXPECT_EQ(g.m, axis == 1 ? 1u : 0u) << type << " " << symbol;
                    EXPECT_EQ(g.n, axis == 2 ? 1u : 0u) << type << " " << symbol;
                    EXPECT_EQ(g.alpha, basis.shells[2].exponents[k]);
                    EXPECT_EQ(g.c, basis.shells[2].coefficients[k]);
                }
            }
        }
}

// A basis from shells given in code, as a basis-set file would give them: orbital
// names count the shells of each L from n = L + 1, Cartesian functions in Molden's order
// xx, yy, zz, xy, xz, yz, pure ones m = 0, +1, -1, +2, -2; a ghost atom carries its
// element's functions.
TEST(BasisSet, FromShellsWithDAndGhost) {
    const ElementShell s{0, false, {3.0, 0.5}, {0.4, 0.7}};
    const ElementShell p{1, false, {0.8}, {1.0}};
    const ElementShell d{2, false, {0.8}, {1.0}};
    BasisLibrary library;
    library[1] = {s, s};
    library[8] = {s, s, p, d};
    Molecule mol = make_molecule("file", {{"O", 0, 0, 0}, {"H", 0, 0, 1.8}});
    mol.atoms[1].ghost = true;
    const BasisSet basis = basis_from_shells(mol, library);
    const char* expected[] = {"[1] O1\t (1s)",   "[2] O1\t (2s)",   "[3] O1\t (2px)",  "[4] O1\t (2py)",
                              "[5] O1\t (2pz)",  "[6] O1\t (3dxx)", "[7] O1\t (3dyy)", "[8] O1\t (3dzz)",
                              "[9] O1\t (3dxy)", "[10] O1\t (3dxz)", "[11] O1\t (3dyz)", "[12] H2\t (1s)",
                              "[13] H2\t (2s)"};
    ASSERT_EQ(basis.size(), 13u);
    for (unsigned b = 0; b < 13; ++b) EXPECT_EQ(basis.labels[b], expected[b]);
    EXPECT_EQ(basis.primitives, 2u + 2u + 3u + 6u + 2u + 2u);
    EXPECT_EQ(basis.first, (std::vector<unsigned>{0, 11, 13}));
    EXPECT_EQ(basis.functions[12].atom, 1u);
    EXPECT_EQ(basis.functions[8].gtos[0].l, 1u);  // dxy
    EXPECT_EQ(basis.functions[8].gtos[0].m, 1u);
    // Pure, for the shell engine: five d functions and no Cartesian expansion.
    library[8][3].pure = true;
    const BasisSet pure = basis_from_shells(mol, library, false);
    ASSERT_EQ(pure.size(), 12u);
    EXPECT_TRUE(pure.functions.empty());
    EXPECT_EQ(pure.labels[5], "[6] O1\t (3d0)");
    EXPECT_EQ(pure.labels[6], "[7] O1\t (3d+1)");
    EXPECT_EQ(pure.labels[9], "[10] O1\t (3d-2)");
}

// What a basis cannot give: an element it lacks, a pure d shell, an unknown name.
TEST(BasisSet, Refusals) {
    const ElementShell s{0, false, {1.0}, {1.0}};
    struct Case { BasisLibrary library; const char* basis_name; int status; const char* message; };
    const Case cases[] = {
        {{{1, {s}}}, "file", exit_status::unsupported, "Error: basis set file, O (atom 1): no functions"},
        {{{8, {}}}, "file", exit_status::unsupported, "Error: basis set file, O (atom 1): no functions"},
        {{{8, {ElementShell{2, true, {1.0}, {1.0}}}}}, "file", exit_status::unsupported,
         "Error: basis set file, O (atom 1): a pure (spherical) shell beyond p; expected Cartesian functions"},
        {{{8, {ElementShell{0, false, {1.0, 2.0}, {1.0}}}}}, "file", exit_status::unsupported,
         "Error: basis set file, O (atom 1): a shell without primitives or with unequal numbers of exponents and coefficients"},
    };
    for (const Case& c : cases) {
        try {
            basis_from_shells(make_molecule(c.basis_name, {{"O", 0, 0, 0}}), c.library);
            ADD_FAILURE() << "no Failure: " << c.message;
        } catch (const Failure& f) {
            EXPECT_EQ(f.message, c.message);
            EXPECT_EQ(f.status, c.status);
        }
    }
    // A name the library lacks; a set of the library that lacks an element.
    const std::pair<Molecule, const char*> sets[] = {
        {make_molecule("STO-9G", {{"H", 0, 0, 0}}), "Unrecognized basis set\nError: no basis set \"STO-9G\""},
        {make_molecule("cc-pVDZ", {{"K", 0, 0, 0}, {"H", 0, 0, 4}}),
         "Error: basis set \"cc-pVDZ\" has no functions for K"}};
    for (const auto& [mol, message] : sets) {
        try {
            molecular_basis(mol);
            ADD_FAILURE() << "no Failure: " << message;
        } catch (const Failure& f) {
            EXPECT_EQ(f.message.rfind(message, 0), 0u) << f.message;
            EXPECT_EQ(f.status, exit_status::unknown_basis);
        }
    }
}

// A copy of a basis owns its functions.
TEST(BasisSet, CopyIsIndependent) {
    const BasisSet source = molecular_basis(make_molecule("sto-3g", {{"N", 0.5, 0, 0}}));
    const double alpha = source.functions[2].gtos[1].alpha;
    {
        BasisSet copy = source;
        copy.functions[2].gtos.clear();
        copy.shells.pop_back();
    }
    ASSERT_EQ(source.functions[2].gtos.size(), 3u);
    EXPECT_EQ(source.functions[2].gtos[1].alpha, alpha);
    EXPECT_EQ(source.shells.size(), 3u);
}

}  // namespace
