#include "integrals/md/repulsion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>

#include "common/constants.h"
#include "integrals/md/boys.h"
#include "integrals/md/hermite.h"
#include "integrals/md/pure.h"

namespace {

constexpr int max_pair_l = 2 * max_engine_l;
constexpr int max_total_l = boys_any_max_order;
constexpr int side = max_total_l + 1;

int hermite_count(int L) { return (L + 1) * (L + 2) * (L + 3) / 6; }

// One step of the Hermite Coulomb recursion (hermite.h) at level n:
//   R^n[dst] = xyz[axis] R^(n+1)[src1] + mult R^(n+1)[src2],
// indices by position in hermite_indices, which is the same for every L.
struct CoulombStep {
    std::uint16_t dst, src1, src2, axis;
    double mult;
};

// Index tables shared by every quartet, made once.
struct Tables {
    std::vector<int> compact;  // position of (t, u, v) in hermite_indices at (t side + u) side + v
    // Per shell kind (l, pure): each function as a combination of the components of x^l norm,
    // the component norms of a Cartesian shell, the solid harmonics of a pure one (pure.h).
    std::vector<std::vector<std::pair<int, double>>> rows[max_engine_l + 1][2];
    // Per pair of kinds: the Hermite terms of each function pair ab (the union over the
    // component pairs it combines), entries start[ab] to start[ab + 1].
    std::vector<int> start[max_engine_l + 1][2][max_engine_l + 1][2], index[max_engine_l + 1][2][max_engine_l + 1][2];
    // Per L: the recursion's steps level by level (level n from level_begin[n]), and where
    // level n of the work array begins.
    std::vector<CoulombStep> steps[max_total_l + 1];
    std::vector<int> level_begin[max_total_l + 1], level_offset[max_total_l + 1];
    // Per (L_bra, L_ket): for ket term k and bra term h, the position of their sum.
    std::vector<std::uint16_t> sum[max_pair_l + 1][max_pair_l + 1];
    // Per term: (-1)^(t + u + v).
    std::vector<double> sign;

    int at(int t, int u, int v) const { return compact[static_cast<std::size_t>((t * side + u) * side + v)]; }

