// Whole runs of the built program on its command line and its output files:
// what is refused (before the banner, with the message on standard output and,
// standard output being a pipe here, also on standard error) and what is
// accepted; files that must not be lost or half-written; the memory refusal of
// a large molecule before its geometry block.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "run_velko.h"

namespace fs = std::filesystem;

namespace {

std::string q(const std::string& path) { return "\"" + path + "\""; }

// A fresh folder under the temp directory, removed at the end of the test.
struct Scratch {
    fs::path dir;
    Scratch() {
        const char* t = std::getenv("TMPDIR");
        std::string templ = std::string(t != nullptr ? t : "/tmp") + "/velko_cli_XXXXXX";
        if (::mkdtemp(templ.data()) != nullptr) dir = templ;
    }
    ~Scratch() { fs::remove_all(dir); }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    std::string put(const std::string& name, const std::string& text) const {
        const std::string p = path(name);
        std::FILE* f = std::fopen(p.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        return p;
    }
    std::vector<std::string> names() const {
        std::vector<std::string> n;
        for (const auto& e : fs::directory_iterator(dir)) n.push_back(e.path().filename().string());
        std::sort(n.begin(), n.end());
        return n;
    }
};

const std::string h2_text = read_text(source_path("examples/h2.in"));

}  // namespace

TEST(CommandLineRun, RefusalsAndAcceptances) {
    Scratch s;
    const std::string h2 = s.put("h2.in", h2_text);
    const std::string h2_energy = "Total energy [Hartree]: -1.11671432";
    struct Case {
        std::string args;
        int status;
        std::string out_fragment;  // in standard output
        std::string err_fragment;  // in standard error; for a refusal, the same message as on standard output
    };
    // The parser's every refusal is tabled in tests/app/options_test.cpp; here
    // a few of them, and those that need the files, as whole runs.
    const Case refused[] = {
        {"--jsn " + q(s.path("o.json")) + " " + q(h2), 2, "unknown option \"--jsn\"; the options are -m, --basis", ""},
        {q(h2) + " " + q(h2), 2, "one input file per run, found 2", ""},
        {"-m", 2, "no input file", ""},
        {"--max-iterations=many " + q(h2), 2, "--max-iterations expects a positive whole number, found \"many\"", ""},
        {"--json " + q(h2) + " " + q(h2), 2, "--json names the input file " + q(h2), ""},
        {"--molden " + q(s.dir.string() + "/./h2.in") + " " + q(h2), 2, "--molden names the input file", ""},
        {"--molden " + q(s.path("x")) + " --json=" + q(s.dir.string() + "/sub/../x") + " " + q(h2), 2,
         "--molden and --json name the same file", ""},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.args);
        const RunResult r = run_velko(c.args);
        EXPECT_EQ(r.status, c.status);
        // Nothing but the one message: no banner, nothing computed.
        EXPECT_EQ(r.out.rfind("Error on the command line: ", 0), 0u) << r.out;
        EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << r.out;
        EXPECT_NE(r.out.find(c.out_fragment), std::string::npos) << r.out;
        EXPECT_EQ(r.err, r.out);
    }
    EXPECT_EQ(read_text(h2), h2_text);  // the input named as output is untouched
    EXPECT_EQ(s.names(), std::vector<std::string>{"h2.in"});

    const Case accepted[] = {
        {q(h2) + " --diis", 0, "Total energy [Hartree]: -1.116714", ""},
        {"-m " + q(h2), 0, "LIST INPUT", ""},
        {q(h2) + " -m", 0, "LIST INPUT", ""},
        {"--max-iterations=200 " + q(h2), 0, h2_energy, ""},
        {"--json=" + q(s.path("h2.json")) + " " + q(h2), 0, h2_energy, ""},
        {"-- " + q(h2), 0, h2_energy, ""},
        {"--charge 0 " + q(h2), 0, h2_energy, "--charge applies to XYZ input only; " + h2},
        {"--basis sto-6g " + q(h2), 0, h2_energy, "--basis applies to XYZ input only"},
        {"--version", 0, "velko 1.4.1\ncompiler: ", ""},
        {"-h", 0, "Usage: ", ""},
        {q(h2) + " --bogus --help", 0, "--json FILE", ""},
        // A triplet is computed with unrestricted Hartree-Fock.
        {"--multiplicity=3 " + q(h2), 0, "Multiplicity: 3\n", ""},
        {"--multiplicity=2 " + q(h2), 2, "multiplicity 2 is impossible for 2 electrons",
         "multiplicity 2 is impossible for 2 electrons"},
        {"--multiplicity 1 " + q(h2), 0, h2_energy, ""},
    };
    for (const Case& c : accepted) {
        SCOPED_TRACE(c.args);
        const RunResult r = run_velko(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.out.find(c.out_fragment), std::string::npos) << r.out;
        if (c.err_fragment.empty()) {
            EXPECT_EQ(r.err, "");
        } else {
            EXPECT_NE(r.err.find(c.err_fragment), std::string::npos) << r.err;
        }
    }
    EXPECT_NE(read_text(s.path("h2.json")).find("\"scf_total_energy\""), std::string::npos);
}

