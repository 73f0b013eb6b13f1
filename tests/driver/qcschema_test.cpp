// QCSchema output: the energy split and the AtomicResult document of a real
// (small) run. Validation against qcelemental itself is an end-to-end test.
#include "driver/qcschema.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "driver/calculation.h"
#include "driver/listing.h"

namespace {

Calculation h2_calculation(unsigned max_iterations = 0) {
    Molecule mol;
    mol.basis_name = "sto-3g";
    mol.basis.setType("sto-3g");
    mol.addAtom("H", 0.0, 0.0, 0.0);
    mol.addAtom("H", 0.0, 0.0, 1.4);
    Listing quiet(false);
    Settings settings;
    settings.max_iterations = max_iterations;
    return compute_rhf(mol, settings, "h2.in", quiet);
}

Matrix<double> matrix2(double a, double b, double c, double d) {
    Matrix<double> M(2, 2);
    M[0][0] = a;
    M[0][1] = b;
    M[1][0] = c;
    M[1][1] = d;
    return M;
}

// By hand: E1 = 1*(-2) + 0.5*(-1) + 0.5*(-1) + 2*(-3) = -9,
// F - H = [[1, 0.5], [0.5, 2]], E2 = 1/2 (1 + 0.25 + 0.25 + 4) = 2.75.
TEST(EnergyParts, HandComputedTwoByTwo) {
    const Matrix<double> P = matrix2(1.0, 0.5, 0.5, 2.0);
    const Matrix<double> H = matrix2(-2.0, -1.0, -1.0, -3.0);
    const Matrix<double> F = matrix2(-1.0, -0.5, -0.5, -1.0);
    const EnergyParts parts = energy_parts(P, H, F);
    EXPECT_DOUBLE_EQ(parts.one_electron, -9.0);
    EXPECT_DOUBLE_EQ(parts.two_electron, 2.75);
}

// H2 at 1.4 bohr in STO-3G: E = -1.1167 Hartree (Szabo and Ostlund, Modern
// Quantum Chemistry, section 3.5.2), E_nuc = 1/1.4.
class H2Result : public ::testing::Test {
protected:
    static nlohmann::json doc;
    static double reported_energy;

    static void SetUpTestSuite() {
        const Calculation calc = h2_calculation();
        reported_energy = calc.scf.energy;
        doc = nlohmann::json::parse(qcschema_json(calc));
    }
};
nlohmann::json H2Result::doc;
double H2Result::reported_energy = 0.0;

TEST_F(H2Result, HeaderDriverModelProvenance) {
    EXPECT_EQ(doc["schema_name"], "qcschema_output");
    EXPECT_EQ(doc["schema_version"], 1);
    EXPECT_EQ(doc["driver"], "energy");
    EXPECT_EQ(doc["model"]["method"], "hf");
    EXPECT_EQ(doc["model"]["basis"], "sto-3g");
    EXPECT_EQ(doc["provenance"]["creator"], "velko");
    EXPECT_FALSE(doc["provenance"]["version"].get<std::string>().empty());
    EXPECT_EQ(doc["success"], true);
    EXPECT_FALSE(doc.contains("error"));
    // The one rotation of H2: A + B = 1.1288 Hartree from the molecular integrals of Szabo
    // and Ostlund (see tests/scf/stability_test.cpp).
    EXPECT_EQ(doc["extras"]["scf_stable"], true);
    EXPECT_NEAR(doc["extras"]["scf_lowest_hessian_eigenvalue"].get<double>(), 1.1288, 2e-3);
}

TEST_F(H2Result, MoleculeInBohr) {
    const nlohmann::json& m = doc["molecule"];
    EXPECT_EQ(m["schema_name"], "qcschema_molecule");
    EXPECT_EQ(m["symbols"], nlohmann::json({"H", "H"}));
    const std::vector<double> geometry = m["geometry"];
    EXPECT_EQ(geometry, std::vector<double>({0.0, 0.0, 0.0, 0.0, 0.0, 1.4}));
    EXPECT_EQ(m["molecular_multiplicity"], 1);
}

TEST_F(H2Result, EnergiesAddUpToTheReportedTotal) {
    const nlohmann::json& p = doc["properties"];
    const double total = p["scf_total_energy"];
    EXPECT_EQ(total, reported_energy);
    EXPECT_EQ(doc["return_result"].get<double>(), reported_energy);
    EXPECT_EQ(p["return_energy"].get<double>(), reported_energy);
    EXPECT_NEAR(total, -1.1167, 5e-5);
    EXPECT_DOUBLE_EQ(p["nuclear_repulsion_energy"].get<double>(), 1.0 / 1.4);
    const double one = p["scf_one_electron_energy"];
    const double two = p["scf_two_electron_energy"];
    EXPECT_NEAR(one + two + 1.0 / 1.4, total, 1e-12);
    // Both electrons in one bonding orbital: the one-electron part is
    // 2 h_11 = 2 (-1.2528) and the two-electron part J_11 = 0.6746 (Szabo and Ostlund, 3.5.2).
    EXPECT_NEAR(one, -2.5056, 2e-4);
    EXPECT_NEAR(two, 0.6746, 2e-4);
    EXPECT_GT(p["scf_iterations"].get<int>(), 2);
}

TEST_F(H2Result, CalcinfoCounts) {
    const nlohmann::json& p = doc["properties"];
    EXPECT_EQ(p["calcinfo_natom"], 2);
    EXPECT_EQ(p["calcinfo_nbasis"], 2);
    EXPECT_EQ(p["calcinfo_nmo"], 2);
    EXPECT_EQ(p["calcinfo_nalpha"], 1);
    EXPECT_EQ(p["calcinfo_nbeta"], 1);
}

// Stopped at the iteration limit: the document says so instead of claiming success.
TEST(QcschemaJson, UnconvergedRunIsNotASuccess) {
    const nlohmann::json doc = nlohmann::json::parse(qcschema_json(h2_calculation(2)));
    EXPECT_EQ(doc["success"], false);
    EXPECT_EQ(doc["error"]["error_type"], "convergence_error");
    EXPECT_EQ(doc["properties"]["scf_iterations"], 2);
    EXPECT_TRUE(doc["extras"]["scf_stable"].is_null());
}

// A converged but unstable solution (BH at 2.336 bohr: the plain loop's state lies
// 0.29 Hartree above the ground state) is not a success either.
TEST(QcschemaJson, UnstableSolutionIsNotASuccess) {
    Molecule mol;
    mol.basis_name = "sto-3g";
    mol.basis.setType("sto-3g");
    mol.addAtom("B", 0.0, 0.0, 0.0);
    mol.addAtom("H", 0.0, 0.0, 2.336);
    Listing quiet(false);
    const nlohmann::json doc = nlohmann::json::parse(qcschema_json(compute_rhf(mol, Settings{}, "bh.in", quiet)));
    EXPECT_EQ(doc["success"], false);
    EXPECT_EQ(doc["error"]["error_type"], "unstable_solution");
    EXPECT_EQ(doc["extras"]["scf_stable"], false);
    // Psi4 1.3.2 at the same state (core guess, tests/scf/reference/bh_core.dat): -0.097873.
    EXPECT_NEAR(doc["extras"]["scf_lowest_hessian_eigenvalue"].get<double>(), -0.097873, 1e-5);
}

}  // namespace
