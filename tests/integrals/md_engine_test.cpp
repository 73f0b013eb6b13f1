#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "basis/cgf.h"
#include "common/constants.h"
#include "integrals/md/boys.h"
#include "integrals/md/hermite.h"
#include "integrals/md/one_body.h"
#include "integrals/md/pure.h"
#include "integrals/md/repulsion.h"
#include "integrals/reference/kinetic.h"
#include "integrals/reference/nuclear.h"
#include "integrals/reference/overlap.h"
#include "integrals/reference/repulsion.h"
#include "integrals/shell_engine.h"
#include "primitives.h"

namespace {

// Uniform numbers from the Mersenne twister, whose sequence the standard fixes.
struct Random {
    std::mt19937 g{20261207u};
    double operator()(double lo, double hi) { return lo + (hi - lo) * (g() / 4294967296.0); }
};

// Two primitives up to d, one above (reference/ is slow at high L).
GaussianShell random_shell(Random& r, int l) {
    const std::array<double, 3> at{r(-1, 1), r(-1, 1), r(-1, 1)};
    if (l > 2) return normalised_shell(l, false, at, {r(0.3, 3)}, {1.0});
    return normalised_shell(l, false, at, {r(0.3, 3), r(0.3, 3)}, {r(0.2, 1), r(0.2, 1)});
}

// The shell's Cartesian functions for reference/: primitive p of component k carries
// c_p and, as its norm, component_scale(k), exactly the engine's function.
std::vector<Placed> reference_functions(const GaussianShell& s) {
    std::vector<Placed> functions;
    const Vec3 at(s.centre[0], s.centre[1], s.centre[2]);
    for (const CartesianPowers& k : cartesian_components(s.l)) {
        Placed f{CGF{}, at};
        for (std::size_t p = 0; p < s.exponents.size(); ++p) {
            f.f.gtos.emplace_back(s.coefficients[p], s.exponents[p], k.x, k.y, k.z);
            f.f.gtos.back().norm = component_scale(k);
        }
        functions.push_back(f);
    }
    return functions;
}

void expect_near(double value, double expected, const char* what, int row) {
    EXPECT_LE(std::fabs(value - expected), 1e-12 * std::max(1.0, std::fabs(expected)))
        << what << " row " << row << ": " << value << " against " << expected;
}

// Shell quartets over L = 0 ... 5, with random centres and exponents; expected
// values from reference/ (Taketa, Huzinaga, O-ohata formulas:
// independent of the Hermite recursions), to 1e-12. reference/ holds factorials in
// 32-bit integers, which limits a quartet to la + lb + lc + ld <= 12.
const int quartets[][4] = {{0, 0, 0, 0}, {1, 0, 1, 0}, {1, 1, 1, 1}, {2, 0, 1, 2}, {2, 2, 2, 2},
                           {3, 1, 2, 0}, {3, 3, 3, 3}, {4, 0, 2, 1}, {4, 4, 2, 2}, {5, 0, 1, 0},
                           {5, 2, 3, 1}, {5, 5, 1, 1}};

TEST(MdEngine, AgreesWithReferenceOverL) {
    Random r;
    int row = 0;
    for (const int* q : quartets) {
        const GaussianShell s[4] = {random_shell(r, q[0]), random_shell(r, q[1]), random_shell(r, q[2]),
                                    random_shell(r, q[3])};
        std::vector<Placed> f[4];
        for (int k = 0; k < 4; ++k) f[k] = reference_functions(s[k]);
        const Vec3 C(r(-1, 1), r(-1, 1), r(-1, 1));
        const double Z = 7.0;
        for (int pair = 0; pair < 4; pair += 2) {
            const std::vector<Placed>& a = f[pair];
            const std::vector<Placed>& b = f[pair + 1];
            const std::vector<double> S = overlap_block(s[pair], s[pair + 1]);
            const std::vector<double> T = kinetic_block(s[pair], s[pair + 1]);
            const std::vector<double> V = nuclear_block(s[pair], s[pair + 1], {{Z, {C.x, C.y, C.z}}});
            for (std::size_t i = 0; i < a.size(); ++i)
                for (std::size_t j = 0; j < b.size(); ++j) {
                    double v = 0.0;
                    for (const GTO& ga : a[i].f.gtos)
                        for (const GTO& gb : b[j].f.gtos)
                            v += ga.c * gb.c * gto_nuclear(ga, a[i].at, gb, b[j].at, C);
                    expect_near(S[i * b.size() + j], cgf_overlap(a[i], b[j]), "overlap", row);
                    expect_near(T[i * b.size() + j], cgf_kinetic(a[i], b[j]), "kinetic", row);
                    expect_near(V[i * b.size() + j], Z * v, "nuclear", row);
                }
        }
        // About 100 integrals of the quartet, spread over it.
        const std::vector<double> eri = repulsion_block(s[0], s[1], s[2], s[3]);
        const std::size_t n[4] = {f[0].size(), f[1].size(), f[2].size(), f[3].size()};
        for (std::size_t k = 0; k < eri.size(); k += eri.size() / 100 + 1) {
            const std::size_t d = k % n[3], c = k / n[3] % n[2], b = k / (n[3] * n[2]) % n[1],
                              a = k / (n[3] * n[2] * n[1]);
            expect_near(eri[k], cgf_repulsion(f[0][a], f[1][b], f[2][c], f[3][d]), "repulsion", row);
        }
        ++row;
    }
}

// Pure functions on one centre are orthonormal for every L, and so are the diagonals
// of Cartesian ones (each component at unit norm); closed form: the identity.
TEST(MdEngine, OneCentreFunctionsAreNormalised) {
    for (int l = 0; l <= max_engine_l; ++l)
        for (bool pure : {true, false}) {
            const GaussianShell s = normalised_shell(l, pure, {0.1, -0.2, 0.3}, {4.0, 0.7, 0.2}, {0.3, 0.5, 0.4});
            const std::vector<double> S = overlap_block(s, s);
            const int n = function_count(s);
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j)
                    if (pure || i == j) {
                        EXPECT_NEAR(S[i * n + j], i == j ? 1.0 : 0.0, 1e-14) << l << " " << i << " " << j;
                    }
        }
}

