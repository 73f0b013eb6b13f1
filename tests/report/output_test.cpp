// Report blocks pinned character for character. Every expected text below is
// written out by hand from the layout rules: 23-character box lines right-aligned
// in 33 columns, 10-column geometry cells in %.5g, the summary energy in %.10g,
// orbital energies as %18.10f followed by " HT", coefficients as %21.4f, and the
// completion time in %g.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/output.h"
#include "molecule/molecule.h"

namespace {

const double bohr_per_angstrom = 1.8897261245650618;

const std::string stars = "          ***********************\n";

// A block's banner: its title line (written out, centred by hand) inside the box, then a blank line.
std::string banner(const std::string& title_line) {
    const std::string side = "          *                     *\n";
    return stars + side + "          *" + title_line + "*\n" + side + stars + "\n";
}

const std::string geometry_rule = "|----------|----------|----------|----------|\n";
const std::string geometry_header =
    banner("      GEOMETRY       ") + geometry_rule + "|      Atom|         X|         Y|         Z|\n" + geometry_rule;

// Atoms are pushed directly, positions already in bohr, as the reader would leave them.
Molecule molecule_of(const std::vector<std::pair<std::string, Vec3>>& atoms) {
    Molecule m;
    m.basis_name = "sto-3g";
    for (const auto& a : atoms) {
        m.atoms.emplace_back(a.first, a.second.getx(), a.second.gety(), a.second.getz());
        m.atom_count++;
    }
    return m;
}

}  // namespace

TEST(GeometryBlock, EmptyMoleculeHasHeaderHeadsAndClosingRuleOnly) {
    Molecule m;
    EXPECT_EQ(geometry_block(m), geometry_header + geometry_rule);
}

TEST(GeometryBlock, CoordinatesInFiveSignificantDigits) {
    const Molecule m = molecule_of({
        {"O", Vec3(0.0, 0.0, 0.0)},            // the origin prints as a bare 0
        {"H", Vec3(1.4, -2.0, 0.0001)},        // 1e-4 itself stays in fixed form
        {"H", Vec3(9e-05, 12345.67, 123456.7)},  // below 1e-4 and at 1e+05: exponent form
    });
    const std::string expected = geometry_header +
                                 "|         O|         0|         0|         0|\n"
                                 "|         H|       1.4|        -2|    0.0001|\n"
                                 "|         H|     9e-05|     12346|1.2346e+05|\n" +
                                 geometry_rule;
    EXPECT_EQ(geometry_block(m), expected);
}

TEST(GeometryBlock, NegativeTinyCoordinateOverflowsItsColumn) {
    // -1.2345e-05 needs eleven characters; the cell grows and the line is 46 long.
    const Molecule m = molecule_of({{"H", Vec3(-1.2345e-05, 0.0, 0.0)}});
    const std::string expected = geometry_header + "|         H|-1.2345e-05|         0|         0|\n" + geometry_rule;
    EXPECT_EQ(geometry_block(m), expected);
}

TEST(GeometryBlock, AngstromInputShowsBohrRoundedToFiveDigits) {
    // 0.74 A = 1.398397... bohr, 1.5 A = 2.834589... bohr, -1 A = -1.889726... bohr.
    const Molecule m = molecule_of({
        {"H", Vec3(0.0, 0.0, 0.74 * bohr_per_angstrom)},
        {"C", Vec3(1.5 * bohr_per_angstrom, -1.0 * bohr_per_angstrom, 0.0)},
    });
    const std::string expected = geometry_header +
                                 "|         H|         0|         0|    1.3984|\n"
                                 "|         C|    2.8346|   -1.8897|         0|\n" +
                                 geometry_rule;
    EXPECT_EQ(geometry_block(m), expected);
}

TEST(SummaryBlock, CountsInPrintedOrderAndEnergyToTenDigits) {
    // Arguments: iterations, energy, atoms, orbitals, primitives. All distinct so a swap shows.
    const std::string expected =
        banner("       SUMMARY       ") +
        "Number of atoms: 3\n"
        "Number of orbitals: 7\n"
        "Number of GTOs: 21\n"
        "Number of iterations: 17\n"
        "Total energy [Hartree]: -74.96293063\n"
        "\n";
    EXPECT_EQ(summary_block(17, -74.962930634, 3, 7, 21), expected);
    EXPECT_EQ(summary_block(17, -74.962930634, 3, 7, 21, 0), expected);
}

TEST(SummaryBlock, ChargedMoleculeGetsOneLineWithTheSignedCharge) {
    const std::string head = banner("       SUMMARY       ") + "Number of atoms: 5\n";
    const std::string tail =
        "Number of orbitals: 9\n"
        "Number of GTOs: 27\n"
        "Number of iterations: 6\n"
        "Total energy [Hartree]: -55.86822818\n"
        "\n";
    const struct {
        int charge;
        const char* line;
    } cases[] = {{1, "Molecular charge: +1\n"}, {-1, "Molecular charge: -1\n"}, {2, "Molecular charge: +2\n"},
                 {-12, "Molecular charge: -12\n"}};
    for (const auto& c : cases)
        EXPECT_EQ(summary_block(6, -55.86822818, 5, 9, 27, c.charge), head + c.line + tail) << c.charge;
}

