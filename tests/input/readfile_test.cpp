#include "input/readfile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scratch_files.h"

namespace {

using Lines = std::vector<std::string>;

class InputFileTest : public ScratchFiles {
protected:
    // Lines of a file written with the given bytes, and what reading printed.
    Lines read_lines(const std::string& content, std::string* printed = nullptr) {
        InputFile file(write("in.txt", content));
        Lines lines{"stale"};
        ::testing::internal::CaptureStdout();
        file.readFile(lines);
        const std::string out = ::testing::internal::GetCapturedStdout();
        if (printed) *printed = out;
        return lines;
    }
};

// Byte content -> lines, as the getline loop produces them: an extra empty
// entry after a final newline, none without.
TEST_F(InputFileTest, LineSplittingAtTheEdges) {
    struct Case {
        const char* content;
        Lines expected;
    };
    const Case cases[] = {
        {"a\nb\n", {"a", "b", ""}},
        {"a\nb", {"a", "b"}},
        {"", {""}},
        {"\n", {"", ""}},
        {"a\n\nb\n", {"a", "", "b", ""}},
        {"a\r\nb\r\n", {"a\r", "b\r", ""}},  // no translation: CR stays on the line
        {"x = sto-3g\t \n", {"x = sto-3g\t ", ""}},
    };
    for (const Case& c : cases) EXPECT_EQ(read_lines(c.content), c.expected) << "content: " << c.content;
}

TEST_F(InputFileTest, OpensAndReportsSuccess) {
    InputFile file(write("in.txt", "a\n"));
    EXPECT_FALSE(file.opened);
    EXPECT_FALSE(file.is_open());
    Lines lines;
    file.readFile(lines);
    EXPECT_TRUE(file.opened);
    EXPECT_TRUE(file.is_open());
    EXPECT_FALSE(file.read_error());
    EXPECT_EQ(file.filename, (dir / "in.txt").string());
}

TEST_F(InputFileTest, MissingFileGivesNoLinesAndWritesNothing) {
    InputFile file((dir / "absent.txt").string());
    Lines lines{"stale"};
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    file.readFile(lines);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(file.opened);  // the attempt counts as the one open
    EXPECT_FALSE(file.is_open());
}

TEST_F(InputFileTest, DirectoryIsAReadError) {
    InputFile file(dir.string());
    Lines lines;
    file.readFile(lines);
    EXPECT_TRUE(!file.is_open() || file.read_error());
}

TEST_F(InputFileTest, SecondOpenPrintsNoticeAndDoesNotReread) {
    InputFile file(write("in.txt", "a\nb"));
    Lines lines;
    file.readFile(lines);
    ASSERT_EQ(lines, (Lines{"a", "b"}));

    ::testing::internal::CaptureStdout();
    file.open();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Error, file already opened\n");

    ::testing::internal::CaptureStdout();
    file.readFile(lines);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Error, file already opened\n");
    EXPECT_EQ(lines, (Lines{"a", "b"}));
}

TEST_F(InputFileTest, CloseKeepsOpenedFlag) {
    InputFile file(write("in.txt", "a"));
    Lines lines;
    file.readFile(lines);
    file.close();
    EXPECT_TRUE(file.opened);
    EXPECT_FALSE(file.is_open());
    ::testing::internal::CaptureStdout();
    file.open();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Error, file already opened\n");
    EXPECT_FALSE(file.is_open());
}

}  // namespace
