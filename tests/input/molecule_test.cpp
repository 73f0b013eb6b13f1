#include "input/molecule.h"

#include <gtest/gtest.h>

#include <string>

#include "common/constants.h"
#include "common/failure.h"
#include "scratch_files.h"

namespace {

// Header of a well-formed file; N and the unit vary.
std::string header(const std::string& count, const std::string& unit, const std::string& basis = "sto-3g") {
    return "basis = " + basis + "\naux = 0\natoms = " + count + "\nunit = " + unit + "\n";
}

class MoleculeRead : public ScratchFiles {
protected:
    std::string out, err;

    // Reads a molecule from the given bytes, capturing both output streams.
    Molecule read(const std::string& content, std::string* path_out = nullptr) {
        const std::string path = write("mol.in", content);
        if (path_out) *path_out = path;
        Molecule mol;
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        try {
            mol.read(path);
        } catch (...) {
            out = ::testing::internal::GetCapturedStdout();
            err = ::testing::internal::GetCapturedStderr();
            throw;
        }
        out = ::testing::internal::GetCapturedStdout();
        err = ::testing::internal::GetCapturedStderr();
        return mol;
    }

    // The failure that reading the content raises; fails the test if none.
    Failure failure_of(const std::string& content, std::string* path_out = nullptr) {
        try {
            read(content, path_out);
        } catch (const Failure& f) {
            return f;
        }
        ADD_FAILURE() << "no Failure for input:\n" << content;
        return Failure{"", 0};
    }

