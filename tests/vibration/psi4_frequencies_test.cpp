// Frequencies, IR intensities and thermochemistry against Psi4 1.3.2's frequency(): one
// table, the cases, their geometries (optimised by Psi4) and Psi4's values in
// tests/reference/psi4_frequencies/psi4_frequencies.json (the Psi4 input beside it).
// Wavenumbers to 1 cm^-1, IR intensities to 2% (0.05 km/mol for the weakest; none for the
// open shell, whose Hessian Psi4 takes by finite differences), ZPE to 1e-6 Eh, the thermal
// corrections to 1e-5 Eh.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>

#include "../reference_case.h"

#include "app/frequencies.h"
#include "report/listing.h"

namespace {

// velko's whole frequency run at Psi4's geometry, with Psi4's symmetry number for the
// thermochemistry (Psi4 takes 1 for ammonia, from its abelian subgroup Cs; velko's point
// group C3v gives 3, checked on its own).
TEST(Psi4Frequencies, AgreeWithPsi4) {
    std::ifstream in(VELKO_SOURCE_DIR "/tests/reference/psi4_frequencies/psi4_frequencies.json");
    const nlohmann::json cases = nlohmann::json::parse(in)["cases"];
    ASSERT_GE(cases.size(), 6u);
    for (const nlohmann::json& values : cases) {
        const std::string what = values["name"].get<std::string>() + " " + values["basis"].get<std::string>();
        Molecule mol = reference_molecule(values);
        Settings settings;
        settings.progress = false;
        Listing quiet(false);
        const PreparedRun run = prepare_run(mol, what);
        const Calculation calc = compute_run(run, settings, what, quiet);
        ThermoConditions conditions;
        conditions.symmetry_number = values["symmetry_number"].get<unsigned>();
        conditions.multiplicity = run.spin.multiplicity;
        const Vibrations v = compute_vibrations(run, calc, settings, conditions, 2, what);

        const std::vector<double> nu = values["frequencies"].get<std::vector<double>>();
        const std::vector<double> ir =
            values["ir_intensities"].is_null() ? std::vector<double>{} : values["ir_intensities"].get<std::vector<double>>();
        ASSERT_EQ(v.modes.count(), nu.size()) << what;
        for (std::size_t k = 0; k < nu.size(); ++k) {
            EXPECT_NEAR(v.modes.wavenumbers[k], nu[k], 1.0) << what << " mode " << k + 1;
            if (!ir.empty()) {
                EXPECT_NEAR(v.intensities[k], ir[k], std::max(0.02 * ir[k], 0.05)) << what << " mode " << k + 1;
            }
        }
        EXPECT_LT(v.largest_gradient, 1e-5) << what;
        EXPECT_NEAR(v.thermo.zero_point, values["zpe"].get<double>(), 1e-6) << what;
        EXPECT_NEAR(v.thermo.thermal_energy, values["thermal_energy_correction"].get<double>(), 1e-5) << what;
        EXPECT_NEAR(v.thermo.enthalpy, values["enthalpy_correction"].get<double>(), 1e-5) << what;
        EXPECT_NEAR(v.thermo.gibbs, values["gibbs_correction"].get<double>(), 1e-5) << what;
        EXPECT_EQ(v.group.symmetry_number, what.rfind("ammonia", 0) == 0 ? 3u : conditions.symmetry_number) << what;
    }
}

}  // namespace