    Tables() {
        compact.assign(static_cast<std::size_t>(side) * side * side, -1);
        const std::vector<HermiteIndex>& all = hermite_indices(max_total_l);
        for (std::size_t k = 0; k < all.size(); ++k) {
            compact[static_cast<std::size_t>((all[k].t * side + all[k].u) * side + all[k].v)] = static_cast<int>(k);
            sign.push_back((all[k].t + all[k].u + all[k].v) % 2 == 0 ? 1.0 : -1.0);
        }
        for (int l = 0; l <= max_engine_l; ++l)
            for (int pure = 0; pure < 2; ++pure) {
                const std::vector<double>& S = shell_transform(l, pure != 0);
                const int nc = cartesian_count(l), nf = pure != 0 ? 2 * l + 1 : nc;
                rows[l][pure].resize(static_cast<std::size_t>(nf));
                for (int f = 0; f < nf; ++f)
                    for (int c = 0; c < nc; ++c)
                        if (S[static_cast<std::size_t>(f * nc + c)] != 0.0)
                            rows[l][pure][static_cast<std::size_t>(f)].push_back({c, S[static_cast<std::size_t>(f * nc + c)]});
            }
        for (int la = 0; la <= max_engine_l; ++la)
            for (int pa = 0; pa < 2; ++pa)
                for (int lb = 0; lb <= max_engine_l; ++lb)
                    for (int pb = 0; pb < 2; ++pb) {
                        const std::vector<HermiteIndex>& hs = hermite_indices(la + lb);
                        const std::vector<CartesianPowers>& ca = cartesian_components(la);
                        const std::vector<CartesianPowers>& cb = cartesian_components(lb);
                        std::vector<int>& s = start[la][pa][lb][pb];
                        std::vector<int>& x = index[la][pa][lb][pb];
                        s.push_back(0);
                        for (const auto& fa : rows[la][pa])
                            for (const auto& fb : rows[lb][pb]) {
                                for (std::size_t h = 0; h < hs.size(); ++h) {
                                    bool needed = false;
                                    for (const auto& i : fa)
                                        for (const auto& j : fb) {
                                            const CartesianPowers& a = ca[static_cast<std::size_t>(i.first)];
                                            const CartesianPowers& b = cb[static_cast<std::size_t>(j.first)];
                                            needed = needed || (hs[h].t <= a.x + b.x && hs[h].u <= a.y + b.y &&
                                                                hs[h].v <= a.z + b.z);
                                        }
                                    if (needed) x.push_back(static_cast<int>(h));
                                }
                                s.push_back(static_cast<int>(x.size()));
                            }
                    }
        for (int L = 0; L <= max_total_l; ++L) {
            int offset = 0;
            for (int n = 0; n <= L; ++n) {
                level_offset[L].push_back(offset);
                offset += hermite_count(L - n);
            }
            level_begin[L].assign(static_cast<std::size_t>(L) + 1, 0);
            for (int n = L - 1; n >= 0; --n) {
                level_begin[L][static_cast<std::size_t>(n)] = static_cast<int>(steps[L].size());
                for (const HermiteIndex& x : hermite_indices(L - n)) {
                    const int t = x.t, u = x.u, v = x.v;
                    if (t + u + v == 0) continue;
                    const int axis = t > 0 ? 0 : (u > 0 ? 1 : 2);
                    const int c = axis == 0 ? t : (axis == 1 ? u : v);
                    const int d[3] = {axis == 0, axis == 1, axis == 2};
                    CoulombStep s;
                    s.dst = static_cast<std::uint16_t>(at(t, u, v));
                    s.src1 = static_cast<std::uint16_t>(at(t - d[0], u - d[1], v - d[2]));
                    s.src2 = static_cast<std::uint16_t>(c > 1 ? at(t - 2 * d[0], u - 2 * d[1], v - 2 * d[2]) : 0);
                    s.axis = static_cast<std::uint16_t>(axis);
                    s.mult = c - 1;
                    steps[L].push_back(s);
                }
            }
        }
        for (int Lb = 0; Lb <= max_pair_l; ++Lb)
            for (int Lk = 0; Lk <= max_pair_l; ++Lk)
                for (const HermiteIndex& k : hermite_indices(Lk))
                    for (const HermiteIndex& h : hermite_indices(Lb))
                        sum[Lb][Lk].push_back(static_cast<std::uint16_t>(at(h.t + k.t, h.u + k.u, h.v + k.v)));
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

// R_tuv = R^0_tuv for t + u + v <= L at positions of hermite_indices, by the recursion
// of hermite.h; `work` holds every level.
void coulomb(const Tables& tab, int L, double alpha, double X, double Y, double Z, double* work) {
    double F[boys_any_max_order + 1];
    boys_any(L, alpha * (X * X + Y * Y + Z * Z), F);
    const int* offset = tab.level_offset[L].data();
    double power = 1.0;
    for (int n = 0; n <= L; ++n) {
        work[offset[n]] = power * F[n];
        power *= -2.0 * alpha;
    }
    const double xyz[3] = {X, Y, Z};
    const std::vector<CoulombStep>& steps = tab.steps[L];
    for (int n = L - 1; n >= 0; --n) {
        double* cur = work + offset[n];
        const double* up = work + offset[n + 1];
        const std::size_t end = n == 0 ? steps.size() : static_cast<std::size_t>(tab.level_begin[L][n - 1]);
        for (std::size_t i = static_cast<std::size_t>(tab.level_begin[L][n]); i < end; ++i) {
            const CoulombStep& s = steps[i];
            cur[s.dst] = xyz[s.axis] * up[s.src1] + s.mult * up[s.src2];
        }
    }
}

// Per-thread work arrays, grown to the largest quartet seen.
struct Scratch {
    std::vector<double> work, X, T, Tt;
    static double* fit(std::vector<double>& v, std::size_t n) {
        if (v.size() < n) v.resize(n);
        return v.data();
    }
};

}  // namespace

std::size_t hermite_coulomb_work(int L) { return static_cast<std::size_t>(tables().level_offset[L].back() + 1); }

namespace {

// The recursion of coulomb as straight-line code for the L of most derivative quartets:
// its steps made at compile time, the same positions in the work array.
constexpr int unrolled_max_l = 9;

constexpr int terms_through(int L) { return (L + 1) * (L + 2) * (L + 3) / 6; }

// Position of (t, u, v) in hermite_indices (lower t + u + v first, then t and u descending).
constexpr int term_position(int t, int u, int v) {
    const int n = t + u + v, rest = n - t;
    return n * (n + 1) * (n + 2) / 6 + rest * (rest + 1) / 2 + rest - u;
}

constexpr int level_start(int L, int n) {
    int start = 0;
    for (int m = 0; m < n; ++m) start += terms_through(L - m);
    return start;
}

constexpr int step_count(int L) {
    int count = 0;
    for (int m = 1; m <= L; ++m) count += terms_through(m) - 1;
    return count;
}

struct FixedStep {
    int dst = 0, src1 = 0, src2 = 0, axis = 0, mult = 0;
};

template <int L>
struct FixedSteps {
    FixedStep step[step_count(L) > 0 ? step_count(L) : 1];
    constexpr FixedSteps() : step() {
        int i = 0;
        for (int n = L - 1; n >= 0; --n)
            for (int m = 1; m <= L - n; ++m)
                for (int t = m; t >= 0; --t)
                    for (int u = m - t; u >= 0; --u) {
                        const int v = m - t - u;
                        const int axis = t > 0 ? 0 : (u > 0 ? 1 : 2);
                        const int c = axis == 0 ? t : (axis == 1 ? u : v);
                        const int dt = axis == 0, du = axis == 1, dv = axis == 2;
                        FixedStep& s = step[i++];
                        s.dst = level_start(L, n) + term_position(t, u, v);
                        s.src1 = level_start(L, n + 1) + term_position(t - dt, u - du, v - dv);
                        s.src2 = c > 1 ? level_start(L, n + 1) + term_position(t - 2 * dt, u - 2 * du, v - 2 * dv) : 0;
                        s.axis = axis;
                        s.mult = c - 1;
                    }
    }
};

template <int L, std::size_t I>
inline void fixed_step(const double* xyz, double* w) {
    static constexpr FixedSteps<L> steps;
    constexpr FixedStep s = steps.step[I];
    if constexpr (s.mult == 0)
        w[s.dst] = xyz[s.axis] * w[s.src1];
    else
        w[s.dst] = xyz[s.axis] * w[s.src1] + static_cast<double>(s.mult) * w[s.src2];
}

template <int L, std::size_t... I>
void fixed_steps([[maybe_unused]] const double* xyz, [[maybe_unused]] double* w, std::index_sequence<I...>) {
    (fixed_step<L, I>(xyz, w), ...);
}

template <int L>
void fixed_coulomb(double alpha, double X, double Y, double Z, double scale, double* work) {
    double F[L + 1];
    boys_any_by_products(L, alpha * (X * X + Y * Y + Z * Z), F);
    double power = scale;
    for (int n = 0; n <= L; ++n) {
        work[level_start(L, n)] = power * F[n];
        power *= -2.0 * alpha;
    }
    const double xyz[3] = {X, Y, Z};
    fixed_steps<L>(xyz, work, std::make_index_sequence<static_cast<std::size_t>(step_count(L))>());
}

template <int... L>
bool coulomb_fixed_l(int l, double alpha, double X, double Y, double Z, double scale, double* work,
                     std::integer_sequence<int, L...>) {
    return ((l == L && (fixed_coulomb<L>(alpha, X, Y, Z, scale, work), true)) || ...);
}

}  // namespace

void hermite_coulomb_terms(int L, double alpha, double X, double Y, double Z, double scale, double* work) {
    if (coulomb_fixed_l(L, alpha, X, Y, Z, scale, work, std::make_integer_sequence<int, unrolled_max_l + 1>())) return;
    coulomb(tables(), L, alpha, X, Y, Z, work);
    const std::size_t n = static_cast<std::size_t>(terms_through(L));
    for (std::size_t i = 0; i < n; ++i) work[i] *= scale;
}

RepulsionPair repulsion_pair(const GaussianShell* A, std::size_t na, const GaussianShell* B, std::size_t nb) {
    const Tables& tab = tables();
    RepulsionPair pair;
    for (std::size_t i = 0; i < na; ++i) {
        pair.la = std::max(pair.la, A[i].l);
        pair.na += function_count(A[i]);
    }
    for (std::size_t j = 0; j < nb; ++j) {
        pair.lb = std::max(pair.lb, B[j].l);
        pair.nb += function_count(B[j]);
    }
    // The terms of function pair ab, in the order of A's functions, then B's: those of its
    // two shells' kinds (hermite_indices of a lower L is a prefix of that of a higher one).
    struct Entry {
        std::size_t i, j;  // shells
        const std::vector<std::pair<int, double>>*fa, *fb;
    };
    std::vector<Entry> entries;
    pair.start.push_back(0);
    for (std::size_t i = 0; i < na; ++i)
        for (const auto& fa : tab.rows[A[i].l][A[i].pure])
            for (std::size_t j = 0; j < nb; ++j) {
                const std::vector<int>& start = tab.start[A[i].l][A[i].pure][B[j].l][B[j].pure];
                const std::vector<int>& index = tab.index[A[i].l][A[i].pure][B[j].l][B[j].pure];
                const std::size_t row = static_cast<std::size_t>(&fa - tab.rows[A[i].l][A[i].pure].data());
                const std::size_t width = tab.rows[B[j].l][B[j].pure].size();
                for (std::size_t fb = 0; fb < width; ++fb) {
                    const std::size_t ab = row * width + fb;
                    pair.index.insert(pair.index.end(), index.begin() + start[ab], index.begin() + start[ab + 1]);
                    pair.start.push_back(static_cast<int>(pair.index.size()));
                    entries.push_back({i, j, &fa, &tab.rows[B[j].l][B[j].pure][fb]});
                }
            }
    pair.terms = pair.index.size();
    const std::vector<HermiteIndex>& hs = hermite_indices(pair.la + pair.lb);
    const std::array<double, 3> &a_at = A[0].centre, &b_at = B[0].centre;
    double ab2 = 0.0;
    for (int x = 0; x < 3; ++x) ab2 += (a_at[x] - b_at[x]) * (a_at[x] - b_at[x]);
    HermiteExpansion E[3];
    std::vector<double> values(pair.terms);
    for (std::size_t pa = 0; pa < A[0].exponents.size(); ++pa)
        for (std::size_t pb = 0; pb < B[0].exponents.size(); ++pb) {
            const double a = A[0].exponents[pa], b = B[0].exponents[pb], p = a + b;
            double P[3];
            for (int x = 0; x < 3; ++x) {
                P[x] = (a * a_at[x] + b * b_at[x]) / p;
                E[x].compute(pair.la, pair.lb, p, P[x] - a_at[x], P[x] - b_at[x]);
            }
            const double gaussian = std::exp(-a * b / p * ab2);
            double largest = 0.0;
            for (std::size_t ab = 0; ab < entries.size(); ++ab) {
                const Entry& f = entries[ab];
                const GaussianShell &sa = A[f.i], &sb = B[f.j];
                const double factor = sa.coefficients[pa] * sb.coefficients[pb] * gaussian / p;
                const std::vector<CartesianPowers>& ca = cartesian_components(sa.l);
                const std::vector<CartesianPowers>& cb = cartesian_components(sb.l);
                for (int e = pair.start[ab]; e < pair.start[ab + 1]; ++e) {
                    const HermiteIndex& h = hs[static_cast<std::size_t>(pair.index[static_cast<std::size_t>(e)])];
                    double v = 0.0;
                    for (const auto& i : *f.fa)
                        for (const auto& j : *f.fb) {
                            const CartesianPowers& x = ca[static_cast<std::size_t>(i.first)];
                            const CartesianPowers& y = cb[static_cast<std::size_t>(j.first)];
                            // E^ij_t vanishes for t > i + j (HermiteExpansion holds those zeros).
                            v += i.second * j.second * E[0](x.x, y.x, h.t) * E[1](x.y, y.y, h.u) *
                                 E[2](x.z, y.z, h.v);
                        }
                    values[static_cast<std::size_t>(e)] = factor * v;
                    largest = std::max(largest, std::fabs(factor * v));
                }
            }
            if (largest < repulsion_pair_cutoff) continue;
            pair.p.push_back(p);
            pair.Px.push_back(P[0]);
            pair.Py.push_back(P[1]);
            pair.Pz.push_back(P[2]);
            pair.e.insert(pair.e.end(), values.begin(), values.end());
        }
    return pair;
}

RepulsionPair repulsion_pair(const GaussianShell& a, const GaussianShell& b) { return repulsion_pair(&a, 1, &b, 1); }

namespace {

// The quartet loops of repulsion_quartet with the Hermite term counts of bra and ket known
// at compile time, for the low L where a quartet's fixed cost outweighs its arithmetic:
// the recursion unrolled (fixed_steps), the positions of R_(h+k) constants, the rows of T
// and of the block padded to whole vectors and summed in registers over a pair's terms.
// Every value is formed by the same operations in the same order as the general loops
// (the unrolled recursion leaves out their products 0 * R, which can change only the sign
// of a zero), so the bits are theirs.
constexpr int vector_width = 4;
constexpr int padded(int n) { return (n + vector_width - 1) / vector_width * vector_width; }

// The term (t, u, v) at each position of hermite_indices(L).
template <int L>
struct TermList {
    int t[terms_through(L)], u[terms_through(L)], v[terms_through(L)];
    constexpr TermList() : t(), u(), v() {
        int i = 0;
        for (int n = 0; n <= L; ++n)
            for (int a = n; a >= 0; --a)
                for (int b = n - a; b >= 0; --b, ++i) {
                    t[i] = a;
                    u[i] = b;
                    v[i] = n - a - b;
                }
    }
};

// For ket term k and bra term h, the position of their sum in the work array, and (-1)^k.
template <int Lb, int Lk>
struct QuartetShape {
    static constexpr int L = Lb + Lk, nhb = terms_through(Lb), nhk = terms_through(Lk), width = padded(nhb);
    int sum[nhk][nhb];
    double sign[nhk];
    constexpr QuartetShape() : sum(), sign() {
        constexpr TermList<Lb> hb;
        constexpr TermList<Lk> hk;
        for (int k = 0; k < nhk; ++k) {
            sign[k] = (hk.t[k] + hk.u[k] + hk.v[k]) % 2 == 0 ? 1.0 : -1.0;
            for (int h = 0; h < nhb; ++h)
                sum[k][h] = term_position(hb.t[h] + hk.t[k], hb.u[h] + hk.u[k], hb.v[h] + hk.v[k]);
        }
    }
};

// dst[i] += sum_j e[j] rows[index[j] stride + i] for i < N, the terms j in turn, summed in
// registers.
template <int N>
__attribute__((always_inline)) inline void add_row_block(double* dst, const double* e, const int* index, int j0,
                                                         int j1, const double* rows, std::size_t stride) {
    double acc[N];
    for (int i = 0; i < N; ++i) acc[i] = dst[i];
    for (int j = j0; j < j1; ++j) {
        const double v = e[j];
        const double* r = rows + static_cast<std::size_t>(index[j]) * stride;
        for (int i = 0; i < N; ++i) acc[i] += v * r[i];
    }
    for (int i = 0; i < N; ++i) dst[i] = acc[i];
}

// The same over a row of n, in blocks of three vectors, then of one, then what is left.
__attribute__((always_inline)) inline void add_rows(double* dst, std::size_t n, const double* e, const int* index,
                                                    int j0, int j1, const double* rows, std::size_t stride) {
    constexpr std::size_t block = 3 * vector_width;
    std::size_t c = 0;
    for (; c + block <= n; c += block) add_row_block<block>(dst + c, e, index, j0, j1, rows + c, stride);
    for (; c + vector_width <= n; c += vector_width)
        add_row_block<vector_width>(dst + c, e, index, j0, j1, rows + c, stride);
    switch (n - c) {
        case 3: add_row_block<3>(dst + c, e, index, j0, j1, rows + c, stride); break;
        case 2: add_row_block<2>(dst + c, e, index, j0, j1, rows + c, stride); break;
        case 1: add_row_block<1>(dst + c, e, index, j0, j1, rows + c, stride); break;
        default: break;
    }
}

// Per-thread work arrays of the fixed kernels.
struct FixedScratch {
    std::vector<double> T, Tt, F;
};

template <int Lb, int Lk>
__attribute__((always_inline)) inline void fixed_quartet(const RepulsionPair& bra, const RepulsionPair& ket,
                                                         double* out) {
    using Shape = QuartetShape<Lb, Lk>;
    static constexpr Shape shape;
    constexpr int L = Shape::L, nhb = Shape::nhb, nhk = Shape::nhk, width = Shape::width;
    thread_local FixedScratch s;
    const std::size_t nab = static_cast<std::size_t>(bra.functions()), ncd = static_cast<std::size_t>(ket.functions());
    const int* bstart = bra.start.data();
    const int* bindex = bra.index.data();
    const int* kstart = ket.start.data();
    const int* kindex = ket.index.data();
    double* T = Scratch::fit(s.T, ncd * width);
    double* Tt = Scratch::fit(s.Tt, nhb * ncd);
    double* boys = Scratch::fit(s.F, ket.primitives() * (L + 1));
    std::fill(out, out + nab * ncd, 0.0);
    double work[level_start(L, L) + 1];
    // Row k: R_(h+k) for the bra's terms h, then zeros to the vector's end.
    double X[nhk * width];
    for (int k = 0; k < nhk; ++k)
        for (int h = nhb; h < width; ++h) X[k * width + h] = 0.0;

    for (std::size_t P = 0; P < bra.primitives(); ++P) {
        const double p = bra.p[P];
        std::fill(T, T + ncd * width, 0.0);
        // The Boys values of every Q first: independent of one another, their latencies overlap.
        for (std::size_t Q = 0; Q < ket.primitives(); ++Q) {
            const double q = ket.p[Q];
            const double alpha = p * q / (p + q);
            const double dx = bra.Px[P] - ket.Px[Q], dy = bra.Py[P] - ket.Py[Q], dz = bra.Pz[P] - ket.Pz[Q];
            boys_any(L, alpha * (dx * dx + dy * dy + dz * dz), boys + Q * (L + 1));
        }
        for (std::size_t Q = 0; Q < ket.primitives(); ++Q) {
            const double q = ket.p[Q];
            const double alpha = p * q / (p + q);
            const double xyz[3] = {bra.Px[P] - ket.Px[Q], bra.Py[P] - ket.Py[Q], bra.Pz[P] - ket.Pz[Q]};
            const double* F = boys + Q * (L + 1);
            double power = 1.0;
            for (int n = 0; n <= L; ++n) {
                work[level_start(L, n)] = power * F[n];
                power *= -2.0 * alpha;
            }
            fixed_steps<L>(xyz, work, std::make_index_sequence<static_cast<std::size_t>(step_count(L))>());
            const double pre = two_pi_2_5 / std::sqrt(p + q);
            for (int k = 0; k < nhk; ++k) {
                const double f = pre * shape.sign[k];
                for (int h = 0; h < nhb; ++h) X[k * width + h] = f * work[shape.sum[k][h]];
            }
            const double* e = ket.e.data() + Q * ket.terms;
            for (std::size_t cd = 0; cd < ncd; ++cd)
                add_rows(T + cd * width, width, e, kindex, kstart[cd], kstart[cd + 1], X, width);
        }
        for (std::size_t cd = 0; cd < ncd; ++cd)
            for (int h = 0; h < nhb; ++h) Tt[static_cast<std::size_t>(h) * ncd + cd] = T[cd * width + h];
        const double* e = bra.e.data() + P * bra.terms;
        for (std::size_t ab = 0; ab < nab; ++ab)
            add_rows(out + ab * ncd, ncd, e, bindex, bstart[ab], bstart[ab + 1], Tt, ncd);
    }
}

// The highest pair L (la + lb) with a fixed kernel: through (dd| and |dd).
constexpr int fixed_pair_max_l = 4;

// Inlined, as the kernels are, into each build of repulsion_quartet (AVX2 and default).
template <int Lb, int... Lk>
__attribute__((always_inline)) inline bool fixed_quartet_ket(int lk, const RepulsionPair& bra, const RepulsionPair& ket,
                                                             double* out, std::integer_sequence<int, Lk...>) {
    return ((lk == Lk && (fixed_quartet<Lb, Lk>(bra, ket, out), true)) || ...);
}

template <int... Lb>
__attribute__((always_inline)) inline bool fixed_quartet_any(int lb, int lk, const RepulsionPair& bra,
                                                             const RepulsionPair& ket, double* out,
                                                             std::integer_sequence<int, Lb...>) {
    return ((lb == Lb &&
             fixed_quartet_ket<Lb>(lk, bra, ket, out, std::make_integer_sequence<int, fixed_pair_max_l + 1>())) ||
            ...);
}

}  // namespace

// For each bra primitive pair P, the ket is contracted first into the intermediate
//   T_P[cd][tuv] = sum_Q 2 pi^(5/2) / sqrt(p + q) sum_t'u'v' (-1)^(t'+u'+v') E^Q_cd,t'u'v' R_(t+t')(u+u')(v+v'),
// then (ab|cd) += sum_tuv E^P_ab,tuv T_P[cd][tuv] (the 1/(pq) sits in the E's): the bra's
// coefficients are applied once per P instead of once per primitive quartet.
// Built also for AVX2, chosen at load time where the processor has it: only the vector
// width differs (no contraction to FMA, -ffp-contract=off), so the bits are the same.
// Clang resolves such clones only for callers in this file, so its builds (the fuzz
// targets) take the default code.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void repulsion_quartet(const RepulsionPair& bra, const RepulsionPair& ket, double* out) {
    if (fixed_quartet_any(bra.la + bra.lb, ket.la + ket.lb, bra, ket, out,
                          std::make_integer_sequence<int, fixed_pair_max_l + 1>()))
        return;
    repulsion_quartet_any_l(bra, ket, out);
}

#if defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void repulsion_quartet_any_l(const RepulsionPair& bra, const RepulsionPair& ket, double* out) {
    const Tables& tab = tables();
    thread_local Scratch s;
    const int Lb = bra.la + bra.lb, Lk = ket.la + ket.lb, L = Lb + Lk;
    const std::size_t nhb = static_cast<std::size_t>(hermite_count(Lb)), nhk = static_cast<std::size_t>(hermite_count(Lk));
    const std::size_t nab = static_cast<std::size_t>(bra.functions()), ncd = static_cast<std::size_t>(ket.functions());
    const int* bstart = bra.start.data();
    const int* bindex = bra.index.data();
    const int* kstart = ket.start.data();
    const int* kindex = ket.index.data();
    const std::uint16_t* sum = tab.sum[Lb][Lk].data();
    const double* sign = tab.sign.data();

