// Output files: one file named twice is found whatever the spelling of its
// path, and a file is replaced whole or not at all.
#include "system/files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "common/failure.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder per test under the temp directory, removed afterwards.
class Folder : public ::testing::Test {
protected:
    fs::path dir;
    void SetUp() override {
        const char* t = std::getenv("TMPDIR");
        std::string templ = std::string(t != nullptr ? t : "/tmp") + "/velko_files_XXXXXX";
        ASSERT_NE(::mkdtemp(templ.data()), nullptr);
        dir = templ;
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string path(const std::string& name) const { return (dir / name).string(); }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(path(name), std::ios::binary) << text;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::size_t entries() const {
        std::size_t n = 0;
        for (auto it = fs::directory_iterator(dir); it != fs::directory_iterator(); ++it) ++n;
        return n;
    }
};

}  // namespace

TEST_F(Folder, SameFileWhateverThePathSpelling) {
    write("in.in", "x");
    fs::create_symlink(path("in.in"), path("link.in"));
    fs::create_hard_link(path("in.in"), path("hard.in"));
    fs::create_directory(dir / "sub");
    fs::create_directory_symlink(dir / "sub", dir / "sublink");
    struct Case {
        std::string a, b;
        bool same;
    };
    const Case cases[] = {
        {path("in.in"), path("in.in"), true},
        {path("in.in"), (dir / "." / "in.in").string(), true},
        {path("in.in"), (dir / "sub" / ".." / "in.in").string(), true},
        {path("in.in"), path("link.in"), true},   // symbolic link to it
        {path("in.in"), path("hard.in"), true},   // second name of its inode
        {path("new.json"), (dir / "." / "new.json").string(), true},  // neither exists yet
        {(dir / "sub" / "a.json").string(), (dir / "sublink" / "a.json").string(), true},  // through a linked folder
        {path("in.in"), path("other.in"), false},
        {path("a.json"), path("a.molden"), false},
        {path("a.json"), (dir / "sub" / "a.json").string(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a + " vs " + c.b);
        EXPECT_EQ(same_file(c.a, c.b), c.same);
        EXPECT_EQ(same_file(c.b, c.a), c.same);
    }
    // A relative spelling of a file in the working folder.
    const fs::path cwd = fs::current_path();
    fs::current_path(dir);
    EXPECT_TRUE(same_file("in.in", path("in.in")));
    EXPECT_TRUE(same_file("./out.json", "out.json"));
    fs::current_path(cwd);
}

TEST_F(Folder, OutputPathsRefusedWhenTheyCollide) {
    write("in.in", "x");
    struct Case {
        std::string molden, json;
        const char* fragment;  // empty: accepted
    };
    const Case cases[] = {
        {path("in.in"), "", "--molden names the input file"},
        {"", path("in.in"), "--json names the input file"},
        {path("o"), (dir / "." / "o").string(), "--molden and --json name the same file"},
        {path("o.molden"), path("o.json"), ""},
        {"", "", ""},
        {"/dev/null", "/dev/null", ""},  // a device is no file to lose
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.molden + " | " + c.json);
        try {
            check_output_paths(path("in.in"), c.molden, c.json);
            EXPECT_STREQ(c.fragment, "");
        } catch (const Failure& f) {
            EXPECT_EQ(f.status, exit_status::bad_input);
            EXPECT_NE(std::string(c.fragment), "") << f.message;
            EXPECT_NE(f.message.find(c.fragment), std::string::npos) << f.message;
        }
    }
}

TEST_F(Folder, FailedWriterLeavesTheEarlierFileAndNoTemporary) {
    write("out.json", "earlier");
    EXPECT_THROW(replace_file(path("out.json"), "JSON",
                              [](std::ostream& out) {
                                  out << std::string(1 << 20, 'x');  // past any stream buffer
                                  throw std::runtime_error("stopped half-way");
                              }),
                 std::runtime_error);
    EXPECT_EQ(read("out.json"), "earlier");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(Folder, ReplacedWholeWithItsPermissionsAndThroughLinks) {
    write("out.json", std::string(5000, 'o'));
    ::chmod(path("out.json").c_str(), 0640);
    replace_file(path("out.json"), "JSON", "new\n");
    EXPECT_EQ(read("out.json"), "new\n");  // nothing of the longer earlier file left
    struct stat st;
    ASSERT_EQ(::stat(path("out.json").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A link stays a link; the file it points to gets the text.
    fs::create_symlink(path("out.json"), path("link.json"));
    replace_file(path("link.json"), "JSON", "linked\n");
    EXPECT_TRUE(fs::is_symlink(dir / "link.json"));
    EXPECT_EQ(read("out.json"), "linked\n");

    replace_file(path("fresh.molden"), "Molden", "m\n");
    EXPECT_EQ(read("fresh.molden"), "m\n");
    EXPECT_EQ(entries(), 3u);  // no temporary file left
}

TEST_F(Folder, UnwritableTargetsAreReportedWithTheReason) {
    fs::create_directory(dir / "sub");
    struct Case {
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {path("sub"), "it is a directory"},
        {(dir / "missing" / "out.json").string(), "No such file or directory"},
        {"/dev/full", "No space left on device"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        try {
            replace_file(c.path, "JSON", std::string(1 << 16, 'j'));
            FAIL() << "no Failure";
        } catch (const Failure& f) {
            EXPECT_EQ(f.status, exit_status::bad_input);
            EXPECT_EQ(f.message, "Error: cannot write JSON file \"" + c.path + "\": " + c.reason);
        }
    }
    EXPECT_EQ(entries(), 1u);
    EXPECT_NO_THROW(replace_file("/dev/null", "Molden", "discarded"));
}
