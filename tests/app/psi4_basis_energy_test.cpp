// Hartree-Fock in the sets of the library against Psi4: one table, the cases, their
// inputs and Psi4's values in tests/reference/psi4_basis/psi4_basis_energies.json (the
// Psi4 input beside it). Energies to 1e-6 Eh, dipoles about the origin to 1e-5 e bohr.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "app/run.h"
#include "properties/calculation_properties.h"
#include "properties/properties.h"
#include "report/listing.h"

namespace {

TEST(Psi4BasisEnergies, EnergiesAndDipolesAgreeWithPsi4) {
    std::ifstream in(VELKO_SOURCE_DIR "/tests/reference/psi4_basis/psi4_basis_energies.json");
    const nlohmann::json cases = nlohmann::json::parse(in)["cases"];
    ASSERT_GE(cases.size(), 8u);
    for (const nlohmann::json& c : cases) {
        const std::string what = c["name"].get<std::string>() + " " + c["basis"].get<std::string>();
        Molecule mol;
        mol.basis_name = c["basis"].get<std::string>();
        mol.pure = c["pure"].get<bool>();
        mol.charge = c["charge"].get<int>();
        mol.multiplicity = c["multiplicity"].get<int>();
        for (const nlohmann::json& a : c["atoms"])
            mol.addAtom(a[0].get<std::string>(), a[1].get<double>(), a[2].get<double>(), a[3].get<double>());
        Settings settings;
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
