// Analytic SCF gradients against Psi4's: one table, the cases, their inputs and Psi4's
// values in tests/reference/psi4_gradient/psi4_gradients.json (the Psi4 input beside it).
// Built-in STO-3G, Cartesian and pure d and f, Na-Kr, ions, RHF and UHF; 1e-6 Eh/bohr.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "../reference_case.h"

#include "app/prepare.h"
#include "app/run.h"
#include "gradient/scf_gradient.h"
#include "report/listing.h"

namespace {

TEST(Psi4Gradients, GradientsAgreeWithPsi4) {
    std::ifstream in(VELKO_SOURCE_DIR "/tests/reference/psi4_gradient/psi4_gradients.json");
    const nlohmann::json cases = nlohmann::json::parse(in)["cases"];
    ASSERT_GE(cases.size(), 10u);
    for (const nlohmann::json& c : cases) {
        const std::string what = c["name"].get<std::string>() + " " + c["basis"].get<std::string>();
        Molecule mol = reference_molecule(c);
        Settings settings;
        settings.progress = false;
        Listing quiet(false);
        const Calculation calc = compute_run(prepare_run(mol, what), settings, what, quiet);
        EXPECT_NEAR(calc.result.energy, c["energy"].get<double>(), 1e-6) << what;
        const std::vector<Vec3> g = scf_gradient(calc, 2);
        ASSERT_EQ(g.size(), c["gradient"].size()) << what;
        for (std::size_t a = 0; a < g.size(); ++a) {
            const double mine[3] = {g[a].x, g[a].y, g[a].z};
            for (std::size_t k = 0; k < 3; ++k)
                EXPECT_NEAR(mine[k], c["gradient"][a][k].get<double>(), 1e-6) << what << " atom " << a << " axis " << k;
        }
    }
}

}  // namespace
