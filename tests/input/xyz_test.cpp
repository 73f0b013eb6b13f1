// The XYZ reader: atom count, comment, "symbol x y z" in angstrom. Positions
// must be the same product value * bohr_per_angstrom that the velko reader forms,
// so that both formats give the same report to the last digit.
#include "input/xyz.h"

#include <gtest/gtest.h>

#include "basis/basis_set.h"

#include <optional>
#include <string>

#include "common/constants.h"
#include "common/failure.h"
#include "molecule/molecule.h"
#include "scratch_files.h"

namespace {

class XyzRead : public ScratchFiles {
protected:
    std::string path;

    Molecule read(const std::string& content, const std::string& basis = "sto-3g") {
        path = write("mol.xyz", content);
        Molecule mol;
        read_xyz(mol, path, XyzRequest{basis, std::nullopt, std::nullopt});
        return mol;
    }

    // The message of the Failure the content provokes; empty when none.
    std::string refusal(const std::string& content) {
        try {
            read(content);
        } catch (const Failure& f) {
            EXPECT_EQ(f.status, exit_status::bad_input);
            return f.message;
        }
        return "";
    }

    std::string expected(int line, const std::string& what, const std::string& found) {
        return "Error in input file \"" + (dir / "mol.xyz").string() + "\", line " + std::to_string(line) + ": expected " + what +
               ", found " + found;
    }
};

TEST_F(XyzRead, WaterInAngstromIsConvertedToBohrAndGetsStoBasisFunctions) {
    const Molecule mol = read("3\nwater\nO 0.0 0.0 0.1173\nH 0.0 0.7572 -0.4692\nH 0.0 -0.7572 -0.4692\n");
    ASSERT_EQ(mol.nratoms(), 3u);
    EXPECT_EQ(mol.basis_name, "sto-3g");
    EXPECT_EQ(mol[0].nucl_chg(), 8u);
    EXPECT_EQ(mol[1].nucl_chg(), 1u);
    // Exactly the product, not a division by angstrom_per_bohr or a rounded factor.
    EXPECT_EQ(mol[0].gr().getz(), 0.1173 * bohr_per_angstrom);
    EXPECT_EQ(mol[1].gr().gety(), 0.7572 * bohr_per_angstrom);
    EXPECT_EQ(mol[2].gr().gety(), -0.7572 * bohr_per_angstrom);
    EXPECT_EQ(mol[2].gr().getz(), -0.4692 * bohr_per_angstrom);
    // 0.7572 A = 0.7572 * 1.8897261245650618 bohr (CODATA) = 1.4309006215 bohr.
    EXPECT_NEAR(mol[1].gr().gety(), 1.4309006215, 1e-9);
    // O: 1s 2s 2px 2py 2pz of three primitives each; H: one 1s.
    const BasisSet basis = molecular_basis(mol);
    EXPECT_EQ(basis.first, (std::vector<unsigned>{0, 5, 6, 7}));
    EXPECT_EQ(basis.functions[0].gtos.size(), 3u);
}

TEST_F(XyzRead, BasisNameIsTakenFromTheCaller) {
    const Molecule mol = read("1\n\nHe 0 0 0\n", "sto-6g");
    EXPECT_EQ(mol.basis_name, "sto-6g");
    const BasisSet basis = molecular_basis(mol);
    EXPECT_EQ(basis.functions[0].gtos.size(), 6u);
    EXPECT_DOUBLE_EQ(basis.functions[0].gtos[0].alpha, 65.98456824);  // He 1s, first STO-6G exponent
}

TEST_F(XyzRead, AnyWhitespaceCarriageReturnsAndExtraColumnsAndLines) {
    const Molecule mol = read(
        "  2  \r\n"
        "comment with  fields 1 2 3\r\n"
        "\tH\t0.0   0.0 \t 0.0\r\n"
        "H 0.0 0.0 0.74 0.123 extra\r\n"
        "\r\n \t\n");
    ASSERT_EQ(mol.nratoms(), 2u);
    EXPECT_EQ(mol[1].gr().getz(), 0.74 * bohr_per_angstrom);
    EXPECT_EQ(mol[1].gr().getx(), 0.0);
}

TEST_F(XyzRead, NoFinalNewlineAndExponentNotation) {
    const Molecule mol = read("1\nx\nLi 1.5e-1 -2E0 +.5");
    ASSERT_EQ(mol.nratoms(), 1u);
    EXPECT_EQ(mol[0].gr().getx(), 0.15 * bohr_per_angstrom);
    EXPECT_EQ(mol[0].gr().gety(), -2.0 * bohr_per_angstrom);
    EXPECT_EQ(mol[0].gr().getz(), 0.5 * bohr_per_angstrom);
}

// Programs write symbols in upper or lower case; all spellings of H ... Ne are
// accepted and stored in the usual form, so the report shows "He", not "HE".
TEST_F(XyzRead, SymbolsInAnyLetterCase) {
    const struct {
        const char* text;
        unsigned z;
        const char* symbol;
    } cases[] = {{"h", 1, "H"},   {"H", 1, "H"},   {"he", 2, "He"}, {"HE", 2, "He"}, {"hE", 2, "He"},
                 {"LI", 3, "Li"}, {"be", 4, "Be"}, {"b", 5, "B"},   {"c", 6, "C"},   {"N", 7, "N"},
                 {"o", 8, "O"},   {"F", 9, "F"},   {"NE", 10, "Ne"}};
    for (const auto& c : cases) {
        const Molecule mol = read(std::string("1\n\n") + c.text + " 0 0 0\n");
        ASSERT_EQ(mol.nratoms(), 1u) << c.text;
        EXPECT_EQ(mol[0].nucl_chg(), c.z) << c.text;
        EXPECT_EQ(mol[0].ps(), c.symbol) << c.text;
    }
}

TEST_F(XyzRead, MalformedFilesAreRefusedWithLineAndFoundText) {
    EXPECT_EQ(refusal(""), expected(1, "the number of atoms", "end of file"));
    EXPECT_EQ(refusal("three\nwater\n"),
              expected(1, "the number of atoms as a positive whole number", "\"three\""));
    EXPECT_EQ(refusal("0\nnothing\n"), expected(1, "the number of atoms as a positive whole number", "\"0\""));
    EXPECT_EQ(refusal("-2\nx\nH 0 0 0\n"), expected(1, "the number of atoms as a positive whole number", "\"-2\""));
    EXPECT_EQ(refusal("2.5\nx\n"), expected(1, "the number of atoms as a positive whole number", "\"2.5\""));
    EXPECT_EQ(refusal("2 atoms\nx\n"), expected(1, "the number of atoms as a positive whole number", "\"2 atoms\""));
    EXPECT_EQ(refusal("1\n"), expected(2, "a comment line", "end of file"));
    EXPECT_EQ(refusal("2\nh2\nH 0 0 0\n"), expected(4, "atom 2 of 2 (symbol x y z)", "end of file"));
    EXPECT_EQ(refusal("1\nx\nH 0 0\n"), expected(3, "an element symbol and three coordinates", "\"H 0 0\""));
    EXPECT_EQ(refusal("1\nx\n\n"), expected(3, "an element symbol and three coordinates", "\"\""));
    const std::string element = "an element symbol H to Kr, or an atomic number 1 to 36";
    EXPECT_EQ(refusal("1\nx\nRb 0 0 0\n"), expected(3, element, "\"Rb\""));
    EXPECT_EQ(refusal("1\nx\n37 0 0 0\n"), expected(3, element, "\"37\""));
    EXPECT_EQ(refusal("1\nx\n0 0 0 0\n"), expected(3, element, "\"0\""));
    EXPECT_EQ(refusal("1\nx\nH 0 1,5 0\n"), expected(3, "a number for the y coordinate", "\"1,5\""));
    EXPECT_EQ(refusal("1\nx\nH 0 0 nan\n"), expected(3, "a number for the z coordinate", "\"nan\""));
    EXPECT_EQ(refusal("1\nx\nH O.5 0 0\n"), expected(3, "a number for the x coordinate", "\"O.5\""));
    // 1e300 angstrom: far beyond what the integrals can take.
    EXPECT_EQ(refusal("2\nx\nH 0 0 0\nH 1e300 0 0\n"),
              expected(4, "a number for the x coordinate of at most 1e6 bohr in magnitude", "\"1e300\""));
}

TEST_F(XyzRead, MissingFileIsRefused) {
    Molecule mol;
    try {
        read_xyz(mol, (dir / "absent.xyz").string());
        FAIL() << "no Failure";
    } catch (const Failure& f) {
        EXPECT_EQ(f.status, exit_status::bad_input);
        EXPECT_NE(f.message.find("absent.xyz"), std::string::npos);
    }
}

TEST(XyzPath, TheDotXyzEndingInAnyLetterCaseCounts) {
    EXPECT_TRUE(is_xyz_path("water.xyz"));
    EXPECT_TRUE(is_xyz_path("dir.in/water.xyz"));
    EXPECT_FALSE(is_xyz_path("water.in"));
    EXPECT_FALSE(is_xyz_path("xyz"));
    EXPECT_FALSE(is_xyz_path(".xyz.in"));
    EXPECT_TRUE(is_xyz_path("water.XYZ"));
    EXPECT_TRUE(is_xyz_path("water.Xyz"));
    EXPECT_FALSE(is_xyz_path("waterxyz"));
}

}  // namespace

