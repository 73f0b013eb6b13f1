// A failure is written on standard output and, when that is not a terminal,
// once more on standard error.
#include "report/failure_report.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(FailureReport, StandardErrorOnlyWhenStandardOutputIsNotATerminal) {
    const Failure f{"Error in input file \"w.in\", line 6: expected a number", 2};
    for (const bool terminal : {true, false}) {
        SCOPED_TRACE(terminal);
        std::ostringstream out, err;
        EXPECT_EQ(write_failure(f, out, err, terminal), 2);
        EXPECT_EQ(out.str(), f.message + "\n");
        EXPECT_EQ(err.str(), terminal ? "" : f.message + "\n");
    }
}
