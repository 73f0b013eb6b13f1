#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "basis/basis_set.h"
#include "basis/cgf.h"
#include "basis/gto.h"
#include "molecule/molecule.h"
#include "integrals/exact/exact.h"
#include "integrals/reference/kinetic.h"
#include "integrals/reference/nuclear.h"
#include "integrals/reference/overlap.h"
#include "integrals/reference/repulsion.h"

// The bit-exact builders against the reference routines over whole molecules: every
// S, T, V element and every distinct two-electron integral must have the very bits
// of the reference value (compared with memcmp, so +0.0 and -0.0 differ). The
// reference routines are the definition; nothing else is expected.
namespace {

struct Placed {
    const char* symbol;
    double x, y, z;  // bohr
};

// Functions on `centres` (the atoms, unless a test adds more), nuclei at `atoms`.
struct System {
    Molecule mol;
    std::vector<Atom> atoms;
    std::vector<Atom> centres;
    std::vector<CGF> cgfs;
    System(const std::vector<Placed>& placed, const std::string& basis) {
        mol.basis_name = basis;
        for (const Placed& p : placed) mol.addAtom(p.symbol, p.x, p.y, p.z);
        atoms = centres = mol.atoms;
        cgfs = molecular_basis(mol).functions;
    }
    Vec3 at(int i) const { return centre_of(cgfs[static_cast<std::size_t>(i)], centres); }
};

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Collects the elements whose bits differ; the first few are printed.
struct Mismatches {
    int count = 0;
    std::ostringstream first;
    void check(double got, double ref, const std::string& where) {
        if (same_bits(got, ref)) return;
        if (count++ < 5) first << where << ": got " << got << " reference " << ref << "\n";
    }
};

std::string at(int i, int j) { return "(" + std::to_string(i) + "," + std::to_string(j) + ")"; }

void expect_one_electron_exact(const System& s) {
    const int n = static_cast<int>(s.cgfs.size());
    const Matrix<double> S = exact_overlap_matrix(s.cgfs, s.centres);
    const Matrix<double> T = exact_kinetic_matrix(s.cgfs, s.centres);
    const std::vector<Matrix<double>> V = exact_nuclear_matrices(s.cgfs, s.centres, s.atoms);
    ASSERT_EQ(V.size(), s.atoms.size());
    Mismatches bad;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            bad.check(S[i][j], cgf_overlap(s.cgfs[i], s.at(i), s.cgfs[j], s.at(j)), "S" + at(i, j));
            bad.check(T[i][j], cgf_kinetic(s.cgfs[i], s.at(i), s.cgfs[j], s.at(j)), "T" + at(i, j));
            for (std::size_t k = 0; k < s.atoms.size(); ++k)
                bad.check(V[k][i][j], cgf_nuclear(s.cgfs[i], s.at(i), s.cgfs[j], s.at(j), s.atoms[k]),
                          "V" + std::to_string(k) + at(i, j));
        }
    EXPECT_EQ(bad.count, 0) << bad.first.str();
}

// The table is sized as the engine sizes it (teindex(n, n, n, n) + 1, filled with -1.0);
// entries past the distinct range must stay untouched.
void expect_repulsion_exact(const System& s, PairOrder order = PairOrder::ket_not_below_bra) {
    const std::vector<CGF>& cgfs = s.cgfs;
    const unsigned n = static_cast<unsigned>(cgfs.size());
    TwoElectronTable table(n + 1);  // one function more than needed: the spare entries stay -1.0
    exact_repulsion_table(cgfs, s.centres, table, order);
    Mismatches bad;
    std::uint64_t checked = 0;
    for (unsigned i = 0; i < n; ++i)
        for (unsigned j = 0; j <= i; ++j)
            for (unsigned k = 0; k < n; ++k)
                for (unsigned l = 0; l <= k; ++l) {
                    const unsigned ij = i * (i + 1) / 2 + j, kl = k * (k + 1) / 2 + l;
                    if (order == PairOrder::ket_not_below_bra ? kl < ij : ij < kl) continue;
                    ++checked;
                    bad.check(table[teindex(i, j, k, l)], cgf_repulsion(cgfs[i], s.at(static_cast<int>(i)), cgfs[j], s.at(static_cast<int>(j)),
                                                                cgfs[k], s.at(static_cast<int>(k)), cgfs[l],
                                                                s.at(static_cast<int>(l))),
                              "(" + std::to_string(i) + std::to_string(j) + "|" + std::to_string(k) +
                                  std::to_string(l) + ")");
                }
    const std::uint64_t distinct = teindex(n - 1, n - 1, n - 1, n - 1) + 1;
    EXPECT_EQ(checked, distinct);
    EXPECT_EQ(bad.count, 0) << bad.first.str();
    for (std::uint64_t x = distinct; x < table.size(); ++x) ASSERT_EQ(table[x], -1.0) << "entry " << x;
}

// Water of the examples: r(OH) = 1.81 bohr, HOH = 105 deg, O at the origin.
const std::vector<Placed> water = {{"O", 0.0, 0.0, 0.0}, {"H", 1.435969546, 1.101858187, 0.0},
                                   {"H", -1.435969546, 1.101858187, 0.0}};
// Planar ethylene, D2h, centred on the origin: many integrals vanish by symmetry and
// many primitive values are exact zeros of either sign.
const std::vector<Placed> ethylene = {{"C", 1.2651, 0.0, 0.0},        {"C", -1.2651, 0.0, 0.0},
                                      {"H", 2.328306, 1.755407, 0.0}, {"H", 2.328306, -1.755407, 0.0},
                                      {"H", -2.328306, 1.755407, 0.0}, {"H", -2.328306, -1.755407, 0.0}};
