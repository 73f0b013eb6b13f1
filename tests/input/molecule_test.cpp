#include "input/velko_format.h"

#include <gtest/gtest.h>

#include "basis/basis_set.h"

#include <string>

#include "common/constants.h"
#include "common/failure.h"
#include "input/input_lines.h"
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
            read_velko_file(mol, path);
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
    EXPECT_EQ(mol.charge, 0);
    expect_position(mol, 0, 0.0, 0.0, 0.0);
    expect_position(mol, 1, 0.0, 0.0, 0.74 * 1.8897261245650618);
    const BasisSet basis = molecular_basis(mol);
    EXPECT_EQ(basis.first[2] - basis.first[1], 1u);
    EXPECT_EQ(basis.functions[basis.first[1]].gtos.size(), 3u);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
}

TEST_F(MoleculeRead, IrregularButValidLayout) {
    const std::string content =
        "\tbasis set=  sto-6g \r\n"       // tab indent, blanks around value, CRLF
        "whatever =\t7\r\n"               // the charge, whatever the label
        "2\r\n"                           // no "=": whole line is the value
        "  units = bohr\t\r\n"            // trailing tab and CR
        "\t O\t 1.0e-1   -2  .5 label\r\n"  // tabs, exponent, fifth field
        "H  +1.5 0 3E1 \r\n"              // trailing blank
        "this line and the next are not read\n"
        "X not an atom\n";
    const Molecule mol = read(content);
    EXPECT_EQ(mol.basis_name, "sto-6g");
    EXPECT_EQ(mol.charge, 7);
    ASSERT_EQ(mol.nratoms(), 2u);
    EXPECT_EQ(mol[0].ps(), "O");
    EXPECT_EQ(mol[0].nucl_chg(), 8u);
    expect_position(mol, 0, 0.1, -2.0, 0.5);
    EXPECT_EQ(mol[1].ps(), "H");
    expect_position(mol, 1, 1.5, 0.0, 30.0);
    EXPECT_EQ(molecular_basis(mol).functions[0].gtos.size(), 6u);  // sto-6g recognised despite the trailing blank
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");  // "bohr" needs no notice
}

// Unit words as other programs write them; 1 angstrom = 1.8897261245650618 bohr.
TEST_F(MoleculeRead, UnitWordsOfAngstromAndBohr) {
    const struct {
        const char* unit;
        double scale;
    } cases[] = {
        {"angstrom", bohr_per_angstrom}, {"Angstrom", bohr_per_angstrom},  {"ANGSTROMS", bohr_per_angstrom},
        {"ang", bohr_per_angstrom},      {"Angs", bohr_per_angstrom},      {"\xc3\xa5", bohr_per_angstrom},
        {"\xc3\x85", bohr_per_angstrom},   {"\xe2\x84\xab", bohr_per_angstrom}, {"bohr", 1.0},
        {"BOHRS", 1.0},                  {"au", 1.0},                      {"A.U.", 1.0},
        {"", 1.0},
    };
    for (const auto& c : cases) {
        const Molecule mol = read(header("1", c.unit) + "He 0 0 2\n");
        expect_position(mol, 0, 0.0, 0.0, 2.0 * c.scale);
        EXPECT_EQ(out, "") << c.unit;
        EXPECT_EQ(err, "") << c.unit;
    }
}

TEST_F(MoleculeRead, OtherUnitWordsAreRefusedWithTheWordsAccepted) {
    for (const char* unit : {"nm", "furlong", "a", "angstrom2", "bohr radii", "a.u"}) {
        std::string path;
        const Failure f = failure_of(header("1", unit) + "He 0 0 2\n", &path);
        EXPECT_EQ(f.status, exit_status::bad_input);
        EXPECT_EQ(f.message, "Error in input file \"" + path +
                                 "\", line 4: expected the unit of length: angstrom (or angstroms, ang, angs, \xc3\xa5) or "
                                 "bohr (or bohrs, au, a.u., or nothing), in any letter case, found \"" + unit + "\"");
    }
}

