#pragma once

#include <cstddef>
#include <cstring>
#include <type_traits>
#include <vector>

// The scatter of scatter.h, one shell quartet at a time: the quartet's weighted integrals
// as a dense block W[ia][jb][kc][ld] over the four shells' contiguous function ranges
// (a zero where an integral is not a distinct one), so that the density and the matrices
// are read and written row by row and the coincidence weights cost nothing per integral.
// The same half matrices and formulas as scatter.h:
//   Coulomb   A_ij += 2 v D_kl,  A_kl += 2 v D_ij
//   exchange  A_ik += s v D_jl,  A_jl += s v D_ik,  A_il += s v D_jk,  A_jk += s v D_il
// with s = -1/2 for G = J - 1/2 K of one density and s = 1 for K alone.

// The four shells of a quartet: first function and count of each.
struct QuartetShells {
    std::size_t a0, na, b0, nb, c0, nc, d0, nd;
};

// Two densities at once: the elements of two matrices interleaved, each lane the other's
// operations exactly (no fused multiply-add), so that a pair of builds costs the vector
// instructions of one and gives each matrix the bits of its build alone.
typedef double DoubleLanes __attribute__((vector_size(2 * sizeof(double))));
// Two pairs of lanes, likewise: one AVX register, two SSE registers where AVX is missing.
typedef double QuadLanes __attribute__((vector_size(4 * sizeof(double))));

// The exchange of a fixed last shell carries its two sums (ik, jk) and its two scratch rows
// (K_ad, K_bd) side by side in a vector twice as wide as T: Joined<T>::type, filled by
// join(a, b, out) and read by low and high (through references: a QuadLanes passed by value
// would be passed differently with and without AVX).
template <class T>
struct Joined;
template <>
struct Joined<double> {
    using type = DoubleLanes;
    static void join(double a, double b, DoubleLanes& out) { out = DoubleLanes{a, b}; }
    static double low(const DoubleLanes& x) { return x[0]; }
    static double high(const DoubleLanes& x) { return x[1]; }
};
template <>
struct Joined<DoubleLanes> {
    using type = QuadLanes;
    static void join(DoubleLanes a, DoubleLanes b, QuadLanes& out) { out = __builtin_shufflevector(a, b, 0, 1, 2, 3); }
    static DoubleLanes low(const QuadLanes& x) { return DoubleLanes{x[0], x[1]}; }
    static DoubleLanes high(const QuadLanes& x) { return DoubleLanes{x[2], x[3]}; }
};

// Sums over ld kept in the caller's scratch, added to the matrix once per quartet.
template <class T>
struct BasicScatterScratch {
    std::vector<T> cd, ad, bd;
    explicit BasicScatterScratch(std::size_t largest_shell)
        : cd(largest_shell * largest_shell), ad(cd.size()), bd(cd.size()) {}
};
using ScatterScratch = BasicScatterScratch<double>;

namespace detail {

// Adds the rows x cols block S to M at (r0, c0) and clears S.
template <class T>
[[gnu::always_inline]] inline void flush_block(T* S, std::size_t rows, std::size_t cols, T* M, std::size_t n, std::size_t r0,
                        std::size_t c0) {
    for (std::size_t r = 0; r < rows; ++r)
        for (std::size_t c = 0; c < cols; ++c) {
            M[(r0 + r) * n + c0 + c] += S[r * cols + c];
            S[r * cols + c] = T{};
        }
}

// A row of ND numbers in vector registers: four lanes at a time, then two, then one.
template <std::size_t ND>
struct RowLanes {
    static constexpr std::size_t quads = ND / 4, pairs = (ND % 4) / 2, singles = ND % 2;
    QuadLanes q[quads > 0 ? quads : 1];
    DoubleLanes d;
    double x;
    void load(const double* p) {
        for (std::size_t k = 0; k < quads; ++k) std::memcpy(&q[k], p + 4 * k, sizeof q[k]);
        if (pairs) std::memcpy(&d, p + 4 * quads, sizeof d);
        if (singles) x = p[ND - 1];
    }
    void store(double* p) const {
        for (std::size_t k = 0; k < quads; ++k) std::memcpy(p + 4 * k, &q[k], sizeof q[k]);
        if (pairs) std::memcpy(p + 4 * quads, &d, sizeof d);
        if (singles) p[ND - 1] = x;
    }
    // row[ld] += v[ld] f, lane by lane.
    void add_scaled(const double* v, double f) {
        for (std::size_t k = 0; k < quads; ++k) {
            QuadLanes w;
            std::memcpy(&w, v + 4 * k, sizeof w);
            q[k] += w * f;
        }
        if (pairs) {
            DoubleLanes w;
            std::memcpy(&w, v + 4 * quads, sizeof w);
            d += w * f;
        }
        if (singles) x += v[ND - 1] * f;
    }
};

// row[ld] += v[ld] f for ld < ND, in vector registers (lane by lane the same operations).
template <std::size_t ND>
[[gnu::always_inline]] inline void add_scaled_row(double* row, const double* v, double f) {
    RowLanes<ND> r;
    r.load(row);
    r.add_scaled(v, f);
    r.store(row);
}

}  // namespace detail

