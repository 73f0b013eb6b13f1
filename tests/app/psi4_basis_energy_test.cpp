// Hartree-Fock in the sets of the library against the referees: one table, the cases,
// their inputs and the referee's values in one file per referee, its input beside it
// (tests/reference/psi4_basis/psi4_basis_energies.json: Psi4 1.3.2, every set but
// STO-6G; tests/reference/nwchem_sto6g/nwchem_sto6g_energies.json: NWChem 7.0.2, STO-6G
// beyond neon). Energies to 1e-6 Eh, dipoles about the origin to 1e-5 e bohr.
// Cases above large_case_functions run only when VELKO_LARGE_REFERENCE is set.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>

#include "app/run.h"
#include "basis/basis_set.h"
#include "properties/calculation_properties.h"
#include "properties/properties.h"
#include "report/listing.h"

namespace {

constexpr unsigned large_case_functions = 40;

TEST(ReferenceBasisEnergies, EnergiesAndDipolesAgreeWithPsi4AndNWChem) {
    const bool large = std::getenv("VELKO_LARGE_REFERENCE") != nullptr;
    for (const char* file : {"psi4_basis/psi4_basis_energies.json", "nwchem_sto6g/nwchem_sto6g_energies.json"}) {
        std::ifstream in(std::string(VELKO_SOURCE_DIR "/tests/reference/") + file);
        const nlohmann::json cases = nlohmann::json::parse(in)["cases"];
        ASSERT_GE(cases.size(), 10u) << file;
        for (const nlohmann::json& c : cases) {
            const std::string what = c["name"].get<std::string>() + " " + c["basis"].get<std::string>();
            Molecule mol;
            mol.basis_name = c["basis"].get<std::string>();
            mol.pure = c["pure"].get<bool>();
            mol.charge = c["charge"].get<int>();
            mol.multiplicity = c["multiplicity"].get<int>();
            for (const nlohmann::json& a : c["atoms"])
                mol.addAtom(a[0].get<std::string>(), a[1].get<double>(), a[2].get<double>(), a[3].get<double>());
            if (!large && function_count(mol) > large_case_functions) continue;
            Settings settings;
            settings.diis = true;
            settings.progress = false;
            Listing quiet(false);
            const Calculation calc = compute_run(prepare_run(mol, what), settings, what, quiet);
            const Properties p = calculation_properties(calc);
            EXPECT_TRUE(p.converged) << what;
            EXPECT_NEAR(calc.result.energy, c["energy"].get<double>(), 1e-6) << what;
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(p.dipole[k], c["dipole"][k].get<double>(), 1e-5) << what << " axis " << k;
        }
    }
}

}  // namespace