TEST_F(MoleculeRead, ChargeLineIsAWholeNumber) {
    const struct {
        const char* text;
        int charge;
    } accepted[] = {{"0", 0}, {"+1", 1}, {"-1", -1}, {"2", 2}, {"-02", -2}};
    for (const auto& c : accepted) {
        const Molecule mol = read("basis = sto-3g\ncharge = " + std::string(c.text) + "\natoms = 1\nunits = bohr\nHe 0 0 0\n");
        EXPECT_EQ(mol.charge, c.charge) << c.text;
        EXPECT_EQ(mol.electron_count(), 2 - c.charge) << c.text;
    }
    for (const char* text : {"banana", "", "1.0", "+-1", "1 e", "0x1", "99999999999", "angstrom"}) {
        std::string path;
        const Failure f = failure_of("basis = sto-3g\ncharge = " + std::string(text) + "\natoms = 1\nunits = bohr\nHe 0 0 0\n", &path);
        EXPECT_EQ(f.status, exit_status::bad_input) << text;
        EXPECT_EQ(f.message, "Error in input file \"" + path +
                                 "\", line 2: expected the molecular charge as a whole number (such as 0, +1 or -2), found \"" +
                                 text + "\"");
    }
}

TEST_F(MoleculeRead, NoAtomsIsRefused) {
    for (const char* count : {"0", "-1"}) {
        std::string path;
        const Failure f = failure_of(header(count, "bohr"), &path);
        EXPECT_EQ(f.status, exit_status::bad_input);
        EXPECT_EQ(f.message, "Error in input file \"" + path + "\", line 3: expected a number of atoms of one or more, found \"" +
                                 count + "\"");
    }
}

// Atom lines as other programs write them: symbols in any letter case, atomic
// numbers, Fortran D exponents; a byte-order mark at the start of the file.
TEST_F(MoleculeRead, AtomLinesOfOtherPrograms) {
    const struct {
        const char* line;
        const char* symbol;
        double z;  // bohr
    } cases[] = {
        {"h 0 0 1.5", "H", 1.5},        {"HE 0 0 1.5", "He", 1.5},     {"nE 0 0 1.5", "Ne", 1.5},
        {"1 0 0 1.5", "H", 1.5},        {"10 0 0 1.5", "Ne", 1.5},     {"03 0 0 1.5", "Li", 1.5},
        {"C 0 0 1.5D0", "C", 1.5},      {"C 0 0 1.5d+00", "C", 1.5},   {"C 0 0 15.0D-01", "C", 1.5},
        {"C 0 0 .15D1", "C", 1.5},
    };
    for (const auto& c : cases) {
        const Molecule mol = read(header("1", "bohr") + c.line + "\n");
        ASSERT_EQ(mol.nratoms(), 1u) << c.line;
        EXPECT_EQ(mol[0].ps(), c.symbol) << c.line;
        expect_position(mol, 0, 0.0, 0.0, c.z);
    }
    const Molecule marked = read("\xef\xbb\xbf" + header("1", "bohr") + "He 0 0 1\n");
    EXPECT_EQ(marked.nratoms(), 1u);
}

// Only the 4 + N lines the format needs are read: what follows, however long
// or binary, is never looked at.
TEST_F(MoleculeRead, NothingAfterTheLastAtomLineIsRead) {
    const std::string tail = "\n" + std::string(3u << 20, 'x') + "\n" + std::string(100, '\0');
    const Molecule mol = read(header("1", "bohr") + "He 0 0 1" + tail);
    EXPECT_EQ(mol.nratoms(), 1u);
}

