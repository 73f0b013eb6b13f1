// The progress line, driven by a hand-set clock so every redraw is predictable.
#include "system/progress.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(TimeLeftText, RoundsUpToWholeSecondsAndUsesLargerUnits) {
    EXPECT_EQ(time_left_text(0.0), "0 s");
    EXPECT_EQ(time_left_text(0.2), "1 s");
    EXPECT_EQ(time_left_text(59.0), "59 s");
    EXPECT_EQ(time_left_text(59.5), "1 min 0 s");
    EXPECT_EQ(time_left_text(65.0), "1 min 5 s");
    EXPECT_EQ(time_left_text(3599.0), "59 min 59 s");
    EXPECT_EQ(time_left_text(3600.0), "1 h 0 min");
    EXPECT_EQ(time_left_text(7380.0), "2 h 3 min");
    EXPECT_EQ(time_left_text(-3.0), "0 s");
}

// Time left = elapsed * (total - done) / done: a quarter done in 10 s leaves 30 s.
TEST(ProgressLine, PercentAndLinearEstimate) {
    EXPECT_EQ(progress_line("TE", 0, 400, 0.0), "TE   0%");
    EXPECT_EQ(progress_line("TE", 100, 400, 10.0), "TE  25%  about 30 s left");
    EXPECT_EQ(progress_line("TE", 399, 400, 399.0), "TE  99%  about 1 s left");
    EXPECT_EQ(progress_line("TE", 1, 3, 20.0), "TE  33%  about 40 s left");
    EXPECT_EQ(progress_line("TE", 400, 400, 50.0), "TE 100%");
    EXPECT_EQ(progress_line("TE", 500, 400, 50.0), "TE 100%");
    EXPECT_EQ(progress_line("TE", 0, 0, 0.0), "TE 100%");
}

TEST(Progress, RedrawsAtMostOncePerIntervalAndClearsItsLine) {
    double t = 100.0;
    std::ostringstream out;
    {
        Progress p("TE", 1000, &out, [&t] { return t; });
        t = 100.1;
        p.update(10);
        EXPECT_EQ(out.str(), "") << "nothing before the first interval has passed";
        t = 101.0;
        p.update(100);  // 1 s for 10 %: 9 s left
        EXPECT_EQ(out.str(), "\rTE  10%  about 9 s left");
        t = 101.1;
        p.update(200);
        EXPECT_EQ(out.str(), "\rTE  10%  about 9 s left");
        out.str("");
        t = 120.0;
        p.update(999);  // shorter line: blanks cover the rest of the old one
        EXPECT_EQ(out.str(), "\rTE  99%  about 1 s left");
        out.str("");
        t = 130.0;
        p.update(1000);
        const std::string full = "TE 100%";
        EXPECT_EQ(out.str(), "\r" + full + std::string(23 - full.size(), ' '));
        out.str("");
    }
    // The destructor blanks the line and returns to its start.
    EXPECT_EQ(out.str(), "\r" + std::string(23, ' ') + "\r");
}

TEST(Progress, NothingToClearWhenNothingWasDrawn) {
    double t = 0.0;
    std::ostringstream out;
    {
        Progress p("TE", 10, &out, [&t] { return t; });
        p.update(5);
    }
    EXPECT_EQ(out.str(), "");
}

// Under the test runner standard error is a file or pipe, not a terminal:
// the default Progress must stay silent there.
TEST(Progress, SilentWhenStandardErrorIsNotATerminal) {
    if (::isatty(2)) GTEST_SKIP() << "standard error is a terminal here";
    ::testing::internal::CaptureStderr();
    {
        Progress p("TE", 10);
        p.interval = 0.0;
        for (unsigned k = 0; k <= 10; ++k) p.update(k);
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