// Linear HCN along z, carbon at the origin.
const std::vector<Placed> hcn = {{"H", 0.0, 0.0, -2.0143}, {"C", 0.0, 0.0, 0.0}, {"N", 0.0, 0.0, 2.1791}};
// Linear CO2 along x.
const std::vector<Placed> co2 = {{"O", -2.1944, 0.0, 0.0}, {"C", 0.0, 0.0, 0.0}, {"O", 2.1944, 0.0, 0.0}};
const std::vector<Placed> lih = {{"Li", 0.0, 0.0, 0.0}, {"H", 0.0, 0.0, 3.015}};
// Negative zeros among the coordinates: a product centre of -0.0 and +0.0
// coordinates, displacements of either sign of zero, a nucleus at -0.0.
const std::vector<Placed> signed_zeros = {{"N", -0.0, 0.0, -0.0}, {"H", -0.0, -1.9, 0.0}, {"O", 0.0, -0.0, 2.3}};

TEST(ExactOneElectron, WaterSto3g) { expect_one_electron_exact(System(water, "sto-3g")); }
TEST(ExactOneElectron, WaterSto6g) { expect_one_electron_exact(System(water, "sto-6g")); }
TEST(ExactOneElectron, EthyleneSto3g) { expect_one_electron_exact(System(ethylene, "sto-3g")); }
TEST(ExactOneElectron, EthyleneSto6g) { expect_one_electron_exact(System(ethylene, "sto-6g")); }
TEST(ExactOneElectron, HcnSto6g) { expect_one_electron_exact(System(hcn, "sto-6g")); }
TEST(ExactOneElectron, Co2Sto3g) { expect_one_electron_exact(System(co2, "sto-3g")); }
TEST(ExactOneElectron, LiHSto3g) { expect_one_electron_exact(System(lih, "sto-3g")); }
TEST(ExactOneElectron, SignedZeroCoordinates) { expect_one_electron_exact(System(signed_zeros, "sto-3g")); }

TEST(ExactRepulsion, WaterSto3g) { expect_repulsion_exact(System(water, "sto-3g")); }
TEST(ExactRepulsion, WaterSto3gOtherPairOrder) {
    expect_repulsion_exact(System(water, "sto-3g"), PairOrder::bra_not_below_ket);
}
TEST(ExactRepulsion, WaterSto6g) { expect_repulsion_exact(System(water, "sto-6g")); }
TEST(ExactRepulsion, EthyleneSto3g) { expect_repulsion_exact(System(ethylene, "sto-3g")); }
TEST(ExactRepulsion, HcnSto6g) { expect_repulsion_exact(System(hcn, "sto-6g")); }
TEST(ExactRepulsion, Co2Sto3g) { expect_repulsion_exact(System(co2, "sto-3g")); }
TEST(ExactRepulsion, LiHSto3g) { expect_repulsion_exact(System(lih, "sto-3g")); }
TEST(ExactRepulsion, SignedZeroCoordinates) { expect_repulsion_exact(System(signed_zeros, "sto-3g")); }

// A function with a power above 1 (a d-type primitive) is outside the fast path and
// must come from the reference routines, mixed with fast-path functions around it.
TEST(ExactFallback, HigherPowerFunctionMixedIn) {
    System s(lih, "sto-3g");
    // On a centre away from the nuclei.
    const unsigned centre = static_cast<unsigned>(s.centres.size());
    s.centres.emplace_back("H", 0.3, -0.2, 1.1);
    std::vector<GTO> d_prims = {GTO(0.6, 1.3, 2, 0, 0), GTO(0.5, 0.4, 2, 0, 0)};
    s.cgfs.insert(s.cgfs.begin() + 2, CGF{centre, d_prims});
    // An s function whose primitives differ in exponent from every group, and one
    // with mixed powers, to exercise grouping.
    std::vector<GTO> mixed = {GTO(0.7, 0.9, 0, 0, 0), GTO(0.3, 0.9, 1, 0, 0)};
    s.cgfs.push_back(CGF{centre, mixed});
    expect_one_electron_exact(s);
    expect_repulsion_exact(s);
}

}  // namespace

namespace {

// Why the order matters: (ij|kl) and (kl|ij) are equal in exact arithmetic but the
// reference's rounding differs between them for some integrals, so the two pair
// orders give tables that differ in at least one bit while agreeing to 1e-14.
TEST(ExactRepulsion, PairOrdersDifferOnlyInRounding) {
    Molecule mol;
    mol.basis_name = "sto-3g";
    for (const Placed& p : ethylene) mol.addAtom(p.symbol, p.x, p.y, p.z);
    const std::vector<CGF> cgfs = molecular_basis(mol).functions;
    const unsigned n = static_cast<unsigned>(cgfs.size());
    TwoElectronTable ket_first(n), bra_first(n);
    exact_repulsion_table(cgfs, mol.atoms, ket_first, PairOrder::ket_not_below_bra);
    exact_repulsion_table(cgfs, mol.atoms, bra_first, PairOrder::bra_not_below_ket);
    int differing = 0;
    for (std::size_t x = 0; x < ket_first.size(); ++x) {
        if (!same_bits(ket_first[x], bra_first[x])) ++differing;
        EXPECT_NEAR(ket_first[x], bra_first[x], 1e-14) << "entry " << x;
    }
    EXPECT_GT(differing, 0);
}

}  // namespace
