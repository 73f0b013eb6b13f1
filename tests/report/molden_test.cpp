// The Molden file text. The orbital content is set by hand on an engine that
// has only gathered its basis, so these tests read the layout alone; the
// end-to-end tests hand a real file to Jmol and to Avogadro's qube.
#include "report/molden.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "common/constants.h"
#include "common/failure.h"
#include "app/run.h"
#include "report/listing.h"

namespace {

// A calculation that has only gathered its basis: zero orbital energies and coefficients
// in each spin channel, `occupied` orbitals each ({pairs} when empty, or {alpha, beta}).
Calculation bare_calculation(const Molecule& mol, std::vector<unsigned> occupied = {}) {
    Calculation calc;
    calc.molecule = mol;
    calc.basis = molecular_basis(mol);
    for (const Atom& atom : mol.atoms) calc.electrons += atom.nrelecs();
    if (occupied.empty()) occupied = {calc.electrons / 2};
    const int n = static_cast<int>(calc.basis.size());
    for (unsigned o : occupied) {
        ChannelState c;
        c.occupied = o;
        c.occupation = occupied.size() == 1 ? 2.0 : 1.0;
        c.energies.assign(calc.basis.size(), 0.0);
        c.C.resize(n, n);
        calc.result.channels.push_back(c);
    }
    return calc;
}

// Water in STO-3G at bohr positions; orbital k of channel s has energy -10 + k + s / 2 and
// the coefficient 0.01 * (10 b + k) + s / 1000 on function b, so every number is distinct.
Calculation water_engine(const std::string& basis = "sto-3g", std::vector<unsigned> occupied = {}) {
    Molecule mol;
    mol.basis_name = basis;
    mol.addAtom("O", 0.0, 0.0, 0.0);
    mol.addAtom("H", 1.435969546, 1.101858187, 0.0);
    mol.addAtom("H", -1.435969546, 1.101858187, 0.0);
    Calculation calc = bare_calculation(mol, occupied);
    for (unsigned s = 0; s < calc.channels(); ++s)
        for (unsigned k = 0; k < calc.basis.size(); ++k) {
            ChannelState& c = calc.result.channels[s];
            c.energies[k] = -10.0 + k + 0.5 * s;
            for (unsigned b = 0; b < calc.basis.size(); ++b) c.C[b][k] = 0.01 * (10.0 * b + k) + 0.001 * s;
        }
    return calc;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::size_t index_of(const std::vector<std::string>& lines, const std::string& line) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == line) return i;
    return lines.size();
}

struct Shell {
    std::string kind;
    std::vector<double> alpha, c;
};

// The shells of the [GTO] block, atom by atom.
std::vector<std::vector<Shell>> read_shells(const std::vector<std::string>& lines) {
    std::vector<std::vector<Shell>> atoms;
    std::size_t i = index_of(lines, "[GTO]") + 1;
    while (i < lines.size() && lines[i] != "[MO]") {
        std::istringstream head(lines[i++]);
        int atom = 0, zero = -1;
        head >> atom >> zero;
        EXPECT_EQ(atom, static_cast<int>(atoms.size()) + 1);
        EXPECT_EQ(zero, 0);
        atoms.emplace_back();
        while (i < lines.size() && !lines[i].empty()) {
            std::istringstream sh(lines[i++]);
            Shell s;
            int count = 0;
            double scale = 0.0;
            sh >> s.kind >> count >> scale;
            EXPECT_EQ(scale, 1.0);
            for (int p = 0; p < count; ++p) {
                std::istringstream prim(lines[i++]);
                double a, c;
                prim >> a >> c;
                s.alpha.push_back(a);
                s.c.push_back(c);
            }
            atoms.back().push_back(s);
        }
        ++i;  // the blank line that closes the atom
    }
    return atoms;
}

// Self-overlap of a contraction of normalised primitives of angular momentum L:
//   <phi|phi> = sum_ij c_i c_j (2 sqrt(a_i a_j) / (a_i + a_j))^(L + 3/2)
// (closed form of the overlap of two normalised Gaussians on one centre).
double self_overlap(const Shell& s, int L) {
    double sum = 0.0;
    for (std::size_t i = 0; i < s.c.size(); ++i)
        for (std::size_t j = 0; j < s.c.size(); ++j)
            sum += s.c[i] * s.c[j] *
                   std::pow(2.0 * std::sqrt(s.alpha[i] * s.alpha[j]) / (s.alpha[i] + s.alpha[j]), L + 1.5);
    return sum;
}

