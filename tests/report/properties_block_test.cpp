// The PROPERTIES block pinned character for character on water in STO-3G
// (examples/water.in). The values put in are Psi4 1.3.2's for the same molecule
// and basis (tests/scf/reference/water.dat, psi4_values.txt), which velko's own
// run reproduces to 3e-7; the expected text is written out by hand from the
// layout: summary-style lines with %.10f energies, 10-character table cells,
// orbital energies %.7f Hartree and %.4f eV, charges and dipole %.6f, the debye
// value from 1 e a0 = 2.541746473 D (CODATA 2018) and the eV from 1 Hartree =
// 27.211386245988 eV: 0.677432829810 e a0 = 1.721863 D, HOMO -0.390833067382 Hartree
// = -10.6351 eV, LUMO 0.604184557711 = 16.4407 eV, gap 0.9950176 = 27.0758 eV.
#include <gtest/gtest.h>

#include <string>

#include "report/output.h"
#include "properties/properties.h"

namespace {

Properties water() {
    Properties p;
    p.symbols = {"O", "H", "H"};
    p.nuclear_repulsion = 9.1879758032058678;
    p.energies = EnergyParts{-122.3624210861503769, 38.2115897944202842};  // as Psi4 prints them
    p.frontier.homo = OrbitalLevel{4, -0.390833067382};
    p.frontier.lumo = OrbitalLevel{5, 0.604184557711};
    p.mulliken_charges = {-0.366559028748, 0.183279514374, 0.183279514374};
    p.loewdin_charges = {-0.253616926541, 0.126808463271, 0.126808463271};
    // x and z vanish by symmetry; a rounding-level negative value prints as an unsigned zero.
    p.dipole = {-1e-15, 0.677432829810, 2e-16};
    p.converged = true;
    return p;
}

const std::string water_charges =
    "Atomic charges [e]\n"
    "|----------|----------|----------|\n"
    "|      Atom|  Mulliken|   Loewdin|\n"
    "|----------|----------|----------|\n"
    "|        O1| -0.366559| -0.253617|\n"
    "|        H2|  0.183280|  0.126808|\n"
    "|        H3|  0.183280|  0.126808|\n"
    "|----------|----------|----------|\n";

const std::string water_block =
    "          ***********************\n"
    "          *                     *\n"
    "          *     PROPERTIES      *\n"
    "          *                     *\n"
    "          ***********************\n"
    "\n"
    "SCF converged: yes\n"
    "Nuclear repulsion energy [Hartree]: 9.1879758032\n"
    "One-electron energy [Hartree]: -122.3624210862\n"
    "Two-electron energy [Hartree]: 38.2115897944\n"
    "\n"
    "Frontier orbitals\n"
    "|----------|----------|----------|----------|\n"
    "|   Orbital|    Number| [Hartree]|      [eV]|\n"
    "|----------|----------|----------|----------|\n"
    "|      HOMO|         5|-0.3908331|  -10.6351|\n"
    "|      LUMO|         6| 0.6041846|   16.4407|\n"
    "|       Gap|          | 0.9950176|   27.0758|\n"
    "|----------|----------|----------|----------|\n"
    "\n" +
    water_charges +
    "\n"
    "Dipole moment, origin: coordinate origin\n"
    "|----------|----------|----------|\n"
    "|          |    [a.u.]|   [Debye]|\n"
    "|----------|----------|----------|\n"
    "|         X|  0.000000|  0.000000|\n"
    "|         Y|  0.677433|  1.721863|\n"
    "|         Z|  0.000000|  0.000000|\n"
    "|     Total|  0.677433|  1.721863|\n"
    "|----------|----------|----------|\n"
    "\n";

}  // namespace

TEST(PropertiesBlock, WaterPinned) { EXPECT_EQ(properties_block(water()), water_block); }

// The lines that change with the state of the run and the molecule, each against
// the water block it alters.
TEST(PropertiesBlock, VariantsOfTheRunAndTheMolecule) {
    struct Variant {
        const char* what;
        void (*change)(Properties&);
        const char* replaced;     // a line of the water block, or "" to insert
        const char* after;        // where an inserted text goes
        const char* replacement;
    };
    const Variant variants[] = {
        {"unconverged", [](Properties& p) { p.converged = false; }, "SCF converged: yes\n", "",
         "SCF converged: no; the values below are those of the last step\n"},
        {"stable", [](Properties& p) { p.stable = true; }, "", "SCF converged: yes\n", "SCF solution stable: yes\n"},
        {"unstable", [](Properties& p) { p.stable = false; }, "", "SCF converged: yes\n",
         "SCF solution stable: no\n"},
        {"every orbital occupied",
         [](Properties& p) { p.frontier.lumo.reset(); },
         "|      LUMO|         6| 0.6041846|   16.4407|\n"
         "|       Gap|          | 0.9950176|   27.0758|\n",
         "", "|      LUMO|      none|          |          |\n"},
        {"cation", [](Properties& p) { p.molecular_charge = 1; }, "",
         "|     Total|  0.677433|  1.721863|\n|----------|----------|----------|\n",
         "The molecule has charge +1: its dipole moment depends on the origin.\n"},
        {"anion", [](Properties& p) { p.molecular_charge = -2; }, "",
         "|     Total|  0.677433|  1.721863|\n|----------|----------|----------|\n",
         "The molecule has charge -2: its dipole moment depends on the origin.\n"},
        {"open shell",
         [](Properties& p) {
             p.mulliken_spin = {0.9, 0.05, 0.05};
             p.loewdin_spin = {0.8, 0.1, -0.1};
         },
         water_charges.c_str(), "",
         "Atomic charges and spin populations [e]\n"
         "|----------|----------|----------|----------|----------|\n"
         "|      Atom|  Mulliken|   Loewdin|Mull. spin|Loew. spin|\n"
         "|----------|----------|----------|----------|----------|\n"
         "|        O1| -0.366559| -0.253617|  0.900000|  0.800000|\n"
         "|        H2|  0.183280|  0.126808|  0.050000|  0.100000|\n"
         "|        H3|  0.183280|  0.126808|  0.050000| -0.100000|\n"
         "|----------|----------|----------|----------|----------|\n"},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.what);
        Properties p = water();
        v.change(p);
        std::string expected = water_block;
        if (*v.replaced != '\0') {
            const std::size_t at = expected.find(v.replaced);
            ASSERT_NE(at, std::string::npos);
            expected.replace(at, std::string(v.replaced).size(), v.replacement);
        } else {
            const std::size_t at = expected.find(v.after);
            ASSERT_NE(at, std::string::npos);
            expected.insert(at + std::string(v.after).size(), v.replacement);
        }
        EXPECT_EQ(properties_block(p), expected);
    }
}
