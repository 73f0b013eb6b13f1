// Many molecules through the built program: --batch, --qcschema, the QCEngine
// harness and the dataset example. Energies are compared with velko's own text
// report of the same input (same geometry, --diis on both sides, converged far
// below the report's ten printed digits); QCSchema validity is judged by
// qcelemental and qcengine (Debian python3-qcelemental, python3-qcengine,
// python3-distributed), and the tests that need them skip when they are absent.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "run_velko.h"

namespace {

const char* const system_python = "/usr/bin/python3";

bool python_has(const std::string& module) {
    return std::system((std::string(system_python) + " -c 'import " + module + "' >/dev/null 2>&1").c_str()) == 0;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The total energy of the text report of an example input, computed with --diis,
// and half a unit of its last printed digit (the report prints ten significant digits).
struct Printed {
    double value = NAN;
    double half_unit = 0.0;
};
Printed report_energy(const std::string& example) {
    const std::string input = example == "h2o_cation" ? "tests/scf/reference/uhf/h2o_cation.in" : "examples/" + example + ".in";
    const RunResult r = run_velko("--diis \"" + source_path(input) + "\"");
    std::smatch m;
    static const std::regex energy("Total energy \\[Hartree\\]: (-?[0-9]+\\.([0-9]+))");
    if (r.status != 0 || !std::regex_search(r.out, m, energy)) return {};
    return {std::stod(m[1]), 0.5 * std::pow(10.0, -static_cast<double>(m[2].length()))};
}

// JSON energy against the printed one: within the printing's rounding (plus 1e-10
// for the two converged runs).
void expect_as_printed(double json_energy, const std::string& example) {
    const Printed p = report_energy(example);
    EXPECT_NEAR(json_energy, p.value, p.half_unit + 1e-10) << example;
}

struct Checked {
    std::string name;
    std::string success;
    std::string value;  // energy, or error_type
    std::string status;
};

// Lines "<name> <success> <energy or error_type> <status>" of qcschema_tools.py.
std::map<std::string, Checked> run_tool(const std::string& mode, const std::string& arg, std::string& raw) {
    raw = command_output(std::string(system_python) + " \"" + source_path("tests/e2e/qcschema_tools.py") + "\" " +
                         mode + " \"" + arg + "\" 2>&1");
    std::map<std::string, Checked> rows;
    for (const std::string& line : lines_of(raw)) {
        std::istringstream in(line);
        Checked c;
        if (in >> c.name >> c.success >> c.value >> c.status) rows[c.name] = c;
    }
    return rows;
}

const char* const computed[] = {"water", "water_sto6g", "hf", "neon", "h2o_cation"};

// The rows qcschema_tools.py prints for its molecules, whichever way they were computed.
void expect_molecule_rows(const std::map<std::string, Checked>& rows, const std::string& raw) {
    for (const char* name : computed) {
        SCOPED_TRACE(name);
        ASSERT_EQ(rows.count(name), 1u) << raw;
        EXPECT_EQ(rows.at(name).success, "True");
        expect_as_printed(std::stod(rows.at(name).value), name);
    }
    ASSERT_EQ(rows.count("water_gradient"), 1u) << raw;
    EXPECT_EQ(rows.at("water_gradient").success + " " + rows.at("water_gradient").value, "True 3");
    for (const char* name : {"mp2", "rubidium_hydride", "properties"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(rows.count(name), 1u) << raw;
        EXPECT_EQ(rows.at(name).success, "False");
        EXPECT_EQ(rows.at(name).value, "input_error");
        EXPECT_EQ(rows.at(name).status, "2");
    }
}

}  // namespace

TEST(BatchMode, OneValidLinePerInputInOrderAndTheStatusTellsOfFailures) {
    const std::string bad = write_temp("batch_bad.in", "basis = sto-3g\ncharge = 0\natoms = 2\nunits = bohr\nH 0 0 0\n");
    const std::vector<std::string> inputs = {source_path("examples/water.in"), bad, source_path("examples/hf.in"),
                                             source_path("examples/neon.in"), source_path("examples/water_sto6g.in")};
    std::string args = "--batch --jobs 2 --diis";
    for (const std::string& f : inputs) args += " \"" + f + "\"";
    const RunResult r = run_velko(args);
    EXPECT_EQ(r.status, 8);
    // No progress line (standard error is not a terminal), only the summary.
    EXPECT_EQ(r.err, "velko: --batch: 1 of 5 inputs failed: \"" + bad + "\" (status 2)\n");
    const std::vector<std::string> lines = lines_of(r.out);
    ASSERT_EQ(lines.size(), inputs.size()) << r.out;
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        EXPECT_EQ(lines[k].front(), '{');
        EXPECT_NE(lines[k].find("\"input_file\":\"" + inputs[k] + "\""), std::string::npos) << lines[k];
    }
    EXPECT_NE(lines[1].find("\"success\":false"), std::string::npos);
    EXPECT_NE(lines[1].find("line 6: expected atom 2 of 2"), std::string::npos) << lines[1];

    // All good: status 0.
    const RunResult ok = run_velko("--batch \"" + source_path("examples/h2.in") + "\" \"" +
                                   source_path("examples/lih.in") + "\"");
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(lines_of(ok.out).size(), 2u);

    if (!python_has("qcelemental")) GTEST_SKIP() << "python3-qcelemental absent";
    const std::string file = write_temp("batch.jsonl", r.out);
    std::string raw;
    const std::map<std::string, Checked> rows = run_tool("validate", file, raw);
    ASSERT_EQ(rows.size(), inputs.size()) << raw;
    const char* examples[] = {"water", nullptr, "hf", "neon", "water_sto6g"};
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        const Checked& c = rows.at(std::to_string(k) + ":" + inputs[k]);
        if (examples[k] == nullptr) {
            EXPECT_EQ(c.success, "False");
            EXPECT_EQ(c.value, "input_error");
            EXPECT_EQ(c.status, "2");
        } else {
            EXPECT_EQ(c.success, "True");
            expect_as_printed(std::stod(c.value), examples[k]);
        }
    }
}

