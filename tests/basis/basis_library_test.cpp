#include "basis/basis_library.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "common/failure.h"
#include "molecule/periodic_table.h"

namespace {

const std::string library = VELKO_SOURCE_DIR "/basis";

// Spellings users write, and the set each names (empty: none).
const std::pair<const char*, const char*> spellings[] = {
    {"6-31G(d)", "6-31G*"},         {"6-31g(d,p)", "6-31G**"},   {"6-31+G(d)", "6-31+G*"},
    {"6-31++g(d,p)", "6-31++G**"},  {"6-311G(d,p)", "6-311G**"}, {"6-31G (d, p)", "6-31G**"},
    {"cc-pvdz", "cc-pVDZ"},         {"CC-PVTZ", "cc-pVTZ"},      {"Aug-CC-pVDZ", "aug-cc-pVDZ"},
    {"def2-svp", "def2-SVP"},       {"def2svp", "def2-SVP"},     {"DEF2TZVPP", "def2-TZVPP"},
    {"sto-6g", "STO-6G"},           {"6-31G***", ""},            {"6-31G(2df)", ""},
    {"cc-pv5z", ""},                {"def2", ""},                {"", ""},
};

TEST(BasisLibrary, NamesInAnyCaseAndUsualSpellings) {
    for (const auto& [spelling, name] : spellings) {
        const std::optional<std::string> found = library_set_name(spelling);
        EXPECT_EQ(found.value_or(""), name) << spelling;
    }
    try {
        load_library_set("6-31G(2df)", library);
        ADD_FAILURE() << "an unknown set was read";
    } catch (const Failure& f) {
        EXPECT_EQ(f.status, exit_status::unknown_basis);
        EXPECT_EQ(f.message.rfind("Unrecognized basis set\nError: no basis set \"6-31G(2df)\" in the library", 0), 0u);
    }
}

// Psi4 1.3.2 as referee: for every set of the library and every element H-Kr,
// whether the set defines it, the numbers of shells and primitives, of pure and
// Cartesian functions, the largest L, and the set's function kind. Values and
// the Psi4 input that produced them: tests/reference/psi4_basis/.
TEST(BasisLibrary, EveryShippedFileAgainstPsi4Counts) {
    std::ifstream in(VELKO_SOURCE_DIR "/tests/reference/psi4_basis/psi4_basis_counts.json");
    const nlohmann::json psi4 = nlohmann::json::parse(in)["sets"];
    ASSERT_EQ(psi4.size(), library_sets().size());
    for (const auto& [psi4_name, expected] : psi4.items()) {
        const std::optional<std::string> name = library_set_name(psi4_name);
        ASSERT_TRUE(name) << psi4_name;
        const BasisFile set = load_library_set(psi4_name, library);
        EXPECT_EQ(set.kind == FunctionKind::pure, expected["pure"].get<bool>()) << *name;
        for (unsigned z = 1; z <= 36; ++z) {
            const std::string symbol = periodic_symbol(static_cast<int>(z));
            const bool defined = expected["elements"].contains(symbol);
            ASSERT_EQ(set.elements.count(z) == 1, defined) << *name << " " << symbol;
            if (!defined) {
                try {
                    element_shells(set, z, *name);
                    ADD_FAILURE() << *name << " gave shells for " << symbol;
                } catch (const Failure& f) {
                    EXPECT_EQ(f.status, exit_status::unknown_basis);
                    EXPECT_EQ(f.message, "Error: basis set \"" + *name + "\" has no functions for " + symbol);
                }
                continue;
            }
            unsigned primitives = 0, pure = 0, cartesian = 0, max_l = 0;
            const ElementBasis& shells = element_shells(set, z, *name);
            for (const ElementShell& s : shells) {
                primitives += static_cast<unsigned>(s.exponents.size());
                pure += shell_size(s.L, true);
                cartesian += shell_size(s.L, false);
                max_l = std::max(max_l, s.L);
                EXPECT_EQ(s.coefficients.size(), s.exponents.size());
            }
            const nlohmann::json& e = expected["elements"][symbol];
            EXPECT_EQ(shells.size(), e["shells"].get<std::size_t>()) << *name << " " << symbol;
            EXPECT_EQ(primitives, e["primitives"].get<unsigned>()) << *name << " " << symbol;
            EXPECT_EQ(pure, e["pure_functions"].get<unsigned>()) << *name << " " << symbol;
            EXPECT_EQ(cartesian, e["cartesian_functions"].get<unsigned>()) << *name << " " << symbol;
            EXPECT_EQ(max_l, e["max_l"].get<unsigned>()) << *name << " " << symbol;
        }
    }
}

}  // namespace
