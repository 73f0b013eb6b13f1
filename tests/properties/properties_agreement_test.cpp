// Dipole moments, Mulliken and Loewdin charges, frontier orbital energies and the
// nuclear repulsion of converged SCF runs against Psi4 1.3.2 oeprop (DIPOLE,
// MULLIKEN_CHARGES, LOWDIN_CHARGES) for the same molecule: geometry in bohr, not
// moved or turned (no_com, no_reorient), velko's basis tables written out as
// Cartesian functions (puream false), scf_type pk, e_convergence 1e-12,
// d_convergence 1e-10. The inputs are tests/scf/reference/<name>.dat, written by
// make_psi4_inputs.py from the velko inputs named below and run as `cd /tmp && psi4 -n 1 <name>.dat <name>.out`;
// their REF lines are kept in tests/scf/reference/psi4_values.txt. Psi4 1.3.2
// keeps its SCF DIPOLE variables in debye; the inputs divide by its own factor
// (2.541746451895, CODATA 2014) to give e a0. The open shells (UHF, one spin channel
// each for alpha and beta) add their spin populations, from the total density
// P_alpha + P_beta and the spin density P_alpha - P_beta; their inputs are
// tests/scf/reference/uhf/<name>_properties.dat, the values in properties_values.txt
// beside them, with the alpha orbitals' HOMO and LUMO.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "app/prepare.h"
#include "app/run.h"
#include "input/velko_format.h"
#include "properties/calculation_properties.h"
#include "report/listing.h"
#include "properties/properties.h"

namespace {

struct PropertyReference {
    const char* input;  // velko input, relative to the source tree
    int charge;
    double nuclear_repulsion, one_electron, two_electron, homo, lumo;
    std::array<double, 3> dipole;  // e a0, about the coordinate origin
    std::vector<double> mulliken, loewdin;
    std::vector<double> mulliken_spin = {}, loewdin_spin = {};  // open shells
};

const PropertyReference references[] = {
    {"examples/water.in", 0, 9.187975803206, -122.362421086150, 38.211589794420,
     -0.390833067382, 0.604184557711, {0.0, 0.677432829810, 0.0},
     {-0.366559028748, 0.183279514374, 0.183279514374},
     {-0.253616926541, 0.126808463271, 0.126808463271}},
    {"examples/formaldehyde.in", 0, 31.255443041601, -216.074548830099, 72.465307632098,
     -0.352502776009, 0.287146579146, {0.0, 0.0, -0.598050271633},
     {0.082961129989, -0.192600690030, 0.054819780020, 0.054819780020},
     {0.086055299419, -0.116589070853, 0.015266885717, 0.015266885717}},
    {"examples/ammonia.in", 0, 11.958585125603, -99.038445698519, 31.625822045778,
     -0.352480180556, 0.640479236751, {0.0, 0.0, -0.702832967216},
     {-0.470258329777, 0.156752776582, 0.156752776598, 0.156752776598},
     {-0.305148932551, 0.101716310846, 0.101716310853, 0.101716310853}},
    {"examples/hf.in", 0, 5.193669463774, -149.759430753162, 45.994981303374,
     -0.464163644023, 0.629028991694, {0.0, 0.0, 0.506930179145},
     {-0.211048703113, 0.211048703113},
     {-0.152198410879, 0.152198410879}},
    {"examples/co.in", 0, 22.518179188089, -197.032833639448, 63.290095755749,
     -0.446473902977, 0.313494532969, {0.0, 0.0, 0.066387579648},
     {0.200727057159, -0.200727057159},
     {0.037983403211, -0.037983403211}},
    {"tests/scf/reference/pyridine.in", 0, 204.116566898298, -735.104137119850, 287.357410238725,
     -0.300955982577, 0.236310594741,
     {0.0, -0.765890243345, 0.0},
     {-0.232068447028, 0.026172377993, -0.068881135662, -0.054383851629, -0.068881135662, 0.026172377993,
      0.079493826348, 0.070533099464, 0.071815962369, 0.070533099464, 0.079493826348},
     {-0.161185242196, 0.031966106485, -0.038570160421, -0.018156542499, -0.038570160421, 0.031966106485,
      0.040853987633, 0.036775231937, 0.037291453427, 0.036775231937, 0.040853987633}},
    // A cation: its dipole is taken about the coordinate origin, as Psi4 takes it.
    {"tests/e2e/reference/hydronium.in", 1, 13.997630105420, -127.066098032426, 37.739397020778,
     -0.920612978427, 0.102704326200, {0.0, 0.0, -0.884477765406},
     {-0.257639713127, 0.419213237710, 0.419213237709, 0.419213237709},
     {0.020103178827, 0.326632273727, 0.326632273723, 0.326632273723}},
    {"tests/scf/reference/uhf/nh2.in", 0, 7.564094285458, -89.646424523571, 27.245405837169,
     -0.426653238287, 0.615607963402, {0.0, 0.0, 0.709170367},
     {-0.272881385, 0.136440693, 0.136440693},
     {-0.170338483, 0.085169241, 0.085169241},
     {1.150744768, -0.075372384, -0.075372384},
     {1.114252597, -0.057126298, -0.057126298}},
    {"tests/scf/reference/uhf/oh.in", 0, 4.364348131366, -112.104828482561, 33.377811156429,
     -0.429667997754, 0.620054964248, {0.0, 0.0, 0.502989170},
     {-0.164452728, 0.164452728},
     {-0.109515216, 0.109515216},
     {1.069760650, -0.069760650},
     {1.055980286, -0.055980286}},
};

// The properties of a run of velko's own pipeline on the input file, converged by
// DIIS (commutator error below 1e-7: the density to about 1e-8; 1e-8 for open shells);
// the input names the charge, an odd electron count makes a doublet.
Properties converged_properties(const std::string& path) {
    Molecule mol;
    read_velko_file(mol, path);
    Listing quiet(false);
    Settings settings;
    settings.diis = true;
    return calculation_properties(compute_run(prepare_run(std::move(mol), path), settings, path, quiet));
}

constexpr double tolerance = 1e-6;  // atomic units (Hartree, e a0, e)
// The energy parts carry velko's difference in total energy from Psi4, up to 2e-6
// Hartree (tests/e2e/energies_test.cpp: its rounded pi and Boys function floor).
constexpr double energy_tolerance = 2e-6;

}  // namespace