// Solid harmonics in components of x^l norm, Molden's order; closed forms from
// S_lm (Helgaker et al. 6.4.47) normalised by hand with <x^2 z^2> / <x^4> = 1/3 and the like.
const double r3 = std::sqrt(3.0), r58 = std::sqrt(5.0 / 8.0);
const struct {
    int l, row, column;  // column among cartesian_components(l)
    double value;
} harmonics[] = {{2, 0, 0, -0.5}, {2, 0, 2, 1.0},   {2, 1, 4, r3},     {2, 2, 5, r3},         {2, 3, 0, r3 / 2},
                 {2, 3, 1, -r3 / 2}, {2, 4, 3, r3}, {3, 0, 2, 1.0},    {3, 0, 5, -1.5},       {3, 0, 8, -1.5},
                 {3, 5, 0, r58},  {3, 5, 3, -3 * r58}, {3, 6, 1, -r58}, {3, 6, 4, 3 * r58}};

TEST(MdEngine, SolidHarmonicCoefficients) {
    for (const auto& h : harmonics)
        EXPECT_NEAR(solid_harmonics(h.l)[h.row * cartesian_count(h.l) + h.column], h.value, 1e-15)
            << h.l << " " << h.row << " " << h.column;
}

// One centre, where t = 0 (reference/ raises t to 1e-8 there): normalised s primitives
// of exponents a, b, c, d, p = a + b, q = c + d, N(a) = (2a/pi)^(3/4), closed forms
//   <a| 1/r |b> = 2 pi / p N(a) N(b),   (ab|cd) = 2 pi^(5/2) / (p q sqrt(p + q)) N(a) N(b) N(c) N(d).
TEST(MdEngine, OneCentreClosedForms) {
    const double e[4] = {0.4, 1.3, 2.2, 0.9};
    GaussianShell s[4];
    double N[4];
    for (int k = 0; k < 4; ++k) {
        s[k] = normalised_shell(ElementShell{0, true, {e[k]}, {1.0}}, {0.5, 0.5, 0.5});
        N[k] = std::pow(2.0 * e[k] / pi_convention, 0.75);
    }
    const double p = e[0] + e[1], q = e[2] + e[3];
    EXPECT_NEAR(nuclear_block(s[0], s[1], {{1.0, {0.5, 0.5, 0.5}}})[0], -2.0 * pi_convention / p * N[0] * N[1], 1e-14);
    EXPECT_NEAR(repulsion_block(s[0], s[1], s[2], s[3])[0],
                two_pi_2_5 / (p * q * std::sqrt(p + q)) * N[0] * N[1] * N[2] * N[3], 1e-14);
}

