// Bit-exact table of two-electron integrals.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "common/constants.h"
#include "integrals/exact/exact.h"
#include "integrals/exact/exact_detail.h"
#include "integrals/reference/func.h"
#include "integrals/reference/repulsion.h"

using namespace exact;

namespace {

constexpr int nl = max_power + 1;                // powers 0 ... max_power per direction
constexpr int max_pair_power = 2 * max_power;    // l_a + l_b
constexpr int max_quartet_power = 4 * max_power; // l_a + l_b + l_c + l_d
constexpr int tuple_count = nl * nl * nl * nl;   // (l_a, l_b, l_c, l_d) per direction

// The quantities of one primitive pair that coulomb_repulsion and fB form, for all
// powers at once: gamma, 1/gamma, P, exp(-alpha_a alpha_b |A-B|^2 / gamma) and
//   fB[d][l_a][l_b][i][r] = (4 gamma)^(r-i) i!/(r!(i-2r)!) f_i(l_a, l_b, P_d - A_d, P_d - B_d).
struct EriPair {
    double gamma, inv_gamma, e;
    Vec3 P;
    double fB[3][nl][nl][max_pair_power + 1][max_power + 1];
};

EriPair make_eri_pair(double alpha_a, const Vec3& A, double alpha_b, const Vec3& B) {
    const Pair pr = make_pair(alpha_a, A, alpha_b, B);
    EriPair q{};
    q.gamma = pr.gamma;
    q.inv_gamma = 1.0 / pr.gamma;
    q.e = pr.e;
    q.P = pr.P;
    double b0pow[max_pair_power + 1];  // pow(4 gamma, -e)
    for (int e = 0; e <= max_pair_power; ++e)
        b0pow[e] = e == 0 ? 1.0 : library_pow(4.0 * pr.gamma, static_cast<double>(-e));
    for (int d = 0; d < 3; ++d) {
        double pa[max_power + 1], pb[max_power + 1];
        for (int e = 0; e <= max_power; ++e) {
            pa[e] = int_pow(pr.pa[d], e);
            pb[e] = int_pow(pr.pb[d], e);
        }
        for (int la = 0; la < nl; ++la)
            for (int lb = 0; lb < nl; ++lb)
                for (int i = 0; i <= la + lb; ++i) {
                    const double f = binomial_prefactor_tab(i, la, lb, pa, pb);
                    for (int r = 0; r <= i / 2; ++r) q.fB[d][la][lb][i][r] = (b0pow[i - r] * fact_ratio2(i, r)) * f;
                }
    }
    return q;
}

// fact_ratio2(k, u) = k! / (u! (k-2u)!), exact.
struct FactRatioTable {
    double v[max_quartet_power + 1][max_quartet_power / 2 + 1] = {};
    FactRatioTable() {
        for (int k = 0; k <= max_quartet_power; ++k)
            for (int u = 0; 2 * u <= k; ++u) v[k][u] = fact_ratio2(k, u);
    }
};

// B[I] = sum over i1, i2, r1, r2, u with i1 + i2 - 2(r1 + r2) - u = I of
//   fB1[i1][r1] (-1)^i2 fB2[i2][r2] (-1)^u k!/(u!(k-2u)!) (Q-P)^(k-2u) / delta^(k-u),
//   k = i1 + i2 - 2(r1 + r2),
// term by term and in the loop order of B_array and B_term. A zero fB factor makes
// every term of its branch exactly zero; those are skipped.
void b_array(const double (*f1)[max_power + 1], int lab, const double (*f2)[max_power + 1], int lcd,
             const double* qp, const double* dpow, const FactRatioTable& fr, double* B) {
    for (int I = 0; I <= lab + lcd; ++I) B[I] = 0.0;
    for (int i1 = 0; i1 <= lab; ++i1)
        for (int i2 = 0; i2 <= lcd; ++i2)
            for (int r1 = 0; r1 <= i1 / 2; ++r1) {
                const double a = f1[i1][r1];
                if (a == 0.0) continue;
                const double v1 = (i2 & 1) ? -a : a;
                for (int r2 = 0; r2 <= i2 / 2; ++r2) {
                    const double b = f2[i2][r2];
                    if (b == 0.0) continue;
                    const double v12 = v1 * b;
                    const int k = i1 + i2 - 2 * (r1 + r2);
                    for (int u = 0; u <= (i1 + i2) / 2 - r1 - r2; ++u) {
                        const double v = (u & 1) ? -v12 : v12;
                        B[k - u] += ((v * fr.v[k][u]) * qp[k - 2 * u]) / dpow[k - u];
                    }
                }
            }
}

struct Member {
    const Function* f[4];
    int code[3];  // (l_a, l_b, l_c, l_d) tuple of each direction
    int L[3];     // l_a + l_b + l_c + l_d of each direction
    std::uint64_t index;
};

int tuple_code(int a, int b, int c, int d) { return ((a * nl + b) * nl + c) * nl + d; }

bool computed_order(int i, int j, int k, int l, PairOrder order) {
    if (i < j || k < l) return false;
    const std::uint64_t ij = TwoElectronTable::pair(static_cast<std::uint64_t>(i), static_cast<std::uint64_t>(j));
    const std::uint64_t kl = TwoElectronTable::pair(static_cast<std::uint64_t>(k), static_cast<std::uint64_t>(l));
    return order == PairOrder::ket_not_below_bra ? kl >= ij : ij >= kl;
}

class EriBuilder {
public:
    EriBuilder(const std::vector<CGF>& cgfs, const std::vector<Atom>& atoms, TwoElectronTable& table, PairOrder order)
        : cgfs_(cgfs), atoms_(atoms), table_(table), order_(order), basis_(group_functions(cgfs, atoms, max_power)) {
        ng_ = basis_.groups.size();
        pair_offset_.resize(ng_ * ng_);
        std::size_t count = 0;
        for (std::size_t a = 0; a < ng_; ++a)
            for (std::size_t b = 0; b < ng_; ++b) {
                pair_offset_[a * ng_ + b] = count;
                count += static_cast<std::size_t>(basis_.groups[a].nprim() * basis_.groups[b].nprim());
            }
        pairs_.reserve(count);
        for (const Group& ga : basis_.groups)
            for (const Group& gb : basis_.groups)
                for (int p = 0; p < ga.nprim(); ++p)
                    for (int q = 0; q < gb.nprim(); ++q)
                        pairs_.push_back(make_eri_pair(ga.alpha[p], ga.centre, gb.alpha[q], gb.centre));
    }