TEST(PropertiesAgreement, DipoleChargesAndFrontierOrbitalsAsPsi4) {
    for (const PropertyReference& ref : references) {
        SCOPED_TRACE(ref.input);
        const Properties p = converged_properties(std::string(VELKO_SOURCE_DIR) + "/" + ref.input);
        ASSERT_TRUE(p.converged);
        EXPECT_EQ(p.molecular_charge, ref.charge);
        EXPECT_NEAR(p.nuclear_repulsion, ref.nuclear_repulsion, tolerance);
        EXPECT_NEAR(p.energies.one_electron, ref.one_electron, energy_tolerance);
        EXPECT_NEAR(p.energies.two_electron, ref.two_electron, energy_tolerance);
        ASSERT_TRUE(p.frontier.homo && p.frontier.lumo);
        EXPECT_NEAR(p.frontier.homo->energy, ref.homo, tolerance);
        EXPECT_NEAR(p.frontier.lumo->energy, ref.lumo, tolerance);
        for (std::size_t k = 0; k < 3; ++k) EXPECT_NEAR(p.dipole[k], ref.dipole[k], tolerance) << "axis " << k;
        ASSERT_EQ(p.mulliken_charges.size(), ref.mulliken.size());
        ASSERT_EQ(p.loewdin_charges.size(), ref.loewdin.size());
        ASSERT_EQ(p.mulliken_spin.size(), ref.mulliken_spin.size());
        ASSERT_EQ(p.loewdin_spin.size(), ref.loewdin_spin.size());
        for (std::size_t a = 0; a < ref.mulliken.size(); ++a) {
            EXPECT_NEAR(p.mulliken_charges[a], ref.mulliken[a], tolerance) << "atom " << a + 1;
            EXPECT_NEAR(p.loewdin_charges[a], ref.loewdin[a], tolerance) << "atom " << a + 1;
        }
        for (std::size_t a = 0; a < ref.mulliken_spin.size(); ++a) {
            EXPECT_NEAR(p.mulliken_spin[a], ref.mulliken_spin[a], tolerance) << "atom " << a + 1;
            EXPECT_NEAR(p.loewdin_spin[a], ref.loewdin_spin[a], tolerance) << "atom " << a + 1;
        }
    }
}

// The default mode (the plain loop, which stops on the energy alone) gives its properties
// from the density continued by DIIS: every printed digit of the dipole (6 decimals in
// e a0) as Psi4's, for molecules where the plain loop's own density is 3e-5 e a0 off.
TEST(PropertiesAgreement, DefaultModeDipolesToEveryPrintedDigit) {
    const struct {
        const char* input;  // tests/scf/reference/psi4_values.txt: its REF dipole lines
        std::array<double, 3> dipole;
    } references[] = {
        {"tests/scf/reference/formic_acid.in", {-0.306901649140, 0.552028764001, -1.037693258445}},
        {"tests/scf/reference/h2o2.in", {0.0, 0.620873753452, 0.0}},
        {"tests/scf/reference/nh2oh.in", {-0.099679540586, -0.051388037424, -0.102254388183}},
    };
    for (const auto& ref : references) {
        SCOPED_TRACE(ref.input);
        const std::string path = std::string(VELKO_SOURCE_DIR) + "/" + ref.input;
        Molecule mol;
        read_velko_file(mol, path);
        Listing quiet(false);
        const Calculation calc = compute_rhf(mol, Settings{}, path, quiet);
        ASSERT_TRUE(calc.result.converged && calc.tightened);
        const Properties p = calculation_properties(calc);
        for (std::size_t k = 0; k < 3; ++k) EXPECT_NEAR(p.dipole[k], ref.dipole[k], 5e-7) << "axis " << k;
    }
}
