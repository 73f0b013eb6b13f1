// Whole runs of the built program on bad input: each must end with one message
// on standard output that names the file (and the line where one is at fault),
// the documented exit status, and no orbital table, summary or completion line.
// Mended inputs (Windows line endings, trailing blanks, the unit word in upper
// case) must give the same report as the clean file.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "run_velko.h"

namespace {

std::string header(const std::string& count, const std::string& unit = "bohr", const std::string& basis = "sto-3g",
                   const std::string& charge = "0") {
    return "basis = " + basis + "\ncharge = " + charge + "\natoms = " + count + "\nunits = " + unit + "\n";
}

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

// The last non-empty line of the output.
std::string last_line(const std::string& out) {
    std::string s = out;
    while (!s.empty() && s.back() == '\n') s.pop_back();
    const auto nl = s.rfind('\n');
    return nl == std::string::npos ? s : s.substr(nl + 1);
}

// Checks an orderly stop: the status, the message as the very last line of
// standard output holding every fragment, and no report block after it.
void expect_refused(const RunResult& r, int status, const std::vector<std::string>& fragments) {
    EXPECT_EQ(r.status, status) << r.out;
    const std::string message = last_line(r.out);
    for (const std::string& f : fragments) EXPECT_NE(message.find(f), std::string::npos) << "missing " << f << " in: " << message;
    EXPECT_EQ(r.out.find("ORBITALS"), std::string::npos);
    EXPECT_EQ(r.out.find("SUMMARY"), std::string::npos);
    EXPECT_EQ(r.out.find("Program terminated"), std::string::npos);
    EXPECT_EQ(r.out.find("Total energy"), std::string::npos);
}

struct BadInput {
    const char* name;
    std::string content;
    int status;
    std::vector<std::string> fragments;  // besides the quoted file name
};

// Energy line of a report, or empty.
std::string energy_line(const std::string& out) {
    const auto at = out.find("Total energy [Hartree]: ");
    if (at == std::string::npos) return "";
    return out.substr(at, out.find('\n', at) - at);
}

}  // namespace

TEST(RefusedInput, MissingFile) {
    const std::string path = source_path("examples/no_such_molecule.in");
    expect_refused(run_velko(quoted(path)), 2, {"cannot read input file " + quoted(path)});
}

TEST(RefusedInput, DirectoryInsteadOfFile) {
    const std::string path = source_path("examples");
    expect_refused(run_velko(quoted(path)), 2, {"cannot read input file " + quoted(path)});
}

TEST(RefusedInput, MalformedFilesNameFileLineAndWhatWasFound) {
    const BadInput cases[] = {
        {"empty.in", "", 2, {"line 1:", "header line 1", "end of file"}},
        {"three_header_lines.in", "basis = sto-3g\ncharge = 0\natoms = 2\n", 2,
         {"line 4:", "the unit of length", "end of file"}},
        {"count_not_a_number.in", header("two"), 2, {"line 3:", "number of atoms", "found \"two\""}},
        {"count_with_text.in", header("2x"), 2, {"line 3:", "found \"2x\""}},
        {"negative_count.in", header("-1") + "H 0 0 0\n", 2, {"line 3:", "found \"-1\""}},
        {"too_few_atom_lines.in", header("3") + "H 0 0 0\nH 0 0 1.4\n", 2,
         {"line 7:", "atom 3 of 3", "end of file"}},
        {"too_few_fields.in", header("2") + "H 0 0 0\nH 0 1.4\n", 2,
         {"line 6:", "element symbol and three coordinates", "found \"H 0 1.4\""}},
        {"unknown_element.in", header("2") + "H 0 0 0\nD 0 0 1.4\n", 2, {"line 6:", "element symbol", "found \"D\""}},
        {"unknown_symbol.in", header("2") + "Hx 0 0 0\nH 0 0 1.4\n", 2, {"line 5:", "found \"Hx\""}},
        {"coordinate_word.in", header("2") + "H 0 0 0\nH 0 0 abc\n", 2,
         {"line 6:", "z coordinate", "found \"abc\""}},
        {"coordinate_letter_o.in", header("2") + "H 0 0 0\nH 0 O.5 1.4\n", 2,
         {"line 6:", "y coordinate", "found \"O.5\""}},
        // 1e300 bohr apart the nuclear-attraction integrals would never finish;
        // 1e308 angstrom overflows to infinity on conversion.
        {"far_away.in", header("2") + "H 0 0 0\nH 0 0 1e300\n", 2, {"line 6:", "at most 1e6 bohr", "found \"1e300\""}},
        {"overflow.in", header("2", "angstrom") + "H 0 0 0\nH 1e308 0 0\n", 2, {"line 6:", "x coordinate", "found \"1e308\""}},
        {"decimal_comma.in", header("2") + "H 1,5 0 0\nH 0 0 1.4\n", 2,
         {"line 5:", "x coordinate", "found \"1,5\""}},
    };
    for (const BadInput& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = write_temp(c.name, c.content);
        std::vector<std::string> fragments = c.fragments;
        fragments.push_back("Error in input file " + quoted(path));
        expect_refused(run_velko(quoted(path)), c.status, fragments);
    }
}