    void run() {
        for (std::size_t a = 0; a < ng_; ++a)
            for (std::size_t b = 0; b < ng_; ++b)
                for (std::size_t c = 0; c < ng_; ++c)
                    for (std::size_t d = 0; d < ng_; ++d) group_quartet(a, b, c, d);
        reference_remainder();
    }

private:
    const std::vector<CGF>& cgfs_;
    const std::vector<Atom>& atoms_;
    TwoElectronTable& table_;
    PairOrder order_;
    GroupedBasis basis_;
    std::size_t ng_ = 0;
    std::vector<std::size_t> pair_offset_;
    std::vector<EriPair> pairs_;
    FactRatioTable fr_;
    std::vector<Member> members_;
    std::vector<double> acc_;
    // Per group quartet: F_0 ... F_max_boys, then delta^0 ... delta^max_quartet_power,
    // of each primitive quartet, filled on first use.
    std::vector<double> boys_cache_;
    std::vector<char> boys_known_;
    int dims_[4] = {0, 0, 0, 0};

    // Index of the representative of (p, q, r, s) under the swaps that leave |P-Q|^2
    // and delta unchanged bit for bit (sums and products commute exactly).
    std::size_t shared_key(int p, int q, int r, int s, bool swap_bra, bool swap_ket, bool swap_sides) const {
        if (swap_bra && q > p) std::swap(p, q);
        if (swap_ket && s > r) std::swap(r, s);
        if (swap_sides && (r > p || (r == p && s > q))) {
            std::swap(p, r);
            std::swap(q, s);
        }
        return static_cast<std::size_t>(((p * dims_[1] + q) * dims_[2] + r) * dims_[3] + s);
    }