TEST(SummaryBlock, EnergyDropsTrailingZeros) {
    for (const auto& [energy, printed] : {std::pair{-1.5, "-1.5"}, {0.0, "0"}, {-1.1167593073, "-1.116759307"}}) {
        const std::string tail = std::string("Total energy [Hartree]: ") + printed + "\n\n";
        const std::string block = summary_block(2, energy, 2, 2, 6);
        EXPECT_EQ(block.substr(block.size() - tail.size()), tail);
    }
}

namespace {

const std::string orbitals_header = banner("       ORBITALS      ");
const std::string star_line = "|**********|**********|**********|**********|\n";
const std::string rule_line = "|----------|----------|----------|----------|\n";

Matrix<double> matrix_of(const std::vector<std::vector<double>>& rows) {
    Matrix<double> m(static_cast<int>(rows.size()), static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t j = 0; j < rows[i].size(); ++j) m[static_cast<int>(i)][static_cast<int>(j)] = rows[i][j];
    return m;
}

}  // namespace

TEST(OrbitalsBlock, TwoOrbitalsTwoElectrons) {
    // Column k of the matrix is orbital k: the first orbital reads 0.548, -1e-5 down rows.
    const Matrix<double> c = matrix_of({{0.548, 1.0}, {-1e-5, -1.23456}});
    const std::string expected = orbitals_header +
                                 star_line +
                                 "|1         |     -0.5000000000 HT|  Occupied|\n" +
                                 star_line +
                                 "|H1 (1s)              |               0.5480|\n"
                                 "|H2 (1s)              |              -0.0000|\n" +
                                 rule_line + "\n" +
                                 star_line +
                                 "|2         |      0.2500000000 HT|   Virtual|\n" +
                                 star_line +
                                 "|H1 (1s)              |               1.0000|\n"
                                 "|H2 (1s)              |              -1.2346|\n" +
                                 rule_line + "\n";
    EXPECT_EQ(orbitals_block({-0.5, 0.25}, {"H1 (1s)", "H2 (1s)"}, c, 2), expected);
}

TEST(OrbitalsBlock, OddElectronCountLeavesHalfFilledOrbitalVirtual) {
    const Matrix<double> c = matrix_of({{1.0, 0.0}, {0.0, 1.0}});
    const std::string text = orbitals_block({-0.5, 0.25}, {"a", "b"}, c, 3);
    EXPECT_NE(text.find("|1         |     -0.5000000000 HT|  Occupied|\n"), std::string::npos);
    EXPECT_NE(text.find("|2         |      0.2500000000 HT|   Virtual|\n"), std::string::npos);
}

TEST(OrbitalsBlock, LongLabelShiftsItsLineAndWideNumbersStayLeftAligned) {
    // Ten orbitals so that the number 10 shows the left alignment with two digits.
    const int n = 10;
    Matrix<double> c(n, n);
    std::vector<std::string> labels(n, "x");
    labels[0] = "[1] a label of 23 chars";  // 23 characters, two more than its field
    std::vector<double> energies(n, 1.0);
    energies[9] = -20.25;
    const std::string text = orbitals_block(energies, labels, c, 18);  // nine occupied
    EXPECT_NE(text.find("|[1] a label of 23 chars|               0.0000|\n"), std::string::npos);
    EXPECT_NE(text.find("|10        |    -20.2500000000 HT|   Virtual|\n"), std::string::npos);
    EXPECT_NE(text.find("|9         |      1.0000000000 HT|  Occupied|\n"), std::string::npos);
    EXPECT_NE(text.find("|x                    |               0.0000|\n"), std::string::npos);
}

TEST(OrbitalsBlock, NoLabelsGivesHeaderOnly) {
    EXPECT_EQ(orbitals_block({}, {}, Matrix<double>(), 2), orbitals_header);
}

TEST(CalculationTimeBlock, WholeMillisecondsThenExponentFromOneMillion) {
    EXPECT_EQ(calculation_time_block(0), stars + "Program terminated succesfully after 0ms.\n\n");
    EXPECT_EQ(calculation_time_block(12), stars + "Program terminated succesfully after 12ms.\n\n");
    EXPECT_EQ(calculation_time_block(999999), stars + "Program terminated succesfully after 999999ms.\n\n");
    EXPECT_EQ(calculation_time_block(1e6), stars + "Program terminated succesfully after 1e+06ms.\n\n");
    EXPECT_EQ(calculation_time_block(1234567), stars + "Program terminated succesfully after 1.23457e+06ms.\n\n");
}

TEST(OutputPrinter, WritesEachBlockUnchanged) {
    const Output out;
    testing::internal::CaptureStdout();
    out.print_calculation_time(12);
    out.print_summary(17, -1.5, 3, 7, 21);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              calculation_time_block(12) + summary_block(17, -1.5, 3, 7, 21));
}

TEST(ColumnLabel, LabelsLongerThanTheColumnLoseTheTabAndBlank) {
    for (const auto& [label, printed] : {std::pair{"[1234] C12\t (6hxxxxx)", "[1234] C12\t (6hxxxxx)"},
                                         {"[1234] Kr123\t (6hxxxxx)", "[1234] Kr123(6hxxxxx)"},
                                         {"[9999] Kr999\t (7h+5)", "[9999] Kr999\t (7h+5)"}})
        EXPECT_EQ(column_label(label), printed) << label;
}
