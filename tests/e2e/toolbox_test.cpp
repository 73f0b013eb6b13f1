// velko among other programs: XYZ input, and Molden and QCSchema files checked
// by the programs that read them (Jmol, Avogadro's qube, qcelemental). Those
// tests skip when the program is not installed; .ci/run installs them.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "run_velko.h"

namespace {

const char* const jmol_jar = "/usr/share/java/JmolData.jar";
const char* const system_python = "/usr/bin/python3";  // Debian's, where python3-qcelemental lives

bool file_exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

struct OrbitalRow {
    double energy;
    bool occupied;
};

// The orbital table of a report: "|k         |    -20.2411336524 HT|  Occupied|".
std::vector<OrbitalRow> report_orbitals(const std::string& report) {
    std::vector<OrbitalRow> rows;
    const std::regex row(R"(\|\d+ *\| *(-?\d+\.\d+) HT\| *(Occupied|Virtual)\|)");
    for (std::sregex_iterator it(report.begin(), report.end(), row), end; it != end; ++it)
        rows.push_back({std::stod((*it)[1]), (*it)[2] == "Occupied"});
    return rows;
}

double report_number(const std::string& report, const std::string& label) {
    const std::size_t at = report.find(label);
    if (at == std::string::npos) return NAN;
    return std::stod(report.substr(at + label.size()));
}

// velko's water (O at the origin, r(OH) = 1.81 bohr, 105 degrees), with the
// Molden and JSON files (wavefunction included) written next to it.
struct WaterRun {
    std::string molden, json;
    RunResult run;
};

const WaterRun& water_run() {
    static WaterRun w = [] {
        WaterRun r;
        r.molden = write_temp("water.molden", "");
        r.json = write_temp("water.json", "");
        r.run = run_velko("--molden \"" + r.molden + "\" --json \"" + r.json + "\" --json-wavefunction \"" +
                          source_path("examples/water.in") + "\"");
        return r;
    }();
    return w;
}

// --- XYZ input ---

// methane.in gives its positions in angstrom; the same numbers in an XYZ file
// must give the same report, byte for byte apart from the timings.
TEST(XyzInput, SameReportAsVelkoFormatInAngstrom) {
    const std::string atoms =
        "C 0.0 0.0 0.0\n"
        "H 0.6275797426 0.6275797426 0.6275797426\n"
        "H -0.6275797426 -0.6275797426 0.6275797426\n"
        "H -0.6275797426 0.6275797426 -0.6275797426\n"
        "H 0.6275797426 -0.6275797426 -0.6275797426\n";
    const std::string xyz = write_temp("methane.xyz", "5\nmethane, r(CH) = 1.087 A\n" + atoms);
    const RunResult a = run_velko("\"" + source_path("examples/methane.in") + "\"");
    const RunResult b = run_velko("\"" + xyz + "\"");
    ASSERT_EQ(a.status, 0) << a.out;
    ASSERT_EQ(b.status, 0) << b.out;
    EXPECT_EQ(mask_report(b.out), mask_report(a.out));

    // In verbose mode too, and with the basis chosen by --basis.
    const RunResult c = run_velko("-m \"" + source_path("examples/methane_sto6g.in") + "\"");
    const RunResult d = run_velko("--basis sto-6g -m \"" + xyz + "\"");
    ASSERT_EQ(d.status, 0) << d.out;
    EXPECT_EQ(mask_report(d.out), mask_report(c.out));
}

TEST(XyzInput, MalformedFileStopsWithTheMessageAfterTheBanner) {
    const std::string xyz = write_temp("bad.xyz", "2\nh2\nH 0 0 0\nH 0 0 0,74\n");
    const RunResult r = run_velko("\"" + xyz + "\"");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out.find("GEOMETRY"), std::string::npos);
    const std::string message =
        "Error in input file \"" + xyz + "\", line 4: expected a number for the z coordinate, found \"0,74\"\n";
    ASSERT_GE(r.out.size(), message.size());
    EXPECT_EQ(r.out.substr(r.out.size() - message.size()), message);
}

TEST(XyzInput, UnknownBasisNameIsRefusedLikeInTheVelkoFormat) {
    const std::string xyz = write_temp("h2.xyz", "2\n\nH 0 0 0\nH 0 0 0.74\n");
    const RunResult r = run_velko("--basis STO-9G \"" + xyz + "\"");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("Unrecognized basis set\n"), std::string::npos);
    EXPECT_NE(r.out.find("basis set \"STO-9G\" for input file \"" + xyz + "\" is not known; expected one of STO-3G, STO-6G, 3-21G"),
              std::string::npos)
        << r.out;
}