// The kernel for a last shell of ND functions (0: any number, q.nd), whose loops the
// compiler unrolls when ND is fixed; T is double, or DoubleLanes for two densities.
template <bool coulomb, bool exchange, std::size_t ND, class T>
[[gnu::always_inline]] inline void scatter_quartet_nd(const QuartetShells& q, const double* W, const T* DJ, T* AJ, const T* DK, T* AK,
                               double s, std::size_t n, BasicScatterScratch<T>& scratch) {
    T* const Jcd = scratch.cd.data();
    T* const Kad = scratch.ad.data();
    T* const Kbd = scratch.bd.data();
    const std::size_t nd = ND != 0 ? ND : q.nd;
    // A fixed last shell: the exchange's two sums and its two scratch rows are carried as
    // joined pairs (ik, jk) and (K_ad, K_bd), each half the additions of the plain loop in
    // their order, in half its arithmetic instructions.
    constexpr bool paired = exchange && ND != 0;
    // One density and a last shell of four or more: the scratch rows K_ad and K_bd as rows of
    // vector registers instead (the same additions), each integral row read once for both.
    constexpr bool row_lanes = paired && std::is_same<T, double>::value && ND >= 4;
    detail::RowLanes<row_lanes ? ND : 1> K_ad_row, K_bd_row;
    using J2 = Joined<T>;
    using T2 = typename J2::type;
    for (std::size_t ia = 0; ia < q.na; ++ia) {
        const std::size_t i = q.a0 + ia;
        for (std::size_t jb = 0; jb < q.nb; ++jb) {
            const std::size_t j = q.b0 + jb;
            const double* Wij = W + (ia * q.nb + jb) * q.nc * nd;
            const T D_ij2 = coulomb ? 2.0 * DJ[i * n + j] : T{};
            const T* D_id = DK + i * n + q.d0;
            const T* D_jd = DK + j * n + q.d0;
            T* K_ad = Kad + ia * nd;
            T* K_bd = Kbd + jb * nd;
            T coul{};
            T2 D_jd_id[paired ? ND : 1]{}, K_abd[paired && !row_lanes ? ND : 1]{};
            if constexpr (paired)
                for (std::size_t ld = 0; ld < ND; ++ld) J2::join(D_jd[ld], D_id[ld], D_jd_id[ld]);
            if constexpr (row_lanes) {
                K_ad_row.load(K_ad);
                K_bd_row.load(K_bd);
            } else if constexpr (paired) {
                for (std::size_t ld = 0; ld < ND; ++ld) J2::join(K_ad[ld], K_bd[ld], K_abd[ld]);
            }
            for (std::size_t kc = 0; kc < q.nc; ++kc) {
                const std::size_t k = q.c0 + kc;
                const double* v = Wij + kc * nd;
                if (coulomb) {
                    const T* D_kd = DJ + k * n + q.d0;
                    T* J_cd = Jcd + kc * nd;
                    if constexpr (ND != 0 && std::is_same<T, double>::value) {
                        for (std::size_t ld = 0; ld < ND; ++ld) coul += v[ld] * D_kd[ld];
                        detail::add_scaled_row<ND>(J_cd, v, D_ij2);
                    } else {
                        for (std::size_t ld = 0; ld < nd; ++ld) {
                            coul += v[ld] * D_kd[ld];
                            J_cd[ld] += v[ld] * D_ij2;
                        }
                    }
                }
                if constexpr (row_lanes) {
                    const double D_jk = s * DK[j * n + k], D_ik = s * DK[i * n + k];
                    T2 ik_jk{};
                    for (std::size_t ld = 0; ld < ND; ++ld) ik_jk += v[ld] * D_jd_id[ld];
                    K_ad_row.add_scaled(v, D_jk);
                    K_bd_row.add_scaled(v, D_ik);
                    AK[i * n + k] += s * J2::low(ik_jk);
                    AK[j * n + k] += s * J2::high(ik_jk);
                } else if constexpr (paired) {
                    T2 D_jk_ik{};
                    J2::join(s * DK[j * n + k], s * DK[i * n + k], D_jk_ik);
                    T2 ik_jk{};
                    for (std::size_t ld = 0; ld < ND; ++ld) {
                        ik_jk += v[ld] * D_jd_id[ld];
                        K_abd[ld] += v[ld] * D_jk_ik;
                    }
                    AK[i * n + k] += s * J2::low(ik_jk);
                    AK[j * n + k] += s * J2::high(ik_jk);
                } else if (exchange) {
                    const T D_jk = s * DK[j * n + k], D_ik = s * DK[i * n + k];
                    T ik{}, jk{};
                    for (std::size_t ld = 0; ld < nd; ++ld) {
                        ik += v[ld] * D_jd[ld];
                        jk += v[ld] * D_id[ld];
                        K_ad[ld] += v[ld] * D_jk;
                        K_bd[ld] += v[ld] * D_ik;
                    }
                    AK[i * n + k] += s * ik;
                    AK[j * n + k] += s * jk;
                }
            }
            if constexpr (row_lanes) {
                K_ad_row.store(K_ad);
                K_bd_row.store(K_bd);
            } else if constexpr (paired)
                for (std::size_t ld = 0; ld < ND; ++ld) {
                    K_ad[ld] = J2::low(K_abd[ld]);
                    K_bd[ld] = J2::high(K_abd[ld]);
                }
            if (coulomb) AJ[i * n + j] += 2.0 * coul;
        }
    }
    if (coulomb) detail::flush_block(Jcd, q.nc, nd, AJ, n, q.c0, q.d0);
    if (exchange) {
        detail::flush_block(Kad, q.na, nd, AK, n, q.a0, q.d0);
        detail::flush_block(Kbd, q.nb, nd, AK, n, q.b0, q.d0);
    }
}

