// The multiplicity rules: defaults, electrons per spin, and the refusals.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/failure.h"
#include "molecule/spin.h"

TEST(SpinState, DefaultsAndElectronsPerSpin) {
    struct Case {
        unsigned electrons, orbitals;
        std::optional<unsigned> multiplicity;
        SpinState expected;
    };
    const Case cases[] = {
        {10, 7, std::nullopt, {1, 5, 5}},  // water: singlet by default
        {9, 6, std::nullopt, {2, 5, 4}},   // OH: doublet by default
        {1, 1, std::nullopt, {2, 1, 0}},   // H atom
        {0, 0, std::nullopt, {1, 0, 0}},   // no atoms
        {16, 10, 3u, {3, 9, 7}},           // triplet O2
        {7, 5, 4u, {4, 5, 2}},             // quartet N: all five orbitals hold an alpha electron
        {2, 2, 3u, {3, 2, 0}},             // triplet H2
    };
    for (const Case& c : cases) {
        const SpinState s = spin_state(c.electrons, c.orbitals, c.multiplicity, "x.in");
        EXPECT_EQ(s.multiplicity, c.expected.multiplicity) << c.electrons;
        EXPECT_EQ(s.alpha, c.expected.alpha) << c.electrons;
        EXPECT_EQ(s.beta, c.expected.beta) << c.electrons;
    }
    EXPECT_DOUBLE_EQ(exact_s_squared(1), 0.0);
    EXPECT_DOUBLE_EQ(exact_s_squared(2), 0.75);
    EXPECT_DOUBLE_EQ(exact_s_squared(3), 2.0);
    EXPECT_DOUBLE_EQ(exact_s_squared(4), 3.75);
}

TEST(SpinState, ImpossibleMultiplicitiesAreRefused) {
    struct Case {
        unsigned electrons, orbitals, multiplicity;
        const char* fragment;
    };
    const Case cases[] = {
        {10, 7, 2, "even electron count has an odd multiplicity"},
        {9, 6, 3, "odd electron count has an even multiplicity"},
        {2, 2, 5, "needs 4 unpaired electrons"},
        {0, 0, 2, "needs 1 unpaired electron"},  // no atoms
        {7, 5, 6, "6 alpha electrons need as many orbitals, and the basis has 5"},  // N, sextet
        {2, 1, 3, "2 alpha electrons need as many orbitals, and the basis has 1"},  // He with 1s only
        {3, 2, 4, "3 alpha electrons need as many orbitals, and the basis has 2"},  // three electrons in two functions
    };
    for (const Case& c : cases) {
        try {
            spin_state(c.electrons, c.orbitals, c.multiplicity, "mol.in");
            ADD_FAILURE() << "accepted " << c.multiplicity << " for " << c.electrons;
        } catch (const Failure& f) {
            EXPECT_EQ(f.status, exit_status::bad_input);
            EXPECT_NE(f.message.find("Error in input file \"mol.in\": multiplicity " + std::to_string(c.multiplicity) +
                                     " is impossible for " + std::to_string(c.electrons) +
                                     (c.electrons == 1 ? " electron" : " electrons")),
                      std::string::npos)
                << f.message;
            EXPECT_NE(f.message.find(c.fragment), std::string::npos) << f.message;
        }
    }
}
