// Open-shell molecules end to end: the energies and <S^2> of unrestricted Hartree-Fock
// against Psi4, the report layout, and the Molden and QCSchema files read by Jmol and
// qcelemental.
//
// The reference values are Psi4 1.3.2 UHF (reference uhf, scf_type pk, puream false,
// e_convergence 1e-11, d_convergence 1e-9, stability_analysis follow) on the same
// geometry in bohr and velko's basis tables written out, Cartesian: the inputs are
// tests/scf/reference/uhf/<name>.dat, written with velko's <name>.in by make_inputs.py
// there, and energies.txt lists what Psi4 printed. The water cation checks the charge
// (line 2 of the input) on an open shell. velko's integrals sit 6e-9 to 9e-9 relative above Psi4's
// (its rounded pi, Boys floor and unrenormalised contractions, as for closed shells).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <regex>

#include "run_velko.h"

namespace {

struct Reference {
    const char* name;
    unsigned multiplicity;
    double psi4_energy;
    double psi4_s_squared;
};

const Reference references[] = {
    {"b", 2, -24.1489885989, 0.750000000},
    {"b_sto6g", 2, -24.3942945593, 0.750000000},
    {"c", 3, -37.1983925637, 2.000000000},
    {"c_sto6g", 3, -37.5723640967, 2.000000000},
    {"ch2", 3, -38.4348105380, 2.018954863},
    {"ch2_sto6g", 3, -38.8154666477, 2.019632259},
    {"ch3", 2, -39.0767088561, 0.765224827},
    {"ch3_sto6g", 2, -39.4592303710, 0.765609185},
    {"f", 2, -97.9865049587, 0.750000000},
    {"f_sto6g", 2, -98.9132530152, 0.750000000},
    {"h", 2, -0.4665818496, 0.750000000},
    {"h_sto6g", 2, -0.4710390542, 0.750000000},
    {"h2o_cation", 2, -74.6561382455, 0.755202344},
    {"h2o_cation_sto6g", 2, -75.3660438522, 0.755303635},
    {"ho2", 2, -148.1946571181, 0.754573522},
    {"ho2_sto6g", 2, -149.6164552034, 0.755088865},
    {"li", 2, -7.3155259813, 0.750000000},
    {"li_sto6g", 2, -7.3999312298, 0.750000000},
    {"n", 4, -53.7190101626, 3.750000000},
    {"n_sto6g", 4, -54.2491119943, 3.750000000},
    {"nh2", 2, -54.8369244009, 0.757223111},
    {"nh2_sto6g", 2, -55.3694514657, 0.757443686},
    {"no", 2, -127.5304655045, 0.965952169},
    {"no_sto6g", 2, -128.7648270481, 0.988324112},
    {"o", 3, -73.8041502333, 2.000000000},
    {"o2", 3, -147.6352963519, 2.003324691},
    {"o2_sto6g", 3, -149.0536708840, 2.003421329},
    {"o_sto6g", 3, -74.5168163135, 2.000000000},
    {"oh", 2, -74.3626691948, 0.753261942},
    {"oh_sto6g", 2, -75.0767461898, 0.753373920},
};

std::string in_quotes(const std::string& path) { return "\"" + path + "\""; }

std::string reference_input(const std::string& name) {
    return in_quotes(source_path("tests/scf/reference/uhf/" + name + ".in"));
}

// The stored report for this build's platform (see report_test.cpp).
std::string expected_report(const std::string& file) {
    if (sizeof(void*) == 4) {
        const std::string i386 = read_text(source_path("tests/expected/i386/" + file));
        if (!i386.empty()) return i386;
    }
    return read_text(source_path("tests/expected/" + file));
}

struct SpinOrbital {
    double energy;
    bool occupied;
};

// The orbital table of an open-shell report, "|3 beta    |     -0.5606... HT|  Occupied|",
// for one spin, in table order.
std::vector<SpinOrbital> report_orbitals(const std::string& report, const std::string& spin) {
    std::vector<SpinOrbital> rows;
    const std::regex row("\\|\\d+ " + spin + " *\\| *(-?\\d+\\.\\d+) HT\\| *(Occupied|Virtual)\\|");
    for (std::sregex_iterator it(report.begin(), report.end(), row), end; it != end; ++it)
        rows.push_back({std::stod((*it)[1]), (*it)[2] == "Occupied"});
    return rows;
}

// Triplet O2 in STO-3G with its Molden and JSON files.
struct OxygenRun {
    std::string molden, json;
    RunResult run;
};

const OxygenRun& oxygen_run() {
    static OxygenRun o = [] {
        OxygenRun r;
        r.molden = write_temp("o2.molden", "");
        r.json = write_temp("o2.json", "");
        r.run = run_velko("--multiplicity 3 --molden " + in_quotes(r.molden) + " --json " + in_quotes(r.json) +
                          " --json-wavefunction " +
                          in_quotes(source_path("examples/o2.xyz")));
        return r;
    }();
    return o;
}

}  // namespace