namespace {

class XyzComment : public XyzRead {};

// Extended-XYZ key-value pairs of the comment line; the caller's values win.
TEST_F(XyzComment, ChargeAndMultiplicityFromTheCommentOrTheCaller) {
    const struct {
        const char* comment;
        std::optional<int> caller_charge;
        std::optional<int> charge;
        std::optional<int> multiplicity;
    } cases[] = {
        {"water", std::nullopt, std::nullopt, std::nullopt},
        {"charge=1", std::nullopt, 1, std::nullopt},
        {"Charge=-1 Multiplicity=1", std::nullopt, -1, 1},
        {"Properties=species:S:1:pos:R:3 charge=\"+2\" pbc=\"F F F\"", std::nullopt, 2, std::nullopt},
        {"ion  charge = 1  multiplicity = 3", std::nullopt, 1, 3},
        {"charge=1", -1, -1, std::nullopt},
        {"discharge: none, mycharge=3 x=y", std::nullopt, std::nullopt, std::nullopt},
        {"", 0, 0, std::nullopt},
    };
    for (const auto& c : cases) {
        path = write("ion.xyz", std::string("1\n") + c.comment + "\nHe 0 0 0\n");
        Molecule mol;
        read_xyz(mol, path, XyzRequest{"sto-3g", c.caller_charge, std::nullopt});
        EXPECT_EQ(mol.charge, c.charge) << c.comment;
        EXPECT_EQ(mol.multiplicity, c.multiplicity) << c.comment;
    }
}

TEST_F(XyzComment, ValuesThatAreNotWholeNumbersAreRefused) {
    EXPECT_EQ(refusal("1\ncharge=one\nHe 0 0 0\n"), expected(2, "charge= followed by a whole number", "\"charge=one\""));
    EXPECT_EQ(refusal("1\nCHARGE=0.5\nHe 0 0 0\n"), expected(2, "charge= followed by a whole number", "\"charge=0.5\""));
    EXPECT_EQ(refusal("1\nmultiplicity=0\nHe 0 0 0\n"),
              expected(2, "multiplicity= followed by a whole number of 1 or more", "\"multiplicity=0\""));
}

TEST_F(XyzRead, AtomicNumbersDExponentsAndAByteOrderMark) {
    const Molecule mol = read("\xef\xbb\xbf" "2\nx\n8 0 0 1.0D-01\n1 0 0 1.0d0\n");
    ASSERT_EQ(mol.nratoms(), 2u);
    EXPECT_EQ(mol[0].ps(), "O");
    EXPECT_EQ(mol[0].gr().getz(), 0.1 * bohr_per_angstrom);
    EXPECT_EQ(mol[1].ps(), "H");
    EXPECT_EQ(mol[1].gr().getz(), 1.0 * bohr_per_angstrom);
}

TEST(XyzContent, AFirstLineOfOneWholeNumberMarksXyz) {
    for (const char* line : {"3", " 12 \r", "\t1"}) EXPECT_TRUE(looks_like_xyz(line)) << line;
    for (const char* line : {"basis = sto-3g", "3 atoms", "", "three", "sto-3g"}) EXPECT_FALSE(looks_like_xyz(line)) << line;
}

}  // namespace