TEST(CommandLineRun, OutputFilesAreReplacedWholeOrNotAtAll) {
    Scratch s;
    const std::string h2 = s.put("h2.in", h2_text);
    const std::string clash = s.put("hh.in", "basis = sto-3g\ncharge = 0\natoms = 2\nunits = bohr\nH 0 0 0\nH 0 0 0\n");
    const std::string earlier(100000, '#');  // longer than the new file: no tail may survive
    const std::string json = s.put("out.json", earlier);
    const std::string molden = s.put("out.molden", earlier);

    // A refused molecule leaves both earlier files as they were.
    RunResult r = run_velko("--json " + q(json) + " --molden " + q(molden) + " " + q(clash));
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(read_text(json), earlier);
    EXPECT_EQ(read_text(molden), earlier);

    // A successful run replaces them whole.
    r = run_velko("--json " + q(json) + " --molden " + q(molden) + " " + q(h2));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read_text(json).find('#'), std::string::npos);
    EXPECT_EQ(read_text(json).back(), '\n');
    EXPECT_EQ(read_text(molden).rfind("[Molden Format]\n", 0), 0u);
    EXPECT_EQ(read_text(molden).find('#'), std::string::npos);
    // No temporary file is left beside them.
    EXPECT_EQ(s.names(), (std::vector<std::string>{"h2.in", "hh.in", "out.json", "out.molden"}));
}

TEST(CommandLineRun, UnconvergedRunThatCannotWriteItsFileReportsBoth) {
    Scratch s;
    const std::string h2 = s.put("h2.in", h2_text);
    struct Case {
        const char* what;
        std::string args;
        bool converged;
    };
    const Case cases[] = {
        {"unconverged", "--max-iterations 2 --json /dev/full " + q(h2), false},
        {"converged", "--json /dev/full " + q(h2), true},
        {"unconverged, missing folder", "--max-iterations=2 --molden " + q(s.path("no/such.molden")) + " " + q(h2), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RunResult r = run_velko(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.out.find("Error: cannot write "), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("Program terminated"), std::string::npos);
        EXPECT_NE(r.err.find("Error: cannot write "), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("the SCF did not converge in 2 iterations") != std::string::npos, !c.converged)
            << r.err;
    }
}

TEST(CommandLineRun, LargeMoleculeRefusedForMemoryBeforeItsGeometry) {
    // 100,000 helium atoms (one function each) 2 bohr apart on a line: 100,012
    // matrices of 100,000^2 doubles (12 for the engine, one attraction matrix per
    // atom), 8.00096e15 bytes = 7.63031e+09 MiB, before any integral.
    Scratch s;
    std::string text = "basis = sto-3g\ncharge = 0\natoms = 100000\nunits = bohr\n";
    for (int i = 0; i < 100000; ++i) text += "He 0 0 " + std::to_string(2 * i) + "\n";
    const std::string big = s.put("big.in", text);
    const RunResult r = run_velko(q(big));
    EXPECT_EQ(r.status, 5);
    EXPECT_EQ(r.out.find("GEOMETRY"), std::string::npos);
    EXPECT_NE(r.out.find("input file " + q(big) + ": the 100000 x 100000 matrices of the run alone need 7.63031e+09 MiB"),
              std::string::npos)
        << r.out.substr(r.out.size() > 400 ? r.out.size() - 400 : 0);
    EXPECT_NE(r.err.find("not enough memory"), std::string::npos);
}

TEST(CommandLineRun, ChargeOptionGivesAnXyzMoleculeItsCharge) {
    // HeH+ at 1.4632 bohr = 0.774292095018 angstrom: Psi4 -2.8418364993 Hartree
    // (tests/e2e/reference/heh_cation.dat, its velko input beside it).
    Scratch s;
    const std::string heh = s.put("heh.xyz", "2\ncharge=0\nHe 0 0 0\nH 0 0 0.774292095018\n");
    struct Case {
        std::string options;
        int status;
        double energy;  // 0: not compared
        const char* fragment;
    };
    const Case cases[] = {
        {"--charge 1", 0, -2.8418364993, "Molecular charge: +1"},  // in place of the comment's charge=0
        {"--charge=+1 --multiplicity=1", 0, -2.8418364993, "Molecular charge: +1"},
        {"--charge 3", 3, 0.0, "0 electrons; expected a charge that leaves at least one electron"},
        {"--charge=1 --multiplicity 3", 0, 0.0, "Multiplicity: 3\n"},  // the triplet of HeH+
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        const RunResult r = run_velko(c.options + " " + q(heh));
        EXPECT_EQ(r.status, c.status) << r.out;
        EXPECT_NE(r.out.find(c.fragment), std::string::npos) << r.out;
        if (c.energy != 0.0) {
            const std::size_t at = r.out.find("Total energy [Hartree]: ");
            ASSERT_NE(at, std::string::npos);
            EXPECT_NEAR(std::stod(r.out.substr(at + 24)), c.energy, 1e-8 * std::fabs(c.energy));
        }
    }
}