    // All distinct integrals whose four functions lie in groups a, b, c, d (in this
    // argument order), primitive quartet by primitive quartet.
    void group_quartet(std::size_t a, std::size_t b, std::size_t c, std::size_t d) {
        const Group& G0 = basis_.groups[a];
        const Group& G1 = basis_.groups[b];
        const Group& G2 = basis_.groups[c];
        const Group& G3 = basis_.groups[d];
        members_.clear();
        bool needed[3][tuple_count] = {};
        int m_max = 0, L_max[3] = {0, 0, 0}, D_max = 0;
        for (int i : G0.members)
            for (int j : G1.members)
                for (int k : G2.members)
                    for (int l : G3.members) {
                        if (!computed_order(i, j, k, l, order_)) continue;
                        Member m{};
                        const int idx[4] = {i, j, k, l};
                        for (int s = 0; s < 4; ++s) m.f[s] = &basis_.functions[static_cast<std::size_t>(idx[s])];
                        const int pw[3][4] = {{m.f[0]->l, m.f[1]->l, m.f[2]->l, m.f[3]->l},
                                              {m.f[0]->m, m.f[1]->m, m.f[2]->m, m.f[3]->m},
                                              {m.f[0]->n, m.f[1]->n, m.f[2]->n, m.f[3]->n}};
                        for (int dir = 0; dir < 3; ++dir) {
                            m.code[dir] = tuple_code(pw[dir][0], pw[dir][1], pw[dir][2], pw[dir][3]);
                            m.L[dir] = pw[dir][0] + pw[dir][1] + pw[dir][2] + pw[dir][3];
                            needed[dir][m.code[dir]] = true;
                            L_max[dir] = std::max(L_max[dir], m.L[dir]);
                        }
                        m_max = std::max(m_max, m.L[0] + m.L[1] + m.L[2]);
                        m.index = teindex(static_cast<std::uint64_t>(i), static_cast<std::uint64_t>(j),
                                          static_cast<std::uint64_t>(k), static_cast<std::uint64_t>(l));
                        members_.push_back(m);
                    }
        if (members_.empty()) return;
        D_max = std::max(L_max[0], std::max(L_max[1], L_max[2]));
        int codes[3][tuple_count], ncodes[3] = {0, 0, 0};
        for (int dir = 0; dir < 3; ++dir)
            for (int t = 0; t < tuple_count; ++t)
                if (needed[dir][t]) codes[dir][ncodes[dir]++] = t;

        const std::size_t nm = members_.size();
        acc_.assign(nm, 0.0);
        const EriPair* bra_pairs = &pairs_[pair_offset_[a * ng_ + b]];
        const EriPair* ket_pairs = &pairs_[pair_offset_[c * ng_ + d]];
        const int n1 = G1.nprim(), n2 = G2.nprim(), n3 = G3.nprim();

        dims_[0] = G0.nprim();
        dims_[1] = n1;
        dims_[2] = n2;
        dims_[3] = n3;
        const std::size_t nquartets = static_cast<std::size_t>(dims_[0] * n1 * n2 * n3);
        constexpr std::size_t stride = max_boys + 1 + max_quartet_power + 1;
        boys_cache_.resize(nquartets * stride);
        boys_known_.assign(nquartets, 0);
        double qp[3][max_quartet_power + 1];
        double Btab[3][tuple_count][max_quartet_power + 1];
        for (int p = 0; p < G0.nprim(); ++p)
            for (int q = 0; q < n1; ++q) {
                const EriPair& bra = bra_pairs[p * n1 + q];
                for (int r = 0; r < n2; ++r)
                    for (int s = 0; s < n3; ++s) {
                        const EriPair& ket = ket_pairs[r * n3 + s];
                        // coulomb_repulsion's scalars, formed as there. |P-Q|^2, delta and
                        // hence the Boys functions are the same bits for the quartets related
                        // by (pq) -> (qp) within one group, (rs) -> (sr), and bra <-> ket when
                        // both pairs come from the same groups: each is computed once.
                        const std::size_t key = shared_key(p, q, r, s, a == b, c == d, a == c && b == d);
                        double* F = &boys_cache_[key * stride];
                        if (!boys_known_[key]) {
                            const double rpq2 = dist2(bra.P, ket.P);
                            const double delta = 0.25 * (ket.inv_gamma + bra.inv_gamma);
                            boys_orders(m_max, (0.25 * rpq2) / delta, F);
                            for (int e = 0; e <= D_max; ++e) F[max_boys + 1 + e] = int_pow(delta, e);
                            boys_known_[key] = 1;
                        }
                        const double* dpow = F + max_boys + 1;
                        const double pre = two_pi_2_5 / ((bra.gamma * ket.gamma) * std::sqrt(bra.gamma + ket.gamma));
                        const double lead = ket.e * (bra.e * pre);
                        const double qpd[3] = {ket.P.x - bra.P.x, ket.P.y - bra.P.y, ket.P.z - bra.P.z};
                        for (int dir = 0; dir < 3; ++dir) {
                            for (int e = 0; e <= L_max[dir]; ++e) qp[dir][e] = int_pow(qpd[dir], e);
                            for (int t = 0; t < ncodes[dir]; ++t) {
                                const int code = codes[dir][t];
                                const int ld = code % nl, lc = (code / nl) % nl, lb = (code / (nl * nl)) % nl,
                                          la = code / (nl * nl * nl);
                                b_array(bra.fB[dir][la][lb], la + lb, ket.fB[dir][lc][ld], lc + ld, qp[dir], dpow,
                                        fr_, Btab[dir][code]);
                            }
                        }
                        for (std::size_t x = 0; x < nm; ++x) {
                            const Member& m = members_[x];
                            const double* Bx = Btab[0][m.code[0]];
                            const double* By = Btab[1][m.code[1]];
                            const double* Bz = Btab[2][m.code[2]];
                            double sum = 0.0;
                            for (int I = 0; I <= m.L[0]; ++I) {
                                if (Bx[I] == 0.0) continue;
                                for (int J = 0; J <= m.L[1]; ++J) {
                                    const double bxy = Bx[I] * By[J];
                                    if (bxy == 0.0) continue;
                                    for (int K = 0; K <= m.L[2]; ++K) sum += F[I + J + K] * (bxy * Bz[K]);
                                }
                            }
                            if (sum == 0.0) continue;
                            const double v = (((((lead * sum) * m.f[0]->norm[p]) * m.f[1]->norm[q]) *
                                               m.f[2]->norm[r]) *
                                              m.f[3]->norm[s]);
                            const double w = ((m.f[0]->c[p] * m.f[1]->c[q]) * m.f[2]->c[r]) * m.f[3]->c[s];
                            acc_[x] += v * w;
                        }
                    }
            }
        for (std::size_t x = 0; x < nm; ++x) table_[members_[x].index] = acc_[x];
    }

