// The version banner: nine lines with fixed texts around the compiler's own
// build date, time and version strings.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "report/output.h"
#include "report/version.h"

namespace {

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace

TEST(Version, NineLinesWithFixedTexts) {
    const std::string banner = version();
    ASSERT_FALSE(banner.empty());
    EXPECT_EQ(banner.back(), '\n');
    const std::vector<std::string> lines = lines_of(banner);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], "executing: velko version 1.4.1");
    EXPECT_EQ(lines[2].rfind("compiler: gcc ", 0), 0u);
    EXPECT_EQ(lines[3].rfind("author: ", 0), 0u);
    EXPECT_GT(lines[3].size(), std::string("author: ").size());
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], "Special version for Android (x86, pie)");
    EXPECT_FALSE(lines[6].empty());
    EXPECT_EQ(lines[7], "on January 4, 2019.");
    EXPECT_EQ(lines[8], "");
}

TEST(Version, BuildDateKeepsTheCompilerForm) {
    // "Jan  4 2019 13:04:49": day padded with a space to two characters.
    const std::vector<std::string> lines = lines_of(version());
    ASSERT_GE(lines.size(), 2u);
    const std::regex form("compiled on: (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [ 123][0-9] [0-9]{4} "
                          "[0-2][0-9]:[0-5][0-9]:[0-6][0-9]");
    EXPECT_TRUE(std::regex_match(lines[1], form)) << lines[1];
}

TEST(Version, PrintVersionWritesTheBannerWithNothingAdded) {
    testing::internal::CaptureStdout();
    Output().print_version();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), version());
}
