#include <algorithm>
#include <cmath>

#include "common/constants.h"
#include "gradient/derivative_integrals.h"
#include "integrals/md/hermite.h"
#include "integrals/md/repulsion.h"
#include "system/parallel.h"

namespace {

// A primitive pair of two shells as the ket of a quartet: p, P, c_p c_q K, and its
// Hermite coefficients E^ij_t E^kl_u E^mn_v over the component pairs cd and
// hermite_indices(lc + ld), row cd holding only its nonzero terms (entries start[cd] to
// start[cd + 1] of index and value).
struct KetPrimitive {
    double p;
    double P[3];
    double factor;
    std::vector<int> start, index;
    std::vector<double> value;
};

// The same pair as the bra, differentiated: for each of the six derivatives (A_x, A_y,
// A_z, B_x, B_y, B_z) dense coefficients [ab][h] over hermite_indices(la + lb + 1).
struct BraPrimitive {
    double p;
    double P[3];
    double factor;
    std::vector<double> derivative[6];
};

struct PairGeometry {
    double p, P[3], factor;
    HermiteExpansion E[3];
};

PairGeometry pair_geometry(const GaussianShell& A, std::size_t pa, const GaussianShell& B, std::size_t pb, int extra) {
    PairGeometry g;
    const double a = A.exponents[pa], b = B.exponents[pb];
    g.p = a + b;
    double ab2 = 0.0;
    for (int x = 0; x < 3; ++x) {
        const double d = A.centre[x] - B.centre[x];
        ab2 += d * d;
        g.P[x] = (a * A.centre[x] + b * B.centre[x]) / g.p;
        g.E[x].compute(A.l + extra, B.l + extra, g.p, g.P[x] - A.centre[x], g.P[x] - B.centre[x]);
    }
    g.factor = A.coefficients[pa] * B.coefficients[pb] * std::exp(-a * b / g.p * ab2);
    return g;
}

std::vector<KetPrimitive> ket_primitives(const GaussianShell& A, const GaussianShell& B) {
    const std::vector<CartesianPowers>& ca = cartesian_components(A.l);
    const std::vector<CartesianPowers>& cb = cartesian_components(B.l);
    const std::vector<HermiteIndex>& hs = hermite_indices(A.l + B.l);
    std::vector<KetPrimitive> pairs;
    for (std::size_t pa = 0; pa < A.exponents.size(); ++pa)
        for (std::size_t pb = 0; pb < B.exponents.size(); ++pb) {
            const PairGeometry g = pair_geometry(A, pa, B, pb, 0);
            KetPrimitive pair{g.p, {g.P[0], g.P[1], g.P[2]}, g.factor, {0}, {}, {}};
            for (const CartesianPowers& i : ca)
                for (const CartesianPowers& j : cb) {
                    for (std::size_t h = 0; h < hs.size(); ++h) {
                        if (hs[h].t > i.x + j.x || hs[h].u > i.y + j.y || hs[h].v > i.z + j.z) continue;
                        pair.index.push_back(static_cast<int>(h));
                        pair.value.push_back(g.E[0](i.x, j.x, hs[h].t) * g.E[1](i.y, j.y, hs[h].u) *
                                             g.E[2](i.z, j.z, hs[h].v));
                    }
                    pair.start.push_back(static_cast<int>(pair.index.size()));
                }
            pairs.push_back(std::move(pair));
        }
    return pairs;
}

std::vector<BraPrimitive> bra_primitives(const GaussianShell& A, const GaussianShell& B) {
    const std::vector<CartesianPowers>& ca = cartesian_components(A.l);
    const std::vector<CartesianPowers>& cb = cartesian_components(B.l);
    const std::vector<HermiteIndex>& hs = hermite_indices(A.l + B.l + 1);
    const std::size_t nh = hs.size();
    std::vector<BraPrimitive> pairs;
    for (std::size_t pa = 0; pa < A.exponents.size(); ++pa)
        for (std::size_t pb = 0; pb < B.exponents.size(); ++pb) {
            const PairGeometry g = pair_geometry(A, pa, B, pb, 1);
            const double a = A.exponents[pa], b = B.exponents[pb];
            BraPrimitive pair{g.p, {g.P[0], g.P[1], g.P[2]}, g.factor, {}};
            for (std::vector<double>& d : pair.derivative) d.assign(ca.size() * cb.size() * nh, 0.0);
            // Per axis the plain coefficient E(m, n, t) and its derivatives at A and B.
            const auto plain = [&](int x, int m, int n, int t) { return t > m + n ? 0.0 : g.E[x](m, n, t); };
            const auto at_a = [&](int x, int m, int n, int t) {
                return 2.0 * a * g.E[x](m + 1, n, t) - (m > 0 ? m * g.E[x](m - 1, n, t) : 0.0);
            };
            const auto at_b = [&](int x, int m, int n, int t) {
                return 2.0 * b * g.E[x](m, n + 1, t) - (n > 0 ? n * g.E[x](m, n - 1, t) : 0.0);
            };
            std::size_t ab = 0;
            for (const CartesianPowers& i : ca)
                for (const CartesianPowers& j : cb) {
                    const int m[3] = {i.x, i.y, i.z}, n[3] = {j.x, j.y, j.z};
                    for (std::size_t h = 0; h < nh; ++h) {
                        const int tuv[3] = {hs[h].t, hs[h].u, hs[h].v};
                        if (tuv[0] > m[0] + n[0] + 1 || tuv[1] > m[1] + n[1] + 1 || tuv[2] > m[2] + n[2] + 1) continue;
                        double e[3];
                        for (int x = 0; x < 3; ++x) e[x] = plain(x, m[x], n[x], tuv[x]);
                        for (int x = 0; x < 3; ++x) {
                            const double rest = e[(x + 1) % 3] * e[(x + 2) % 3];
                            if (rest == 0.0) continue;
                            pair.derivative[x][ab * nh + h] = at_a(x, m[x], n[x], tuv[x]) * rest;
                            pair.derivative[3 + x][ab * nh + h] = at_b(x, m[x], n[x], tuv[x]) * rest;
                        }
                    }
                    ++ab;
                }
            pairs.push_back(std::move(pair));
        }
    return pairs;
}

// Largest |M_ij| over the functions of two shells.
double block_max(const Matrix<double>& M, const GradientShell& a, const GradientShell& b) {
    double largest = 0.0;
    for (int i = 0; i < function_count(a.gaussian); ++i)
        for (int j = 0; j < function_count(b.gaussian); ++j)
            largest = std::max(largest, std::fabs(M[static_cast<int>(a.first) + i][static_cast<int>(b.first) + j]));
    return largest;
}

}  // namespace

