// Charged molecules and molecules with lithium and beryllium against Psi4 1.3.2.
//
// Every molecule's velko input and the Psi4 input written from it lie side by
// side in tests/e2e/reference (<name>.in, <name>.dat); the .dat files were made by
//   python3 tests/e2e/reference/mkpsi4.py <charged>.in ...
//   python3 tests/e2e/reference/mkpsi4.py --library <li and be molecules>.in ...
// and run in a scratch directory as
//   cd /tmp && psi4 -n 1 <name>.dat
// (the energy is the last "Total Energy =" of the output). All use the geometry in
// bohr, Cartesian functions, PK integrals and e_convergence 1e-12. The charged
// molecules carry velko's own basis tables written out; the lithium and beryllium
// molecules the standard library sets (Psi4's sto-3g; for STO-6G, which Psi4 does
// not ship, the EMSL set of NWChem's library), so that they check velko's 2sp shell
// of Li and Be as well. velko's rounded pi and unrenormalised contractions leave
// about 6e-9 relative; 1e-8 relative is the tolerance.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <regex>
#include <string>

#include "run_velko.h"

namespace {

struct Reference {
    const char* name;      // tests/e2e/reference/<name>.in
    const char* options;   // velko options for the run
    double psi4_energy;    // Hartree
    const char* summary;   // the line the summary must hold
};

double reported_energy(const std::string& report) {
    std::smatch m;
    const std::regex re("Total energy \\[Hartree\\]: ([-0-9.e+]+)");
    if (!std::regex_search(report, m, re)) return 0.0;
    return std::strtod(m[1].str().c_str(), nullptr);
}

void expect_reference(const Reference& ref) {
    SCOPED_TRACE(ref.name);
    const RunResult r =
        run_velko(std::string(ref.options) + " \"" + source_path(std::string("tests/e2e/reference/") + ref.name + ".in") + "\"");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(without_notes(r.err), "");
    EXPECT_NEAR(reported_energy(r.out), ref.psi4_energy, 1e-8 * std::fabs(ref.psi4_energy)) << r.out;
    EXPECT_NE(r.out.find(ref.summary), std::string::npos) << r.out;
}

}  // namespace

TEST(ReferenceEnergies, ChargedMoleculesAgreeWithPsi4) {
    // The plain loop of the dication ends exactly at its limit; DIIS converges it in 5 steps.
    const Reference cases[] = {
        {"heh_cation", "", -2.8418364993, "Molecular charge: +1\n"},
        {"ammonium", "", -55.8682285194, "Molecular charge: +1\n"},
        {"hydronium", "", -75.3290709062, "Molecular charge: +1\n"},
        {"hydroxide", "", -74.0563281305, "Molecular charge: -1\n"},
        {"formate", "", -185.4546476130, "Molecular charge: -1\n"},
        {"dioxygen_dication", "--diis", -146.2156835852, "Molecular charge: +2\n"},
    };
    for (const Reference& ref : cases) expect_reference(ref);
}

TEST(ReferenceEnergies, LithiumAndBerylliumWithTheirSpShellAgreeWithPsi4) {
    // Five functions per Li or Be atom: 1s, 2s, 2px, 2py, 2pz.
    const Reference cases[] = {
        {"lih", "", -7.8620238601, "Number of orbitals: 6\n"},
        {"lih_sto6g", "", -7.9519715390, "Number of orbitals: 6\n"},
        {"li2", "", -14.6387251866, "Number of orbitals: 10\n"},
        {"li2_sto6g", "", -14.8088718782, "Number of orbitals: 10\n"},
        {"beh2", "", -15.5603349360, "Number of orbitals: 7\n"},
        {"beh2_sto6g", "", -15.7246015517, "Number of orbitals: 7\n"},
        {"beryllium", "", -14.3518804762, "Number of orbitals: 5\n"},
        {"beryllium_sto6g", "", -14.5033611237, "Number of orbitals: 5\n"},
    };
    for (const Reference& ref : cases) expect_reference(ref);
}
