#include "integrals/md/repulsion.h"

#include <cmath>

#include "common/constants.h"
#include "integrals/md/hermite.h"
#include "integrals/md/pure.h"

namespace {

// A primitive pair of two shells: p, P, c_p c_q K, and the Hermite coefficients
// E[ab][h] = E^ij_t E^kl_u E^mn_v over the component pairs ab and hermite_indices(la + lb),
// row ab holding only its terms with t <= i + j, u <= k + l, v <= m + n
// (entries start[ab] to start[ab + 1] of index and value).
struct HermitePair {
    double p;
    double P[3];
    double factor;
    std::vector<int> start, index;
    std::vector<double> value;
};

std::vector<HermitePair> hermite_pairs(const GaussianShell& A, const GaussianShell& B) {
    const std::vector<CartesianPowers>& ca = cartesian_components(A.l);
    const std::vector<CartesianPowers>& cb = cartesian_components(B.l);
    const std::vector<HermiteIndex>& hs = hermite_indices(A.l + B.l);
    std::vector<HermitePair> pairs;
    HermiteExpansion E[3];
    for (std::size_t pa = 0; pa < A.exponents.size(); ++pa)
        for (std::size_t pb = 0; pb < B.exponents.size(); ++pb) {
            const double a = A.exponents[pa], b = B.exponents[pb];
            HermitePair pair;
            pair.p = a + b;
            double ab2 = 0.0;
            for (int x = 0; x < 3; ++x) {
                const double d = A.centre[x] - B.centre[x];
                ab2 += d * d;
                pair.P[x] = (a * A.centre[x] + b * B.centre[x]) / pair.p;
                E[x].compute(A.l, B.l, pair.p, pair.P[x] - A.centre[x], pair.P[x] - B.centre[x]);
            }
            pair.factor = A.coefficients[pa] * B.coefficients[pb] * std::exp(-a * b / pair.p * ab2);
            pair.start.push_back(0);
            for (std::size_t i = 0; i < ca.size(); ++i)
                for (std::size_t j = 0; j < cb.size(); ++j) {
                    for (std::size_t h = 0; h < hs.size(); ++h) {
                        if (hs[h].t > ca[i].x + cb[j].x || hs[h].u > ca[i].y + cb[j].y || hs[h].v > ca[i].z + cb[j].z)
                            continue;
                        pair.index.push_back(static_cast<int>(h));
                        pair.value.push_back(E[0](ca[i].x, cb[j].x, hs[h].t) * E[1](ca[i].y, cb[j].y, hs[h].u) *
                                             E[2](ca[i].z, cb[j].z, hs[h].v));
                    }
                    pair.start.push_back(static_cast<int>(pair.index.size()));
                }
            pairs.push_back(std::move(pair));
        }
    return pairs;
}

}  // namespace

std::vector<double> repulsion_block(const GaussianShell& A, const GaussianShell& B, const GaussianShell& C,
                                    const GaussianShell& D) {
    const std::size_t nab = static_cast<std::size_t>(cartesian_count(A.l) * cartesian_count(B.l));
    const std::size_t ncd = static_cast<std::size_t>(cartesian_count(C.l) * cartesian_count(D.l));
    const std::vector<HermiteIndex>& h1 = hermite_indices(A.l + B.l);
    const std::vector<HermiteIndex>& h2 = hermite_indices(C.l + D.l);
    const int L = A.l + B.l + C.l + D.l;
    const int side = L + 1;
    const std::vector<HermitePair> bra = hermite_pairs(A, B);
    const std::vector<HermitePair> ket = hermite_pairs(C, D);

    std::vector<double> block(nab * ncd, 0.0);
    std::vector<double> scratch, M(h1.size() * h2.size()), X(nab * h2.size());
    const std::size_t nk = h2.size();
    for (const HermitePair& P : bra)
        for (const HermitePair& Q : ket) {
            const double p = P.p, q = Q.p;
            const double* R =
                hermite_coulomb(L, p * q / (p + q), P.P[0] - Q.P[0], P.P[1] - Q.P[1], P.P[2] - Q.P[2], scratch);
            const double pre = two_pi_2_5 / (p * q * std::sqrt(p + q)) * P.factor * Q.factor;
            // M[h][k] = (-1)^(t'+u'+v') R_(t+t')(u+u')(v+v')
            for (std::size_t h = 0; h < h1.size(); ++h)
                for (std::size_t k = 0; k < nk; ++k) {
                    const HermiteIndex& x = h1[h];
                    const HermiteIndex& y = h2[k];
                    const double r = R[static_cast<std::size_t>(((x.t + y.t) * side + x.u + y.u) * side + x.v + y.v)];
                    M[h * nk + k] = ((y.t + y.u + y.v) % 2 == 0) ? r : -r;
                }
            // X = E_ab M, then block += pre X E_cd^T, over the terms each row holds
            for (std::size_t ab = 0; ab < nab; ++ab) {
                double* x = &X[ab * nk];
                for (std::size_t k = 0; k < nk; ++k) x[k] = 0.0;
                for (int e = P.start[ab]; e < P.start[ab + 1]; ++e) {
                    const double v = P.value[static_cast<std::size_t>(e)];
                    const double* m = &M[static_cast<std::size_t>(P.index[static_cast<std::size_t>(e)]) * nk];
                    for (std::size_t k = 0; k < nk; ++k) x[k] += v * m[k];
                }
                double* out = &block[ab * ncd];
                for (std::size_t cd = 0; cd < ncd; ++cd) {
                    double sum = 0.0;
                    for (int e = Q.start[cd]; e < Q.start[cd + 1]; ++e)
                        sum += x[Q.index[static_cast<std::size_t>(e)]] * Q.value[static_cast<std::size_t>(e)];
                    out[cd] += pre * sum;
                }
            }
        }
    const GaussianShell* shells[4] = {&A, &B, &C, &D};
    return transform_block(block, shells, 4);
}
