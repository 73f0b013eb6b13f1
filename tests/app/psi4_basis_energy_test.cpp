// Hartree-Fock in the sets of the library against Psi4 and, STO-6G beyond neon, NWChem: one table, the
// cases and values in tests/reference/{psi4_basis,nwchem_sto6g}/*.json, the referee's input beside them.
// Energies to 1e-6 Eh, dipoles to 1e-5 e bohr; over 40 functions only with VELKO_LARGE_REFERENCE set.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>

#include "../reference_case.h"

#include "app/run.h"
#include "properties/calculation_properties.h"
#include "properties/properties.h"
#include "report/listing.h"

namespace {

TEST(Psi4BasisEnergies, EnergiesAndDipolesAgreeWithPsi4AndNWChem) {
    nlohmann::json cases = nlohmann::json::array();
    for (const char* file : {"psi4_basis/psi4_basis_energies.json", "nwchem_sto6g/nwchem_sto6g_energies.json"}) {
        std::ifstream in(VELKO_SOURCE_DIR "/tests/reference/" + std::string(file));
        const nlohmann::json referee = nlohmann::json::parse(in);
        for (const nlohmann::json& c : referee["cases"]) cases.push_back(c);
    }
    ASSERT_GE(cases.size(), 44u);
    for (const nlohmann::json& c : cases) {
        const std::string what = c["name"].get<std::string>() + " " + c["basis"].get<std::string>();
        Molecule mol = reference_molecule(c);
        if (std::getenv("VELKO_LARGE_REFERENCE") == nullptr && function_count(mol) > 40) continue;
        Settings settings;
        settings.diis = true;
        settings.progress = false;
        Listing quiet(false);
        const Calculation calc = compute_run(prepare_run(mol, what), settings, what, quiet);
        const Properties p = calculation_properties(calc);
        EXPECT_TRUE(p.converged) << what;
        EXPECT_NEAR(calc.result.energy, c["energy"].get<double>(), 1e-6) << what;
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(p.dipole[k], c["dipole"][k].get<double>(), 1e-5) << what << " axis " << k;
    }
}

}  // namespace