// A file that is not text is refused at its first NUL byte, and a line without
// end after 1 MiB, each on the line where it happens.
TEST_F(MoleculeRead, BinaryContentAndEndlessLinesAreRefused) {
    const struct {
        std::string content;
        int line;
        std::string found;
    } cases[] = {
        {std::string(64, '\0'), 1, "a NUL byte (not a text file?)"},
        {header("1", "bohr") + std::string("He 0\0 0 1\n", 11), 5, "a NUL byte (not a text file?)"},
        {std::string(max_line_bytes + 1, 'x'), 1, "a longer line"},
        {"basis = sto-3g\ncharge = 0\n" + std::string(max_line_bytes + 1, ' ') + "\n", 3, "a longer line"},
    };
    for (const auto& c : cases) {
        std::string path;
        const Failure f = failure_of(c.content, &path);
        EXPECT_EQ(f.status, exit_status::bad_input);
        const std::string prefix = "Error in input file \"" + path + "\", line " + std::to_string(c.line) + ": expected ";
        EXPECT_EQ(f.message.rfind(prefix, 0), 0u) << f.message;
        EXPECT_NE(f.message.find(", found " + c.found), std::string::npos) << f.message;
    }
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

TEST_F(MoleculeRead, BasisNamesInAnyLetterCaseWithOrWithoutTheHyphen) {
    const struct {
        const char* text;
        const char* name;
    } cases[] = {{"sto-3g", "sto-3g"}, {"STO-3G", "sto-3g"}, {"sto3g", "sto-3g"}, {"Sto-6G", "sto-6g"}, {"STO6G", "sto-6g"}};
    for (const auto& c : cases) {
        const Molecule mol = read(header("1", "bohr", c.text) + "H 0 0 0\n");
        EXPECT_EQ(mol.basis_name, c.name) << c.text;
        EXPECT_EQ(molecular_basis(mol).functions[0].gtos.size(), c.name[4] == '3' ? 3u : 6u) << c.text;
    }
}

TEST_F(MoleculeRead, UnknownBasisNameKeepsItsStatusAndNamesFileAndKnownNames) {
    // Checked on line 1, before the atoms: a file without atom lines is refused for it too.
    for (const char* name : {"sto-3g-x", "6-32g", "sto--3g", "st-o3g", ""}) {
        std::string path;
        const Failure f = failure_of(header("0", "bohr", name), &path);
        EXPECT_EQ(f.status, exit_status::unknown_basis) << name;
        EXPECT_EQ(f.message, "Unrecognized basis set\nError in input file \"" + path +
                                 "\", line 1: expected a basis-set name, one of STO-3G, STO-6G, 3-21G, 6-31G, 6-31G*, "
                                 "6-31G**, 6-31+G*, 6-31++G**, 6-311G**, cc-pVDZ, cc-pVTZ, cc-pVQZ, aug-cc-pVDZ, "
                                 "aug-cc-pVTZ, def2-SVP, def2-TZVP, def2-TZVPP, def2-QZVP (any letter case), found \"" +
                                 name + "\"");
    }
}

TEST_F(MoleculeRead, MissingFile) {
    const std::string path = (dir / "absent.in").string();
    Molecule mol;
    try {
        read_velko_file(mol, path);
        FAIL() << "no Failure";
    } catch (const Failure& f) {
        EXPECT_EQ(f.message, "Error: cannot read input file \"" + path + "\": No such file or directory");
        EXPECT_EQ(f.status, exit_status::bad_input);
    }
}

TEST_F(MoleculeRead, DirectoryIsUnreadable) {
    Molecule mol;
    try {
        read_velko_file(mol, dir.string());
        FAIL() << "no Failure";
    } catch (const Failure& f) {
        EXPECT_EQ(f.message, "Error: cannot read input file \"" + dir.string() + "\": Is a directory");
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
        {header("1", "bohr") + "Hx 0 0 0\n", 5, "\"Hx\""},
        {header("1", "bohr") + "37 0 0 0\n", 5, "\"37\""},
        {header("1", "bohr") + "+1 0 0 0\n", 5, "\"+1\""},
        {header("1", "bohr") + "H 1.0D 0 0\n", 5, "\"1.0D\""},
        {header("1", "bohr") + "H 0 D1 0\n", 5, "\"D1\""},
        {header("1", "bohr") + "\xef\xbb\xbfH 0 0 0\n", 5, "\"\\xef\\xbb\\xbfH\""},  // a mark not at the file start
        {header("1", "bohr") + "H\x1b[2J 0 0 0\n", 5, "\"H\\x1b[2J\""},
        {header("1", "bohr") + "H\xff 0 0 0\n", 5, "\"H\\xff\""},
        {header("1", "bohr") + "Rb 0 0 0\n", 5, "\"Rb\""},
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
                             "\", line 3: expected a number of atoms of one or more, found \"-3\"");
    f = failure_of(header("1", "bohr") + "C 0 1,5 0\n", &path);
    EXPECT_EQ(f.message,
              "Error in input file \"" + path + "\", line 5: expected a number for the y coordinate, found \"1,5\"");
    f = failure_of(header("1", "bohr") + "Xe 0 0 0\n", &path);
    EXPECT_EQ(f.message, "Error in input file \"" + path +
                             "\", line 5: expected an element symbol H to Kr, or an atomic number 1 to 36, found \"Xe\"");
    f = failure_of("basis = sto-3g\n", &path);
    EXPECT_EQ(f.message,
              "Error in input file \"" + path + "\", line 2: expected header line 2 (the molecular charge), found end of file");
}

TEST(MoleculeAddAtom, CountsAndUsesTheBasis) {
    Molecule mol;
    mol.basis_name = "sto-3g";
    mol.addAtom("C", 1.0, 2.0, 3.0);
    mol.addAtom("H", 0.0, 0.0, 0.0);
    EXPECT_EQ(mol.nratoms(), 2u);
    EXPECT_EQ(mol[0].gr().z, 3.0);
    EXPECT_EQ(molecular_basis(mol).first, (std::vector<unsigned>{0, 5, 6}));
}

}  // namespace
