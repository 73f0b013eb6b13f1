#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "basis/basis_set.h"
#include "integrals/fast/fast_eri.h"
#include "integrals/fast/fast_one.h"
#include "integrals/reference/kinetic.h"
#include "integrals/reference/nuclear.h"
#include "integrals/reference/overlap.h"
#include "integrals/reference/repulsion.h"
#include "integrals/fast/shells.h"

// The fast integral path against the reference functions, element by element over
// whole molecules. The reference functions define the results; the fast path must
// agree within 1e-12 relative or 1e-15 absolute (whichever is looser) everywhere.
namespace {

struct Placed {
    const char* symbol;
    double x, y, z;  // bohr
};

struct System {
    std::vector<Atom> atoms;
    BasisSet basis;
    std::vector<CGF> cgfs;
    System(const std::vector<Placed>& placed, const std::string& basis_name) {
        Molecule mol;
        mol.basis_name = basis_name;
        for (const Placed& p : placed) mol.addAtom(p.symbol, p.x, p.y, p.z);
        atoms = mol.atoms;
        basis = molecular_basis(mol);
        cgfs = basis.functions;
    }
    Vec3 at(std::size_t i) const { return centre_of(cgfs[i], atoms); }
};

// Water of the examples: r(OH) = 1.81 bohr, HOH = 105 deg.
const std::vector<Placed> water = {{"O", 0.0, 0.0, 0.0}, {"H", 1.435969546, 1.101858187, 0.0},
                                   {"H", -1.435969546, 1.101858187, 0.0}};
// Three heavy atoms and a hydrogen in a deliberately unsymmetric arrangement, so
// that no integral vanishes by symmetry and every sign of every displacement occurs.
const std::vector<Placed> heavy = {{"C", 0.1, -0.2, 0.05},
                                   {"N", 0.3, 0.25, 2.2},
                                   {"O", -1.9, 0.7, -1.1},
                                   {"H", 1.2, -1.6, -0.7}};

struct Deviation {
    double worst_excess = 0.0;  // max of |d| / allowed; <= 1 passes
    double max_abs = 0.0, max_rel = 0.0;
    void add(double fast, double ref) {
        const double d = std::fabs(fast - ref);
        const double allowed = std::max(1e-12 * std::fabs(ref), 1e-15);
        worst_excess = std::max(worst_excess, d / allowed);
        max_abs = std::max(max_abs, d);
        if (ref != 0.0) max_rel = std::max(max_rel, d / std::fabs(ref));
    }
};

void compare_one_electron(const System& s, const char* label) {
    const std::vector<ShellBlock> shells = build_shells(s.basis, s.atoms);
    const unsigned n = static_cast<unsigned>(s.cgfs.size());
    const Matrix<double> S = overlap_matrix(shells);
    const Matrix<double> T = kinetic_matrix(shells);
    std::vector<Nucleus> nuclei;
    for (const Atom& a : s.atoms) nuclei.push_back(Nucleus{a.gr(), a.nucl_chg()});
    const std::vector<Matrix<double>> V = nuclear_matrices(build_shell_pairs(shells), n, nuclei);
    Deviation dS, dT, dV;
    for (unsigned i = 0; i < n; ++i) {
        for (unsigned j = 0; j < n; ++j) {
            dS.add(S[i][j], cgf_overlap(s.cgfs[i], s.at(i), s.cgfs[j], s.at(j)));
            dT.add(T[i][j], cgf_kinetic(s.cgfs[i], s.at(i), s.cgfs[j], s.at(j)));
            for (std::size_t k = 0; k < s.atoms.size(); ++k)
                dV.add(V[k][i][j], cgf_nuclear(s.cgfs[i], s.at(i), s.cgfs[j], s.at(j), s.atoms[k]));
        }
    }
    EXPECT_LE(dS.worst_excess, 1.0) << label << " S: max abs " << dS.max_abs << ", max rel " << dS.max_rel;
    EXPECT_LE(dT.worst_excess, 1.0) << label << " T: max abs " << dT.max_abs << ", max rel " << dT.max_rel;
    EXPECT_LE(dV.worst_excess, 1.0) << label << " V: max abs " << dV.max_abs << ", max rel " << dV.max_rel;
    std::cout << label << " one-electron max deviation: S " << dS.max_abs << " abs / " << dS.max_rel << " rel, T "
              << dT.max_abs << " / " << dT.max_rel << ", V " << dV.max_abs << " / " << dV.max_rel << "\n";
}

void compare_repulsion(const System& s, const char* label) {
    const unsigned n = static_cast<unsigned>(s.cgfs.size());
    const std::uint64_t count = teindex(n - 1, n - 1, n - 1, n - 1) + 1;
    TwoElectronTable table(n + 1);  // one function more than needed: the spare entries keep -1.0
    repulsion_table(s.basis, s.atoms, table);
    Deviation d;
    std::uint64_t visited = 0;
    for (unsigned i = 0; i < n; ++i)
        for (unsigned j = 0; j <= i; ++j)
            for (unsigned k = 0; k < n; ++k)
                for (unsigned l = 0; l <= k; ++l) {
                    if (k * (k + 1) / 2 + l < i * (i + 1) / 2 + j) continue;
                    ++visited;
                    d.add(table[teindex(i, j, k, l)], cgf_repulsion(s.cgfs[i], s.at(i), s.cgfs[j], s.at(j), s.cgfs[k], s.at(k), s.cgfs[l], s.at(l)));
                }
    EXPECT_EQ(visited, count);
    EXPECT_LE(d.worst_excess, 1.0) << label << " ERI: max abs " << d.max_abs << ", max rel " << d.max_rel;
    // The distinct range is written in full; the spare entries beyond it keep the fill.
    EXPECT_EQ(std::count(table.values().begin(), table.values().begin() + static_cast<long>(count), -1.0), 0);
    EXPECT_EQ(table[count], -1.0);
    std::cout << label << " ERI max deviation over " << count << " integrals: " << d.max_abs << " abs, " << d.max_rel
              << " rel\n";
}

}  // namespace