TEST(MoldenText, SectionsInOrderAndAtomsInBohr) {
    const std::vector<std::string> lines = lines_of(molden_text(water_engine()));
    ASSERT_GT(lines.size(), 3u);
    EXPECT_EQ(lines[0], "[Molden Format]");
    const std::size_t atoms = index_of(lines, "[Atoms] AU");
    const std::size_t gto = index_of(lines, "[GTO]");
    const std::size_t mo = index_of(lines, "[MO]");
    ASSERT_LT(atoms, gto);
    ASSERT_LT(gto, mo);
    ASSERT_LT(mo, lines.size());
    ASSERT_EQ(gto - atoms, 4u);  // three atom lines

    const struct {
        const char* symbol;
        int number, z;
        double x, y;
    } expected[] = {{"O", 1, 8, 0.0, 0.0}, {"H", 2, 1, 1.435969546, 1.101858187}, {"H", 3, 1, -1.435969546, 1.101858187}};
    for (int a = 0; a < 3; ++a) {
        std::istringstream in(lines[atoms + 1 + a]);
        std::string symbol;
        int number = 0, z = 0;
        double x, y, zc;
        in >> symbol >> number >> z >> x >> y >> zc;
        EXPECT_EQ(symbol, expected[a].symbol);
        EXPECT_EQ(number, expected[a].number);
        EXPECT_EQ(z, expected[a].z);
        EXPECT_NEAR(x, expected[a].x, 1e-11);
        EXPECT_NEAR(y, expected[a].y, 1e-11);
        EXPECT_EQ(zc, 0.0);
    }
}

TEST(MoldenText, ShellsCarryTheTableCoefficientsOfNormalisedPrimitives) {
    const std::vector<std::vector<Shell>> atoms = read_shells(lines_of(molden_text(water_engine())));
    ASSERT_EQ(atoms.size(), 3u);
    ASSERT_EQ(atoms[0].size(), 3u);
    EXPECT_EQ(atoms[0][0].kind, "s");
    EXPECT_EQ(atoms[0][1].kind, "s");
    EXPECT_EQ(atoms[0][2].kind, "p");
    ASSERT_EQ(atoms[1].size(), 1u);
    ASSERT_EQ(atoms[2].size(), 1u);

    // STO-3G oxygen: 1s exponents and the shared 1s/2s/2p coefficients of the tables.
    const Shell& o1s = atoms[0][0];
    ASSERT_EQ(o1s.alpha.size(), 3u);
    EXPECT_DOUBLE_EQ(o1s.alpha[0], 130.70932);
    EXPECT_DOUBLE_EQ(o1s.c[0], 0.15432897);
    EXPECT_DOUBLE_EQ(o1s.c[2], 0.44463454);
    EXPECT_DOUBLE_EQ(atoms[0][1].c[0], -0.09996723);
    EXPECT_DOUBLE_EQ(atoms[0][2].alpha[2], 0.380389);
    EXPECT_DOUBLE_EQ(atoms[0][2].c[1], 0.60768372);
    EXPECT_DOUBLE_EQ(atoms[1][0].alpha[1], 0.62391373);

    // Coefficients without the primitive norms folded in describe normalised
    // contractions; with the norms folded in the self-overlaps would be far from 1.
    EXPECT_NEAR(self_overlap(atoms[0][0], 0), 1.0, 1e-6);
    EXPECT_NEAR(self_overlap(atoms[0][1], 0), 1.0, 1e-6);
    EXPECT_NEAR(self_overlap(atoms[0][2], 1), 1.0, 1e-6);
    EXPECT_NEAR(self_overlap(atoms[1][0], 0), 1.0, 1e-6);
}

TEST(MoldenText, StoSixGAndLithiumWithItsSpShell) {
    Molecule mol;
    mol.basis_name = "sto-6g";
    mol.addAtom("Li", 0.0, 0.0, 0.0);
    mol.addAtom("H", 0.0, 0.0, 3.0);
    const std::vector<std::vector<Shell>> atoms = read_shells(lines_of(molden_text(bare_calculation(mol))));
    ASSERT_EQ(atoms.size(), 2u);
    ASSERT_EQ(atoms[0].size(), 3u);  // 1s, 2s, 2p, as for boron to neon
    EXPECT_EQ(atoms[0][1].kind, "s");
    EXPECT_EQ(atoms[0][1].alpha.size(), 6u);
    EXPECT_EQ(atoms[0][2].kind, "p");
    EXPECT_EQ(atoms[0][2].alpha, atoms[0][1].alpha);
    EXPECT_NEAR(self_overlap(atoms[0][0], 0), 1.0, 1e-6);
    EXPECT_NEAR(self_overlap(atoms[0][1], 0), 1.0, 1e-6);
    EXPECT_NEAR(self_overlap(atoms[0][2], 1), 1.0, 1e-6);
}

