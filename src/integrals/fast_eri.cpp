#include "integrals/fast_eri.h"

#include <cmath>
#include <cstdint>

#include "basis/constants.h"
#include "integrals/hermite.h"

namespace {

// At most 16 function pairs (sp with sp) and 10 Hermite functions (L = 2) per pair.
constexpr int max_function_pairs = 16;
constexpr int max_hermite = 10;

// A primitive quartet is skipped when a bound on its contribution to every integral
// of the quartet is below this. The bound is
//   sum|E_bra| sum|E_ket| 2 pi^(5/2) / (p q sqrt(p+q)) * 3 max(1, 2 alpha)^(L/2),
// the last factor bounding the Hermite derivatives |R_tuv| / F_0(0) for t+u+v <= L <= 4.
// At most 1296 quartets (STO-6G) add at most 1.3e-17 to an integral: far below the
// rounding error of the integrals and below every printed digit.
constexpr double primitive_quartet_cutoff = 1e-20;

inline std::uint64_t pair_index(std::uint64_t i, std::uint64_t j) { return i * (i + 1) / 2 + j; }

}  // namespace

void shell_quartet(const ShellPair& bra, const ShellPair& ket, double* out) {
    const int nb = static_cast<int>(bra.first.size());
    const int nk = static_cast<int>(ket.first.size());
    const int nh = static_cast<int>(bra.hermite.size());
    const int L = bra.L + ket.L;
    for (int k = 0; k < nb * nk; ++k) out[k] = 0.0;
    double W[max_function_pairs][max_hermite];
    double R[125];
    double Rm[max_hermite][max_hermite];
    const int nhk = static_cast<int>(ket.hermite.size());
    for (const PrimitivePair& pb : bra.prims) {
        for (int g = 0; g < nk; ++g)
            for (int h = 0; h < nh; ++h) W[g][h] = 0.0;
        // Ket side first: W[cd][tuv] = sum over ket primitives and t'u'v' of
        //   (-1)^(t'+u'+v') E^cd_t'u'v' R_(t+t',u+u',v+v').
        for (const PrimitivePair& pk : ket.prims) {
            const double p = pb.p, q = pk.p;
            const double scale = two_pi_2_5 / ((p * q) * std::sqrt(p + q));
            const double alpha = p * q / (p + q);
            double bound = pb.magnitude * pk.magnitude * scale;
            if (L > 0) {
                const double a2 = alpha > 0.5 ? 2.0 * alpha : 1.0;
                bound *= 3.0 * (L == 1 ? std::sqrt(a2) : (L == 2 ? a2 : (L == 3 ? a2 * std::sqrt(a2) : a2 * a2)));
            }
            if (bound < primitive_quartet_cutoff) continue;
            hermite_coulomb(L, alpha, pb.P[0] - pk.P[0], pb.P[1] - pk.P[1], pb.P[2] - pk.P[2], scale, R);
            // R_(t+t',u+u',v+v') gathered once per quartet into rows by ket (t',u',v'),
            // so that each ket term adds one contiguous row.
            for (int hk = 0; hk < nhk; ++hk)
                for (int h = 0; h < nh; ++h) Rm[hk][h] = R[ket.hermite[hk] + bra.hermite[h]];
            for (unsigned t = pk.first_term; t < pk.end_term; ++t) {
                const HermiteTerm& term = ket.terms[t];
                double* w = W[term.pair];
                const double* r = Rm[term.compact];
                const double e = term.e_ket;
                for (int h = 0; h < nh; ++h) w[h] += e * r[h];
            }
        }
        for (unsigned t = pb.first_term; t < pb.end_term; ++t) {
            const HermiteTerm& term = bra.terms[t];
            double* o = out + term.pair * nk;
            for (int g = 0; g < nk; ++g) o[g] += term.e * W[g][term.compact];
        }
    }
}

void repulsion_table(const std::vector<CGF>& cgfs, std::vector<double>& te_table) {
    repulsion_table(build_shell_pairs(build_shells(cgfs)), te_table);
}

void repulsion_table(const std::vector<ShellPair>& pairs, std::vector<double>& te_table,
                     const ProgressCallback& done) {
    double out[max_function_pairs * max_function_pairs];
    const std::uint64_t total = static_cast<std::uint64_t>(pairs.size()) * (pairs.size() + 1) / 2;
    for (std::size_t x = 0; x < pairs.size(); ++x) {
        const ShellPair& bra = pairs[x];
        for (std::size_t y = 0; y <= x; ++y) {
            const ShellPair& ket = pairs[y];
            shell_quartet(bra, ket, out);
            const std::size_t nk = ket.first.size();
            for (std::size_t f = 0; f < bra.first.size(); ++f) {
                const std::uint64_t ij = pair_index(bra.first[f], bra.second[f]);
                for (std::size_t g = 0; g < nk; ++g) {
                    const std::uint64_t kl = pair_index(ket.first[g], ket.second[g]);
                    // Within one shell pair both (ij|kl) and (kl|ij) were computed; keep one.
                    if (x == y && ij < kl) continue;
                    const std::uint64_t hi = ij < kl ? kl : ij;
                    const std::uint64_t lo = ij < kl ? ij : kl;
                    te_table[hi * (hi + 1) / 2 + lo] = out[f * nk + g];
                }
            }
        }
        if (done) done(static_cast<std::uint64_t>(x + 1) * (x + 2) / 2, total);
    }
}