// Pure quartets: (ab|cd) against reference/'s Cartesian integrals contracted with the
// solid harmonics (checked above) in the test's own loops, and the permutational
// symmetry (ab|cd) = (ba|cd) = (cd|ab) of the engine's pure blocks.
TEST(MdEngine, PureQuartetsAgainstReferenceAndSymmetric) {
    Random r;
    GaussianShell s[4] = {random_shell(r, 2), random_shell(r, 1), random_shell(r, 3), random_shell(r, 2)};
    std::vector<Placed> f[4];
    for (int k = 0; k < 4; ++k) f[k] = reference_functions(s[k]), s[k].pure = true;
    const std::vector<double> abcd = repulsion_block(s[0], s[1], s[2], s[3]);
    const std::vector<double> bacd = repulsion_block(s[1], s[0], s[2], s[3]);
    const std::vector<double> cdab = repulsion_block(s[2], s[3], s[0], s[1]);
    const int n[4] = {5, 3, 7, 5};
    const std::vector<double>& d = solid_harmonics(2);
    const std::vector<double>& g = solid_harmonics(3);
    // reference/'s components carry unit norms; the harmonics take those of x^l.
    const auto x_l = [](int l, int i) { return 1.0 / component_scale(cartesian_components(l)[i]); };
    for (int a = 0; a < 5; ++a)
        for (int c = 0; c < 7; ++c)
            for (int x = 0; x < 5; ++x) {
                const int b = (a + c + x) % 3;  // a third of the quartet
                double expected = 0.0;
                for (int i = 0; i < 6; ++i)
                    for (int k = 0; k < 10; ++k)
                        for (int m = 0; m < 6; ++m)
                            if (d[a * 6 + i] != 0 && g[c * 10 + k] != 0 && d[x * 6 + m] != 0)
                                expected += d[a * 6 + i] * x_l(2, i) * g[c * 10 + k] * x_l(3, k) * d[x * 6 + m] *
                                            x_l(2, m) * cgf_repulsion(f[0][i], f[1][b], f[2][k], f[3][m]);
                const std::size_t at = ((a * n[1] + b) * n[2] + c) * n[3] + x;
                expect_near(abcd[at], expected, "pure repulsion", 0);
                EXPECT_NEAR(bacd[((b * n[0] + a) * n[2] + c) * n[3] + x], abcd[at], 1e-14);
                EXPECT_NEAR(cdab[((c * n[3] + x) * n[0] + a) * n[1] + b], abcd[at], 1e-14);
            }
}

// Shells computed as one group sharing exponents (an sp shell of a Pople set, cc-pVDZ's
// general s contractions): shells of L `ls` on one centre, each with coefficients its own.
std::vector<GaussianShell> random_group(Random& r, const std::vector<int>& ls, bool pure = false, int primitives = 2) {
    const std::array<double, 3> at{r(-1, 1), r(-1, 1), r(-1, 1)};
    std::vector<double> exponents;
    for (int p = 0; p < primitives; ++p) exponents.push_back(r(0.3, 3));
    std::vector<GaussianShell> group;
    for (int l : ls) {
        std::vector<double> coefficients;
        for (int p = 0; p < primitives; ++p) coefficients.push_back(r(-1, 1));
        group.push_back(normalised_shell(l, pure, at, exponents, coefficients));
    }
    return group;
}

// A quartet of random groups with the L of `ls`, its pairs and the engine's integrals;
// reference(k) is integral k (ab|cd), d fastest, from reference/ (Cartesian only).
struct GroupQuartet {
    std::vector<GaussianShell> g[4];
    std::vector<Placed> f[4];
    RepulsionPair bra, ket;
    GroupQuartet(Random& r, const std::vector<int> (&ls)[4], bool pure, int primitives) {
        for (int k = 0; k < 4; ++k)
            for (const GaussianShell& shell : g[k] = random_group(r, ls[k], pure, primitives))
                for (const Placed& p : reference_functions(shell)) f[k].push_back(p);
        bra = repulsion_pair(g[0].data(), g[0].size(), g[1].data(), g[1].size());
        ket = repulsion_pair(g[2].data(), g[2].size(), g[3].data(), g[3].size());
    }
    std::size_t size() const { return static_cast<std::size_t>(bra.functions()) * ket.functions(); }
    double reference(std::size_t k) const {
        const std::size_t n1 = f[1].size(), n2 = f[2].size(), n3 = f[3].size();
        return cgf_repulsion(f[0][k / (n3 * n2 * n1)], f[1][k / (n3 * n2) % n1], f[2][k / n3 % n2], f[3][k % n3]);
    }
};