    // (ij|kl) by the reference routine.
    double repulsion(int i, int j, int k, int l) const {
        const CGF& a = cgfs_[static_cast<std::size_t>(i)];
        const CGF& b = cgfs_[static_cast<std::size_t>(j)];
        const CGF& c = cgfs_[static_cast<std::size_t>(k)];
        const CGF& d = cgfs_[static_cast<std::size_t>(l)];
        return cgf_repulsion(a, centre_of(a, atoms_), b, centre_of(b, atoms_), c, centre_of(c, atoms_), d,
                             centre_of(d, atoms_));
    }

    // Integrals with a function outside the fast path come from the reference routine.
    void reference_remainder() {
        const int n = static_cast<int>(cgfs_.size());
        std::vector<int> outside;
        for (int i = 0; i < n; ++i)
            if (basis_.functions[static_cast<std::size_t>(i)].group < 0) outside.push_back(i);
        if (outside.empty()) return;
        auto is_outside = [&](int i) { return basis_.functions[static_cast<std::size_t>(i)].group < 0; };
        for (int i = 0; i < n; ++i)
            for (int j = 0; j <= i; ++j)
                for (int k = 0; k < n; ++k)
                    for (int l = 0; l <= k; ++l) {
                        if (!computed_order(i, j, k, l, order_)) continue;
                        if (!is_outside(i) && !is_outside(j) && !is_outside(k) && !is_outside(l)) continue;
                        table_[teindex(static_cast<std::uint64_t>(i), static_cast<std::uint64_t>(j),
                                       static_cast<std::uint64_t>(k), static_cast<std::uint64_t>(l))] =
                            repulsion(i, j, k, l);
                    }
    }
};

}  // namespace

// (ij|kl) = sum_pqrs ((c_p c_q) c_r) c_s (pq|rs), with the primitive integral
//   (pq|rs) = ((((e_cd (e_ab pre)) sum) N_p) N_q N_r) N_s,
//   pre = 2 pi^(5/2) / ((g1 g2) sqrt(g1 + g2)),
//   sum = sum_IJK F_(I+J+K)((0.25 |P-Q|^2) / delta) B_x[I] B_y[J] B_z[K],
// all as coulomb_repulsion and cgf_repulsion form them (Taketa, Huzinaga, O-ohata).
void exact_repulsion_table(const std::vector<CGF>& cgfs, const std::vector<Atom>& atoms, TwoElectronTable& te_table,
                           PairOrder order) {
    EriBuilder builder(cgfs, atoms, te_table, order);
    builder.run();
}
