// Frequencies, IR intensities and thermochemistry against Psi4 1.3.2's frequency(): one
// table, the cases, their geometries (optimised by Psi4) and Psi4's values in
// tests/reference/psi4_frequencies/psi4_frequencies.json (the Psi4 input beside it).
// Wavenumbers to 1 cm^-1, IR intensities to 2% (0.05 km/mol for the weakest), ZPE to
// 1e-6 Eh, the thermal corrections to 1e-5 Eh.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>

#include "app/frequencies.h"
#include "report/listing.h"

namespace {

struct Psi4Case {
    std::string what;
    nlohmann::json values;
};

std::vector<Psi4Case> psi4_cases() {
    std::ifstream in(VELKO_SOURCE_DIR "/tests/reference/psi4_frequencies/psi4_frequencies.json");
    const nlohmann::json file = nlohmann::json::parse(in);
    std::vector<Psi4Case> cases;
    for (const nlohmann::json& c : file["cases"]) {
        cases.push_back({c["name"].get<std::string>() + " " + c["basis"].get<std::string>(), c});
    }
    return cases;
}

// velko's whole frequency run at Psi4's geometry, with Psi4's symmetry number for the
// thermochemistry (Psi4 takes 1 for ammonia, from its abelian subgroup Cs; velko's point
// group C3v gives 3, checked on its own).
TEST(Psi4Frequencies, AgreeWithPsi4) {
    const std::vector<Psi4Case> cases = psi4_cases();
    ASSERT_GE(cases.size(), 6u);
    for (const Psi4Case& c : cases) {
        Molecule mol;
        mol.basis_name = c.values["basis"].get<std::string>();
        mol.pure = c.values["pure"].get<bool>();
        for (const nlohmann::json& a : c.values["atoms"])
            mol.addAtom(a[0].get<std::string>(), a[1].get<double>(), a[2].get<double>(), a[3].get<double>());
        Settings settings;
        settings.progress = false;
        Listing quiet(false);
        const PreparedRun run = prepare_run(mol, c.what);
        const Calculation calc = compute_run(run, settings, c.what, quiet);
        ThermoConditions conditions;
        conditions.symmetry_number = c.values["symmetry_number"].get<unsigned>();
        const Vibrations v = compute_vibrations(run, calc, settings, conditions, 2, c.what);

        const std::vector<double> nu = c.values["frequencies"].get<std::vector<double>>();
        const std::vector<double> ir = c.values["ir_intensities"].get<std::vector<double>>();
        ASSERT_EQ(v.modes.count(), nu.size()) << c.what;
        for (std::size_t k = 0; k < nu.size(); ++k) {
            EXPECT_NEAR(v.modes.wavenumbers[k], nu[k], 1.0) << c.what << " mode " << k + 1;
            EXPECT_NEAR(v.intensities[k], ir[k], std::max(0.02 * ir[k], 0.05)) << c.what << " mode " << k + 1;
        }
        EXPECT_LT(v.largest_gradient, 1e-5) << c.what;
        EXPECT_NEAR(v.thermo.zero_point, c.values["zpe"].get<double>(), 1e-6) << c.what;
        EXPECT_NEAR(v.thermo.thermal_energy, c.values["thermal_energy_correction"].get<double>(), 1e-5) << c.what;
        EXPECT_NEAR(v.thermo.enthalpy, c.values["enthalpy_correction"].get<double>(), 1e-5) << c.what;
        EXPECT_NEAR(v.thermo.gibbs, c.values["gibbs_correction"].get<double>(), 1e-5) << c.what;
        EXPECT_EQ(v.group.symmetry_number, c.what.rfind("ammonia", 0) == 0 ? 3u : conditions.symmetry_number) << c.what;
    }
}

}  // namespace
