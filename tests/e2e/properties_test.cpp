// --properties and --json-wavefunction on the built program. The charges and the
// dipole of water are Psi4 1.3.2's (tests/scf/reference/psi4_values.txt) rounded
// to the six printed decimals: Mulliken O -0.366559028748, H 0.183279514374;
// Loewdin O -0.253616926541, H 0.126808463271; dipole y 0.677432829810 e a0 =
// 1.721863 D.
#include <gtest/gtest.h>

#include <string>

#include "run_velko.h"

namespace {

const std::string block_start =
    "          ***********************\n"
    "          *                     *\n"
    "          *     PROPERTIES      *\n";
const std::string completion = "          ***********************\nProgram terminated";

std::string water() { return "\"" + source_path("examples/water.in") + "\""; }

// The report with the PROPERTIES block (from its box to the completion line) cut out.
std::string without_block(const std::string& out) {
    const std::size_t from = out.find(block_start);
    const std::size_t to = out.find(completion);
    if (from == std::string::npos || to == std::string::npos || to < from) return out;
    return out.substr(0, from) + out.substr(to);
}

}  // namespace

TEST(PropertiesOption, BlockAfterTheSummaryAndTheReportOtherwiseUnchanged) {
    const RunResult plain = run_velko(water());
    const RunResult r = run_velko("--properties " + water());
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.err, "");
    const std::size_t at = r.out.find(block_start);
    ASSERT_NE(at, std::string::npos) << r.out;
    EXPECT_LT(r.out.find("Total energy [Hartree]: "), at);
    EXPECT_EQ(mask_report(without_block(r.out)), mask_report(plain.out));
    EXPECT_EQ(plain.out.find("PROPERTIES"), std::string::npos);
    for (const char* line : {"SCF converged: yes\n", "Nuclear repulsion energy [Hartree]: 9.1879758032\n",
                             "|        O1| -0.366559| -0.253617|\n", "|        H2|  0.183280|  0.126808|\n",
                             "|         Y|  0.677433|  1.721863|\n", "|     Total|  0.677433|  1.721863|\n",
                             "|      HOMO|         5|"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
    // Also with -m, where the block follows the same summary.
    const RunResult verbose = run_velko("--properties -m " + water());
    EXPECT_NE(verbose.out.find("|        O1| -0.366559| -0.253617|\n"), std::string::npos);
}

// The hydronium ion of tests/e2e/reference (charge line 1): Psi4 gives its dipole about
// the coordinate origin as z = -0.884477765406 e a0 and Mulliken O -0.257639713127
// (tests/scf/reference/psi4_values.txt).
TEST(PropertiesOption, CationSaysItsDipoleDependsOnTheOrigin) {
    const RunResult r = run_velko("--diis --properties \"" + source_path("tests/e2e/reference/hydronium.in") + "\"");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("|         Z| -0.884478|"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("|        O1| -0.257640|"), std::string::npos);
    EXPECT_NE(r.out.find("|----------|----------|----------|\n"
                         "The molecule has charge +1: its dipole moment depends on the origin.\n\n"),
              std::string::npos);
    EXPECT_EQ(run_velko("--properties " + water()).out.find("depends on the origin"), std::string::npos);
}

TEST(PropertiesOption, WavefunctionWithoutJsonFileIsRefused) {
    const RunResult r = run_velko("--json-wavefunction " + water());
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "Error on the command line: --json-wavefunction needs --json FILE\n");
}
