#include "integrals/fast/fast_eri.h"

#include <cmath>
#include <cstdint>

#include "common/constants.h"
#include "integrals/fast/hermite.h"

namespace {

// At most 16 function pairs (sp with sp) and 36 primitive pairs (STO-6G) per shell pair.
constexpr int max_function_pairs = 16;
constexpr int max_primitive_pairs = 36;

// Screening by the Schwarz bounds of the primitive pairs (see PrimitiveList): for a
// bra primitive b, the ket primitives from k on are skipped once
//   bound_b * tail_k < primitive_cutoff,
// and the bra primitives from b on once tail_b * tail_0(ket) < primitive_cutoff.
// Everything skipped for one integral is then below (36 + 1) * 2.5e-19 < 1e-17, far
// below the rounding error of the integrals themselves and below every printed digit.
constexpr double primitive_cutoff = 2.5e-19;


// Flat indices 25 t + 5 u + v of the Hermite functions t+u+v <= L, in the order of
// ShellPair::hermite.
template <int L>
struct HermiteFlat {
    std::uint8_t flat[hermite_count(L)];
    constexpr HermiteFlat() : flat{} {
        int k = 0;
        for (int t = 0; t <= L; ++t)
            for (int u = 0; t + u <= L; ++u)
                for (int v = 0; t + u + v <= L; ++v) flat[k++] = static_cast<std::uint8_t>(25 * t + 5 * u + v);
    }
};

template <int L>
inline constexpr HermiteFlat<L> hermite_flat{};

// The integrals of one shell quartet with L(bra) = LB, L(ket) = LK, out[f * nk + g].
// For each bra primitive pair, the ket side is contracted first:
//   W[cd][tuv] = sum over ket primitives and t'u'v' of (-1)^(t'+u'+v') E^cd_t'u'v' R_(t+t',u+u',v+v'),
// then out[ab][cd] += sum_tuv E^ab_tuv W[cd][tuv]. The cost per primitive quartet grows
// with the number of ket terms times the bra Hermite functions, so the caller puts
// the pair of lower L on the ket side.
template <int LB, int LK>
void quartet_kernel(const ShellPair& bra, const ShellPair& ket, double* out) {
    constexpr int L = LB + LK;
    constexpr int NH = hermite_count(LB);
    constexpr int NHK = hermite_count(LK);
    const int nb = static_cast<int>(bra.first.size());
    const int nk = static_cast<int>(ket.first.size());
    for (int k = 0; k < nb * nk; ++k) out[k] = 0.0;
    const PrimitiveList& B = bra.eri;
    const PrimitiveList& K = ket.eri;
    const int nbp = static_cast<int>(B.size());
    const int nkp_all = static_cast<int>(K.size());
    if (nbp == 0 || nkp_all == 0) return;
    const double ket_total = K.tail[0];

    double alpha[max_primitive_pairs], scale[max_primitive_pairs];
    double X[max_primitive_pairs], Y[max_primitive_pairs], Z[max_primitive_pairs], T[max_primitive_pairs];
    double F[max_primitive_pairs][L + 1];
    double W[max_function_pairs][NH];
    double R[125];
    double Rm[NHK][NH];
    for (int ib = 0; ib < nbp; ++ib) {
        if (B.tail[ib] * ket_total < primitive_cutoff) break;
        const double bound = B.bound[ib];
        int nkp = 0;
        while (nkp < nkp_all && bound * K.tail[nkp] >= primitive_cutoff) ++nkp;
        const double p = B.p[ib], inv_p = B.inv_p[ib];
        const double Px = B.Px[ib], Py = B.Py[ib], Pz = B.Pz[ib];
        // Quantities of each primitive quartet, in a loop of its own that vectorises:
        //   alpha = pq/(p+q), scale = 2 pi^(5/2) / (p q sqrt(p+q)), T = alpha |P-Q|^2.
        for (int k = 0; k < nkp; ++k) {
            const double q = K.p[k];
            const double r = 1.0 / (p + q);
            alpha[k] = (p * q) * r;
            scale[k] = two_pi_2_5 * (inv_p * K.inv_p[k]) * std::sqrt(r);
            X[k] = Px - K.Px[k];
            Y[k] = Py - K.Py[k];
            Z[k] = Pz - K.Pz[k];
            T[k] = alpha[k] * ((X[k] * X[k] + Y[k] * Y[k]) + Z[k] * Z[k]);
        }
        // The Boys functions in a loop of their own too: independent evaluations overlap.
        for (int k = 0; k < nkp; ++k) boys_orders<L>(T[k], F[k]);
        for (int g = 0; g < nk; ++g)
            for (int h = 0; h < NH; ++h) W[g][h] = 0.0;
        for (int k = 0; k < nkp; ++k) {
            hermite_coulomb_fixed<L>(F[k], alpha[k], X[k], Y[k], Z[k], scale[k], R);
            // R_(t+t',u+u',v+v') gathered into rows by ket (t',u',v'), so that each
            // ket term adds one contiguous row.
            for (int hk = 0; hk < NHK; ++hk)
                for (int h = 0; h < NH; ++h) Rm[hk][h] = R[hermite_flat<LK>.flat[hk] + hermite_flat<LB>.flat[h]];
            for (unsigned t = K.first_term[k]; t < K.end_term[k]; ++t) {
                const HermiteTerm& term = ket.terms[t];
                double* w = W[term.pair];
                const double* rm = Rm[term.compact];
                const double e = term.e_ket();
                for (int h = 0; h < NH; ++h) w[h] += e * rm[h];
            }
        }
        for (unsigned t = B.first_term[ib]; t < B.end_term[ib]; ++t) {
            const HermiteTerm& term = bra.terms[t];
            double* o = out + term.pair * nk;
            for (int g = 0; g < nk; ++g) o[g] += term.e * W[g][term.compact];
        }
    }
}

template <int LB>
void kernel_for_ket(const ShellPair& bra, const ShellPair& ket, double* out) {
    switch (ket.L) {
        case 0: quartet_kernel<LB, 0>(bra, ket, out); break;
        case 1: quartet_kernel<LB, 1>(bra, ket, out); break;
        default: quartet_kernel<LB, 2>(bra, ket, out); break;
    }
}

// Bra L >= ket L.
void ordered_quartet(const ShellPair& bra, const ShellPair& ket, double* out) {
    switch (bra.L) {
        case 0: quartet_kernel<0, 0>(bra, ket, out); break;
        case 1: kernel_for_ket<1>(bra, ket, out); break;
        default: kernel_for_ket<2>(bra, ket, out); break;
    }
}

}  // namespace

