// The fast path's report does not depend on how its work is shared out: one thread,
// two threads and integral-direct builds give the same report to the last digit,
// since the chunks of every build are summed in a fixed order and the integrals are
// the same whether stored or recomputed.
#include <gtest/gtest.h>

#include <string>

#include "run_velko.h"

// Dodecane (86 functions, made by bench/make_molecules.py C12) is just above the size up
// to which the fast path keeps its dense single-threaded table.
TEST(FastPath, SameReportForAnyThreadCountAndIntegralDirect) {
    const std::string input = "\"" + source_path("tests/e2e/reference/dodecane.in") + "\"";
    const RunResult one = run_velko("--integrals fast --diis --threads 1 " + input);
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_NE(one.out.find("Total energy [Hartree]: "), std::string::npos) << one.out;
    for (const char* options : {"--threads 2", "--threads 2 --direct", "--threads 3 --direct"}) {
        SCOPED_TRACE(options);
        const RunResult r = run_velko(std::string("--integrals fast --diis ") + options + " " + input);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(mask_report(r.out), mask_report(one.out));
    }
}