TEST(MoldenText, EveryOrbitalOfEachChannelWithEnergyOccupationAndIndexedCoefficients) {
    struct Case {
        std::vector<unsigned> occupied;  // per channel
        const char* title;
        std::vector<const char*> spins;
        double occupation;
    };
    const Case cases[] = {
        {{5}, "velko restricted Hartree-Fock, sto-3g", {"Alpha"}, 2.0},  // 10 electrons in pairs
        {{6, 4}, "velko unrestricted Hartree-Fock, sto-3g", {"Alpha", "Beta"}, 1.0},  // a triplet
    };
    for (const Case& c : cases) {
        const std::vector<std::string> lines = lines_of(molden_text(water_engine("sto-3g", c.occupied)));
        EXPECT_EQ(lines[2], c.title);
        std::size_t i = index_of(lines, "[MO]") + 1;
        for (unsigned s = 0; s < c.spins.size(); ++s)
            for (unsigned k = 0; k < 7; ++k) {
                ASSERT_LT(i + 4 + 7, lines.size() + 1);
                EXPECT_EQ(lines[i++], "Sym= A");
                double energy = 0.0;
                ASSERT_EQ(std::sscanf(lines[i++].c_str(), "Ene= %lf", &energy), 1);
                EXPECT_DOUBLE_EQ(energy, -10.0 + k + 0.5 * s);
                EXPECT_EQ(lines[i++], std::string("Spin= ") + c.spins[s]);
                double occupation = -1.0;
                ASSERT_EQ(std::sscanf(lines[i++].c_str(), "Occup= %lf", &occupation), 1);
                EXPECT_EQ(occupation, k < c.occupied[s] ? c.occupation : 0.0) << "orbital " << k + 1;
                for (unsigned b = 0; b < 7; ++b) {
                    int index = 0;
                    double x = 0.0;
                    ASSERT_EQ(std::sscanf(lines[i++].c_str(), "%d %lf", &index, &x), 2);
                    EXPECT_EQ(index, static_cast<int>(b) + 1);
                    EXPECT_NEAR(x, 0.01 * (10.0 * b + k) + 0.001 * s, 1e-13) << "C[" << b << "][" << k << "]";
                }
            }
        EXPECT_EQ(i, lines.size());
    }
}

// An atom without shells has nothing to write under [GTO]; the file is refused
// rather than written with shells missing.
TEST(MoldenText, AtomWithoutShellsIsRefused) {
    Calculation hf = water_engine();
    hf.basis.atom_shells[2] = hf.basis.atom_shells[1];
    try {
        molden_text(hf);
        FAIL() << "no Failure";
    } catch (const Failure& f) {
        EXPECT_EQ(f.status, exit_status::unsupported);
        EXPECT_NE(f.message.find("H (atom 2)"), std::string::npos) << f.message;
    }
}

TEST(MoldenFile, UnwritablePathIsAFailure) {
    const Calculation hf = water_engine();
    EXPECT_THROW(write_molden(hf, "/nonexistent-dir/water.molden"), Failure);
}

}  // namespace

// Beyond p, against Psi4 1.3.2's Molden files of the same water (tests/reference/psi4_basis/,
// psi4_molden.in beside them): the [5D] flag for pure functions, and every orbital's
// coefficients in the file, up to the orbital's sign, Cartesian xy, xz, yz at Molden's
// norm. Psi4 converged to 1e-8 in the density: the coefficients agree to 1e-5.
TEST(MoldenText, DAndFFunctionsAsPsi4WritesThem) {
    struct Case { const char* basis; bool pure; const char* psi4_file; };
    for (const Case& c : {Case{"6-31G*", false, "psi4_water_6-31gs.molden"},
                          Case{"cc-pVDZ", true, "psi4_water_cc-pvdz.molden"}}) {
        SCOPED_TRACE(c.basis);
        Molecule mol = water_engine().molecule;
        mol.basis_name = c.basis;
        Settings settings;
        settings.progress = false;
        Listing quiet(false);
        const std::string text = molden_text(compute_run(prepare_run(mol, "water"), settings, "water", quiet));
        std::ifstream in(std::string(VELKO_SOURCE_DIR "/tests/reference/psi4_basis/") + c.psi4_file);
        const std::string psi4((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(index_of(lines_of(text), "[5D]") < lines_of(text).size(), c.pure);
        // The coefficient columns of [MO], orbital after orbital.
        const auto coefficients = [](const std::string& file) {
            std::vector<std::vector<double>> orbitals;
            for (const std::string& line : lines_of(file.substr(file.find("[MO]")))) {
                std::istringstream f(line);
                std::string key;
                double value = 0.0;
                if (!(f >> key)) continue;
                if (key.rfind("Ene=", 0) == 0) orbitals.emplace_back();
                else if (std::isdigit(static_cast<unsigned char>(key[0])) && f >> value) orbitals.back().push_back(value);
            }
            return orbitals;
        };
        const auto ours = coefficients(text), theirs = coefficients(psi4);
        ASSERT_EQ(ours.size(), theirs.size());
        for (std::size_t k = 0; k < ours.size(); ++k) {
            ASSERT_EQ(ours[k].size(), theirs[k].size());
            double dot = 0.0;
            for (std::size_t b = 0; b < ours[k].size(); ++b) dot += ours[k][b] * theirs[k][b];
            for (std::size_t b = 0; b < ours[k].size(); ++b)
                EXPECT_NEAR(ours[k][b], dot < 0 ? -theirs[k][b] : theirs[k][b], 1e-5) << "orbital " << k + 1 << " function " << b + 1;
        }
    }
}