// Coulomb of DJ into AJ when `coulomb`, exchange of DK times s into AK when `exchange`:
// the kernel fixed for the shell sizes of s, p, pure d and Cartesian d, and of the groups
// of shells sharing exponents most common in the library sets: s and s, s and p.
// Inlined into each build's loop, as G's is by itself: an out-of-line K-only copy took half
// again the instructions of G's.
template <bool coulomb, bool exchange, class T>
[[gnu::always_inline]] inline void scatter_quartet(const QuartetShells& q, const double* W, const T* DJ, T* AJ,
                                                   const T* DK, T* AK, double s, std::size_t n,
                                                   BasicScatterScratch<T>& scratch) {
    switch (q.nd) {
        case 1: return scatter_quartet_nd<coulomb, exchange, 1>(q, W, DJ, AJ, DK, AK, s, n, scratch);
        case 2: return scatter_quartet_nd<coulomb, exchange, 2>(q, W, DJ, AJ, DK, AK, s, n, scratch);
        case 3: return scatter_quartet_nd<coulomb, exchange, 3>(q, W, DJ, AJ, DK, AK, s, n, scratch);
        case 4: return scatter_quartet_nd<coulomb, exchange, 4>(q, W, DJ, AJ, DK, AK, s, n, scratch);
        case 5: return scatter_quartet_nd<coulomb, exchange, 5>(q, W, DJ, AJ, DK, AK, s, n, scratch);
        case 6: return scatter_quartet_nd<coulomb, exchange, 6>(q, W, DJ, AJ, DK, AK, s, n, scratch);
        default: return scatter_quartet_nd<coulomb, exchange, 0>(q, W, DJ, AJ, DK, AK, s, n, scratch);
    }
}
