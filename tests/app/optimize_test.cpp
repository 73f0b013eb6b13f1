// Geometry optimisation against Psi4: one table, the starting geometries and Psi4's minima in
// tests/reference/psi4_optimize/psi4_optimize.json (the Psi4 input beside it). Energy to 1e-6 Eh
// and every interatomic distance to 2e-3 bohr, with the tight criteria.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>

#include "app/optimize_run.h"
#include "common/failure.h"
#include "../e2e/run_velko.h"

namespace {

std::vector<double> distances(const std::vector<double>& x) {
    std::vector<double> d;
    for (std::size_t i = 0; i < x.size(); i += 3)
        for (std::size_t j = i + 3; j < x.size(); j += 3)
            d.push_back(std::hypot(x[i] - x[j], x[i + 1] - x[j + 1], x[i + 2] - x[j + 2]));
    return d;
}

TEST(Optimize, MinimaAgreeWithPsi4) {
    std::ifstream in(VELKO_SOURCE_DIR "/tests/reference/psi4_optimize/psi4_optimize.json");
    const nlohmann::json cases = nlohmann::json::parse(in)["cases"];
    ASSERT_EQ(cases.size(), 3u);
    for (const nlohmann::json& c : cases) {
        SCOPED_TRACE(c["name"].get<std::string>());
        Molecule mol;
        mol.basis_name = c["basis"].get<std::string>();
        mol.charge = c["charge"].get<int>();
        std::vector<double> minimum;
        for (const nlohmann::json& a : c["start"])
            mol.addAtom(a[0].get<std::string>(), a[1].get<double>(), a[2].get<double>(), a[3].get<double>());
        for (const nlohmann::json& a : c["minimum"])
            for (int k = 1; k <= 3; ++k) minimum.push_back(a[k].get<double>());
        Settings settings;
        settings.progress = false;
        OptimizerSettings tight;
        tight.criteria = tight_convergence;
        const OptimizationResult r = optimize(prepare_run(mol, "optimize_test"), settings, tight, "optimize_test", nullptr);
        EXPECT_TRUE(r.trace.converged);
        EXPECT_LE(r.trace.steps.size(), 20u);
        EXPECT_NEAR(r.calculation.result.energy, c["energy"].get<double>(), 1e-6);
        EXPECT_TRUE(r.calculation.triplet.has_value()) << "the minimum has the checks of a single point";
        const std::vector<double> ours = distances(r.trace.x), theirs = distances(minimum);
        for (std::size_t k = 0; k < ours.size(); ++k) EXPECT_NEAR(ours[k], theirs[k], 2e-3) << "pair " << k;
    }
}

}  // namespace

// The command line: a step limit reached ends with status 9 after the report of the last
// geometry, and the trajectory holds one XYZ frame per geometry.
TEST(Optimize, StepLimitStatusAndTrajectory) {
    const std::string in = write_temp("optimize_far.in",
                                      "basis = sto-3g\ncharge = 0\natoms = 3\nunits = bohr\n"
                                      "O 0 0 0\nH 2.6 0 0\nH -1.545 0.414 0\n");
    const std::string xyz = in + ".xyz";
    const RunResult r = run_velko("--optimize --max-steps 2 --trajectory " + xyz + " " + in);
    EXPECT_EQ(r.status, exit_status::optimization_not_converged);
    EXPECT_NE(r.err.find("did not converge in 2 steps"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("Optimization not converged after 2 steps"), std::string::npos);
    EXPECT_NE(r.out.find("Total energy [Hartree]:"), std::string::npos);
    const std::string frames = read_text(xyz);
    EXPECT_EQ(frames.rfind("3\nstep 1  energy -74.71780504", 0), 0u) << frames;
    EXPECT_NE(frames.find("3\nstep 2  energy "), std::string::npos);
    EXPECT_EQ(run_velko("--optimize --trajectory " + in + " " + in).status, exit_status::bad_input);
}

// --qcschema with an OptimizationInput: the OptimizationResult at water's minimum (Psi4's
// energy in the table above); a keyword velko does not know is refused as a FailedOperation.
TEST(Optimize, QcschemaOptimizationInput) {
    const std::string input =
        R"({"schema_name": "qcschema_optimization_input", "keywords": {"program": "velko"%s},
            "initial_molecule": {"symbols": ["O", "H", "H"], "geometry": [0, 0, 0, 2.6, 0, 0, -1.545, 0.414, 0]},
            "input_specification": {"driver": "gradient", "model": {"method": "hf", "basis": "sto-3g"}}})";
    const auto with = [&](const std::string& keyword) {
        std::string text = input;
        return write_temp("optimization_input.json", text.replace(text.find("%s"), 2, keyword));
    };
    const RunResult ok = run_velko("--qcschema " + with(", \"convergence_set\": \"gau_tight\""));
    ASSERT_EQ(ok.status, 0) << ok.err;
    const nlohmann::json r = nlohmann::json::parse(ok.out);
    EXPECT_EQ(r["schema_name"], "qcschema_optimization_output");
    EXPECT_TRUE(r["success"].get<bool>());
    EXPECT_NEAR(r["energies"].back().get<double>(), -74.96590119229987, 1e-6);
    EXPECT_EQ(r["trajectory"].size(), r["energies"].size());
    EXPECT_EQ(r["final_molecule"]["geometry"].size(), 9u);
    const RunResult bad = run_velko("--qcschema " + with(", \"step_type\": \"nr\""));
    EXPECT_EQ(bad.status, exit_status::bad_input);
    EXPECT_NE(bad.out.find("optimization keyword \\\"step_type\\\""), std::string::npos) << bad.out;
}