TEST(FastIntegrals, WaterSto3gOneElectron) { compare_one_electron(System(water, "sto-3g"), "water STO-3G"); }
TEST(FastIntegrals, WaterSto6gOneElectron) { compare_one_electron(System(water, "sto-6g"), "water STO-6G"); }
TEST(FastIntegrals, HeavySto3gOneElectron) { compare_one_electron(System(heavy, "sto-3g"), "CNOH STO-3G"); }
TEST(FastIntegrals, HeavySto6gOneElectron) { compare_one_electron(System(heavy, "sto-6g"), "CNOH STO-6G"); }

TEST(FastIntegrals, WaterSto3gRepulsion) { compare_repulsion(System(water, "sto-3g"), "water STO-3G"); }
TEST(FastIntegrals, WaterSto6gRepulsion) { compare_repulsion(System(water, "sto-6g"), "water STO-6G"); }
TEST(FastIntegrals, HeavySto3gRepulsion) { compare_repulsion(System(heavy, "sto-3g"), "CNOH STO-3G"); }
TEST(FastIntegrals, HeavySto6gRepulsion) { compare_repulsion(System(heavy, "sto-6g"), "CNOH STO-6G"); }

// Fluorine and lithium: the lithium 2s/2p shell far from the fluorine.
TEST(FastIntegrals, FluorineAndLithium) {
    const System s({{"F", 0.0, 0.0, 0.0}, {"Li", 0.0, 0.4, 2.9}}, "sto-3g");
    compare_one_electron(s, "FLi STO-3G");
    compare_repulsion(s, "FLi STO-3G");
}

// Grouping: 1s alone, 2s with the three 2p (shared exponents), one shell per hydrogen.
TEST(Shells, WaterGroupsTwoSAndTwoPIntoOneShell) {
    const System s(water, "sto-3g");
    const std::vector<ShellBlock> shells = build_shells(s.basis, s.atoms);
    ASSERT_EQ(shells.size(), 4u);
    EXPECT_EQ(shells[0].functions.size(), 1u);
    EXPECT_EQ(shells[1].functions.size(), 4u);
    EXPECT_EQ(shells[1].max_l, 1);
    EXPECT_EQ(shells[1].functions[2].index, 3u);  // 2py
    EXPECT_EQ(shells[1].functions[2].power[1], 1);
    EXPECT_EQ(shells[3].functions[0].index, 6u);
    // Diagonal pair of the sp shell keeps i >= j only: 4 * 5 / 2 function pairs.
    EXPECT_EQ(build_shell_pair(shells, 1, 1).first.size(), 10u);
    EXPECT_EQ(build_shell_pair(shells, 1, 0).first.size(), 4u);
}

