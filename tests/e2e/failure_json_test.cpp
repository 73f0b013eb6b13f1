// Status 6 (not converged) and 7 (unstable) answer alike in --json, --batch and --qcschema:
// success false, return_result an empty object, no return_energy or scf_total_energy, the
// last step's energy in extras.last_energy. Expected: the README's statuses, and the energy
// of the single run's text report (7 decimals); --batch ends with its summary line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "run_velko.h"

TEST(FailureJson, AlikeInJsonBatchAndQcschema) {
    using nlohmann::json;
    const struct {
        std::string name, xyz, options;
        json keywords;  // the options as QCSchema keywords
        int status;
        const char* error_type;
    } cases[] = {
        {"o2.xyz", "2\n\nO 0 0 0\nO 0 0 1.21\n", "", json::object(), 7, "unstable_solution"},
        {"water3.xyz", "3\n\nO 0 0 0\nH 0.757 0.587 0\nH -0.757 0.587 0\n", "--max-iterations 3",
         {{"max_iterations", 3}}, 6, "convergence_error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = "\"" + write_temp(c.name, c.xyz) + "\"", out = write_temp(c.name + ".json", "");
        const RunResult single = run_velko(c.options + " --json \"" + out + "\" " + path);
        ASSERT_EQ(single.status, c.status);
        const std::size_t at = single.out.find("Total energy [Hartree]: ");
        ASSERT_NE(at, std::string::npos);
        const double energy = std::atof(single.out.c_str() + at + 24);

        const RunResult batch = run_velko("--batch " + c.options + " " + path);
        EXPECT_EQ(batch.status, 8);
        EXPECT_EQ(batch.err, "velko: --batch: 1 of 1 input failed: " + path + " (status " + std::to_string(c.status) + ")\n");

        const json by_json = json::parse(read_text(out));
        const json input = {{"molecule", {{"symbols", by_json["molecule"]["symbols"]}, {"geometry", by_json["molecule"]["geometry"]}}},
                            {"driver", "energy"}, {"model", {{"method", "hf"}, {"basis", "sto-3g"}}}, {"keywords", c.keywords}};
        const RunResult schema = run_velko("--qcschema \"" + write_temp(c.name + ".in.json", input.dump()) + "\"");
        EXPECT_EQ(schema.status, c.status);

        for (const json& r : {by_json, json::parse(batch.out), json::parse(schema.out)}) {
            EXPECT_EQ(r["success"], false);
            EXPECT_EQ(r["return_result"], json::object());
            EXPECT_FALSE(r["properties"].contains("return_energy") || r["properties"].contains("scf_total_energy"));
            EXPECT_NEAR(r["extras"]["last_energy"].get<double>(), energy, 5e-8);
            EXPECT_EQ(r["error"]["error_type"], c.error_type);
        }
        EXPECT_EQ(json::parse(batch.out)["error"]["extras"]["exit_status"], c.status);
        EXPECT_EQ(json::parse(schema.out)["error"]["extras"]["exit_status"], c.status);
    }
}
