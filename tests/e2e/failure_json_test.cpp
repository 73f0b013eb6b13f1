// A run that ends with status 6 (not converged) or 7 (unstable) answers alike in the three
// JSON modes: QCSchema success false, no number in return_result (an empty object) nor in
// properties.return_energy or scf_total_energy, the last step's energy in extras.last_energy,
// and the status in error.extras (--batch, --qcschema; --json has the status of the run).
// Expected: the statuses of the README's table; the energy that of the single run's text
// report ("Total energy [Hartree]:", 7 decimals) of the same input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "run_velko.h"

namespace {

using nlohmann::json;

double reported_energy(const std::string& report) {
    const std::string key = "Total energy [Hartree]: ";
    const std::size_t at = report.find(key);
    return at == std::string::npos ? 0.0 : std::atof(report.c_str() + at + key.size());
}

std::string q(const std::string& path) { return "\"" + path + "\""; }

}  // namespace

TEST(FailureJson, AlikeInJsonBatchAndQcschema) {
    struct Case {
        const char* what;
        std::string name, xyz, options;  // an XYZ input and the options of every mode
        json keywords;                   // the same options for --qcschema
        int status;
        const char* error_type;
    } cases[] = {
        {"O2 singlet: an unstable RHF solution", "o2.xyz", "2\n\nO 0 0 0\nO 0 0 1.21\n", "", json::object(), 7,
         "unstable_solution"},
        {"water stopped at 3 steps", "water3.xyz", "3\n\nO 0 0 0\nH 0.757 0.587 0\nH -0.757 0.587 0\n",
         "--max-iterations 3", json{{"max_iterations", 3}}, 6, "convergence_error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = write_temp(c.name, c.xyz);
        const std::string json_path = write_temp(c.name + ".json", "");
        const RunResult single = run_velko(c.options + " --json " + q(json_path) + " " + q(path));
        ASSERT_EQ(single.status, c.status);
        const double energy = reported_energy(single.out);
        ASSERT_NE(energy, 0.0) << single.out;

        const RunResult batch = run_velko("--batch " + c.options + " " + q(path));
        EXPECT_EQ(batch.status, 8);
        EXPECT_NE(batch.err.find("velko: --batch: 1 of 1 input failed: " + q(path) + " (status " +
                                 std::to_string(c.status) + ")\n"),
                  std::string::npos)
            << batch.err;

        // The same molecule as QCSchema: its geometry in bohr, as read from the XYZ file.
        const json computed = json::parse(read_text(json_path));
        const json input = {{"schema_name", "qcschema_input"},
                            {"molecule", {{"symbols", computed["molecule"]["symbols"]},
                                          {"geometry", computed["molecule"]["geometry"]}}},
                            {"driver", "energy"},
                            {"model", {{"method", "hf"}, {"basis", "sto-3g"}}},
                            {"keywords", c.keywords}};
        const RunResult schema = run_velko("--qcschema " + q(write_temp(c.name + ".in.json", input.dump())));
        EXPECT_EQ(schema.status, c.status);

        const struct {
            const char* mode;
            json result;
        } answers[] = {{"--json", computed}, {"--batch", json::parse(batch.out)}, {"--qcschema", json::parse(schema.out)}};
        for (const auto& a : answers) {
            SCOPED_TRACE(a.mode);
            const json& r = a.result;
            EXPECT_EQ(r["success"], false);
            EXPECT_EQ(r["return_result"], json::object());
            EXPECT_FALSE(r["properties"].contains("return_energy"));
            EXPECT_FALSE(r["properties"].contains("scf_total_energy"));
            EXPECT_NEAR(r["extras"]["last_energy"].get<double>(), energy, 5e-8);
            EXPECT_EQ(r["error"]["error_type"], c.error_type);
            if (std::string(a.mode) != "--json") {
                EXPECT_EQ(r["error"]["extras"]["exit_status"], c.status);
            }
        }
    }
}
