// --gradient on the built program: the GRADIENT block after an otherwise unchanged report,
// the same numbers in the --json result (driver "gradient"), in the AtomicResult of a
// QCSchema input of driver "gradient" and in a --batch line. The values themselves are
// checked against Psi4 in tests/gradient.
#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "run_velko.h"

namespace {

using nlohmann::json;

const std::string block_start =
    "          ***********************\n"
    "          *                     *\n"
    "          *      GRADIENT       *\n";
const std::string completion = "          ***********************\nProgram terminated";
const std::string head =
    "Nuclear gradient dE/dR [Hartree/bohr]\n"
    "|----------|----------------|----------------|----------------|\n"
    "|      Atom|               X|               Y|               Z|\n"
    "|----------|----------------|----------------|----------------|\n";

std::string quoted_path(const char* relative) { return "\"" + source_path(relative) + "\""; }

// The rows of x, y, z of the block's table.
std::vector<std::array<double, 3>> block_rows(const std::string& out) {
    std::vector<std::array<double, 3>> rows;
    std::istringstream in(out.substr(out.find(head) + head.size()));
    std::string line;
    char atom[16];
    std::array<double, 3> g{};
    while (std::getline(in, line) && std::sscanf(line.c_str(), "|%15[^|]|%lf|%lf|%lf|", atom, &g[0], &g[1], &g[2]) == 4)
        rows.push_back(g);
    return rows;
}

void expect_same_gradient(const json& rows, const std::vector<std::array<double, 3>>& printed, const std::string& what) {
    ASSERT_EQ(rows.size(), printed.size()) << what;
    for (std::size_t a = 0; a < printed.size(); ++a)
        for (std::size_t k = 0; k < 3; ++k) EXPECT_NEAR(rows[a][k].get<double>(), printed[a][k], 6e-11) << what;
}

}  // namespace

TEST(GradientOption, BlockJsonQcschemaAndBatchAgree) {
    const std::string json_path = write_temp("gradient.json", "");
    const RunResult plain = run_velko(quoted_path("examples/water.in"));
    const RunResult r = run_velko("--gradient --json \"" + json_path + "\" " + quoted_path("examples/water.in"));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::size_t from = r.out.find(block_start), to = r.out.find(completion);
    ASSERT_TRUE(from != std::string::npos && to > from) << r.out;
    EXPECT_EQ(mask_report(r.out.substr(0, from) + r.out.substr(to)), mask_report(plain.out));
    ASSERT_NE(r.out.find(head), std::string::npos) << r.out;
    const std::vector<std::array<double, 3>> printed = block_rows(r.out);
    ASSERT_EQ(printed.size(), 3u) << r.out;
    EXPECT_GT(std::fabs(printed[0][1]), 1e-3);  // water of the example is off its minimum

    const json result = json::parse(read_text(json_path));
    EXPECT_EQ(result["driver"], "gradient");
    expect_same_gradient(result["return_result"], printed, "--json");
    expect_same_gradient(result["properties"]["return_gradient"], printed, "--json properties");

    json input = {{"schema_name", "qcschema_input"},
                  {"molecule", {{"symbols", result["molecule"]["symbols"]}, {"geometry", result["molecule"]["geometry"]}}},
                  {"driver", "gradient"},
                  {"model", {{"method", "hf"}, {"basis", "sto-3g"}}}};
    const RunResult q = run_velko("--qcschema \"" + write_temp("gradient_input.json", input.dump()) + "\"");
    ASSERT_EQ(q.status, 0) << q.err;
    expect_same_gradient(json::parse(q.out)["return_result"], printed, "--qcschema");

    const RunResult b = run_velko("--batch --gradient " + quoted_path("examples/water.in"));
    ASSERT_EQ(b.status, 0) << b.err;
    expect_same_gradient(json::parse(b.out)["return_result"], printed, "--batch");
}
