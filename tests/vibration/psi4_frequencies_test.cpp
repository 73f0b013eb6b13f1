// Frequencies, IR intensities and thermochemistry against Psi4 1.3.2's frequency(): one
// table, the cases, their geometries (optimised by Psi4) and Psi4's values in
// tests/reference/psi4_frequencies/psi4_frequencies.json (the Psi4 input beside it).
// Wavenumbers to 1 cm^-1, IR intensities to 2% (0.05 km/mol for the weakest), ZPE to
// 1e-6 Eh, the thermal corrections to 1e-5 Eh.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "molecule/element.h"
#include "vibration/masses.h"
#include "vibration/point_group.h"
#include "vibration/thermochemistry.h"

namespace {

struct Psi4Case {
    std::string what;
    std::vector<Vec3> positions;
    std::vector<unsigned> elements;
    std::vector<double> masses;
    nlohmann::json values;
};

std::vector<Psi4Case> psi4_cases() {
    std::ifstream in(VELKO_SOURCE_DIR "/tests/reference/psi4_frequencies/psi4_frequencies.json");
    const nlohmann::json file = nlohmann::json::parse(in);
    std::vector<Psi4Case> cases;
    for (const nlohmann::json& c : file["cases"]) {
        Psi4Case k{c["name"].get<std::string>() + " " + c["basis"].get<std::string>(), {}, {}, {}, c};
        for (const nlohmann::json& a : c["atoms"]) {
            k.positions.emplace_back(a[1].get<double>(), a[2].get<double>(), a[3].get<double>());
            k.elements.push_back(element_number(a[0].get<std::string>()));
            k.masses.push_back(isotope_mass(k.elements.back()));
        }
        cases.push_back(k);
    }
    return cases;
}

// Psi4's frequencies into velko's thermochemistry, with Psi4's symmetry number (which is 1
// for ammonia: Psi4 takes it from the abelian subgroup Cs; velko's point group gives 3).
TEST(Psi4Frequencies, ThermochemistryOfPsi4Frequencies) {
    const std::vector<Psi4Case> cases = psi4_cases();
    ASSERT_GE(cases.size(), 6u);
    for (const Psi4Case& c : cases) {
        ThermoConditions conditions;
        conditions.symmetry_number = c.values["symmetry_number"].get<unsigned>();
        const Thermochemistry t =
            thermochemistry(c.positions, c.masses, c.values["frequencies"].get<std::vector<double>>(), conditions);
        EXPECT_NEAR(t.zero_point, c.values["zpe"].get<double>(), 1e-6) << c.what;
        EXPECT_NEAR(t.thermal_energy, c.values["thermal_energy_correction"].get<double>(), 1e-5) << c.what;
        EXPECT_NEAR(t.enthalpy, c.values["enthalpy_correction"].get<double>(), 1e-5) << c.what;
        EXPECT_NEAR(t.gibbs, c.values["gibbs_correction"].get<double>(), 1e-5) << c.what;
        const unsigned sigma = detect_point_group(c.positions, c.elements, c.masses).symmetry_number;
        EXPECT_EQ(sigma, c.what.rfind("ammonia", 0) == 0 ? 3u : conditions.symmetry_number) << c.what;
    }
}

}  // namespace
