#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>

#include "common/constants.h"
#include "gradient/derivative_integrals.h"
#include "integrals/md/boys.h"
#include "integrals/md/hermite.h"
#include "integrals/md/pure.h"
#include "integrals/md/repulsion.h"
#include "system/parallel.h"

namespace {

// Primitive pairs whose product distribution c_a c_b K_ab (pi/p)^(3/2) is below this in
// size are left out: every integral they enter is smaller still.
constexpr double primitive_pair_cutoff = 1e-15;

// Primitive quartets whose bound on every derivative they add (see self_bounds) is below
// this are left out: ~20% of caffeine's in STO-3G, moving its gradient by 4e-13 Eh/bohr,
// far below the 1e-10 printed.
constexpr double primitive_quartet_cutoff = 1e-14;

// Shells of one atom that share their exponents (exponent_groups), taken as one block: a
// quartet of blocks computes the primitive pairs, Boys values and Hermite Coulomb terms once
// for all their components (the 2s and 2p shells of the STO-nG sets, the sp shells of the
// Pople sets, the general contractions of the correlation-consistent sets).
struct Block {
    std::vector<const GaussianShell*> shells;
    unsigned atom = 0;
    int l = 0;           // the largest of its shells
    bool plain = true;   // all s and p: its components are its functions
    int kind = -1;       // its place in fixed_kinds, or -1
    std::vector<CartesianPowers> powers;            // per component
    std::vector<int> member;                        // per component: its shell in `shells`
    std::vector<int> functions;                     // per function: its index in the basis
    std::vector<double> transform;  // unless plain: functions x components, each shell's shell_transform
};

// The components of the blocks whose quartets run through kernels fixed at compile time
// (PairShape): an s shell; an s and a p shell sharing exponents (STO-nG, Pople); a p shell;
// two s shells sharing exponents (the general contraction of the correlation-consistent sets);
// a d shell, its Cartesian components in the order of cartesian_components(2).
struct FixedKind {
    int l, count;
    CartesianPowers powers[6];
};
constexpr int fixed_kind_count = 5;
constexpr int d_kind = 4;

// Pairs of kinds with kernels fixed at compile time: a d shell with an s, p or two-s block
// (a pair of l <= 3) or any pair without d. Others, l up to 4, run the general loops: their
// kernels would cost more to compile than the quartets they speed up.
constexpr bool fixed_pair(int ka, int kb) {
    const auto light = [](int k) { return k == 0 || k == 2 || k == 3; };
    return (ka != d_kind && kb != d_kind) || (ka == d_kind && light(kb)) || (kb == d_kind && light(ka));
}
constexpr FixedKind fixed_kinds[fixed_kind_count] = {
    {0, 1, {{0, 0, 0}}},
    {1, 4, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
    {1, 3, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
    {0, 2, {{0, 0, 0}, {0, 0, 0}}},
    {2, 6, {{2, 0, 0}, {0, 2, 0}, {0, 0, 2}, {1, 1, 0}, {1, 0, 1}, {0, 1, 1}}},
};

int fixed_kind_of(const std::vector<CartesianPowers>& powers) {
    for (int k = 0; k < fixed_kind_count; ++k) {
        const FixedKind& kind = fixed_kinds[k];
        bool same = powers.size() == static_cast<std::size_t>(kind.count);
        for (std::size_t c = 0; same && c < powers.size(); ++c)
            same = powers[c].x == kind.powers[c].x && powers[c].y == kind.powers[c].y && powers[c].z == kind.powers[c].z;
        if (same) return k;
    }
    return -1;
}

std::vector<Block> blocks_of(const std::vector<GradientShell>& shells) {
    std::vector<GaussianShell> gaussians;
    for (const GradientShell& s : shells) gaussians.push_back(s.gaussian);
    const std::vector<unsigned> begin = exponent_groups(gaussians);
    // Atoms are at distinct positions (check_distinct_positions): a group is on one atom.
    std::vector<Block> blocks;
    for (std::size_t group = 0; group + 1 < begin.size(); ++group)
        for (unsigned k = begin[group]; k < begin[group + 1]; ++k) {
            const GradientShell& s = shells[k];
            const GaussianShell& g = s.gaussian;
            if (k == begin[group]) {
                blocks.emplace_back();
                blocks.back().atom = s.atom;
            }
            Block& b = blocks.back();
            b.l = std::max(b.l, g.l);
            b.plain = b.plain && g.l <= 1;
            for (const CartesianPowers& c : cartesian_components(g.l)) {
                b.powers.push_back(c);
                b.member.push_back(static_cast<int>(b.shells.size()));
            }
            for (int f = 0; f < function_count(g); ++f) b.functions.push_back(static_cast<int>(s.first) + f);
            b.shells.push_back(&g);
        }
    for (Block& b : blocks) {
        b.kind = fixed_kind_of(b.powers);
        if (b.plain) continue;
        const std::size_t nc = b.powers.size();
        b.transform.assign(b.functions.size() * nc, 0.0);
        std::size_t f0 = 0, c0 = 0;
        for (const GaussianShell* g : b.shells) {
            const std::vector<double>& T = shell_transform(g->l, g->pure);
            const std::size_t nf = static_cast<std::size_t>(function_count(*g)),
                              ncg = static_cast<std::size_t>(cartesian_count(g->l));
            for (std::size_t f = 0; f < nf; ++f)
                for (std::size_t c = 0; c < ncg; ++c) b.transform[(f0 + f) * nc + c0 + c] = T[f * ncg + c];
            f0 += nf;
            c0 += ncg;
        }
    }
    return blocks;
}

// A block pair as one side of a quartet: per primitive pair kept p and P and, per
// component pair ab, Hermite terms (entries start[ab] to start[ab + 1] of index into
// hermite_indices) with `width` values per entry and primitive pair in value, each
// holding the pair's c_a c_b K_ab, K_ab = exp(-ab/p |A - B|^2).
struct PairData {
    std::vector<double> p, Px, Py, Pz;
    std::vector<double> bound;  // per primitive pair: see self_bounds
    std::vector<int> start, index;
    std::vector<std::size_t> flat;  // per entry: g * (terms of hermite_indices) + index, g its component pair
    std::vector<double> value;
    std::vector<double> unsigned_value;  // ket_pair's values without their sign (-1)^(t+u+v)
    std::vector<double> signed_value;    // bra_pair's values with the sign (-1)^(t+u+v) of their term
    // signed_value's three at the first centre, three per entry, and one more value (0) that
    // sums four wide read past the last entry: half the data for a ket differentiated at C only.
    std::vector<double> signed_first;
    std::size_t entries() const { return index.size(); }
};

// The kept primitive pairs of A and B, each with its exponents, the coefficients of its
// components' shells and Hermite expansions (i up to la + extra, j up to lb + extra)
// handed to `values`.
template <class Values>
void fill_pairs(const Block& A, const Block& B, int extra, PairData& pair, const Values& values) {
    const GaussianShell &GA = *A.shells.front(), &GB = *B.shells.front();
    double ab2 = 0.0;
    for (int x = 0; x < 3; ++x) ab2 += (GA.centre[x] - GB.centre[x]) * (GA.centre[x] - GB.centre[x]);
    HermiteExpansion E[3];
    std::vector<double> ca(A.shells.size()), cb(B.shells.size());
    for (std::size_t pa = 0; pa < GA.exponents.size(); ++pa)
        for (std::size_t pb = 0; pb < GB.exponents.size(); ++pb) {
            const double a = GA.exponents[pa], b = GB.exponents[pb], p = a + b;
            const double factor = std::exp(-a * b / p * ab2);
            double largest_a = 0.0, largest_b = 0.0;
            for (std::size_t m = 0; m < ca.size(); ++m) {
                ca[m] = A.shells[m]->coefficients[pa];
                largest_a = std::max(largest_a, std::fabs(ca[m]));
            }
            for (std::size_t m = 0; m < cb.size(); ++m) {
                cb[m] = B.shells[m]->coefficients[pb];
                largest_b = std::max(largest_b, std::fabs(cb[m]));
            }
            if (largest_a * largest_b * factor * std::pow(pi_convention / p, 1.5) < primitive_pair_cutoff) continue;
            double P[3];
            for (int x = 0; x < 3; ++x) {
                P[x] = (a * GA.centre[x] + b * GB.centre[x]) / p;
                E[x].compute(A.l + extra, B.l + extra, p, P[x] - GA.centre[x], P[x] - GB.centre[x]);
            }
            pair.p.push_back(p);
            pair.Px.push_back(P[0]);
            pair.Py.push_back(P[1]);
            pair.Pz.push_back(P[2]);
            for (double& c : ca) c *= factor;
            values(E, a, b, ca, cb);
        }
}

// The undifferentiated pair: (-1)^(t+u+v) c_c c_d K_cd E^ij_t E^kl_u E^mn_v over
// hermite_indices(lc + ld), one value per entry. The sign is the ket's in (ab|cd); as a
// bra, the pair meets R_(h+k') with the sign of (h + k') (see repulsion_gradient).
PairData ket_pair(const Block& A, const Block& B) {
    PairData ket;
    const std::vector<HermiteIndex>& hs = hermite_indices(A.l + B.l);
    ket.start.push_back(0);
    for (const CartesianPowers& i : A.powers)
        for (const CartesianPowers& j : B.powers) {
            for (std::size_t h = 0; h < hs.size(); ++h)
                if (hs[h].t <= i.x + j.x && hs[h].u <= i.y + j.y && hs[h].v <= i.z + j.z)
                    ket.index.push_back(static_cast<int>(h));
            ket.start.push_back(static_cast<int>(ket.index.size()));
        }
    fill_pairs(A, B, 0, ket,
               [&](const HermiteExpansion* E, double, double, const std::vector<double>& ca, const std::vector<double>& cb) {
                   std::size_t e = 0, cd = 0;
                   for (std::size_t ic = 0; ic < A.powers.size(); ++ic)
                       for (std::size_t jc = 0; jc < B.powers.size(); ++jc) {
                           const CartesianPowers &i = A.powers[ic], &j = B.powers[jc];
                           const double c = ca[static_cast<std::size_t>(A.member[ic])] *
                                            cb[static_cast<std::size_t>(B.member[jc])];
                           for (; e < static_cast<std::size_t>(ket.start[cd + 1]); ++e) {
                               const HermiteIndex& h = hs[static_cast<std::size_t>(ket.index[e])];
                               const double e3 = E[0](i.x, j.x, h.t) * E[1](i.y, j.y, h.u) * E[2](i.z, j.z, h.v);
                               ket.value.push_back(((h.t + h.u + h.v) % 2 == 0 ? c : -c) * e3);
                               ket.unsigned_value.push_back(c * e3);
                           }
                           ++cd;
                       }
               });
    return ket;
}

// The bra, differentiated at A and B: over hermite_indices(la + lb + 1), the terms some
// derivative has, six values per entry: d/dA_x, d/dA_y, d/dA_z, d/dB_x, d/dB_y, d/dB_z of
// c_a c_b K_ab E^ij_t E^kl_u E^mn_v, where
//   d/dA_x E^ij_t = 2a E^(i+1)j_t - i E^(i-1)j_t,   d/dB_x E^ij_t = 2b E^i(j+1)_t - j E^i(j-1)_t.
PairData bra_pair(const Block& A, const Block& B) {
    PairData bra;
    const std::vector<HermiteIndex>& hs = hermite_indices(A.l + B.l + 1);
    bra.start.push_back(0);
    for (const CartesianPowers& i : A.powers)
        for (const CartesianPowers& j : B.powers) {
            const int n[3] = {i.x + j.x, i.y + j.y, i.z + j.z};
            for (std::size_t h = 0; h < hs.size(); ++h) {
                const int tuv[3] = {hs[h].t, hs[h].u, hs[h].v};
                bool needed = false;
                for (int x = 0; x < 3; ++x)
                    needed = needed || (tuv[x] <= n[x] + 1 && tuv[(x + 1) % 3] <= n[(x + 1) % 3] &&
                                        tuv[(x + 2) % 3] <= n[(x + 2) % 3]);
                if (needed) bra.index.push_back(static_cast<int>(h));
            }
            bra.start.push_back(static_cast<int>(bra.index.size()));
        }
    for (std::size_t g = 0; g + 1 < bra.start.size(); ++g)
        for (int e = bra.start[g]; e < bra.start[g + 1]; ++e)
            bra.flat.push_back(g * hs.size() + static_cast<std::size_t>(bra.index[static_cast<std::size_t>(e)]));
    fill_pairs(A, B, 1, bra,
               [&](const HermiteExpansion* E, double a, double b, const std::vector<double>& ca,
                   const std::vector<double>& cb) {
                   std::size_t e = 0, ab = 0;
                   for (std::size_t ic = 0; ic < A.powers.size(); ++ic)
                       for (std::size_t jc = 0; jc < B.powers.size(); ++jc) {
                           const CartesianPowers &i = A.powers[ic], &j = B.powers[jc];
                           const double c = ca[static_cast<std::size_t>(A.member[ic])] *
                                            cb[static_cast<std::size_t>(B.member[jc])];
                           const int m[3] = {i.x, i.y, i.z}, n[3] = {j.x, j.y, j.z};
                           for (; e < static_cast<std::size_t>(bra.start[ab + 1]); ++e) {
                               const HermiteIndex& h = hs[static_cast<std::size_t>(bra.index[e])];
                               const int tuv[3] = {h.t, h.u, h.v};
                               double plain[3], at_a[3], at_b[3];
                               for (int x = 0; x < 3; ++x) {
                                   const int s = m[x], r = n[x], t = tuv[x];
                                   plain[x] = t > s + r ? 0.0 : E[x](s, r, t);
                                   at_a[x] = 2.0 * a * E[x](s + 1, r, t) - (s > 0 ? s * E[x](s - 1, r, t) : 0.0);
                                   at_b[x] = 2.0 * b * E[x](s, r + 1, t) - (r > 0 ? r * E[x](s, r - 1, t) : 0.0);
                               }
                               for (int x = 0; x < 3; ++x)
                                   bra.value.push_back(c * (at_a[x] * plain[(x + 1) % 3] * plain[(x + 2) % 3]));
                               for (int x = 0; x < 3; ++x)
                                   bra.value.push_back(c * (at_b[x] * plain[(x + 1) % 3] * plain[(x + 2) % 3]));
                           }
                           ++ab;
                       }
               });
    const std::size_t entries = bra.entries();
    for (std::size_t v = 0; v < bra.value.size(); ++v) {
        const HermiteIndex& h = hs[static_cast<std::size_t>(bra.index[v / 6 % entries])];
        bra.signed_value.push_back((h.t + h.u + h.v) % 2 == 0 ? bra.value[v] : -bra.value[v]);
        if (v % 6 < 3) bra.signed_first.push_back(bra.signed_value.back());
    }
    bra.signed_first.push_back(0.0);
    return bra;
}

// Position of (t, u, v) in hermite_indices: those of lower t + u + v first, then t and u descending.
constexpr std::size_t hermite_position(int t, int u, int v) {
    const int n = t + u + v, rest = n - t;
    return static_cast<std::size_t>(n * (n + 1) * (n + 2) / 6 + rest * (rest + 1) / 2 + rest - u);
}

// Terms t + u + v <= L: (L + 1)(L + 2)(L + 3) / 6.
constexpr std::size_t term_count(int l) { return static_cast<std::size_t>((l + 1) * (l + 2) * (l + 3) / 6); }

// Per primitive pair, sqrt of the largest self-repulsion over its component pairs and its
// `width` values per entry: a distribution Omega = sum_h E_h Lambda_h(P) has
//   (Omega|Omega) = 2 pi^(5/2) / (p^2 sqrt(2p)) sum_hk E_h E_k (-1)^k R_(h+k)(p/2, 0),
// and |(Omega|Omega')| <= sqrt((Omega|Omega) (Omega'|Omega')) (Schwarz) bounds every
// primitive quartet. `signed_values`: the values hold (-1)^h E_h (ket_pair).
// A pair whose self-repulsion needs R beyond the Boys tables (2 l > boys_any_max_order: the
// differentiated pair of two h shells) is given no bound, so none of its quartets is skipped.
void self_bounds(PairData& pair, int l, std::size_t width, bool signed_values) {
    if (2 * l > boys_any_max_order) {
        pair.bound.assign(pair.p.size(), std::numeric_limits<double>::infinity());
        return;
    }
    // Per component pair g, its entry pairs (e, f) with where R_(h_e+h_f) lies and the sign it meets.
    const std::vector<HermiteIndex>& hs = hermite_indices(l);
    const std::size_t groups = pair.start.size() - 1, entries = pair.entries();
    struct Term {
        std::size_t e, f, position;
        bool odd;
    };
    std::vector<Term> terms;
    std::vector<std::size_t> group_end;
    for (std::size_t g = 0; g < groups; ++g) {
        for (int e = pair.start[g]; e < pair.start[g + 1]; ++e)
            for (int f = pair.start[g]; f < pair.start[g + 1]; ++f) {
                const HermiteIndex &h = hs[static_cast<std::size_t>(pair.index[static_cast<std::size_t>(e)])],
                                   &k = hs[static_cast<std::size_t>(pair.index[static_cast<std::size_t>(f)])];
                const int odd = signed_values ? h.t + h.u + h.v : k.t + k.u + k.v;
                terms.push_back({static_cast<std::size_t>(e), static_cast<std::size_t>(f),
                                 hermite_position(h.t + k.t, h.u + k.u, h.v + k.v), odd % 2 != 0});
            }
        group_end.push_back(terms.size());
    }
    std::vector<double> work(hermite_coulomb_work(2 * l)), self(width);
    for (std::size_t pp = 0; pp < pair.p.size(); ++pp) {
        const double p = pair.p[pp];
        hermite_coulomb_terms(2 * l, 0.5 * p, 0.0, 0.0, 0.0, 1.0, work.data());
        const double pre = two_pi_2_5 / (p * p * std::sqrt(2.0 * p));
        const double* value = &pair.value[pp * entries * width];
        double largest = 0.0;
        std::size_t at = 0;
        for (std::size_t g = 0; g < groups; ++g) {
            std::fill(self.begin(), self.end(), 0.0);
            for (; at < group_end[g]; ++at) {
                const Term& term = terms[at];
                const double r = term.odd ? -work[term.position] : work[term.position];
                for (std::size_t c = 0; c < width; ++c) self[c] += r * value[term.e * width + c] * value[term.f * width + c];
            }
            for (std::size_t c = 0; c < width; ++c) largest = std::max(largest, pre * self[c]);
        }
        pair.bound.push_back(std::sqrt(largest));
    }
}

// For terms h = (t, u, v) of degree <= L1 and k = (t', u', v') of degree <= L2, both in the
// order of hermite_indices: where R_(t+t')(u+u')(v+v') lies, out(k * terms of L1 + h, position).
template <class Out>
constexpr void sum_positions(int l1, int l2, Out&& out) {
    std::size_t at = 0;
    for (int n2 = 0; n2 <= l2; ++n2)
        for (int t2 = n2; t2 >= 0; --t2)
            for (int u2 = n2 - t2; u2 >= 0; --u2)
                for (int n1 = 0; n1 <= l1; ++n1)
                    for (int t1 = n1; t1 >= 0; --t1)
                        for (int u1 = n1 - t1; u1 >= 0; --u1)
                            out(at++, hermite_position(t1 + t2, u1 + u2, n1 - t1 - u1 + n2 - t2 - u2));
}

std::vector<std::size_t> sum_offsets(int l1, int l2) {
    std::vector<std::size_t> offset(term_count(l1) * term_count(l2));
    sum_positions(l1, l2, [&](std::size_t at, std::size_t position) { offset[at] = position; });
    return offset;
}

// sum_offsets fixed at compile time, for the degrees of s and p blocks (L1 + L2 <= 5).
constexpr int fixed_sum_degree = 5;
template <int L1, int L2>
struct FixedSums {
    static constexpr std::array<unsigned short, term_count(L1) * term_count(L2)> make() {
        std::array<unsigned short, term_count(L1) * term_count(L2)> position{};
        sum_positions(L1, L2, [&](std::size_t at, std::size_t p) { position[at] = static_cast<unsigned short>(p); });
        return position;
    }
    static constexpr std::array<unsigned short, term_count(L1) * term_count(L2)> position = make();
};

// The loops below run inside quartet_sums, which is built for AVX2 as well and chosen at
// load time where the processor has it. Only the vector width differs (no contraction to
// FMA, -ffp-contract=off): the bits are the same either way. Clang takes the default code,
// and so do builds with AddressSanitizer: inlined into one function, the kernels instrumented
// take GCC tens of minutes to compile; called, they compute the same.
#if defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__)
#define VELKO_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#define VELKO_INLINE inline __attribute__((always_inline))
#define VELKO_INLINE_LAMBDA __attribute__((always_inline))
#define VELKO_UNROLL _Pragma("GCC unroll 256")
#define VELKO_KERNEL __attribute__((noinline, target_clones("avx2", "default")))
#else
#define VELKO_KERNEL
#define VELKO_VECTOR_CLONES
#define VELKO_INLINE inline
#define VELKO_INLINE_LAMBDA
#define VELKO_UNROLL
#endif

// Calls f(std::integral_constant<int, L>()) for a Hermite degree l compiled fixed (0 ... 4:
// 1, 4, 10, 20, 35 terms), else with L = -1.
template <class F>
VELKO_INLINE void with_fixed_degree(int l, const F& f) {
    switch (l) {
        case 0: f(std::integral_constant<int, 0>()); break;
        case 1: f(std::integral_constant<int, 1>()); break;
        case 2: f(std::integral_constant<int, 2>()); break;
        case 3: f(std::integral_constant<int, 3>()); break;
        case 4: f(std::integral_constant<int, 4>()); break;
        default: f(std::integral_constant<int, -1>());
    }
}

// The row length of a fixed degree L, 0 for any other.
template <int L>
constexpr std::size_t fixed_length = L < 0 ? 0 : term_count(L);

// Calls f(i0, std::integral_constant<std::size_t, W>()) over columns [i0, i0 + W) covering
// [0, n): sixteen, then four, then one at a time. A row of any length is summed a piece at a
// time in registers, each element taking its additions in the same order as a whole row would.
template <class F>
VELKO_INLINE void by_columns(std::size_t n, const F& f) {
    std::size_t i0 = 0;
    for (; i0 + 16 <= n; i0 += 16) f(i0, std::integral_constant<std::size_t, 16>());
    for (; i0 + 4 <= n; i0 += 4) f(i0, std::integral_constant<std::size_t, 4>());
    for (; i0 < n; ++i0) f(i0, std::integral_constant<std::size_t, 1>());
}

// Y[g][0 .. n) += sum_e v_e X[index_e][0 .. n) over the entries e of each component pair g
// of one side's expansion. For the common lengths N = n, fixed, each row of Y is summed in
// registers, for others a piece at a time (by_columns); every element takes its additions in
// the same order either way.
template <std::size_t N>
VELKO_INLINE void contract(std::size_t n, std::size_t groups, const PairData& side, const double* v, const double* X,
                           double* Y) {
    if (N == 0) {
        const int* start = side.start.data();
        const int* index = side.index.data();
        for (std::size_t g = 0; g < groups; ++g)
            by_columns(n, [&](std::size_t i0, auto width) VELKO_INLINE_LAMBDA {
                constexpr std::size_t W = decltype(width)::value;
                double y[W];
                for (std::size_t i = 0; i < W; ++i) y[i] = Y[g * n + i0 + i];
                for (int e = start[g]; e < start[g + 1]; ++e) {
                    const double a = v[e];
                    const double* x = X + static_cast<std::size_t>(index[e]) * n + i0;
                    for (std::size_t i = 0; i < W; ++i) y[i] += a * x[i];
                }
                for (std::size_t i = 0; i < W; ++i) Y[g * n + i0 + i] = y[i];
            });
        return;
    }
    constexpr std::size_t len = N != 0 ? N : 1;
    for (std::size_t g = 0; g < groups; ++g) {
        double y[len];
        for (std::size_t i = 0; i < len; ++i) y[i] = Y[g * len + i];
        for (int e = side.start[g]; e < side.start[g + 1]; ++e) {
            const double a = v[e];
            const double* x = X + static_cast<std::size_t>(side.index[static_cast<std::size_t>(e)]) * len;
            for (std::size_t i = 0; i < len; ++i) y[i] += a * x[i];
        }
        for (std::size_t i = 0; i < len; ++i) Y[g * len + i] = y[i];
    }
}

// Y[a][0 .. n) = sum_b M[a][b] X[b][0 .. n), M rows x inner, each row of Y summed as in contract.
template <std::size_t N>
VELKO_INLINE void multiply(std::size_t n, std::size_t rows, std::size_t inner, const double* M, const double* X, double* Y) {
    if (N == 0) {
        for (std::size_t a = 0; a < rows; ++a)
            by_columns(n, [&](std::size_t i0, auto width) VELKO_INLINE_LAMBDA {
                constexpr std::size_t W = decltype(width)::value;
                double y[W] = {};
                for (std::size_t b = 0; b < inner; ++b) {
                    const double m = M[a * inner + b];
                    const double* x = X + b * n + i0;
                    for (std::size_t i = 0; i < W; ++i) y[i] += m * x[i];
                }
                for (std::size_t i = 0; i < W; ++i) Y[a * n + i0 + i] = y[i];
            });
        return;
    }
    constexpr std::size_t len = N != 0 ? N : 1;
    for (std::size_t a = 0; a < rows; ++a) {
        double y[len] = {};
        for (std::size_t b = 0; b < inner; ++b) {
            const double m = M[a * inner + b];
            const double* x = X + b * len;
            for (std::size_t i = 0; i < len; ++i) y[i] += m * x[i];
        }
        for (std::size_t i = 0; i < len; ++i) Y[a * len + i] = y[i];
    }
}

// Four and two doubles side by side: the six derivative values of an entry as two vectors.
typedef double Lanes4 __attribute__((vector_size(32)));
typedef double Lanes2 __attribute__((vector_size(16)));

// a += b p[0 .. lanes), p unaligned.
template <class Lanes>
VELKO_INLINE void add_product(Lanes& a, const double* p, double b) {
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    a += v * b;
}

// s[c] = sum_e dv[Stride e + c] V[flat_e] over the n entries of a differentiated pair, c < N:
// two partial sums, so that the additions overlap, each over the six (N = 6) or first three
// values of an entry at once (every s[c] takes its additions in the order of e). Four values
// are read from an entry's first: with Stride 3, one past the last entry.
template <int N, std::size_t Stride, class Flat>
VELKO_INLINE void final_sums(std::size_t n, const Flat& flat, const double* dv, const double* V, double* s) {
    static_assert(Stride == 6 || (Stride == 3 && N == 3), "six values per entry, or the first three");
    Lanes4 even4 = {}, odd4 = {};
    Lanes2 even2 = {}, odd2 = {};
    std::size_t e = 0;
    for (; e + 1 < n; e += 2) {
        const double v0 = V[flat[e]], v1 = V[flat[e + 1]];
        add_product(even4, dv + Stride * e, v0);
        add_product(odd4, dv + Stride * e + Stride, v1);
        if constexpr (N == 6) {
            add_product(even2, dv + Stride * e + 4, v0);
            add_product(odd2, dv + Stride * e + Stride + 4, v1);
        }
    }
    if (e < n) {
        const double v0 = V[flat[e]];
        add_product(even4, dv + Stride * e, v0);
        if constexpr (N == 6) add_product(even2, dv + Stride * e + 4, v0);
    }
    for (int c = 0; c < 3; ++c) s[c] = even4[c] + odd4[c];
    if constexpr (N == 6) {
        s[3] = even4[3] + odd4[3];
        s[4] = even2[0] + odd2[0];
        s[5] = even2[1] + odd2[1];
    }
}

// X[k][h'] = R_(h'+k) for the terms h' of degree <= l1 and k of degree <= l2 (offset from
// sum_offsets); for the degrees of s and p blocks from FixedSums, a copy per element.
VELKO_INLINE void gather_sums(int l1, int l2, const std::vector<std::size_t>& offset, const double* R, double* X) {
    with_fixed_degree(l1 + l2 <= fixed_sum_degree ? l1 : -1, [&](auto L1) {
        with_fixed_degree(decltype(L1)::value < 0 ? -1 : l2, [&](auto L2) {
            constexpr int a = decltype(L1)::value, b = decltype(L2)::value;
            if constexpr (a >= 0 && b >= 0 && a + b <= fixed_sum_degree) {
                const auto& position = FixedSums<a, b>::position;
                VELKO_UNROLL
                for (std::size_t i = 0; i < position.size(); ++i) X[i] = R[position[i]];
            } else {
                for (std::size_t i = 0; i < offset.size(); ++i) X[i] = R[offset[i]];
            }
        });
    });
}

// One side of a primitive quartet, its partner raised by one: with the pair's values v over
// the nk terms k of degree <= l2 and the partner's n terms h' of degree <= l1,
//   Y[g][h'] += sum_k v[g][k] R_(h'+k),
// the rows X[k][h'] = R_(h'+k) gathered first.
VELKO_INLINE void raised_contraction(int l1, int l2, const std::vector<std::size_t>& offset, std::size_t groups,
                                     const PairData& side, const double* v, const double* R, double* X, double* Y) {
    gather_sums(l1, l2, offset, R, X);
    with_fixed_degree(l1, [&](auto L) VELKO_INLINE_LAMBDA { contract<fixed_length<decltype(L)::value>>(term_count(l1), groups, side, v, X, Y); });
}

// The derivatives at one pair's centres, s[0 .. N) of sum_(ab,h') dE[ab][h'] V[ab][h'] with
// V = Gamma Y (Gamma rows x inner, Y inner x n, n the terms of degree <= l): the three at its
// first centre, then (N = 6) the three at its second.
template <int N, std::size_t Stride>
VELKO_INLINE void pair_derivatives(int l, std::size_t rows, std::size_t inner, const double* gamma, const double* Y,
                                   const PairData& dpair, const double* dv, double* V, double* s) {
    with_fixed_degree(l, [&](auto L) VELKO_INLINE_LAMBDA { multiply<fixed_length<decltype(L)::value>>(term_count(l), rows, inner, gamma, Y, V); });
    final_sums<N, Stride>(dpair.flat.size(), dpair.flat, dv, V, s);
}

// The entries of a pair of fixed kinds as ket_pair (differentiated false) and bra_pair
// (true) make them: per component pair g, A's components outer, out(g, position) for each
// Hermite term of degree <= l (l + 1 differentiated) it has, in the order of hermite_indices.
template <class Out>
constexpr void shape_terms(const FixedKind& A, const FixedKind& B, bool differentiated, Out&& out) {
    const int l = A.l + B.l + (differentiated ? 1 : 0);
    std::size_t g = 0;
    for (int ic = 0; ic < A.count; ++ic)
        for (int jc = 0; jc < B.count; ++jc, ++g) {
            const CartesianPowers &i = A.powers[ic], &j = B.powers[jc];
            const int n[3] = {i.x + j.x, i.y + j.y, i.z + j.z};
            for (int total = 0; total <= l; ++total)
                for (int t = total; t >= 0; --t)
                    for (int u = total - t; u >= 0; --u) {
                        const int tuv[3] = {t, u, total - t - u};
                        bool needed = !differentiated && t <= n[0] && u <= n[1] && tuv[2] <= n[2];
                        for (int x = 0; differentiated && x < 3; ++x)
                            needed = needed || (tuv[x] <= n[x] + 1 && tuv[(x + 1) % 3] <= n[(x + 1) % 3] &&
                                                tuv[(x + 2) % 3] <= n[(x + 2) % 3]);
                        if (needed) out(g, hermite_position(t, u, tuv[2]));
                    }
        }
}

template <int KA, int KB>
constexpr std::size_t shape_entries(bool differentiated) {
    std::size_t n = 0;
    shape_terms(fixed_kinds[KA], fixed_kinds[KB], differentiated, [&](std::size_t, std::size_t) { ++n; });
    return n;
}

// A pair of blocks of fixed kinds KA and KB at compile time: its component pairs (groups),
// the entries of each as a ket (start, index) and, differentiated, each entry's place
// g * terms + position in V (flat), as PairData holds them.
template <int KA, int KB>
struct PairShape {
    static constexpr int l = fixed_kinds[KA].l + fixed_kinds[KB].l;
    static constexpr std::size_t groups = static_cast<std::size_t>(fixed_kinds[KA].count * fixed_kinds[KB].count);
    static constexpr std::size_t entries = shape_entries<KA, KB>(false);
    static constexpr std::size_t derivative_entries = shape_entries<KA, KB>(true);
    static constexpr bool with_d = KA == d_kind || KB == d_kind;
    static constexpr std::array<unsigned short, groups + 1> make_start() {
        std::array<unsigned short, groups + 1> start{};
        shape_terms(fixed_kinds[KA], fixed_kinds[KB], false, [&](std::size_t g, std::size_t) { ++start[g + 1]; });
        for (std::size_t g = 0; g < groups; ++g) start[g + 1] = static_cast<unsigned short>(start[g + 1] + start[g]);
        return start;
    }
    static constexpr std::array<unsigned short, entries> make_index() {
        std::array<unsigned short, entries> index{};
        std::size_t e = 0;
        shape_terms(fixed_kinds[KA], fixed_kinds[KB], false,
                    [&](std::size_t, std::size_t position) { index[e++] = static_cast<unsigned short>(position); });
        return index;
    }
    static constexpr std::array<unsigned short, derivative_entries> make_flat() {
        std::array<unsigned short, derivative_entries> flat{};
        std::size_t e = 0;
        shape_terms(fixed_kinds[KA], fixed_kinds[KB], true, [&](std::size_t g, std::size_t position) {
            flat[e++] = static_cast<unsigned short>(g * term_count(l + 1) + position);
        });
        return flat;
    }
    static constexpr std::array<unsigned short, groups + 1> start = make_start();
    static constexpr std::array<unsigned short, entries> index = make_index();
    static constexpr std::array<unsigned short, derivative_entries> flat = make_flat();
};

// A pair's shape: KA * fixed_kind_count + KB for blocks of kinds KA, KB with fixed kernels, else -1.
int shape_of(const Block& a, const Block& b) {
    return a.kind < 0 || b.kind < 0 || !fixed_pair(a.kind, b.kind) ? -1 : a.kind * fixed_kind_count + b.kind;
}

// Calls f(PairShape<KA, KB>()) for shape KA * fixed_kind_count + KB, else f(nullptr).
template <std::size_t S, class F>
VELKO_INLINE bool call_shape(int shape, const F& f) {
    constexpr int ka = static_cast<int>(S) / fixed_kind_count, kb = static_cast<int>(S) % fixed_kind_count;
    if constexpr (fixed_pair(ka, kb)) {
        if (shape == static_cast<int>(S)) {
            f(PairShape<ka, kb>());
            return true;
        }
    }
    return false;
}

template <class F, std::size_t... S>
VELKO_INLINE void with_shape_of(int shape, const F& f, std::index_sequence<S...>) {
    if (!(call_shape<S>(shape, f) || ...)) f(nullptr);
}

template <class F>
VELKO_INLINE void with_shape(int shape, const F& f) {
    with_shape_of(shape, f, std::make_index_sequence<fixed_kind_count * fixed_kind_count>());
}

// contract over the group G of a side of fixed Shape, rows of Len terms: its entries a run
// fixed at compile time, the additions to each element in the order of contract.
template <class Shape, std::size_t Len, std::size_t G>
VELKO_INLINE void fixed_group(const double* v, const double* X, double* Y) {
    constexpr std::size_t begin = Shape::start[G], end = Shape::start[G + 1];
    double y[Len];
    for (std::size_t i = 0; i < Len; ++i) y[i] = Y[G * Len + i];
    VELKO_UNROLL
    for (std::size_t e = begin; e < end; ++e) {
        const double a = v[e];
        const double* x = X + static_cast<std::size_t>(Shape::index[e]) * Len;
        for (std::size_t i = 0; i < Len; ++i) y[i] += a * x[i];
    }
    for (std::size_t i = 0; i < Len; ++i) Y[G * Len + i] = y[i];
}

template <class Shape, std::size_t Len, std::size_t... G>
VELKO_INLINE void fixed_groups(const double* v, const double* X, double* Y, std::index_sequence<G...>) {
    (fixed_group<Shape, Len, G>(v, X, Y), ...);
}

// raised_contraction for a side of fixed Shape and a partner raised to degree L1.
template <class Shape, int L1>
VELKO_INLINE void fixed_raised_contraction(const double* v, const double* R, double* X, double* Y) {
    const auto& position = FixedSums<L1, Shape::l>::position;
    VELKO_UNROLL
    for (std::size_t i = 0; i < position.size(); ++i) X[i] = R[position[i]];
    fixed_groups<Shape, term_count(L1)>(v, X, Y, std::make_index_sequence<Shape::groups>());
}

// multiply with the inner extent Inner and row length Len fixed.
template <std::size_t Inner, std::size_t Len>
VELKO_INLINE void fixed_multiply(std::size_t rows, const double* M, const double* X, double* Y) {
    for (std::size_t a = 0; a < rows; ++a) {
        double y[Len] = {};
        VELKO_UNROLL
        for (std::size_t b = 0; b < Inner; ++b) {
            const double m = M[a * Inner + b];
            const double* x = X + b * Len;
            for (std::size_t i = 0; i < Len; ++i) y[i] += m * x[i];
        }
        for (std::size_t i = 0; i < Len; ++i) Y[a * Len + i] = y[i];
    }
}

// The kernels of quartets with a d block are functions of their own, built for AVX2 as well:
// inlined into quartet_sums with the others, their instantiations made one function that took
// GCC many minutes to compile. The others, the most frequent and the smallest, stay inlined:
// called, they add the cost of a call to quartets of a few dozen operations (VELKO_KERNEL).

template <class Shape, int L1>
VELKO_KERNEL void called_raised(const double* v, const double* R, double* X, double* Y) {
    fixed_raised_contraction<Shape, L1>(v, R, X, Y);
}

template <class Shape, std::size_t Inner, int N, std::size_t Stride>
VELKO_INLINE void fixed_derivatives(std::size_t rows, const double* gamma, const double* Y, const double* dv, double* V,
                                    double* s) {
    fixed_multiply<Inner, term_count(Shape::l + 1)>(rows, gamma, Y, V);
    final_sums<N, Stride>(Shape::derivative_entries, Shape::flat, dv, V, s);
}

template <class Shape, std::size_t Inner, int N, std::size_t Stride>
VELKO_KERNEL void called_derivatives(std::size_t rows, const double* gamma, const double* Y, const double* dv,
                                     double* V, double* s) {
    fixed_derivatives<Shape, Inner, N, Stride>(rows, gamma, Y, dv, V, s);
}

// A d block on either side of the quartet (the partner raised to L1 = 4, or of 18 component
// pairs, has one): the called kernel.
template <class Shape, int L1>
VELKO_INLINE void raised_kernel(const double* v, const double* R, double* X, double* Y) {
    if constexpr (Shape::with_d || L1 == 4)
        called_raised<Shape, L1>(v, R, X, Y);
    else
        fixed_raised_contraction<Shape, L1>(v, R, X, Y);
}

template <class Shape, std::size_t Inner, int N, std::size_t Stride>
VELKO_INLINE void derivative_kernel(std::size_t rows, const double* gamma, const double* Y, const double* dv, double* V,
                                    double* s) {
    if constexpr (Shape::with_d || Inner == 18)
        called_derivatives<Shape, Inner, N, Stride>(rows, gamma, Y, dv, V, s);
    else
        fixed_derivatives<Shape, Inner, N, Stride>(rows, gamma, Y, dv, V, s);
}

// The raised contraction of one side (its values v) against R into Y, by the kernel fixed
// for its shape and the partner's degree l1 - 1 where `fixed`, else by the general loops.
VELKO_INLINE void raised_side(bool fixed, int shape, int l1, int l2, const std::vector<std::size_t>& offset,
                              std::size_t groups, const PairData& side, const double* v, const double* R, double* X,
                              double* Y) {
    with_shape(fixed ? shape : -1, [&](auto S) VELKO_INLINE_LAMBDA {
        if constexpr (std::is_same_v<decltype(S), std::nullptr_t>) {
            raised_contraction(l1, l2, offset, groups, side, v, R, X, Y);
        } else {
            using Shape = decltype(S);
            // l1: the partner pair's l + 1, its l at most 3 (fixed_pair).
            switch (l1) {
                case 1: raised_kernel<Shape, 1>(v, R, X, Y); break;
                case 2: raised_kernel<Shape, 2>(v, R, X, Y); break;
                case 3: raised_kernel<Shape, 3>(v, R, X, Y); break;
                default: raised_kernel<Shape, 4>(v, R, X, Y);
            }
        }
    });
}

// pair_derivatives for a pair of fixed shape against a partner of `inner` component pairs
// (a product of two of the fixed kinds' counts 1, 2, 3, 4, 6) where `fixed`, else by the
// general loops.
template <int N, std::size_t Stride>
VELKO_INLINE void side_derivatives(bool fixed, int shape, int l, std::size_t rows, std::size_t inner, const double* gamma,
                                   const double* Y, const PairData& dpair, const double* dv, double* V, double* s) {
    with_shape(fixed ? shape : -1, [&](auto S) VELKO_INLINE_LAMBDA {
        if constexpr (std::is_same_v<decltype(S), std::nullptr_t>) {
            pair_derivatives<N, Stride>(l, rows, inner, gamma, Y, dpair, dv, V, s);
        } else {
            using Shape = decltype(S);
            switch (inner) {
                case 1: derivative_kernel<Shape, 1, N, Stride>(rows, gamma, Y, dv, V, s); return;
                case 2: derivative_kernel<Shape, 2, N, Stride>(rows, gamma, Y, dv, V, s); return;
                case 3: derivative_kernel<Shape, 3, N, Stride>(rows, gamma, Y, dv, V, s); return;
                case 4: derivative_kernel<Shape, 4, N, Stride>(rows, gamma, Y, dv, V, s); return;
                case 6: derivative_kernel<Shape, 6, N, Stride>(rows, gamma, Y, dv, V, s); return;
                case 8: derivative_kernel<Shape, 8, N, Stride>(rows, gamma, Y, dv, V, s); return;
                case 9: derivative_kernel<Shape, 9, N, Stride>(rows, gamma, Y, dv, V, s); return;
                case 12: derivative_kernel<Shape, 12, N, Stride>(rows, gamma, Y, dv, V, s); return;
                case 16: derivative_kernel<Shape, 16, N, Stride>(rows, gamma, Y, dv, V, s); return;
                case 18: derivative_kernel<Shape, 18, N, Stride>(rows, gamma, Y, dv, V, s); return;
                default: pair_derivatives<N, Stride>(Shape::l + 1, rows, inner, gamma, Y, dpair, dv, V, s);
            }
        }
    });
}

// Largest |M_ij| over the functions of two blocks.
double block_max(const Matrix<double>& M, const Block& a, const Block& b) {
    double largest = 0.0;
    for (int i : a.functions)
        for (int j : b.functions) largest = std::max(largest, std::fabs(M[i][j]));
    return largest;
}

// Gamma over the functions of a quartet of blocks taken to their components: T^T Gamma T
// on each index of a block with a shell of l >= 2, T its transform (as cartesian_weights);
// a block of s and p shells is its own components. Gamma's n values are copied to `in`, each
// transform goes to `out` and the two swap: the result is in `in`, no quartet allocating.
const std::vector<double>& component_weights(const double* gamma, std::size_t n, const Block* const* quartet,
                                             std::vector<double>& in, std::vector<double>& out) {
    in.assign(gamma, gamma + n);
    std::size_t extent[4];
    for (int k = 0; k < 4; ++k) extent[k] = quartet[k]->functions.size();
    for (int k = 0; k < 4; ++k) {
        if (quartet[k]->plain) continue;
        const std::vector<double>& T = quartet[k]->transform;
        const std::size_t nf = extent[k], nc = quartet[k]->powers.size();
        std::size_t before = 1, after = 1;
        for (int j = 0; j < k; ++j) before *= extent[j];
        for (int j = k + 1; j < 4; ++j) after *= extent[j];
        out.assign(before * nc * after, 0.0);
        for (std::size_t a = 0; a < before; ++a)
            for (std::size_t f = 0; f < nf; ++f)
                for (std::size_t c = 0; c < nc; ++c) {
                    const double t = T[f * nc + c];
                    if (t == 0.0) continue;
                    const double* src = &in[(a * nf + f) * after];
                    double* dst = &out[(a * nc + c) * after];
                    for (std::size_t b = 0; b < after; ++b) dst[b] += t * src[b];
                }
        extent[k] = nc;
        std::swap(in, out);
    }
    return in;
}

// What every quartet of block pairs reads: the blocks, the pairs a >= b with their Schwarz
// bounds and expansions, the densities' largest elements per block pair and the R offsets.
struct QuartetData {
    const std::vector<Block>& blocks;
    const std::vector<std::array<unsigned, 2>>& pairs;
    const std::vector<double>& bound;
    const std::vector<PairData>& plain;
    const std::vector<PairData>& derivative;
    const std::vector<double>& total_max;
    const std::vector<double>& channel_max;
    const PairDensities& densities;
    // offsets[l1][l2]: sum_offsets(l1, l2) for an l1 of a raised side, l2 of the other.
    const std::vector<std::vector<std::vector<std::size_t>>>& offsets;
    // Per pair: its PairShape (shape_of), or -1 where it has none or kernels are not fixed.
    const std::vector<int>& shape;
};

// Work arrays of the quartets, only ever grown: no quartet pays for filling them.
void grow(std::vector<double>& v, std::size_t n) {
    if (v.size() < n) v.resize(n);
}

// The gradient of the bra pairs piece, piece + pieces, ... with each of their kets, into g.
VELKO_VECTOR_CLONES
void quartet_sums(const QuartetData& data, unsigned piece, unsigned pieces, AtomGradient& g) {
    const std::vector<Block>& blocks = data.blocks;
    const PairDensities& densities = data.densities;
    const std::size_t ns = blocks.size();
    const unsigned npairs = static_cast<unsigned>(data.pairs.size());
    const double exchange_weight = densities.exchange * static_cast<double>(densities.channels.size());
    std::vector<double> gamma, gammat, R, X, T, U, V, weights, weights_work;
    std::vector<char> ket_used;
    for (unsigned b_pair = piece; b_pair < npairs; b_pair += pieces) {
        const unsigned sa = data.pairs[b_pair][0], sb = data.pairs[b_pair][1];
        const Block &A = blocks[sa], &B = blocks[sb];
        const PairData &bra = data.plain[b_pair], &dbra = data.derivative[b_pair];
        const std::size_t nfa = A.functions.size(), nfb = B.functions.size();
        const std::size_t nab = A.powers.size() * B.powers.size();
        const int lbra = A.l + B.l;
        const std::size_t nh = hermite_indices(lbra).size(), nh1 = hermite_indices(lbra + 1).size();
        const int bra_shape = data.shape[b_pair];
        for (unsigned k_pair = 0; k_pair <= b_pair; ++k_pair) {
            const unsigned sc = data.pairs[k_pair][0], sd = data.pairs[k_pair][1];
            const Block &C = blocks[sc], &D = blocks[sd];
            // A quartet on one atom: its derivatives cancel over its four centres.
            if (A.atom == B.atom && B.atom == C.atom && C.atom == D.atom) continue;
            // Gamma over the quartet's functions, each unordered pair standing for both orders.
            const double pairs_weight = (sa == sb ? 1.0 : 2.0) * (sc == sd ? 1.0 : 2.0);
            const double weight_bound =
                pairs_weight * (data.total_max[sa * ns + sb] * data.total_max[sc * ns + sd] +
                                exchange_weight * (data.channel_max[sa * ns + sc] * data.channel_max[sb * ns + sd] +
                                                   data.channel_max[sa * ns + sd] * data.channel_max[sb * ns + sc]));
            if (data.bound[b_pair] * data.bound[k_pair] * weight_bound < gradient_screening_threshold) continue;
            // (ab|cd) and (cd|ab) are one quartet here, differentiated at all four centres;
            // (ab|ab) differentiated at all four counts each centre twice.
            const double weight = pairs_weight * (b_pair == k_pair ? 0.5 : 1.0);
            const PairData &ket = data.plain[k_pair], &dket = data.derivative[k_pair];
            // Both pairs of fixed kinds: the kernels fixed at compile time for their shapes.
            const int ket_shape = data.shape[k_pair];
            const bool fixed = bra_shape >= 0 && ket_shape >= 0;
            const std::size_t nfc = C.functions.size(), nfd = D.functions.size();
            const std::size_t nf = nfa * nfb * nfc * nfd;
            grow(gamma, nf);
            std::size_t at = 0;
            for (const int u : A.functions)
                for (const int v : B.functions) {
                    const double Puv = weight * densities.total[u][v];
                    for (const int r : C.functions)
                        for (const int s : D.functions) {
                            double exchange = 0.0;
                            for (const Matrix<double>& P : densities.channels)
                                exchange += P[u][r] * P[v][s] + P[u][s] * P[v][r];
                            gamma[at++] = Puv * densities.total[r][s] - weight * densities.exchange * exchange;
                        }
                }
            // Components of s and p blocks are their functions; others are transformed.
            const Block* quartet[4] = {&A, &B, &C, &D};
            const bool is_plain = A.plain && B.plain && C.plain && D.plain;
            const std::vector<double>& gc =
                is_plain ? gamma : component_weights(gamma.data(), nf, quartet, weights, weights_work);
            const std::size_t ncd = C.powers.size() * D.powers.size();
            grow(gammat, ncd * nab);
            double gamma_sum = 0.0;
            for (std::size_t i = 0; i < nab * ncd; ++i) gamma_sum += std::fabs(gc[i]);
            for (std::size_t ab = 0; ab < nab; ++ab)
                for (std::size_t cd = 0; cd < ncd; ++cd) gammat[cd * nab + ab] = gc[ab * ncd + cd];
            const int lket = C.l + D.l;
            const std::size_t nk = hermite_indices(lket).size(), nk1 = hermite_indices(lket + 1).size();
            // The bra raised against the ket, and the ket raised against the bra.
            const std::vector<std::size_t>& o1 =
                data.offsets[static_cast<std::size_t>(lbra + 1)][static_cast<std::size_t>(lket)];
            const std::vector<std::size_t>& o2 =
                data.offsets[static_cast<std::size_t>(lket + 1)][static_cast<std::size_t>(lbra)];
            const int L = lbra + lket + 1;
            grow(R, hermite_coulomb_work(L));
            grow(X, std::max(nk * nh1, nh * nk1));
            grow(T, ncd * nh1);
            // A pair on one atom moves as a whole, so only the sum of its two derivatives
            // counts, which is minus the other pair's: one pass then serves, the bra's where
            // the ket is on one atom, else the ket's (both its centres) where the bra is.
            const bool bra_pass = C.atom == D.atom || A.atom != B.atom, ket_pass = C.atom != D.atom;
            if (ket_pass) grow(U, ket.p.size() * nab * nk1);
            grow(V, std::max(nab * nh1, ncd * nk1));
            ket_used.assign(ket.p.size(), 0);
            const std::size_t bra_entries = bra.entries(), ket_entries = ket.entries();
            const std::size_t dbra_entries = dbra.entries(), dket_entries = dket.entries();
            double dA[3] = {0, 0, 0}, dB[3] = {0, 0, 0}, dC[3] = {0, 0, 0}, dD[3] = {0, 0, 0};
            for (std::size_t pp = 0; pp < bra.p.size(); ++pp) {
                const double p = bra.p[pp];
                std::fill_n(T.begin(), ncd * nh1, 0.0);
                bool bra_used = false;
                for (std::size_t q = 0; q < ket.p.size(); ++q) {
                    // Each derivative at A, B (C) is at most sum |Gamma| times the bound of
                    // the differentiated bra (ket) times that of the other pair.
                    if (gamma_sum * (dbra.bound[pp] * ket.bound[q] + bra.bound[pp] * dket.bound[q]) <
                        primitive_quartet_cutoff)
                        continue;
                    bra_used = true;
                    if (ket_pass && !ket_used[q]) std::fill_n(&U[q * nab * nk1], nab * nk1, 0.0);
                    ket_used[q] = 1;
                    const double qq = ket.p[q];
                    // R = 2 pi^(5/2) / (p q sqrt(p + q)) R_tuv
                    hermite_coulomb_terms(L, p * qq / (p + qq), bra.Px[pp] - ket.Px[q], bra.Py[pp] - ket.Py[q],
                                          bra.Pz[pp] - ket.Pz[q], two_pi_2_5 / (p * qq * std::sqrt(p + qq)), R.data());
                    // T[cd][h'] += sum_k (-1)^k c_q E^q_cd,k R_(h'+k), the ket's values signed.
                    if (bra_pass)
                        raised_side(fixed, ket_shape, lbra + 1, lket, o1, ncd, ket, &ket.value[q * ket_entries], R.data(),
                                    X.data(), T.data());
                    // U_q[ab][k'] += sum_h c_p E^p_ab,h R_(h+k'), the bra's values unsigned;
                    // the ket's sign (-1)^k' is in its differentiated values (signed_value).
                    if (ket_pass)
                        raised_side(fixed, bra_shape, lket + 1, lbra, o2, nab, bra, &bra.unsigned_value[pp * bra_entries],
                                    R.data(), X.data(), &U[q * nab * nk1]);
                }
                if (!bra_used || !bra_pass) continue;
                // The bra's centres: sum_ab sum_h' dE^p[ab][h'] V[ab][h'], V = Gamma T.
                double s[6];
                side_derivatives<6, 6>(fixed, bra_shape, lbra + 1, nab, ncd, gc.data(), T.data(), dbra,
                                    &dbra.value[pp * 6 * dbra_entries], V.data(), s);
                for (int x = 0; x < 3; ++x) {
                    dA[x] += s[x];
                    dB[x] += s[3 + x];
                }
            }
            // The ket's centres: sum_cd sum_k' (-1)^k' dE^q[cd][k'] V[cd][k'], V = Gamma^T U_q; D's
            // only where the bra's pass did not run.
            for (std::size_t q = 0; q < ket.p.size() && ket_pass; ++q) {
                if (!ket_used[q]) continue;
                const double* u = &U[q * nab * nk1];
                double s[6];
                if (bra_pass)
                    side_derivatives<3, 3>(fixed, ket_shape, lket + 1, ncd, nab, gammat.data(), u, dket,
                                           &dket.signed_first[q * 3 * dket_entries], V.data(), s);
                else
                    side_derivatives<6, 6>(fixed, ket_shape, lket + 1, ncd, nab, gammat.data(), u, dket,
                                           &dket.signed_value[q * 6 * dket_entries], V.data(), s);
                for (int x = 0; x < 3; ++x) {
                    dC[x] += s[x];
                    if (!bra_pass) dD[x] += s[3 + x];
                }
            }
            // The other centres by translational invariance: the four derivatives sum to zero
            // (without the ket's pass, dC stays 0 and D, on C's atom, takes -(dA + dB)).
            if (!bra_pass)
                for (int x = 0; x < 3; ++x) dA[x] = -dC[x] - dD[x];  // on B's atom as well
            for (int x = 0; x < 3; ++x) {
                g[3 * A.atom + static_cast<unsigned>(x)] += dA[x];
                g[3 * B.atom + static_cast<unsigned>(x)] += dB[x];
                g[3 * C.atom + static_cast<unsigned>(x)] += dC[x];
                g[3 * D.atom + static_cast<unsigned>(x)] -= dA[x] + dB[x] + dC[x];
            }
        }
    }
}

}  // namespace

// Bra pairs are dealt round this many pieces of work, each summing its own gradient: a
// fixed partition, so that the sums are the same for any thread count.
constexpr unsigned work_pieces = 256;

AtomGradient repulsion_gradient(const std::vector<GradientShell>& shells, const PairDensities& densities,
                                unsigned atoms, unsigned threads, RepulsionKernels kernels) {
    // Block pairs a >= b, their Schwarz bounds max sqrt|(ab|ab)| over their shells, their
    // expansions plain (as a ket) and differentiated (as a bra): the same primitive pairs in both.
    const std::vector<Block> blocks = blocks_of(shells);
    std::vector<std::array<unsigned, 2>> pairs;
    int lmax = 0;
    for (unsigned a = 0; a < blocks.size(); ++a) {
        lmax = std::max(lmax, blocks[a].l);
        for (unsigned b = 0; b <= a; ++b) pairs.push_back({a, b});
    }
    const unsigned npairs = static_cast<unsigned>(pairs.size());
    std::vector<double> bound(npairs);
    std::vector<PairData> plain(npairs), derivative(npairs);
    run_parallel(threads, npairs, [&](unsigned k) {
        const Block &A = blocks[pairs[k][0]], &B = blocks[pairs[k][1]];
        double largest = 0.0;
        for (const GaussianShell* a : A.shells)
            for (const GaussianShell* b : B.shells) {
                const std::vector<double> diagonal = repulsion_block(*a, *b, *a, *b);
                const std::size_t nab = static_cast<std::size_t>(function_count(*a) * function_count(*b));
                for (std::size_t ab = 0; ab < nab; ++ab) largest = std::max(largest, std::fabs(diagonal[ab * nab + ab]));
            }
        bound[k] = std::sqrt(largest);
        plain[k] = ket_pair(A, B);
        derivative[k] = bra_pair(A, B);
        self_bounds(plain[k], A.l + B.l, 1, true);
        self_bounds(derivative[k], A.l + B.l + 1, 6, false);
    });
    // Largest density element of each block pair: the total's and any channel's.
    const std::size_t ns = blocks.size();
    std::vector<double> total_max(ns * ns), channel_max(ns * ns, 0.0);
    for (std::size_t a = 0; a < ns; ++a)
        for (std::size_t b = 0; b < ns; ++b) {
            total_max[a * ns + b] = block_max(densities.total, blocks[a], blocks[b]);
            for (const Matrix<double>& P : densities.channels)
                channel_max[a * ns + b] = std::max(channel_max[a * ns + b], block_max(P, blocks[a], blocks[b]));
        }
    // R offsets for every pair of an L + 1 (the differentiated side) and an L that occur.
    std::vector<std::vector<std::vector<std::size_t>>> offsets(static_cast<std::size_t>(2 * lmax + 2));
    for (int l1 = 0; l1 <= 2 * lmax + 1; ++l1)
        for (int l2 = 0; l2 <= 2 * lmax; ++l2) offsets[static_cast<std::size_t>(l1)].push_back(sum_offsets(l1, l2));

    // Each pair's shape where its kernels are fixed and its expansions are laid out as the shape's.
    std::vector<int> shape(npairs, -1);
    for (unsigned k = 0; k < npairs && kernels == RepulsionKernels::fixed; ++k)
        with_shape(shape_of(blocks[pairs[k][0]], blocks[pairs[k][1]]), [&](auto S) {
            if constexpr (!std::is_same_v<decltype(S), std::nullptr_t>) {
                using Shape = decltype(S);
                const PairData &p = plain[k], &d = derivative[k];
                if (std::equal(p.start.begin(), p.start.end(), Shape::start.begin(), Shape::start.end()) &&
                    std::equal(p.index.begin(), p.index.end(), Shape::index.begin(), Shape::index.end()) &&
                    std::equal(d.flat.begin(), d.flat.end(), Shape::flat.begin(), Shape::flat.end()))
                    shape[k] = shape_of(blocks[pairs[k][0]], blocks[pairs[k][1]]);
            }
        });

    const QuartetData data{blocks, pairs, bound, plain, derivative, total_max, channel_max, densities, offsets, shape};

    const unsigned pieces = std::min(npairs, work_pieces);
    std::vector<AtomGradient> per_piece(pieces, AtomGradient(3 * static_cast<std::size_t>(atoms), 0.0));
    run_parallel(threads, pieces, [&](unsigned piece) { quartet_sums(data, piece, pieces, per_piece[piece]); });
    AtomGradient g(3 * static_cast<std::size_t>(atoms), 0.0);
    for (const AtomGradient& piece : per_piece)
        for (std::size_t x = 0; x < g.size(); ++x) g[x] += piece[x];
    return g;
}