// Group quartets, every integral against reference/ to 1e-12: a fault in the order of a
// group's functions or in which shell's coefficients a function pair carries shows.
const std::vector<int> group_quartets[][4] = {
    {{0, 1}, {0, 1}, {0, 1}, {0, 1}},  // four sp shells: 16 shell quartets in one
    {{0, 0}, {0}, {0, 1}, {0, 0}},     // general s contractions
    {{1, 2}, {0, 1}, {2}, {0, 0}},
};

TEST(MdEngine, ShellGroupsAgreeWithReference) {
    Random r;
    int row = 0;
    for (const auto& ls : group_quartets) {
        const GroupQuartet q(r, ls, false, 2);
        std::vector<double> eri(q.size());
        repulsion_quartet(q.bra, q.ket, eri.data());
        for (std::size_t k = 0; k < eri.size(); ++k) expect_near(eri[k], q.reference(k), "group", row);
        ++row;
    }
}

// The screened operator's pairs of groups (s p and a d of other exponents on one centre,
// s s and a p of other exponents on another): the groups, and each pair's Schwarz bound
// max sqrt((ab|ab)) against the diagonals of the single-shell quartets, to 1e-12
// (reference/ is far less accurate at P = Q).
TEST(MdEngine, GroupPairsAndTheirSchwarzBounds) {
    Random r;
    std::vector<GaussianShell> shells = random_group(r, {0, 1}), other = random_group(r, {0, 0});
    shells.push_back(normalised_shell(2, false, shells[0].centre, {0.8}, {1.0}));
    shells.insert(shells.end(), other.begin(), other.end());
    shells.push_back(normalised_shell(1, false, other[0].centre, {0.5}, {1.0}));
    const std::vector<unsigned> groups{0, 2, 3, 5, 6};
    EXPECT_EQ(exponent_groups(shells), groups);
    const ShellQuartets quartets(shells, {0, 1, 4, 10, 11, 12, 15}, 1);
    ASSERT_EQ(quartets.pairs().size(), 10u);
    for (std::size_t x = 0; x < 10; ++x) {
        const PairFunctions& p = quartets.pairs()[x];
        double largest = 0.0;
        for (unsigned a = groups[p.a]; a < groups[p.a + 1]; ++a)
            for (unsigned b = groups[p.b]; b < groups[p.b + 1]; ++b) {
                const std::vector<double> block = repulsion_block(shells[a], shells[b], shells[a], shells[b]);
                const std::size_t n = static_cast<std::size_t>(function_count(shells[a]) * function_count(shells[b]));
                for (std::size_t ab = 0; ab < n; ++ab) largest = std::max(largest, std::sqrt(std::fabs(block[ab * n + ab])));
            }
        expect_near(quartets.bound(x), largest, "Schwarz bound", static_cast<int>(x));
    }
}

// The unrolled kernels of repulsion_quartet (pair L la + lb through 4 on each side) against
// the general loops over any L, which they must equal bit for bit (the same operations in
// the same order), and, Cartesian, against reference/ to 1e-12 on a spread of integrals:
// one row per pair L, group shape, pure or Cartesian and contraction length.
const struct {
    std::vector<int> g[4];  // the L of each group's shells
    bool pure;
    int primitives;
} kernel_quartets[] = {
    {{{0}, {0}, {0}, {0}}, false, 1},          {{{1}, {0}, {1}, {1}}, false, 2},
    {{{1}, {1}, {1}, {1}}, false, 1},          {{{1}, {1}, {1}, {1}}, false, 3},
    {{{0, 1}, {0, 1}, {0, 1}, {0, 1}}, false, 3},  // four sp shells
    {{{2}, {0}, {1}, {1}}, true, 2},           {{{2}, {1}, {0}, {0}}, false, 1},
    {{{2}, {2}, {2}, {2}}, false, 1},          {{{2}, {2}, {2}, {1}}, true, 2},
    {{{3}, {1}, {2}, {2}}, false, 1},          {{{4}, {0}, {0}, {0}}, false, 1},
    {{{3}, {2}, {1}, {1}}, false, 1},  // pair L 5: the general loops on both sides
};