AtomGradient repulsion_gradient(const std::vector<GradientShell>& shells, const PairDensities& densities,
                                unsigned atoms, unsigned threads) {
    // Shell pairs a >= b, their Schwarz bounds max sqrt|(ab|ab)| and density maxima.
    std::vector<std::array<unsigned, 2>> pairs;
    for (unsigned a = 0; a < shells.size(); ++a)
        for (unsigned b = 0; b <= a; ++b) pairs.push_back({a, b});
    const unsigned npairs = static_cast<unsigned>(pairs.size());
    std::vector<double> bound(npairs);
    std::vector<std::vector<KetPrimitive>> kets(npairs);
    run_parallel(threads, npairs, [&](unsigned k) {
        const GaussianShell &A = shells[pairs[k][0]].gaussian, &B = shells[pairs[k][1]].gaussian;
        const std::vector<double> diagonal = repulsion_block(A, B, A, B);
        const std::size_t nab = static_cast<std::size_t>(function_count(A) * function_count(B));
        double largest = 0.0;
        for (std::size_t ab = 0; ab < nab; ++ab) largest = std::max(largest, std::fabs(diagonal[ab * nab + ab]));
        bound[k] = std::sqrt(largest);
        kets[k] = ket_primitives(A, B);
    });
    // Largest density element of each shell pair: the total's and any channel's.
    const std::size_t ns = shells.size();
    std::vector<double> total_max(ns * ns), channel_max(ns * ns, 0.0);
    for (std::size_t a = 0; a < ns; ++a)
        for (std::size_t b = 0; b < ns; ++b) {
            total_max[a * ns + b] = block_max(densities.total, shells[a], shells[b]);
            for (const Matrix<double>& P : densities.channels)
                channel_max[a * ns + b] = std::max(channel_max[a * ns + b], block_max(P, shells[a], shells[b]));
        }

    std::vector<double> per_pair(6 * static_cast<std::size_t>(npairs), 0.0);
    run_parallel(threads, npairs, [&](unsigned bra) {
        const unsigned sa = pairs[bra][0], sb = pairs[bra][1];
        const GradientShell &SA = shells[sa], &SB = shells[sb];
        const GaussianShell &A = SA.gaussian, &B = SB.gaussian;
        const std::vector<BraPrimitive> bra_prims = bra_primitives(A, B);
        const int nfa = function_count(A), nfb = function_count(B);
        const std::size_t nab = static_cast<std::size_t>(cartesian_count(A.l) * cartesian_count(B.l));
        const std::vector<HermiteIndex>& h1 = hermite_indices(A.l + B.l + 1);
        const std::size_t nh = h1.size();
        double sum[6] = {0, 0, 0, 0, 0, 0};
        std::vector<double> gamma, G, V, M, scratch;
        for (unsigned ket = 0; ket < npairs; ++ket) {
            const unsigned sc = pairs[ket][0], sd = pairs[ket][1];
            const GradientShell &SC = shells[sc], &SD = shells[sd];
            const GaussianShell &C = SC.gaussian, &D = SD.gaussian;
            // A quartet on one atom: its derivatives cancel over its four centres.
            if (SA.atom == SB.atom && SB.atom == SC.atom && SC.atom == SD.atom) continue;
            // Gamma over the quartet's functions, each unordered pair standing for both orders.
            const double pairs_weight = (sa == sb ? 1.0 : 2.0) * (sc == sd ? 1.0 : 2.0);
            const double weight_bound =
                pairs_weight * (total_max[sa * ns + sb] * total_max[sc * ns + sd] +
                                densities.exchange * static_cast<double>(densities.channels.size()) *
                                    (channel_max[sa * ns + sc] * channel_max[sb * ns + sd] +
                                     channel_max[sa * ns + sd] * channel_max[sb * ns + sc]));
            if (bound[bra] * bound[ket] * weight_bound < gradient_screening_threshold) continue;
            const int nfc = function_count(C), nfd = function_count(D);
            gamma.assign(static_cast<std::size_t>(nfa * nfb * nfc * nfd), 0.0);
            std::size_t at = 0;
            for (int i = 0; i < nfa; ++i)
                for (int j = 0; j < nfb; ++j)
                    for (int k = 0; k < nfc; ++k)
                        for (int l = 0; l < nfd; ++l, ++at) {
                            const int u = static_cast<int>(SA.first) + i, v = static_cast<int>(SB.first) + j;
                            const int r = static_cast<int>(SC.first) + k, s = static_cast<int>(SD.first) + l;
                            double exchange = 0.0;
                            for (const Matrix<double>& P : densities.channels)
                                exchange += P[u][r] * P[v][s] + P[u][s] * P[v][r];
                            gamma[at] = pairs_weight *
                                        (densities.total[u][v] * densities.total[r][s] - densities.exchange * exchange);
                        }
            const GaussianShell* quartet[4] = {&A, &B, &C, &D};
            const std::vector<double> gc = cartesian_weights(gamma, quartet, 4);
            const std::size_t ncd = static_cast<std::size_t>(cartesian_count(C.l) * cartesian_count(D.l));
            const std::vector<HermiteIndex>& h2 = hermite_indices(C.l + D.l);
            const std::size_t nk = h2.size();
            const int L = A.l + B.l + C.l + D.l + 1;
            const int side = L + 1;
            G.resize(nab * nk);
            V.resize(nab * nh);
            M.resize(nh * nk);
            for (const KetPrimitive& Q : kets[ket]) {
                // G[ab][k] = sum_cd Gamma[ab][cd] E^cd_k
                std::fill(G.begin(), G.end(), 0.0);
                for (std::size_t ab = 0; ab < nab; ++ab) {
                    double* g = &G[ab * nk];
                    const double* row = &gc[ab * ncd];
                    for (std::size_t cd = 0; cd < ncd; ++cd) {
                        const double w = row[cd];
                        if (w == 0.0) continue;
                        for (int e = Q.start[cd]; e < Q.start[cd + 1]; ++e)
                            g[Q.index[static_cast<std::size_t>(e)]] += w * Q.value[static_cast<std::size_t>(e)];
                    }
                }
                for (const BraPrimitive& P : bra_prims) {
                    const double p = P.p, q = Q.p;
                    const double* R =
                        hermite_coulomb(L, p * q / (p + q), P.P[0] - Q.P[0], P.P[1] - Q.P[1], P.P[2] - Q.P[2], scratch);
                    const double pre = two_pi_2_5 / (p * q * std::sqrt(p + q)) * P.factor * Q.factor;
                    // M[h][k] = (-1)^(t'+u'+v') R_(t+t')(u+u')(v+v')
                    for (std::size_t h = 0; h < nh; ++h)
                        for (std::size_t k = 0; k < nk; ++k) {
                            const HermiteIndex &x = h1[h], &y = h2[k];
                            const double r =
                                R[static_cast<std::size_t>(((x.t + y.t) * side + x.u + y.u) * side + x.v + y.v)];
                            M[h * nk + k] = ((y.t + y.u + y.v) % 2 == 0) ? r : -r;
                        }
                    // V[ab][h] = sum_k M[h][k] G[ab][k]; then each derivative's dot with V.
                    for (std::size_t ab = 0; ab < nab; ++ab) {
                        const double* g = &G[ab * nk];
                        double* out = &V[ab * nh];
                        for (std::size_t h = 0; h < nh; ++h) {
                            const double* m = &M[h * nk];
                            double s = 0.0;
                            for (std::size_t k = 0; k < nk; ++k) s += m[k] * g[k];
                            out[h] = s;
                        }
                    }
                    for (int d = 0; d < 6; ++d) {
                        const std::vector<double>& c = P.derivative[d];
                        double s = 0.0;
                        for (std::size_t x = 0; x < nab * nh; ++x) s += c[x] * V[x];
                        sum[d] += pre * s;
                    }
                }
            }
        }
        // 1/2 sum Gamma d(uv|ls) over both (uv|ls) and (ls|uv): once per ordered bra.
        for (int d = 0; d < 6; ++d) per_pair[6 * static_cast<std::size_t>(bra) + static_cast<std::size_t>(d)] = sum[d];
    });
    AtomGradient g(3 * static_cast<std::size_t>(atoms), 0.0);
    for (unsigned k = 0; k < npairs; ++k)
        for (int x = 0; x < 3; ++x) {
            g[3 * shells[pairs[k][0]].atom + static_cast<unsigned>(x)] += per_pair[6 * k + static_cast<unsigned>(x)];
            g[3 * shells[pairs[k][1]].atom + static_cast<unsigned>(x)] += per_pair[6 * k + 3 + static_cast<unsigned>(x)];
        }
    return g;
}