TEST(OpenShell, EnergiesAndSpinAgreeWithPsi4) {
    for (const Reference& ref : references) {
        SCOPED_TRACE(ref.name);
        const std::string json = write_temp(std::string(ref.name) + ".json", "");
        const RunResult r = run_velko("--multiplicity " + std::to_string(ref.multiplicity) + " --json " + in_quotes(json) +
                                      " " + reference_input(ref.name));
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(r.err, "");
        const nlohmann::json j = nlohmann::json::parse(read_text(json), nullptr, false);
        ASSERT_FALSE(j.is_discarded()) << r.out;
        const double energy = j["return_result"].get<double>();
        EXPECT_NEAR(energy, ref.psi4_energy, 1e-8 * std::fabs(ref.psi4_energy));
        EXPECT_NEAR(j["extras"]["s_squared"].get<double>(), ref.psi4_s_squared, 1e-6);
        EXPECT_EQ(j["keywords"]["reference"], "uhf");
        EXPECT_EQ(j["molecule"]["molecular_multiplicity"], ref.multiplicity);
        EXPECT_EQ(j["molecule"]["molecular_charge"], std::string(ref.name).rfind("h2o_cation", 0) == 0 ? 1.0 : 0.0);
    }
}

// The layout of the open-shell report, pinned on two examples: NH2, a doublet by default
// (odd electron count), and CH2 as a triplet with the verbose listing.
TEST(OpenShell, ReportsMatchTheirStoredText) {
    const struct {
        std::string args, expected;
    } cases[] = {
        {in_quotes(source_path("examples/nh2.in")), "nh2.out"},
        {"-m " + in_quotes(source_path("examples/ch2.xyz")), "ch2_triplet_verbose.out"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        const RunResult r = run_velko(c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const std::string expected = expected_report(c.expected);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(mask_report(r.out), mask_report(expected));
    }
}

TEST(OpenShell, MoldenFileReadByJmolHasBothSpins) {
    const char* const jar = "/usr/share/java/JmolData.jar";
    if (!succeeds(std::string("test -f ") + jar) || !succeeds("java -version")) GTEST_SKIP() << "Jmol or java absent";
    const OxygenRun& o = oxygen_run();
    ASSERT_EQ(o.run.status, 0) << o.run.out;
    const std::string script = write_temp("jmol_o2.spt",
                                          "load \"" + o.molden + "\"\n"
                                          "print \"ATOMS \" + {*}.count\n"
                                          "x = getProperty(\"auxiliaryInfo.models[1].moData\")\n"
                                          "for (var i = 1; i <= x.mos.length; i++) {\n"
                                          "  print \"MO \" + x.mos[i].energy + \" \" + x.mos[i].occupancy + \" \" + x.mos[i][\"spin\"]\n"
                                          "}\n");
    const std::string out =
        command_output("java -Djava.awt.headless=true -jar " + std::string(jar) + " -n -o -i -s " + in_quotes(script) + " 2>&1");
    // Jmol lists the orbitals of both spins together by energy; compare spin by spin.
    std::map<std::string, std::vector<SpinOrbital>> jmol;
    int atoms = -1;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        std::istringstream f(line);
        std::string key, spin;
        double e = 0.0, occ = -1.0;
        f >> key;
        if (key == "ATOMS") f >> atoms;
        if (key == "MO" && f >> e >> occ >> spin) {
            EXPECT_TRUE(occ == 1.0 || occ == 0.0) << line;
            jmol[spin].push_back({e, occ == 1.0});
        }
    }
    EXPECT_EQ(atoms, 2) << out;
    for (const std::string spin : {"alpha", "beta"}) {
        SCOPED_TRACE(spin);
        const std::vector<SpinOrbital> report = report_orbitals(o.run.out, spin);
        ASSERT_EQ(report.size(), 10u);
        ASSERT_EQ(jmol[spin].size(), report.size()) << out;
        unsigned occupied = 0;
        for (std::size_t k = 0; k < report.size(); ++k) {
            // Jmol keeps single precision.
            EXPECT_NEAR(jmol[spin][k].energy, report[k].energy, 1e-6 * std::fabs(report[k].energy) + 1e-9) << k;
            EXPECT_EQ(jmol[spin][k].occupied, report[k].occupied) << k;
            occupied += report[k].occupied;
        }
        EXPECT_EQ(occupied, spin == "alpha" ? 9u : 7u);
    }
}

TEST(OpenShell, QcschemaValidatesWithQcelemental) {
    if (!succeeds("/usr/bin/python3 -c 'import qcelemental'")) GTEST_SKIP() << "python3-qcelemental absent";
    const OxygenRun& o = oxygen_run();
    ASSERT_EQ(o.run.status, 0) << o.run.out;
    const std::string script = write_temp("validate_o2.py",
                                          "import json, sys\n"
                                          "from qcelemental.models import AtomicResult\n"
                                          "r = AtomicResult(**json.load(open(sys.argv[1])))\n"
                                          "p = r.properties\n"
                                          "print('OK', r.keywords['reference'], r.molecule.molecular_multiplicity,\n"
                                          "      p.calcinfo_nalpha, p.calcinfo_nbeta, len(r.extras['orbital_energies_beta']),\n"
                                          "      r.wavefunction.restricted, int(r.wavefunction.scf_occupations_a.sum()),\n"
                                          "      int(r.wavefunction.scf_occupations_b.sum()),\n"
                                          "      repr(p.scf_one_electron_energy + p.scf_two_electron_energy\n"
                                          "           + p.nuclear_repulsion_energy - p.scf_total_energy))\n");
    const std::string out = command_output("/usr/bin/python3 " + in_quotes(script) + " " + in_quotes(o.json) + " 2>&1");
    std::istringstream in(out);
    std::string ok, reference;
    std::string restricted;
    int multiplicity = -1, nalpha = -1, nbeta = -1, beta_energies = -1, occupied_a = -1, occupied_b = -1;
    double rest = NAN;
    in >> ok >> reference >> multiplicity >> nalpha >> nbeta >> beta_energies >> restricted >> occupied_a >>
        occupied_b >> rest;
    ASSERT_EQ(ok, "OK") << out;
    EXPECT_EQ(reference, "uhf");
    EXPECT_EQ(multiplicity, 3);
    EXPECT_EQ(nalpha, 9);
    EXPECT_EQ(nbeta, 7);
    EXPECT_EQ(beta_energies, 10);
    EXPECT_EQ(restricted, "False");
    EXPECT_EQ(occupied_a, 9);
    EXPECT_EQ(occupied_b, 7);
    EXPECT_NEAR(rest, 0.0, 1e-9);
}

// At the iteration limit an open-shell run ends like the DIIS mode: the warning line,
// the full report of the last step, one line on standard error, status 6.
TEST(OpenShell, IterationLimitIsReportedAsNotConverged) {
    const RunResult r = run_velko("--max-iterations 3 --multiplicity 3 " + in_quotes(source_path("examples/o2.xyz")));
    EXPECT_EQ(r.status, 6);
    const std::size_t warning = r.out.find("Too may iteration steps.. terminating and outputting results.\n");
    ASSERT_NE(warning, std::string::npos);
    EXPECT_LT(warning, r.out.find("ORBITALS"));
    EXPECT_NE(r.out.find("Number of iterations: 3\n"), std::string::npos);
    EXPECT_NE(r.out.find("<S^2>: "), std::string::npos);
    EXPECT_EQ(r.err,
              "velko: the UHF SCF did not converge in 3 iterations; the energy reported is not reliable; try a larger "
              "--max-iterations\n");
}

// The multiplicity of the command line wins over the one an XYZ comment gives.
TEST(OpenShell, CommandLineMultiplicityWinsOverTheXyzComment) {
    const std::string xyz = write_temp("h2_triplet.xyz", "2\nmultiplicity=3\nH 0 0 0\nH 0 0 0.74\n");
    const RunResult triplet = run_velko(in_quotes(xyz));
    const RunResult singlet = run_velko("--multiplicity 1 " + in_quotes(xyz));
    EXPECT_EQ(triplet.status, 0);
    EXPECT_NE(triplet.out.find("Multiplicity: 3\n"), std::string::npos) << triplet.out;
    EXPECT_EQ(singlet.status, 0);
    EXPECT_EQ(singlet.out.find("Multiplicity"), std::string::npos) << singlet.out;
    EXPECT_NE(singlet.out.find("|1         |"), std::string::npos) << singlet.out;  // the closed-shell table
}