    void expect_position(const Molecule& mol, unsigned i, double x, double y, double z) {
        ASSERT_LT(i, mol.nratoms());
        EXPECT_DOUBLE_EQ(mol[i].gr().x, x) << "atom " << i;
        EXPECT_DOUBLE_EQ(mol[i].gr().y, y) << "atom " << i;
        EXPECT_DOUBLE_EQ(mol[i].gr().z, z) << "atom " << i;
    }
};

// 1 angstrom = 1/0.52917721092 bohr (CODATA 2010 Bohr radius).
TEST(Units, BohrPerAngstromIsInverseBohrRadius) {
    EXPECT_NEAR(bohr_per_angstrom, 1.0 / 0.52917721092, 1e-15);
}

TEST_F(MoleculeRead, HydrogenInAngstrom) {
    const Molecule mol = read(header("2", "angstrom") + "H 0.0 0.0 0.0\nH 0.0 0.0 0.74\n");
    EXPECT_EQ(mol.nratoms(), 2u);
    EXPECT_EQ(mol.atoms.size(), 2u);
    EXPECT_EQ(mol.basis_name, "sto-3g");
    EXPECT_EQ(mol.basis.type, "sto-3g");
    EXPECT_EQ(mol.aux_value, 0);
    expect_position(mol, 0, 0.0, 0.0, 0.0);
    expect_position(mol, 1, 0.0, 0.0, 0.74 * 1.8897261245650618);
    EXPECT_EQ(mol[1].nrorbs(), 1u);
    EXPECT_EQ(mol[1][0].gtos.size(), 3u);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
}

TEST_F(MoleculeRead, IrregularButValidLayout) {
    const std::string content =
        "\tbasis set=  sto-6g \r\n"       // tab indent, blanks around value, CRLF
        "whatever =\t7\r\n"               // aux value read with atoi
        "2\r\n"                           // no "=": whole line is the value
        "  units = bohr\t\r\n"            // trailing tab and CR
        "\t O\t 1.0e-1   -2  .5 label\r\n"  // tabs, exponent, fifth field
        "H  +1.5 0 3E1 \r\n"              // trailing blank
        "this line and the next are not read\n"
        "X not an atom\n";
    const Molecule mol = read(content);
    EXPECT_EQ(mol.basis_name, "sto-6g");
    EXPECT_EQ(mol.aux_value, 7);
    ASSERT_EQ(mol.nratoms(), 2u);
    EXPECT_EQ(mol[0].symbol, "O");
    EXPECT_EQ(mol[0].nucl_chg(), 8u);
    expect_position(mol, 0, 0.1, -2.0, 0.5);
    EXPECT_EQ(mol[1].symbol, "H");
    expect_position(mol, 1, 1.5, 0.0, 30.0);
    EXPECT_EQ(mol[0][0].gtos.size(), 6u);  // sto-6g recognised despite the trailing blank
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");  // "bohr" needs no notice
}

TEST_F(MoleculeRead, UnitWordInAnyCase) {
    struct Case {
        const char* unit;
        double scale;
        bool notice;
    };
    const Case cases[] = {
        {"angstrom", bohr_per_angstrom, false}, {"Angstrom", bohr_per_angstrom, false},
        {"ANGSTROM", bohr_per_angstrom, false}, {"angstrom ", bohr_per_angstrom, false},
        {"bohr", 1.0, false},                   {"Bohr", 1.0, false},
        {"BOHR", 1.0, false},                   {"au", 1.0, true},
        {"angstroms", 1.0, true},               {"", 1.0, true},
    };
    for (const Case& c : cases) {
        const Molecule mol = read(header("1", c.unit) + "He 0 0 2\n");
        expect_position(mol, 0, 0.0, 0.0, 2.0 * c.scale);
        EXPECT_EQ(out, "") << c.unit;
        if (c.notice) {
            EXPECT_NE(err.find(std::string("unit \"") + c.unit + "\""), std::string::npos) << err;
            EXPECT_NE(err.find("line 4"), std::string::npos) << err;
            EXPECT_NE(err.find("taken as bohr"), std::string::npos) << err;
        } else {
            EXPECT_EQ(err, "") << c.unit;
        }
    }
}

TEST_F(MoleculeRead, UnknownUnitNoticeNamesFile) {
    std::string path;
    read(header("0", "nm"), &path);
    EXPECT_EQ(err, "velko: unit \"nm\" in " + path + " line 4 is not angstrom or bohr; coordinates taken as bohr\n");
    EXPECT_EQ(out, "");
}

TEST_F(MoleculeRead, ZeroAtomsGiveEmptyMolecule) {
    const Molecule mol = read(header("0", "bohr") + "H 0 0 0\n");
    EXPECT_EQ(mol.nratoms(), 0u);
    EXPECT_TRUE(mol.atoms.empty());
    // An unknown basis name is only noticed when an atom is built.
    EXPECT_EQ(read(header("0", "bohr", "STO-3G")).nratoms(), 0u);
}

TEST_F(MoleculeRead, NoteAfterTheAtomCountIsIgnored) {
    // As atoi read it: the first word is the count, the rest a note.
    const Molecule mol = read(header("2\tatoms follow", "bohr") + "H 0 0 0\nH 0 0 1.4\n");
    EXPECT_EQ(mol.nratoms(), 2u);
}

TEST_F(MoleculeRead, LastLineWithoutNewline) {
    const Molecule mol = read(header("1", "bohr") + "Ne 1 2 3");
    ASSERT_EQ(mol.nratoms(), 1u);
    expect_position(mol, 0, 1.0, 2.0, 3.0);
}

TEST_F(MoleculeRead, UnknownBasisNameIsReportedByBasis) {
    for (const char* name : {"STO-3G", "sto-3g-x", "6-31g"}) {
        const Failure f = failure_of(header("1", "bohr", name) + "H 0 0 0\n");
        EXPECT_EQ(f.message, "Unrecognized basis set") << name;
        EXPECT_EQ(f.status, exit_status::unknown_basis) << name;
    }
}

TEST_F(MoleculeRead, MissingFile) {
    const std::string path = (dir / "absent.in").string();
    Molecule mol;
    try {
        mol.read(path);
        FAIL() << "no Failure";
    } catch (const Failure& f) {
        EXPECT_EQ(f.message, "Error: cannot read input file \"" + path + "\"");
        EXPECT_EQ(f.status, exit_status::bad_input);
    }
}

TEST_F(MoleculeRead, DirectoryIsUnreadable) {
    Molecule mol;
    try {
        mol.read(dir.string());
        FAIL() << "no Failure";
    } catch (const Failure& f) {
        EXPECT_EQ(f.message, "Error: cannot read input file \"" + dir.string() + "\"");
        EXPECT_EQ(f.status, exit_status::bad_input);
    }
}

// Malformed files: the failure names the file, the line and what was found.
TEST_F(MoleculeRead, MalformedInputsNameFileAndLine) {
    struct Case {
        std::string content;
        int line;
        std::string found;  // text that the message must quote, or "end of file"
    };
    const std::string good = "H 0 0 0\n";
    const Case cases[] = {
        {"", 1, "end of file"},
        {"\n", 2, "end of file"},  // one (empty) line
        {"basis = sto-3g\naux = 0\natoms = 1\n", 4, "end of file"},
        {header("abc", "bohr") + good, 3, "\"abc\""},
        {header("2.5", "bohr") + good, 3, "\"2.5\""},
        {header("", "bohr") + good, 3, "\"\""},
        {header("99999999999", "bohr") + good, 3, "\"99999999999\""},
        {header("-1", "bohr") + good, 3, "\"-1\""},
        {header("2.5", "bohr") + good + good, 3, "\"2.5\""},
        {header("two atoms", "bohr") + good + good, 3, "\"two\""},
        {header("3", "bohr") + good + good, 7, "end of file"},
        {header("1000000000", "bohr") + good, 6, "end of file"},
        {header("2", "bohr") + good + "\n", 6, "\"\""},  // a real empty line is an atom line without fields
        {header("1", "bohr") + "H 0.0 0.0\n", 5, "\"H 0.0 0.0\""},
        {header("1", "bohr") + "H 0.0 0.0 \r\n", 5, "\"H 0.0 0.0\""},
        {header("1", "bohr") + "h 0 0 0\n", 5, "\"h\""},
        {header("1", "bohr") + "Na 0 0 0\n", 5, "\"Na\""},
        {header("1", "bohr") + "0 0 0 H\n", 5, "\"0\""},
        {header("1", "bohr") + "H abc 0 0\n", 5, "\"abc\""},
        {header("1", "bohr") + "H 0 O.5 0\n", 5, "\"O.5\""},
        {header("1", "bohr") + "H 0 0 1,5\n", 5, "\"1,5\""},
        {header("1", "bohr") + "H inf 0 0\n", 5, "\"inf\""},
        {header("1", "bohr") + "H 0 nan 0\n", 5, "\"nan\""},
        {header("2", "bohr") + good + "C 0 0 0x1\n", 6, "\"0x1\""},
    };
    for (const Case& c : cases) {
        std::string path;
        const Failure f = failure_of(c.content, &path);
        EXPECT_EQ(f.status, exit_status::bad_input) << c.content;
        const std::string prefix = "Error in input file \"" + path + "\", line " + std::to_string(c.line) + ": expected ";
        EXPECT_EQ(f.message.rfind(prefix, 0), 0u) << f.message;
        const std::string suffix = ", found " + c.found;
        ASSERT_GE(f.message.size(), suffix.size()) << f.message;
        EXPECT_EQ(f.message.substr(f.message.size() - suffix.size()), suffix) << f.message;
        EXPECT_EQ(out, "");
    }
}

// The complete wording of a few messages, as a user sees them.
TEST_F(MoleculeRead, MessageWording) {
    std::string path;
    Failure f = failure_of(header("2", "bohr") + "H 0 0 0\n", &path);
    EXPECT_EQ(f.message,
              "Error in input file \"" + path + "\", line 6: expected atom 2 of 2 (symbol x y z), found end of file");
    f = failure_of(header("-3", "bohr"), &path);
    EXPECT_EQ(f.message, "Error in input file \"" + path +
                             "\", line 3: expected a number of atoms of zero or more, found \"-3\"");
    f = failure_of(header("1", "bohr") + "C 0 1,5 0\n", &path);
    EXPECT_EQ(f.message,
              "Error in input file \"" + path + "\", line 5: expected a number for the y coordinate, found \"1,5\"");
    f = failure_of(header("1", "bohr") + "Cl 0 0 0\n", &path);
    EXPECT_EQ(f.message, "Error in input file \"" + path +
                             "\", line 5: expected an element symbol H, He, Li, Be, B, C, N, O, F or Ne, found \"Cl\"");
    f = failure_of("basis = sto-3g\n", &path);
    EXPECT_EQ(f.message,
              "Error in input file \"" + path + "\", line 2: expected header line 2 (an integer), found end of file");
}

TEST(MoleculeAddAtom, CountsAndUsesTheBasis) {
    Molecule mol;
    mol.basis.setType("sto-3g");
    mol.addAtom("C", 1.0, 2.0, 3.0);
    mol.addAtom("H", 0.0, 0.0, 0.0);
    EXPECT_EQ(mol.nratoms(), 2u);
    EXPECT_EQ(mol[0].nrorbs(), 5u);
    EXPECT_EQ(mol[0].gr().z, 3.0);
    EXPECT_EQ(mol[1].nrorbs(), 1u);
}

}  // namespace