TEST(Options, BasisOptionOnVelkoFormatWarnsAndChangesNothing) {
    const RunResult a = run_velko("\"" + source_path("examples/h2.in") + "\"");
    const RunResult b = run_velko("--basis sto-6g \"" + source_path("examples/h2.in") + "\"");
    EXPECT_EQ(b.status, 0);
    EXPECT_EQ(mask_report(b.out), mask_report(a.out));
    EXPECT_NE(b.err.find("--basis applies to XYZ input only"), std::string::npos) << b.err;
}

TEST(Options, FileOptionsLeaveTheReportUnchanged) {
    const RunResult plain = run_velko("\"" + source_path("examples/water.in") + "\"");
    const WaterRun& w = water_run();
    ASSERT_EQ(w.run.status, 0) << w.run.out;
    EXPECT_EQ(mask_report(w.run.out), mask_report(plain.out));
    EXPECT_EQ(w.run.err, "");
}

TEST(Options, UnwritableMoldenFileIsReported) {
    const RunResult r = run_velko("--molden /nonexistent-dir/w.molden \"" + source_path("examples/h2.in") + "\"");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.out.find("Error: cannot write Molden file \"/nonexistent-dir/w.molden\""), std::string::npos);
}

// --- Molden file read by Jmol ---

// Water in STO-3G, and in cc-pVDZ with pure d functions under [5D] (24 orbitals).
TEST(MoldenWithJmol, AtomsOrbitalsEnergiesAndOccupationsAsReported) {
    if (!file_exists(jmol_jar) || !succeeds("java -version")) GTEST_SKIP() << "Jmol (JmolData.jar) or java absent";
    const WaterRun& w = water_run();
    ASSERT_EQ(w.run.status, 0);
    std::string water = read_text(source_path("examples/water.in"));
    water.replace(0, water.find('\n'), "basis = cc-pVDZ");
    const std::string pure_molden = write_temp("water_ccpvdz.molden", "");
    const RunResult pure = run_velko("--molden \"" + pure_molden + "\" \"" + write_temp("water_ccpvdz.in", water) + "\"");
    ASSERT_EQ(pure.status, 0) << pure.out;
    struct Case { std::string molden; const RunResult& run; int orbitals; };
    for (const Case& c : {Case{w.molden, w.run, 7}, Case{pure_molden, pure, 24}}) {
        SCOPED_TRACE(c.molden);
        const std::string script = write_temp("jmol.spt",
                                              "load \"" + c.molden + "\"\n"
                                              "print \"ATOMS \" + {*}.count\n"
                                              "x = getProperty(\"auxiliaryInfo.models[1].moData\")\n"
                                              "print \"NMO \" + x.mos.length\n"
                                              "for (var i = 1; i <= x.mos.length; i++) {\n"
                                              "  print \"MO \" + x.mos[i].energy + \" \" + x.mos[i].occupancy\n"
                                              "}\n");
        // Jmol exits with 0 even when loading fails, so the printed lines are the result.
        const std::string out = command_output("java -Djava.awt.headless=true -jar " + std::string(jmol_jar) +
                                               " -n -o -i -s \"" + script + "\" 2>&1");
        std::istringstream in(out);
        int atoms = -1, mos = -1;
        std::vector<OrbitalRow> jmol;
        for (std::string line; std::getline(in, line);) {
            std::istringstream f(line);
            std::string key;
            f >> key;
            if (key == "ATOMS") f >> atoms;
            if (key == "NMO") f >> mos;
            if (key == "MO") {
                double e, occ;
                if (f >> e >> occ) jmol.push_back({e, occ == 2.0});
                EXPECT_TRUE(occ == 2.0 || occ == 0.0) << line;
            }
        }
        EXPECT_EQ(atoms, 3) << out;
        EXPECT_EQ(mos, c.orbitals) << out;
        const std::vector<OrbitalRow> report = report_orbitals(c.run.out);
        ASSERT_EQ(report.size(), static_cast<std::size_t>(c.orbitals));
        ASSERT_EQ(jmol.size(), report.size()) << out;
        for (std::size_t k = 0; k < report.size(); ++k) {
            // Jmol keeps single precision.
            EXPECT_NEAR(jmol[k].energy, report[k].energy, 1e-6 * std::fabs(report[k].energy) + 1e-9) << "MO " << k + 1;
            EXPECT_EQ(jmol[k].occupied, report[k].occupied) << "MO " << k + 1;
        }
    }
}