    double* work = Scratch::fit(s.work, static_cast<std::size_t>(tab.level_offset[L].back() + 1));
    double* X = Scratch::fit(s.X, nhk * nhb);
    double* T = Scratch::fit(s.T, ncd * nhb);
    double* Tt = Scratch::fit(s.Tt, nhb * ncd);
    std::fill(out, out + nab * ncd, 0.0);

    for (std::size_t P = 0; P < bra.primitives(); ++P) {
        const double p = bra.p[P];
        std::fill(T, T + ncd * nhb, 0.0);
        for (std::size_t Q = 0; Q < ket.primitives(); ++Q) {
            const double q = ket.p[Q];
            coulomb(tab, L, p * q / (p + q), bra.Px[P] - ket.Px[Q], bra.Py[P] - ket.Py[Q], bra.Pz[P] - ket.Pz[Q],
                    work);
            const double pre = two_pi_2_5 / std::sqrt(p + q);
            // X[k][h] = pre (-1)^k R_(h+k)
            for (std::size_t k = 0; k < nhk; ++k) {
                const double f = pre * sign[k];
                const std::uint16_t* at = sum + k * nhb;
                double* x = X + k * nhb;
                for (std::size_t h = 0; h < nhb; ++h) x[h] = f * work[at[h]];
            }
            const double* e = ket.e.data() + Q * ket.terms;
            for (std::size_t cd = 0; cd < ncd; ++cd) {
                double* t = T + cd * nhb;
                for (int j = kstart[cd]; j < kstart[cd + 1]; ++j) {
                    const double v = e[j];
                    const double* x = X + static_cast<std::size_t>(kindex[j]) * nhb;
                    for (std::size_t h = 0; h < nhb; ++h) t[h] += v * x[h];
                }
            }
        }
        for (std::size_t cd = 0; cd < ncd; ++cd)
            for (std::size_t h = 0; h < nhb; ++h) Tt[h * ncd + cd] = T[cd * nhb + h];
        const double* e = bra.e.data() + P * bra.terms;
        for (std::size_t ab = 0; ab < nab; ++ab) {
            double* o = out + ab * ncd;
            for (int j = bstart[ab]; j < bstart[ab + 1]; ++j) {
                const double v = e[j];
                const double* t = Tt + static_cast<std::size_t>(bindex[j]) * ncd;
                for (std::size_t cd = 0; cd < ncd; ++cd) o[cd] += v * t[cd];
            }
        }
    }

}

std::vector<double> repulsion_block(const GaussianShell& a, const GaussianShell& b, const GaussianShell& c,
                                    const GaussianShell& d) {
    const RepulsionPair bra = repulsion_pair(a, b), ket = repulsion_pair(c, d);
    std::vector<double> block(static_cast<std::size_t>(bra.functions()) * ket.functions());
    repulsion_quartet(bra, ket, block.data());
    return block;
}
