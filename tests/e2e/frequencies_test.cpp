// --frequencies on the built program: what it says on standard error, the options of the
// thermochemistry, and the command lines it refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "run_velko.h"

namespace {

double entropy_part(const std::string& report, const std::string& part) {
    const std::size_t at = report.find(part + "|");
    return at == std::string::npos ? NAN : std::stod(report.substr(at + part.size() + 1));
}

// R ln 2 in J/(mol K), R = N_A k_B (CODATA 2018): halving the rotational partition function
// (sigma 1 -> 2) or doubling the pressure lowers that part of the entropy by it.
constexpr double r_ln2 = 8.314462618 * 0.69314718056;

// Water in STO-3G at the geometry of examples/water.in, which is not its minimum; planar
// ammonia, a saddle point between the two pyramids.
TEST(Frequencies, StandardErrorAndThermochemistryOptions) {
    const std::string water = "\"" + source_path("examples/water.in") + "\"";
    const RunResult plain = run_velko("--frequencies " + water);
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_NE(plain.err.find("not a stationary point"), std::string::npos) << plain.err;
    EXPECT_NE(plain.out.find("Point group: C2v"), std::string::npos);
    const RunResult changed = run_velko("--frequencies --symmetry-number 1 --pressure 2 --temperature 298.15 " + water);
    ASSERT_EQ(changed.status, 0) << changed.err;
    EXPECT_NEAR(entropy_part(plain.out, "Rotation") - entropy_part(changed.out, "Rotation"), -r_ln2, 2e-3);
    EXPECT_NEAR(entropy_part(plain.out, "Transl.") - entropy_part(changed.out, "Transl."), r_ln2, 2e-3);

    const RunResult saddle = run_velko("--frequencies \"" + write_temp("planar_nh3.in",
                                       "basis = sto-3g\ncharge = 0\natoms = 4\nunits = bohr\nN 0 0 0\nH 1.9 0 0\n"
                                       "H -0.95 1.645448 0\nH -0.95 -1.645448 0\n") + "\"");
    ASSERT_EQ(saddle.status, 0) << saddle.err;
    EXPECT_NE(saddle.err.find("imaginary frequencies (cm^-1): 10"), std::string::npos) << saddle.err;
    EXPECT_NE(saddle.out.find("Point group: D3h"), std::string::npos);
    EXPECT_NE(saddle.out.find("Imaginary frequencies left out: 1"), std::string::npos);

    for (const char* refused : {"--temperature 300", "--frequencies --pressure 0", "--frequencies --temperature abc",
                                "--frequencies --symmetry-number 0", "--spectrum x.svg"}) {
        const RunResult r = run_velko(std::string(refused) + " " + water);
        EXPECT_EQ(r.status, 2) << refused;
        EXPECT_NE(r.err.find("Error on the command line"), std::string::npos) << refused << ": " << r.err;
    }
}

}  // namespace