// Water's normal modes (--frequencies): Jmol makes one model per mode, named by the
// frequency the report gives, with the displacements as vibration vectors.
TEST(MoldenWithJmol, NormalModesAsReported) {
    if (!file_exists(jmol_jar) || !succeeds("java -version")) GTEST_SKIP() << "Jmol (JmolData.jar) or java absent";
    const std::string molden = write_temp("water_modes.molden", "");
    const RunResult r = run_velko("--frequencies --molden \"" + molden + "\" " + source_path("examples/water.in"));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string script = write_temp("jmol_modes.spt",
                                          "load \"" + molden + "\"\n"
                                          "for (var i = 2; i <= getProperty(\"modelInfo.modelCount\"); i++) {\n"
                                          "  frame @i\n"
                                          "  print \"MODE \" + getProperty(\"modelInfo.models[\" + i + \"].modelProperties.FreqValue\")"
                                          " + \" \" + {atomno=2 and thisModel}.vxyz.length\n"
                                          "}\n");
    const std::string out = command_output("java -Djava.awt.headless=true -jar " + std::string(jmol_jar) +
                                           " -n -o -i -s \"" + script + "\" 2>&1");
    const std::regex row(R"(\|\s+(\d)\|\s+(\d+\.\d+)\|)");
    std::vector<double> report;
    for (std::sregex_iterator it(r.out.begin(), r.out.end(), row), end; it != end; ++it) report.push_back(std::stod((*it)[2]));
    std::istringstream in(out);
    std::vector<double> jmol;
    for (std::string key; in >> key;) {
        double frequency = 0.0, displacement = 0.0;
        if (key == "MODE" && in >> frequency >> displacement) {
            jmol.push_back(frequency);
            EXPECT_GT(displacement, 0.1) << out;  // the hydrogens move in every mode of water
        }
    }
    ASSERT_EQ(report.size(), 3u) << r.out;
    ASSERT_EQ(jmol.size(), report.size()) << out;
    for (std::size_t k = 0; k < report.size(); ++k) EXPECT_NEAR(jmol[k], report[k], 0.006) << "mode " << k + 1;
}

// --- Molden file evaluated on a grid by Avogadro's qube ---

struct Cube {
    double origin[3] = {0, 0, 0};
    int n[3] = {0, 0, 0};
    double step[3] = {0, 0, 0};
    std::vector<double> values;  // x slowest, z fastest

    double at(int i, int j, int k) const { return values[(static_cast<std::size_t>(i) * n[1] + j) * n[2] + k]; }
    // Grid index nearest to a coordinate (bohr) along an axis.
    int index(int axis, double r) const { return static_cast<int>(std::lround((r - origin[axis]) / step[axis])); }
};

// Gaussian cube text; qube writes an extra "1 <orbital>" line after the atoms.
Cube read_cube(const std::string& text) {
    Cube c;
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    std::getline(in, line);
    int atoms = 0;
    in >> atoms >> c.origin[0] >> c.origin[1] >> c.origin[2];
    for (int a = 0; a < 3; ++a) {
        double v[3];
        in >> c.n[a] >> v[0] >> v[1] >> v[2];
        c.step[a] = v[a];
    }
    std::getline(in, line);
    for (int a = 0; a < std::abs(atoms); ++a) std::getline(in, line);
    std::vector<double> all;
    for (double v; in >> v;) all.push_back(v);
    const std::size_t count = static_cast<std::size_t>(c.n[0]) * c.n[1] * c.n[2];
    if (all.size() >= count) c.values.assign(all.end() - static_cast<std::ptrdiff_t>(count), all.end());
    return c;
}

// Water's valence orbitals 1b2 (MO 3) and 1b1 (MO 5, the oxygen 2pz lone pair)
// have no oxygen 1s part, so a grid of a third of a bohr resolves them: the
// integral of psi^2 over the grid must be 1 for normalised orbitals described
// by normalised primitives. qube counts orbitals from 0.
TEST(MoldenWithQube, ValenceOrbitalsAreNormalisedOnAGrid) {
    if (!succeeds("command -v qube")) GTEST_SKIP() << "qube (avogadro-utils) absent";
    const WaterRun& w = water_run();
    ASSERT_EQ(w.run.status, 0);
    for (int orbital : {2, 4}) {
        const Cube c = read_cube(command_output("qube \"" + w.molden + "\" -orb " + std::to_string(orbital) + " 2>&1"));
        ASSERT_FALSE(c.values.empty()) << "qube gave no grid for orbital " << orbital;
        double sum = 0.0;
        for (double v : c.values) sum += v * v;
        EXPECT_NEAR(sum * c.step[0] * c.step[1] * c.step[2], 1.0, 0.01) << "qube orbital " << orbital;
    }

    // The lone pair is a pure oxygen 2pz orbital: large one bohr above the
    // oxygen along z, zero along x. With px, py, pz out of order it would point elsewhere.
    const Cube c = read_cube(command_output("qube \"" + w.molden + "\" -orb 4 2>&1"));
    ASSERT_FALSE(c.values.empty());
    const int x0 = c.index(0, 0.0), y0 = c.index(1, 0.0), z0 = c.index(2, 0.0);
    const int x1 = c.index(0, 1.0), z1 = c.index(2, 1.0);
    EXPECT_GT(std::fabs(c.at(x0, y0, z1)), 0.1);
    EXPECT_LT(std::fabs(c.at(x1, y0, z0)), 1e-6);
}

