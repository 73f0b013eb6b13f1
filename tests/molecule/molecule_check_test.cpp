// The guard before the engine: electron count with the charge, coincident atoms.
// (The multiplicity is checked by spin_state, tests/molecule/spin_test.cpp.) Electron counts are sums of atomic numbers minus the charge.
#include "molecule/molecule_check.h"

#include "basis/basis_set.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/failure.h"

namespace {

struct Placed {
    const char* symbol;
    double x, y, z;
};

Molecule molecule(const std::vector<Placed>& atoms, int charge, std::optional<int> multiplicity = std::nullopt) {
    Molecule mol;
    mol.basis_name = "sto-3g";
    mol.charge = charge;
    mol.multiplicity = multiplicity;
    for (const Placed& a : atoms) mol.addAtom(a.symbol, a.x, a.y, a.z);
    return mol;
}

// The message of the refusal, empty when the molecule is accepted.
std::string refusal(const Molecule& mol) {
    try {
        check_molecule(mol, function_count(mol), "m.in");
    } catch (const Failure& f) {
        EXPECT_EQ(f.status, exit_status::unsupported);
        return f.message;
    }
    return "";
}

const std::vector<Placed> h2 = {{"H", 0, 0, 0}, {"H", 0, 0, 1.4}};
const std::vector<Placed> water = {{"O", 0, 0, 0}, {"H", 0, 1.43, 1.1}, {"H", 0, -1.43, 1.1}};

TEST(MoleculeCheck, ElectronCountWithTheCharge) {
    const std::string at = "Error in input file \"m.in\": ";
    const struct {
        const char* name;
        Molecule mol;
        std::string message;  // empty: accepted
    } cases[] = {
        {"H2", molecule(h2, 0), ""},
        {"H2 2+ has no electrons", molecule(h2, 2),
         at + "the molecule with charge +2 has 0 electrons; expected a charge that leaves at least one electron"},
        {"H2 3+", molecule(h2, 3),
         at + "the molecule with charge +3 has -1 electrons; expected a charge that leaves at least one electron"},
        {"H2+, one electron", molecule(h2, 1), ""},
        {"H2 2- fills both functions", molecule(h2, -2), ""},
        {"H2 4- has more electrons than two functions hold", molecule(h2, -4),
         at + "the molecule with charge -4 has 6 electrons but its 2 basis functions hold at most 4"},
        {"water 2+", molecule(water, 2), ""},
        {"OH-", molecule({{"O", 0, 0, 0}, {"H", 0, 0, 1.8}}, -1), ""},
        {"OH radical", molecule({{"O", 0, 0, 0}, {"H", 0, 0, 1.8}}, 0), ""},
        {"extreme charge does not wrap", molecule(h2, -2147483647 - 1),
         at + "the molecule with charge -2147483648 has 2147483650 electrons but its 2 basis functions hold at most 4"},
        {"triplet, left to spin_state", molecule(h2, 0, 3), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(refusal(c.mol), c.message) << c.name;
}

TEST(MoleculeCheck, FirstPairOfEqualPositionsInInputOrder) {
    // A 20 x 20 x 20 grid of helium atoms, with copies of atoms placed late in
    // the list; the pair reported is the one with the lowest first index, as a
    // scan over all pairs in input order finds it.
    std::vector<Placed> grid;
    for (int i = 0; i < 8000; ++i) grid.push_back({"He", 3.0 * (i % 20), 3.0 * (i / 20 % 20), 3.0 * (i / 400)});
    EXPECT_EQ(refusal(molecule(grid, 0)), "");
    std::vector<Placed> late = grid;
    late.push_back(grid[7000]);  // atom 8001 on atom 7001
    late.push_back(grid[5]);     // atom 8002 on atom 6
    EXPECT_EQ(refusal(molecule(late, 0)),
              "Error in input file \"m.in\": atoms 6 (He) and 8002 (He) are at the same position; expected distinct "
              "positions for all atoms");
    // Three on one place: the first two of them; -0 and +0 are the same coordinate.
    const std::vector<Placed> three = {{"H", 1, 0, 0}, {"He", 0, 0, 0}, {"H", 5, 0, 0}, {"He", -0.0, 0, 0}, {"He", 0, 0, 0}};
    EXPECT_EQ(refusal(molecule(three, 0)),
              "Error in input file \"m.in\": atoms 2 (He) and 4 (He) are at the same position; expected distinct "
              "positions for all atoms");
    // Equal in two coordinates only is distinct (and then judged by its distance).
    EXPECT_EQ(refusal(molecule({{"He", 0, 0, 0}, {"He", 0, 0, 1e-3}}, 0)), "");
}

}  // namespace
