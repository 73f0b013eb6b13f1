// Hostile input and constrained machines: each run must end in its documented
// status with its message, and leave no temporary file (".NAME.XXXXXX") behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "run_velko.h"

namespace {

namespace fs = std::filesystem;

struct Hostile {
    const char* what;
    const char* command;  // shell, in a folder holding the files below; $V is velko
    int status;           // the README's exit statuses; 128 + N for death by signal N
    const char* says;     // regular expression found in standard output and error
};

// Limits of the address space do not mix with the sanitizers' shadow memory.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool limits_apply = false;
#else
constexpr bool limits_apply = true;
#endif

void make_files(const fs::path& dir) {
    const std::string h2 = "basis = sto-3g\ncharge = 0\natoms = 2\nunits = bohr\nH 0 0 0\nH 0 0 1.4\n";
    std::ofstream(dir / "h2.in") << h2;
    std::ofstream(dir / "--batch") << h2;
    std::ofstream(dir / "lih_close.in") << "basis = sto-3g\ncharge = 0\natoms = 2\nunits = bohr\nLi 0 0 0\nH 0 0 1e-162\n";
    std::ofstream(dir / "oh_close.in") << "basis = sto-3g\ncharge = 0\natoms = 2\nunits = bohr\nO 0 0 0\nH 1e-160 0 0\n";
    const std::string doc = R"({"molecule":{"symbols":["He","He"],"geometry":[0,0,0,0,0,5.6]REAL},"driver":"energy",)"
                            R"("model":{"method":"hf","basis":"sto-3g"}})";
    std::ofstream(dir / "he2.json") << std::regex_replace(doc, std::regex("REAL"), "");
    std::ofstream(dir / "ghost.json") << std::regex_replace(doc, std::regex("REAL"), ",\"real\":[false,false]");
    std::ofstream(dir / "deep.json") << std::string(100000, '[') + std::string(100000, ']');
    std::ofstream ne(dir / "ne30.xyz");  // 150 functions: the exact table needs 483 MiB
    ne << "30\n\n";
    for (int i = 0; i < 30; ++i) ne << "Ne " << 3 * (i % 5) << " " << 3 * (i / 5) << " 0\n";
    fs::create_directory(dir / "folder");
    fs::create_symlink("made.molden", dir / "dangling");
}

const Hostile hostile_inputs[] = {
    // Nuclei closer than 1e-4 bohr: the refusal of molecule_check (status 3).
    {"LiH 1e-162 bohr apart, DIIS", "$V --diis lih_close.in", 3, "atoms 1 \\(Li\\) and 2 \\(H\\) are 1e-162 bohr apart"},
    {"OH 1e-160 bohr apart", "$V oh_close.in", 3, "expected nuclei at least 0.0001 bohr apart"},
    {"the same in a batch: the other lines stay", "$V --batch --diis h2.in lih_close.in h2.in", 8,
     "^\\{[^\\n]*\"success\":true\\}\\n[^\\n]*\"exit_status\":3[^\\n]*\\n[^\\n]*\"success\":true\\}\\n"},
    // QCSchema input.
    {"a folder as the document", "$V --qcschema folder", 2, "cannot read QCSchema input \"folder\": it is a directory"},
    {"JSON 100,000 levels deep", "$V --qcschema deep.json | wc -c", 0, "^2[0-9]{5}\\n[\\s\\S]*nested at most 64 levels"},
    {"--qcschema=FILE", "$V --qcschema=he2.json", 0, "\"return_result\": -5.6"},
    {"a ghost atom alone: no electrons", "$V --qcschema ghost.json", 3, "has 0 electrons"},
    {"\"--\" then a file called --batch", "$V -- --batch", 0, "Total energy"},
    // Standard output on a full disk: status 2 and a line on standard error.
    {"report to /dev/full", "$V h2.in > /dev/full", 2, "cannot write standard output"},
    {"batch to /dev/full", "$V --batch h2.in > /dev/full", 2, "cannot write standard output"},
    {"QCSchema to /dev/full", "$V --qcschema he2.json > /dev/full", 2, "cannot write standard output"},
    // Files: standard output and links.
    {"--molden /dev/stdout > all.txt", "$V --molden /dev/stdout h2.in > all.txt; s=$?; cat all.txt; exit $s", 0,
     "SUMMARY[\\s\\S]*\\[Molden Format\\][\\s\\S]*Program terminated succesfully"},
    {"a dangling link as output", "$V --molden dangling h2.in >/dev/null; s=$?; test -L dangling && cat made.molden; exit $s",
     0, "^\\[Molden Format\\]"},
    // Signals during the write of a file (strace delivers them as the temporary file is set up).
    {"SIGTERM writing --json", "strace -o /dev/null -e trace=fchmod -e inject=fchmod:signal=TERM $V --json o.json h2.in",
     128 + 15, ""},
    {"SIGINT writing --molden", "strace -o /dev/null -e trace=fchmod -e inject=fchmod:signal=INT $V --molden o h2.in",
     128 + 2, ""},
};

// Address-space limits (prlimit --as).
const Hostile constrained[] = {
    {"150 MB: the run exits", "timeout 60 prlimit --as=150000000 $V h2.in", 0, "succesfully"},
    {"64 jobs in 300 MB", "timeout 60 prlimit --as=300000000 $V --batch --jobs 64 $(yes h2.in | head -64)", 0, "\"success\":true"},
    {"the limit named", "prlimit --as=400000000 $V --integrals exact ne30.xyz", 5,
     "MiB are available \\(the address-space limit, ulimit -v\\)"},
};

void check(const Hostile& c) {
    static int count = 0;
    const fs::path dir = write_temp("hostile", "") + "_" + std::to_string(count++);
    fs::remove_all(dir);
    fs::create_directories(dir);
    make_files(dir);
    const std::string run = "cd '" + dir.string() + "' && V='" + VELKO_BINARY + "' && (" + c.command + ") >out 2>err";
    const int raw = std::system(run.c_str());
    const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    const std::string said = read_text((dir / "out").string()) + read_text((dir / "err").string());
    EXPECT_EQ(status, c.status) << c.what << "\n" << said;
    EXPECT_TRUE(std::regex_search(said, std::regex(c.says))) << c.what << "\n" << said;
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_NE(e.path().filename().string()[0], '.') << c.what << ": left " << e.path();
    fs::remove_all(dir);
}

TEST(HostileInput, RefusedOrDoneWithNothingLeftBehind) {
    if (!succeeds("strace -o /dev/null true")) GTEST_SKIP() << "strace cannot trace here";
    for (const Hostile& c : hostile_inputs) check(c);
}

TEST(HostileInput, ConstrainedAddressSpace) {
    if (!limits_apply || !succeeds("prlimit --as=150000000 true")) GTEST_SKIP() << "no address-space limits here";
    for (const Hostile& c : constrained) check(c);
}

}  // namespace
