// QCSchema output: the AtomicResult document of a real (small) run. Validation
// against qcelemental itself is an end-to-end test.
#include "report/qcschema.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/run.h"
#include "report/listing.h"

namespace {

Calculation h2_calculation(unsigned max_iterations = 0) {
    Molecule mol;
    mol.basis_name = "sto-3g";
    mol.addAtom("H", 0.0, 0.0, 0.0);
    mol.addAtom("H", 0.0, 0.0, 1.4);
    Listing quiet(false);
    Settings settings;
    settings.max_iterations = max_iterations;
    return compute_rhf(mol, settings, "h2.in", quiet);
}

// H2 at 1.4 bohr in STO-3G: E = -1.1167 Hartree (Szabo and Ostlund, Modern
// Quantum Chemistry, section 3.5.2), E_nuc = 1/1.4.
class H2Result : public ::testing::Test {
protected:
    static nlohmann::json doc, with_wavefunction;
    static double reported_energy;

    static void SetUpTestSuite() {
        const Calculation calc = h2_calculation();
        reported_energy = calc.result.energy;
        doc = nlohmann::json::parse(qcschema_json(calc));
        with_wavefunction = nlohmann::json::parse(qcschema_json(calc, true));
    }
};
nlohmann::json H2Result::doc;
nlohmann::json H2Result::with_wavefunction;
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
    // The parts are those of the properties' density (the plain loop continued by DIIS),
    // whose energy is within half a printed digit of the plain loop's.
    EXPECT_NEAR(one + two + 1.0 / 1.4, total, 5e-9);
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

// H2 is neutral and symmetric: no dipole about any origin, no charge on either
// atom; HOMO -0.578 and LUMO +0.670 Hartree (Szabo and Ostlund, 3.5.2). The plain
// loop mixes its densities half and half from P = 0, so after n steps the density
// holds 2 (1 - 2^-n) electrons: 5e-10 short after the 32 steps of H2, hence 1e-9.
TEST_F(H2Result, DipoleChargesAndFrontierOrbitals) {
    const std::vector<double> dipole = doc["properties"]["scf_dipole_moment"];
    ASSERT_EQ(dipole.size(), 3u);
    for (double d : dipole) EXPECT_NEAR(d, 0.0, 1e-9);
    const nlohmann::json& x = doc["extras"];
    for (const char* key : {"mulliken_charges", "loewdin_charges"}) {
        const std::vector<double> q = x[key];
        ASSERT_EQ(q.size(), 2u) << key;
        EXPECT_NEAR(q[0], 0.0, 1e-9) << key;
        EXPECT_NEAR(q[1], 0.0, 1e-9) << key;
        EXPECT_NEAR(q[0], q[1], 1e-14) << key;
    }
    EXPECT_NEAR(x["homo_energy"].get<double>(), -0.578, 5e-4);
    EXPECT_NEAR(x["lumo_energy"].get<double>(), 0.670, 5e-4);
    EXPECT_DOUBLE_EQ(x["homo_lumo_gap"].get<double>(),
                     x["lumo_energy"].get<double>() - x["homo_energy"].get<double>());
    EXPECT_EQ(doc["molecule"]["molecular_charge"], 0.0);
    // Without the wavefunction option, no wavefunction section and no protocol.
    EXPECT_FALSE(doc.contains("wavefunction"));
    EXPECT_FALSE(doc.contains("protocols"));
}

// The wavefunction section: one s shell of three primitives per hydrogen (the
// STO-3G 1s exponents and coefficients), the orbitals as rows of basis functions,
// the bonding orbital with equal coefficients on both atoms, occupied by one
// electron of each spin.
TEST_F(H2Result, WavefunctionSection) {
    const nlohmann::json& w = with_wavefunction;
    EXPECT_EQ(w["protocols"]["wavefunction"], "all");
    const nlohmann::json& wf = w["wavefunction"];
    EXPECT_EQ(wf["restricted"], true);
    const nlohmann::json& basis = wf["basis"];
    EXPECT_EQ(basis["schema_name"], "qcschema_basis");
    EXPECT_EQ(basis["name"], "sto-3g");
    EXPECT_EQ(basis["nbf"], 2);
    EXPECT_EQ(basis["atom_map"], nlohmann::json({"H", "H"}));
    const nlohmann::json& shells = basis["center_data"]["H"]["electron_shells"];
    ASSERT_EQ(shells.size(), 1u);
    EXPECT_EQ(shells[0]["angular_momentum"], nlohmann::json({0}));
    EXPECT_EQ(shells[0]["harmonic_type"], "cartesian");
    EXPECT_EQ(shells[0]["exponents"], nlohmann::json({3.42525091, 0.62391373, 0.1688554}));
    EXPECT_EQ(shells[0]["coefficients"], nlohmann::json({{0.15432897, 0.53532814, 0.44463454}}));

    const std::vector<std::vector<double>> C = wf["scf_orbitals_a"];
    ASSERT_EQ(C.size(), 2u);
    ASSERT_EQ(C[0].size(), 2u);
    EXPECT_NEAR(C[0][0], C[1][0], 1e-10);   // bonding: same sign
    EXPECT_NEAR(C[0][1], -C[1][1], 1e-10);  // antibonding: opposite signs
    EXPECT_EQ(wf["scf_eigenvalues_a"], w["extras"]["orbital_energies"]);
    EXPECT_EQ(wf["scf_occupations_a"], nlohmann::json({1.0, 0.0}));
    EXPECT_EQ(wf["orbitals_a"], "scf_orbitals_a");
    EXPECT_EQ(wf["eigenvalues_a"], "scf_eigenvalues_a");
    EXPECT_EQ(wf["occupations_a"], "scf_occupations_a");
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

// Strings that reach the document from the input may hold any bytes; the
// writer replaces invalid UTF-8 (U+FFFD) instead of aborting.
TEST(QcschemaJson, InvalidUtf8IsReplacedAndTheDocumentParses) {
    const char* names[] = {"sto-3g\xff", "\xc3(", "\xe2\x82", "sto\x80\x80-3g", "\xed\xa0\x80"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        Calculation calc = h2_calculation(1);
        calc.molecule.basis_name = name;
        std::string text;
        ASSERT_NO_THROW(text = qcschema_json(calc));
        const nlohmann::json doc = nlohmann::json::parse(text);  // throws on invalid UTF-8
        const std::string basis = doc["model"]["basis"];
        EXPECT_NE(basis.find("\xef\xbf\xbd"), std::string::npos) << basis;
    }
}

// HeH+ at 1.4632 bohr: two electrons, one pair; E_nuc = 2 * 1 / 1.4632. Its energy,
// -2.8418364993 Hartree, is Psi4's (tests/e2e/reference/heh_cation.dat).
TEST(QcschemaJson, ChargedMoleculeCarriesItsCharge) {
    Molecule mol;
    mol.basis_name = "sto-3g";
    mol.charge = 1;
    mol.addAtom("He", 0.0, 0.0, 0.0);
    mol.addAtom("H", 0.0, 0.0, 1.4632);
    Listing quiet(false);
    const nlohmann::json doc = nlohmann::json::parse(qcschema_json(compute_rhf(mol, Settings{}, "heh.in", quiet)));
    EXPECT_EQ(doc["molecule"]["molecular_charge"], 1.0);
    EXPECT_EQ(doc["molecule"]["molecular_multiplicity"], 1);
    EXPECT_EQ(doc["properties"]["calcinfo_nalpha"], 1);
    EXPECT_EQ(doc["properties"]["calcinfo_nbeta"], 1);
    EXPECT_NEAR(doc["properties"]["nuclear_repulsion_energy"].get<double>(), 2.0 / 1.4632, 1e-14);
    EXPECT_NEAR(doc["return_result"].get<double>(), -2.8418364993, 1e-8 * 2.8418364993);
}

}  // namespace

// The orbitals' rows of a d shell in QCSchema's (CCA) order, from the basis's Molden
// order: water's oxygen d shell, functions 10-15 in 6-31G* (Cartesian xx, yy, zz, xy,
// xz, yz -> xx, xy, xz, yy, yz, zz) and 10-14 in cc-pVDZ (pure m 0, +1, -1, +2, -2 -> -2 ... +2).
TEST(QcschemaJson, DShellRowsInCcaOrder) {
    struct Case { const char* basis; std::vector<int> rows; };
    for (const Case& c : {Case{"6-31G*", {9, 12, 13, 10, 14, 11}}, Case{"cc-pVDZ", {13, 11, 9, 10, 12}}}) {
        SCOPED_TRACE(c.basis);
        Molecule mol;
        mol.basis_name = c.basis;
        mol.addAtom("O", 0.0, 0.0, 0.0);
        mol.addAtom("H", 1.435969546, 1.101858187, 0.3);
        mol.addAtom("H", -1.435969546, 1.101858187, 0.0);
        Listing quiet(false);
        Settings settings;
        settings.progress = false;
        const Calculation calc = compute_rhf(mol, settings, "w.in", quiet);
        const std::vector<std::vector<double>> rows =
            nlohmann::json::parse(qcschema_json(calc, true))["wavefunction"]["scf_orbitals_a"];
        const Matrix<double>& C = calc.result.channels[0].C;
        for (std::size_t r = 0; r < c.rows.size(); ++r)
            for (int k = 0; k < C.cols(); ++k) EXPECT_EQ(rows[9 + r][static_cast<std::size_t>(k)], C[c.rows[r]][k]) << r;
    }
}