// --- QCSchema result validated by qcelemental ---

// The document validates as an AtomicResult with its wavefunction section kept
// (protocol "all"); the dipole and charges are Psi4 1.3.2's for this water
// (tests/scf/reference/psi4_values.txt): dipole (0, 0.677432829810, 0) e a0,
// Mulliken O -0.366559028748, Loewdin O -0.253616926541.
TEST(QcschemaWithQcelemental, AtomicResultValidatesAndMatchesTheReport) {
    if (!succeeds(std::string(system_python) + " -c 'import qcelemental'"))
        GTEST_SKIP() << "python3-qcelemental absent";
    const WaterRun& w = water_run();
    ASSERT_EQ(w.run.status, 0);
    const std::string script = write_temp("validate.py",
                                          "import json, sys\n"
                                          "from qcelemental.models import AtomicResult\n"
                                          "r = AtomicResult(**json.load(open(sys.argv[1])))\n"
                                          "p = r.properties\n"
                                          "print('OK', repr(r.return_result), p.scf_iterations, p.calcinfo_natom,\n"
                                          "      p.calcinfo_nbasis, len(r.molecule.symbols), r.success,\n"
                                          "      repr(p.scf_one_electron_energy + p.scf_two_electron_energy\n"
                                          "           + p.nuclear_repulsion_energy - p.scf_total_energy))\n"
                                          "print('DIPOLE', *[repr(x) for x in p.scf_dipole_moment])\n"
                                          "print('CHARGES', repr(r.extras['mulliken_charges'][0]),\n"
                                          "      repr(r.extras['loewdin_charges'][0]))\n"
                                          "wf = r.wavefunction\n"
                                          "print('WAVEFUNCTION', wf.basis.nbf, *wf.scf_orbitals_a.shape,\n"
                                          "      len(wf.scf_eigenvalues_a), repr(sum(wf.scf_occupations_a)), wf.restricted)\n");
    const std::string out =
        command_output(std::string(system_python) + " \"" + script + "\" \"" + w.json + "\" 2>&1");
    std::istringstream in(out);
    std::string ok, success, dipole_key, charges_key, wavefunction_key, restricted;
    double energy = NAN, rest = NAN, dx = NAN, dy = NAN, dz = NAN, mulliken = NAN, loewdin = NAN, electrons = NAN;
    int iterations = -1, natom = -1, nbasis = -1, symbols = -1, nbf = -1, rows = -1, cols = -1, eigenvalues = -1;
    in >> ok >> energy >> iterations >> natom >> nbasis >> symbols >> success >> rest;
    in >> dipole_key >> dx >> dy >> dz >> charges_key >> mulliken >> loewdin;
    in >> wavefunction_key >> nbf >> rows >> cols >> eigenvalues >> electrons >> restricted;
    ASSERT_EQ(ok, "OK") << out;
    EXPECT_NEAR(energy, report_number(w.run.out, "Total energy [Hartree]: "), 5e-9);
    EXPECT_EQ(iterations, static_cast<int>(report_number(w.run.out, "Number of iterations: ")));
    EXPECT_EQ(natom, 3);
    EXPECT_EQ(symbols, 3);
    EXPECT_EQ(nbasis, 7);
    EXPECT_EQ(success, "True");
    // The default mode's energy parts are those of its properties' density (the plain loop
    // continued by DIIS), whose energy is within half a printed digit of the reported one.
    EXPECT_NEAR(rest, 0.0, 5e-9);
    ASSERT_EQ(dipole_key, "DIPOLE") << out;
    EXPECT_NEAR(dx, 0.0, 1e-6);
    EXPECT_NEAR(dy, 0.677432829810, 1e-6);
    EXPECT_NEAR(dz, 0.0, 1e-6);
    ASSERT_EQ(charges_key, "CHARGES") << out;
    EXPECT_NEAR(mulliken, -0.366559028748, 1e-6);
    EXPECT_NEAR(loewdin, -0.253616926541, 1e-6);
    ASSERT_EQ(wavefunction_key, "WAVEFUNCTION") << out;
    EXPECT_EQ(nbf, 7);
    EXPECT_EQ(rows, 7);
    EXPECT_EQ(cols, 7);
    EXPECT_EQ(eigenvalues, 7);
    EXPECT_EQ(electrons, 5.0);  // alpha electrons
    EXPECT_EQ(restricted, "True");
}

}  // namespace