TEST(MdEngine, UnrolledKernelsEqualGeneralLoops) {
    Random r;
    int row = 0;
    for (const auto& row_data : kernel_quartets) {
        const GroupQuartet q(r, row_data.g, row_data.pure, row_data.primitives);
        const std::size_t n = q.size();
        std::vector<double> fast(n), general(n);
        repulsion_quartet(q.bra, q.ket, fast.data());
        repulsion_quartet_any_l(q.bra, q.ket, general.data());
        for (std::size_t k = 0; k < n; ++k) EXPECT_EQ(fast[k], general[k]) << "row " << row << " integral " << k;
        for (std::size_t k = 0; !row_data.pure && k < n; k += n / 60 + 1) expect_near(fast[k], q.reference(k), "kernel", row);
        ++row;
    }
}

// F_m(t) against Simpson quadrature of int_0^1 u^(2m) exp(-t u^2) du in long double
// (200000 intervals), to 1e-14 relative, orders to 4 L = 20, across the grid's end at 36:
// by divisions (the energy's) and by products with reciprocals (the derivatives').
TEST(MdEngine, BoysFunctionToFourL) {
    const double ts[] = {0.0, 1e-10, 0.3, 2.5, 11.7, 35.99, 36.01, 60.0, 200.0};
    const int orders[] = {0, 1, 5, 12, 20};
    for (double t : ts) {
        double F[boys_any_max_order + 1], G[boys_any_max_order + 1];
        boys_any(boys_any_max_order, t, F);
        boys_any_by_products(boys_any_max_order, t, G);
        const int n = 200000;
        long double sum[5] = {};
        for (int i = 0; i <= n; ++i) {
            const long double u = static_cast<long double>(i) / n;
            const long double w = (i == 0 || i == n ? 1 : (i % 2 == 1 ? 4 : 2)) * std::exp(-t * u * u);
            long double power = 1.0L;  // u^(2m)
            for (int m = 0, k = 0; k < 5; ++m, power *= u * u)
                if (m == orders[k]) sum[k++] += w * power;
        }
        for (int k = 0; k < 5; ++k) {
            const double expected = static_cast<double>(sum[k] / (3.0L * n));
            EXPECT_NEAR(F[orders[k]], expected, 1e-14 * expected) << "m " << orders[k] << " t " << t;
            EXPECT_NEAR(G[orders[k]], expected, 1e-14 * expected) << "by products, m " << orders[k] << " t " << t;
        }
    }
}

// The derivatives' Hermite Coulomb terms (unrolled to L = 9, stepped beyond, scaled) against
// hermite_coulomb's own recursion over (t, u, v), every term, to 1e-14 of the largest.
TEST(MdEngine, HermiteCoulombTermsUnrolledAndStepped) {
    const std::vector<HermiteIndex>& all = hermite_indices(12);
    for (int L : {0, 1, 5, 9, 10, 12})
        for (const std::array<double, 4>& a : {std::array<double, 4>{0.7, 0.3, -1.1, 0.4},
                                               std::array<double, 4>{3.0, -2.5, 0.0, 6.0}}) {
            std::vector<double> work(hermite_coulomb_work(L)), scratch;
            hermite_coulomb_terms(L, a[0], a[1], a[2], a[3], -2.5, work.data());
            const double* R = hermite_coulomb(L, a[0], a[1], a[2], a[3], scratch);
            const int s = L + 1;
            double largest = 0.0;
            for (std::size_t h = 0; h < hermite_indices(L).size(); ++h)
                largest = std::max(largest, std::fabs(R[(all[h].t * s + all[h].u) * s + all[h].v]));
            for (std::size_t h = 0; h < hermite_indices(L).size(); ++h)
                EXPECT_NEAR(work[h], -2.5 * R[(all[h].t * s + all[h].u) * s + all[h].v], 1e-14 * 2.5 * largest)
                    << "L " << L << " term " << h;
        }
}

}  // namespace