// Atoms 7-15 bohr apart: many primitive quartets fall below the Schwarz screening
// bound and are skipped; every integral must still match the reference.
TEST(FastIntegrals, DistantAtomsScreenedWithinTolerance) {
    const std::vector<Placed> spread = {{"C", 0.0, 0.0, 0.0}, {"O", 0.3, 0.2, 7.5}, {"H", -0.4, 6.9, 14.0}};
    compare_repulsion(System(spread, "sto-6g"), "C O H spread STO-6G");
}

// The screening relies on each shell pair's primitive list being ordered by decreasing
// Schwarz bound, with tail[k] the sum of the bounds from k on.
TEST(Screening, PrimitiveBoundsSortedWithTailSums) {
    const System s(heavy, "sto-6g");
    for (const ShellPair& sp : build_shell_pairs(build_shells(s.basis, s.atoms))) {
        const PrimitiveList& e = sp.eri;
        ASSERT_EQ(e.size(), sp.prims.size());
        for (std::size_t k = 0; k < e.size(); ++k) {
            EXPECT_GT(e.bound[k], 0.0);
            if (k + 1 < e.size()) {
                EXPECT_GE(e.bound[k], e.bound[k + 1]);
                EXPECT_NEAR(e.tail[k], e.bound[k] + e.tail[k + 1], 1e-15 * e.tail[k]);
            } else {
                EXPECT_EQ(e.tail[k], e.bound[k]);
            }
        }
    }
}

// Cauchy-Schwarz over the primitive quartets: (ij|ij) = sum_kl (ij|ij)_kl <= (sum_k bound_k)^2,
// so tail[0] bounds sqrt((ij|ij)) from the reference for every function pair. A bound
// far above the integrals (here: more than 10 times the number of primitive pairs
// times the largest) would leave the screening without effect; contraction signs
// could in principle make it that loose, but these basis sets do not.
TEST(Screening, TailBoundsTheReferenceDiagonalIntegral) {
    for (const char* basis : {"sto-3g", "sto-6g"}) {
        const System s(heavy, basis);
        for (const ShellPair& sp : build_shell_pairs(build_shells(s.basis, s.atoms))) {
            double largest = 0.0;
            for (std::size_t f = 0; f < sp.first.size(); ++f) {
                const CGF& a = s.cgfs[sp.first[f]];
                const CGF& b = s.cgfs[sp.second[f]];
                const Vec3 A = s.at(sp.first[f]), B = s.at(sp.second[f]);
                const double diag = std::sqrt(cgf_repulsion(a, A, b, B, a, A, b, B));
                EXPECT_LE(diag, sp.eri.tail[0] * (1.0 + 1e-12)) << basis << " pair " << sp.a << "," << sp.b;
                largest = std::max(largest, diag);
            }
            if (largest > 1e-6) {
                EXPECT_LE(sp.eri.tail[0], largest * static_cast<double>(sp.prims.size()) * 10.0)
                    << basis << " pair " << sp.a << "," << sp.b;
            }
        }
    }
}

// A table updated after one atom moved (the quartets with a shell on it computed again) is
// the table of the new geometry bit for bit, whichever atom moved: a quartet left stale, on
// the bra side or the ket side, differs by about the 0.01 bohr step.
TEST(FastIntegrals, TableUpdatedAfterOneAtomMoved) {
    const System before(heavy, "sto-3g");
    const unsigned n = static_cast<unsigned>(before.cgfs.size());
    TwoElectronTable reference(n);
    repulsion_table(before.basis, before.atoms, reference);
    for (std::size_t moved = 0; moved < heavy.size(); ++moved) {
        std::vector<Placed> placed = heavy;
        placed[moved].x += 0.01;
        placed[moved].z -= 0.01;
        const System after(placed, "sto-3g");
        const std::vector<ShellBlock> shells = build_shells(after.basis, after.atoms);
        std::vector<bool> on_moved(shells.size());
        for (std::size_t s = 0; s < shells.size(); ++s) on_moved[s] = shells[s].atom == moved;
        TwoElectronTable updated = reference, full(n);
        update_repulsion_table(build_shell_pairs(shells), on_moved, updated);
        repulsion_table(after.basis, after.atoms, full);
        EXPECT_EQ(updated.values(), full.values()) << "atom " << placed[moved].symbol << " moved";
    }
}