TEST(BatchMode, BadCommandLineGoesToStandardError) {
    const RunResult r = run_velko("--batch --jobs 0 \"" + source_path("examples/h2.in") + "\"");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("--jobs expects a whole number"), std::string::npos) << r.err;
}

TEST(QcschemaMode, RoundTripValidatedByQcelemental) {
    if (!python_has("qcelemental")) GTEST_SKIP() << "python3-qcelemental absent";
    std::string raw;
    expect_molecule_rows(run_tool("roundtrip", VELKO_BINARY, raw), raw);
}

TEST(QcschemaMode, UnreadableFileIsAFailedOperation) {
    const RunResult r = run_velko("--qcschema /nonexistent/job.json");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("\"success\": false"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("cannot read QCSchema input \\\"/nonexistent/job.json\\\""), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("cannot read"), std::string::npos);
}

TEST(QcengineHarness, ComputesThroughQcengine) {
    if (!python_has("qcengine")) GTEST_SKIP() << "python3-qcengine absent";
    std::string raw;
    expect_molecule_rows(run_tool("harness", VELKO_BINARY, raw), raw);
}

// Driver "hessian" through the harness: a symmetric 9 x 9 Hessian and the frequencies of
// --frequencies on the same water.
TEST(QcengineHarness, HessianOfWater) {
    if (!python_has("qcengine")) GTEST_SKIP() << "python3-qcengine absent";
    std::string raw;
    run_tool("hessian", VELKO_BINARY, raw);
    std::istringstream in(raw);
    std::string key, success;
    int rows = 0, cols = 0;
    double asymmetry = 1.0;
    std::vector<double> frequencies(3, 0.0);
    in >> key >> success >> rows >> cols >> asymmetry >> frequencies[0] >> frequencies[1] >> frequencies[2];
    ASSERT_EQ(key + success, "hessianTrue") << raw;
    EXPECT_EQ(rows * 100 + cols, 909);
    EXPECT_LT(asymmetry, 1e-12);
    const RunResult cli = run_velko("--frequencies \"" + source_path("examples/water.in") + "\"");
    for (double f : frequencies) {
        char row[40];
        std::snprintf(row, sizeof row, "|%10.2f|", f);
        EXPECT_NE(cli.out.find(row), std::string::npos) << row << "\n" << cli.out;
    }
}

TEST(DatasetExample, BatchAndDaskAgreeOnASubset) {
    if (!python_has("qcengine") || !python_has("distributed")) GTEST_SKIP() << "python3-qcengine or python3-distributed absent";
    const std::string work = write_temp("dataset_dir", "");
    std::remove(work.c_str());
    const std::string out = command_output(std::string(system_python) + " \"" +
                                           source_path("examples/dataset/run_dataset.py") + "\" --velko \"" +
                                           VELKO_BINARY + "\" --limit 12 --workdir \"" + work + "\" 2>&1");
    EXPECT_NE(out.find("12 molecules: batch and dask agree"), std::string::npos) << out;
}