TEST(RefusedInput, AbsurdAtomCountStopsAtTheMissingLineAtOnce) {
    // One atom line for a billion announced: nothing may be sized by the count.
    const std::string path = write_temp("billion.in", header("1000000000") + "He 0 0 0\n");
    const auto start = std::chrono::steady_clock::now();
    const RunResult r = run_velko(quoted(path));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    expect_refused(r, 2, {"Error in input file " + quoted(path), "line 6:", "atom 2 of 1000000000", "end of file"});
    EXPECT_LT(seconds, 20.0);
}

TEST(RefusedInput, ExponentCoordinatesStillRead) {
    // 1.4e0 bohr and 14.0E-1 bohr are the bond of examples/h2.in.
    const std::string path = write_temp("exponent.in", header("2") + "H 0.0e0 0 0\nH 0 0 14.0E-1\n");
    const RunResult r = run_velko(quoted(path));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(energy_line(r.out), energy_line(run_velko(quoted(source_path("examples/h2.in"))).out));
    EXPECT_FALSE(energy_line(r.out).empty());
}

TEST(RefusedMolecule, MultiplicityTheElectronsCannotHave) {
    // Water has 10 electrons in 7 functions; the lone hydrogen 1 electron in 1.
    const std::string water = header("3") + "O 0 0 0\nH 1.43 1.10 0\nH -1.43 1.10 0\n";
    const struct {
        const char* name;
        std::string content;
        const char* multiplicity;
        std::vector<std::string> fragments;
    } cases[] = {
        {"water_doublet.in", water, "2", {"multiplicity 2 is impossible for 10 electrons", "odd multiplicity"}},
        {"water_nonet.in", water, "9", {"multiplicity 9 is impossible for 10 electrons", "9 alpha electrons", "has 7"}},
        {"h_triplet.in", header("1") + "H 0 0 0\n", "3", {"multiplicity 3 is impossible for 1 electron", "needs 2 unpaired"}},
        {"oh_triplet.in", header("2") + "O 0 0 0\nH 0 0 1.8\n", "3", {"impossible for 9 electrons", "even multiplicity"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = write_temp(c.name, c.content);
        std::vector<std::string> fragments = c.fragments;
        fragments.push_back("Error in input file " + quoted(path));
        const RunResult r = run_velko(std::string("--multiplicity ") + c.multiplicity + " " + quoted(path));
        expect_refused(r, 2, fragments);
        EXPECT_EQ(r.out.find("GEOMETRY"), std::string::npos);
    }
    for (const char* bad : {"0", "two", "-1"}) {
        const RunResult r = run_velko(std::string("--multiplicity ") + bad + " " + quoted(source_path("examples/h2.in")));
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.out.find("--multiplicity expects a positive whole number"), std::string::npos) << r.out;
    }
}

TEST(RefusedMolecule, CoincidentAtoms) {
    // The third atom sits exactly on the second; the first pair is 1.4 bohr apart.
    const std::string path = write_temp("coincident.in", header("3") + "H 0 0 0\nH 0 0 1.4\nHe 0 0 1.4\n");
    expect_refused(run_velko(quoted(path)), 3,
                   {"Error in input file " + quoted(path), "atoms 2 (H) and 3 (He)", "same position"});
}

TEST(RefusedMolecule, NearlyCoincidentAtomsMakeTheOverlapSingular) {
    // At 1e-3 bohr the two 1s functions overlap to 1 - O(1e-7): S has an
    // eigenvalue of about 1e-7 and X = S^(-1/2) would be noise.
    const std::string path = write_temp("near.in", header("2") + "H 0 0 0\nH 0 0 1e-3\n");
    const RunResult r = run_velko(quoted(path));
    expect_refused(r, 3, {"Error in input file " + quoted(path), "overlap matrix is singular"});
    EXPECT_EQ(r.out.find("nan"), std::string::npos);
    EXPECT_EQ(r.out.find("inf"), std::string::npos);
}

TEST(RefusedMolecule, MatricesBeyondMemory) {
    // 600 neon atoms on a 4-bohr grid: 3000 functions, 612 matrices of 3000 x 3000
    // (one nuclear attraction matrix per atom besides the engine's 12), some 42 GiB
    // before any integral. The run must stop before allocating anything of that
    // size, and quickly.
    std::string text = header("600");
    for (int i = 0; i < 600; ++i)
        text += "Ne " + std::to_string(4 * (i % 10)) + " " + std::to_string(4 * (i / 10 % 10)) + " " +
                std::to_string(4 * (i / 100)) + "\n";
    const std::string path = write_temp("neon_grid.in", text);
    const auto start = std::chrono::steady_clock::now();
    const RunResult r = run_velko(quoted(path));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // 612 * 3000^2 * 8 bytes = 44064000000 bytes = 42022.7 MiB.
    expect_refused(r, 5, {"not enough memory", quoted(path), "3000 x 3000 matrices of the run alone need 42022.7 MiB"});
    EXPECT_LT(seconds, 30.0);
}

TEST(MendedInput, WindowsLineEndingsAndTrailingBlanksReadLikeTheCleanFile) {
    const std::string atoms = "H 0.0 0.0 0.0\nH 0.0 0.0 0.74\n";
    const std::string clean = write_temp("clean.in", header("2", "angstrom") + atoms);
    const std::string crlf = write_temp(
        "crlf.in", "basis = sto-3g\r\ncharge = 0\r\natoms = 2\r\nunits = angstrom\r\nH 0.0 0.0 0.0\r\nH 0.0 0.0 0.74\r\n");
    const std::string blanks =
        write_temp("blanks.in", "basis = sto-3g \ncharge = 0\t\natoms = 2 \nunits = angstrom \t \n" + atoms);
    const std::string upper = write_temp("upper.in", header("2", "ANGSTROM") + atoms);
    const RunResult reference = run_velko(quoted(clean));
    ASSERT_EQ(reference.status, 0);
    // 0.74 angstrom = 1.398397 bohr: the geometry block shows the scaled bond.
    ASSERT_NE(reference.out.find("|    1.3984|"), std::string::npos) << reference.out;
    for (const std::string& path : {crlf, blanks, upper}) {
        SCOPED_TRACE(path);
        const RunResult r = run_velko(quoted(path));
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(mask_report(r.out), mask_report(reference.out));
        EXPECT_EQ(r.err, "");
    }
}

TEST(KeptBehaviour, UnknownBasisSetStopsWithStatusOne) {
    // The message starts as it always has; the next line names the file, the line and the known names.
    const std::string path = write_temp("sto9g.in", header("2", "bohr", "sto-9g") + "H 0 0 0\nH 0 0 1.4\n");
    const RunResult r = run_velko(quoted(path));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("\nUnrecognized basis set\nError in input file " + quoted(path) +
                         ", line 1: expected a basis-set name, one of STO-3G, STO-6G, 3-21G, 6-31G, 6-31G*, 6-31G**, "
                         "6-31+G*, 6-31++G**, 6-311G**, cc-pVDZ, cc-pVTZ, cc-pVQZ, aug-cc-pVDZ, aug-cc-pVTZ, def2-SVP, "
                         "def2-TZVP, def2-TZVPP, def2-QZVP (any letter case), found \"sto-9g\"\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("GEOMETRY"), std::string::npos);
}

namespace {

struct ReaderCase {
    const char* name;     // file name of the input
    std::string content;
    int status;
    std::vector<std::string> fragments;  // of the last line of standard output; for status 0, of the report
};

const std::string h2_atoms = "H 0 0 0\nH 0 0 1.4\n";
const std::string h2_energy = "Total energy [Hartree]: -1.11671432\n";  // examples/h2.in
const std::string water_atoms = "O 0 0 0\nH 0 1.4305 1.1075\nH 0 -1.4305 1.1075\n";

}  // namespace

// Inputs as other programs and people write them: each must be read as meant
// (the energy of the clean file) or refused with a message naming file and line.
TEST(InputOfOtherPrograms, AcceptedAsMeantOrRefusedWithAMessage) {
    const std::string angstrom_h2 = "H 0 0 0\nH 0 0 0.7408481\n";  // 1.4 bohr to 1e-7
    const ReaderCase cases[] = {
        // accepted
        {"basis_upper.in", header("2", "bohr", "STO-3G") + h2_atoms, 0, {h2_energy}},
        {"basis_no_hyphen.in", header("2", "bohr", "sto3g") + h2_atoms, 0, {h2_energy}},
        {"units_au.in", header("2", "a.u.") + h2_atoms, 0, {h2_energy}},
        {"units_empty.in", header("2", "") + h2_atoms, 0, {h2_energy}},
        {"units_angs.in", header("2", "Angs") + angstrom_h2, 0, {"Total energy [Hartree]: -1.1167143"}},
        {"units_angstroms.in", header("2", "ANGSTROMS") + angstrom_h2, 0, {"Total energy [Hartree]: -1.1167143"}},
        {"units_a_ring.in", header("2", "\xc3\x85") + angstrom_h2, 0, {"Total energy [Hartree]: -1.1167143"}},
        {"atomic_numbers.in", header("2") + "1 0 0 0\n1 0 0 1.4\n", 0, {h2_energy}},
        {"lower_case.in", header("2") + "h 0 0 0\nh 0 0 1.4\n", 0, {h2_energy}},
        {"fortran_d.in", header("2") + "H 0 0 0.0D0\nH 0 0 1.4D+00\n", 0, {h2_energy}},
        {"byte_order_mark.in", "\xef\xbb\xbf" + header("2") + h2_atoms, 0, {h2_energy}},
        {"binary_tail.in", header("2") + h2_atoms + std::string(2u << 20, 'x') + std::string(64, '\0'), 0, {h2_energy}},
        {"upper_extension.XYZ", "2\nh2\nH 0 0 0\nH 0 0 0.7408481\n", 0, {"Total energy [Hartree]: -1.1167143"}},
        {"xyz_content.in", "2\nh2\nH 0 0 0\nH 0 0 0.7408481\n", 0, {"Total energy [Hartree]: -1.1167143"}},
        {"xyz_bom.xyz", "\xef\xbb\xbf" "2\nh2\nH 0 0 0\nH 0 0 0.7408481\n", 0, {"Total energy [Hartree]: -1.1167143"}},
        {"water_dication.in", header("3", "bohr", "sto-3g", "+2") + water_atoms, 0, {"Molecular charge: +2\n"}},
        {"xyz_charge.xyz", "2\ncharge=1\nHe 0 0 0\nH 0 0 0.7743\n", 0, {"Molecular charge: +1\n"}},
        {"odd_cation.in", header("2", "bohr", "sto-3g", "1") + h2_atoms, 0,
         {"Molecular charge: +1\n", "Multiplicity: 2\nNumber of alpha electrons: 1\nNumber of beta electrons: 0\n"}},
        {"xyz_triplet.xyz", "2\nmultiplicity=3\nH 0 0 0\nH 0 0 0.74\n", 0,
         {"Multiplicity: 3\nNumber of alpha electrons: 2\nNumber of beta electrons: 0\n"}},
        // refused
        {"charge_word.in", header("2", "bohr", "sto-3g", "banana") + h2_atoms, 2,
         {"line 2:", "the molecular charge as a whole number", "found \"banana\""}},
        {"swapped_lines.in", "basis = sto-3g\nunits = angstrom\natoms = 2\ncharge = 0\n" + angstrom_h2, 2,
         {"line 2:", "found \"angstrom\""}},
        {"unit_word.in", header("2", "furlong") + h2_atoms, 2,
         {"line 4:", "angstrom (or angstroms, ang, angs, \xc3\xa5) or bohr (or bohrs, au, a.u., or nothing)",
          "found \"furlong\""}},
        {"no_atoms.in", header("0"), 2, {"line 3:", "a number of atoms of one or more", "found \"0\""}},
        {"no_atoms_bad_basis.in", header("0", "bohr", "\xff"), 1, {"line 1:", "STO-3G, STO-6G, 3-21G", "found \"\\xff\""}},
        {"no_electrons.in", header("2", "bohr", "sto-3g", "2") + h2_atoms, 3,
         {"charge +2 has 0 electrons", "at least one electron"}},
        {"nul_bytes.in", std::string(4096, '\0'), 2, {"line 1:", "found a NUL byte"}},
        {"endless_line.in", std::string(3u << 20, 'x'), 2, {"line 1:", "a line of at most 1048576 bytes"}},
        {"escape_sequence.in", header("2") + "H\x1b]0;owned\x07 0 0 0\n" + h2_atoms, 2,
         {"line 5:", "found \"H\\x1b]0;owned\\x07\""}},
        {"xyz_doublet.xyz", "2\nmultiplicity=2\nH 0 0 0\nH 0 0 0.74\n", 2,
         {"multiplicity 2 is impossible for 2 electrons"}},
    };
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = write_temp(c.name, c.content);
        const RunResult r = run_velko(quoted(path));
        if (c.status == 0) {
            EXPECT_EQ(r.status, 0) << r.out;
            EXPECT_EQ(without_notes(r.err), "");
            for (const std::string& f : c.fragments) EXPECT_NE(r.out.find(f), std::string::npos) << f << "\n" << r.out;
        } else {
            std::vector<std::string> fragments = c.fragments;
            fragments.push_back("Error in input file " + quoted(path));
            expect_refused(r, c.status, fragments);
            EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
            EXPECT_EQ(r.out.find('\0'), std::string::npos);
        }
    }
}

TEST(InputOfOtherPrograms, EndlessDeviceIsRefusedAtItsFirstByte) {
    // /dev/zero has neither an end nor a line feed.
    expect_refused(run_velko("/dev/zero"), 2, {"Error in input file \"/dev/zero\", line 1: expected text, found a NUL byte"});
}
