// Batch mode: its command line, and the lines of many inputs computed one after
// the other or on several threads. Energies: Psi4 1.3.2 for the example
// geometries (tests/e2e/energies_test.cpp); H2 at 1.4 bohr in STO-3G is
// Szabo and Ostlund's -1.1167 Hartree (section 3.5.2).
#include "app/batch.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <optional>
#include <string>
#include <vector>

#include "common/failure.h"

using nlohmann::json;

namespace {

std::string example(const std::string& name) { return std::string(VELKO_SOURCE_DIR) + "/examples/" + name; }

}  // namespace

TEST(BatchCommand, ReadsOptionsAndFiles) {
    const struct {
        std::vector<std::string> args;
        unsigned jobs;
        std::vector<std::string> files;
        std::optional<bool> diis;  // unset: the basis's default loop
        unsigned max_iterations;
        std::string basis;
    } table[] = {
        {{"--batch", "a.in", "b.xyz"}, 1, {"a.in", "b.xyz"}, {}, 0, ""},
        {{"a.in", "--batch", "--plain", "--jobs", "2", "b.in"}, 2, {"a.in", "b.in"}, false, 0, ""},
        {{"--batch", "--jobs=3", "--diis", "--max-iterations=40", "a.in"}, 3, {"a.in"}, true, 40, ""},
        {{"--batch", "--basis", "sto-6g", "x.xyz", "-"}, 1, {"x.xyz", "-"}, {}, 0, "sto-6g"},
    };
    for (const auto& row : table) {
        const BatchCommand cmd = parse_batch_command(row.args);
        EXPECT_EQ(cmd.jobs, row.jobs);
        EXPECT_EQ(cmd.files, row.files);
        EXPECT_EQ(cmd.options.diis, row.diis);
        EXPECT_EQ(cmd.options.max_iterations, row.max_iterations);
        EXPECT_EQ(cmd.options.basis_name, row.basis);
    }
}

TEST(BatchCommand, RefusesWhatItCannotDo) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } table[] = {
        {{"--batch"}, "one or more input files"},
        {{"--batch", "--jobs", "0", "a.in"}, "--jobs expects a whole number from 1 to 256, found \"0\""},
        {{"--batch", "--jobs", "2x", "a.in"}, "found \"2x\""},
        {{"--batch", "--jobs=257", "a.in"}, "found \"257\""},
        {{"--batch", "a.in", "--jobs"}, "--jobs expects a value"},
        {{"--batch", "-m", "a.in"}, "-m cannot be used with --batch"},
        {{"--batch", "--molden", "x.molden", "a.in"}, "--molden cannot be used with --batch"},
        {{"--batch", "--json=x.json", "a.in"}, "--json cannot be used with --batch"},
        {{"--batch", "--frobnicate", "a.in"}, "unknown option \"--frobnicate\""},
        {{"--batch", "--diis=yes", "a.in"}, "--diis takes no value"},
        {{"--batch", "--integrals", "slow", "a.in"}, "--integrals expects auto, exact or fast"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.message);
        try {
            parse_batch_command(row.args);
            ADD_FAILURE() << "accepted";
        } catch (const Failure& f) {
            EXPECT_EQ(f.status, exit_status::bad_input);
            EXPECT_NE(f.message.find(row.message), std::string::npos) << f.message;
        }
    }
}

TEST(BatchRun, LinesKeepTheInputOrderWithOneThreadOrThree) {
    const std::vector<std::string> files = {example("water.in"), example("missing.in"), example("h2.in"),
                                            example("neon.in"),  example("hf.in"),      example("water_sto6g.in")};
    const struct {
        const char* file;
        bool success;
        double energy;
    } expected[] = {{"water.in", true, -74.9628554885},   {"missing.in", false, 0.0},
                    {"h2.in", true, -1.1167143},          {"neon.in", true, -126.6045249968},
                    {"hf.in", true, -98.5707799860},      {"water_sto6g.in", true, -75.6785890904}};
    Options options;
    options.diis = true;
    for (unsigned jobs : {1u, 3u}) {
        SCOPED_TRACE(jobs);
        std::ostringstream out;
        std::vector<std::size_t> written;
        const std::size_t failures =
            run_batch(files, options, jobs, out, [&written](std::size_t k) { written.push_back(k); });
        EXPECT_EQ(failures, 1u);
        EXPECT_EQ(written, (std::vector<std::size_t>{1, 2, 3, 4, 5, 6}));
        std::istringstream lines(out.str());
        std::string line;
        std::size_t k = 0;
        while (std::getline(lines, line)) {
            ASSERT_LT(k, files.size());
            const json j = json::parse(line);
            EXPECT_EQ(j["extras"]["input_file"], files[k]);
            EXPECT_EQ(j["success"], expected[k].success);
            if (expected[k].success)
                EXPECT_NEAR(j["return_result"].get<double>(), expected[k].energy, 2e-6) << expected[k].file;
            else
                EXPECT_EQ(j["error"]["extras"]["exit_status"], exit_status::bad_input);
            ++k;
        }
        EXPECT_EQ(k, files.size());
    }
}

TEST(BatchRun, FailuresAreLinesOfTheirOwn) {
    // A multiplicity the electron count cannot have, a malformed line, and an SCF stopped at its limit.
    const std::string dir = ::testing::TempDir();
    const std::string odd = dir + "/batch_odd.xyz", bad = dir + "/batch_bad.in";
    {
        std::ofstream(odd) << "1\nmultiplicity=1\nH 0 0 0\n";
        std::ofstream(bad) << "basis = sto-3g\ncharge = 0\natoms = 1\nunits = bohr\nHe 0 0 zero\n";
    }
    Options limited;
    limited.max_iterations = 2;
    const struct {
        std::string file;
        Options options;
        int status;
        const char* message;
    } table[] = {{odd, Options{}, exit_status::bad_input, "multiplicity 1 is impossible for 1 electron"},
                 {bad, Options{}, exit_status::bad_input, "line 5"},
                 {example("water.in"), limited, exit_status::not_converged, "did not converge in 2"}};
    for (const auto& row : table) {
        const json j = batch_result(row.file, row.options);
        EXPECT_EQ(j["success"], false) << row.file;
        EXPECT_EQ(j["extras"]["input_file"], row.file);
        EXPECT_EQ(j["error"]["extras"]["exit_status"], row.status) << row.file;
        EXPECT_NE(j["error"]["error_message"].get<std::string>().find(row.message), std::string::npos)
            << j["error"]["error_message"];
    }
}

TEST(BatchRun, JsonTextReplacesBytesThatAreNotUtf8) {
    // A path or a quoted input line may hold any bytes; the line must still be JSON.
    const json j = {{"error_message", std::string("found \"\xff\xfe\"")}};
    const std::string text = json_text(j);
    EXPECT_NO_THROW(json::parse(text));
    EXPECT_NE(text.find("\xef\xbf\xbd"), std::string::npos);  // U+FFFD
}