void shell_quartet(const ShellPair& bra, const ShellPair& ket, double* out) {
    if (bra.L >= ket.L) {
        ordered_quartet(bra, ket, out);
        return;
    }
    double swapped[max_function_pairs * max_function_pairs];
    ordered_quartet(ket, bra, swapped);
    const std::size_t nb = bra.first.size(), nk = ket.first.size();
    for (std::size_t f = 0; f < nb; ++f)
        for (std::size_t g = 0; g < nk; ++g) out[f * nk + g] = swapped[g * nb + f];
}

void repulsion_table(const BasisSet& basis, const std::vector<Atom>& atoms, TwoElectronTable& te_table) {
    repulsion_table(build_shell_pairs(build_shells(basis, atoms)), te_table);
}

namespace {

// Computes the quartet of shell pairs x >= y and writes its distinct integrals.
void store_quartet(const std::vector<ShellPair>& pairs, std::size_t x, std::size_t y, TwoElectronTable& te_table) {
    double out[max_function_pairs * max_function_pairs];
    const ShellPair& bra = pairs[x];
    const ShellPair& ket = pairs[y];
    shell_quartet(bra, ket, out);
    const std::size_t nk = ket.first.size();
    for (std::size_t f = 0; f < bra.first.size(); ++f) {
        const std::uint64_t ij = TwoElectronTable::pair(bra.first[f], bra.second[f]);
        for (std::size_t g = 0; g < nk; ++g) {
            const std::uint64_t kl = TwoElectronTable::pair(ket.first[g], ket.second[g]);
            // Within one shell pair both (ij|kl) and (kl|ij) were computed; keep one.
            if (x == y && ij < kl) continue;
            te_table[TwoElectronTable::pair(ij, kl)] = out[f * nk + g];
        }
    }
}

}  // namespace

void repulsion_table(const std::vector<ShellPair>& pairs, TwoElectronTable& te_table,
                     const ProgressCallback& done) {
    const std::uint64_t total = static_cast<std::uint64_t>(pairs.size()) * (pairs.size() + 1) / 2;
    for (std::size_t x = 0; x < pairs.size(); ++x) {
        for (std::size_t y = 0; y <= x; ++y) store_quartet(pairs, x, y, te_table);
        if (done) done(static_cast<std::uint64_t>(x + 1) * (x + 2) / 2, total);
    }
}

void update_repulsion_table(const std::vector<ShellPair>& pairs, const std::vector<bool>& moved,
                            TwoElectronTable& te_table) {
    std::vector<bool> changed(pairs.size());
    for (std::size_t x = 0; x < pairs.size(); ++x) changed[x] = moved[pairs[x].a] || moved[pairs[x].b];
    for (std::size_t x = 0; x < pairs.size(); ++x)
        for (std::size_t y = 0; y <= x; ++y)
            if (changed[x] || changed[y]) store_quartet(pairs, x, y, te_table);
}
