#include "integrals/md/one_body.h"

#include <cmath>

#include "common/constants.h"
#include "integrals/md/hermite.h"
#include "integrals/md/pure.h"

namespace {

enum class Operator { overlap, kinetic, dipole };

// The primitive pair of exponents a, b: p, P, the Gaussian product factor and
// the Hermite expansions along x, y, z with j up to lb + extra_j.
struct PrimitivePair {
    double p;
    std::array<double, 3> P;
    double factor;
    HermiteExpansion E[3];
};

PrimitivePair primitive_pair(const GaussianShell& A, double a, const GaussianShell& B, double b, int extra_j) {
    PrimitivePair pair;
    pair.p = a + b;
    double ab2 = 0.0;
    for (int x = 0; x < 3; ++x) {
        const double d = A.centre[x] - B.centre[x];
        ab2 += d * d;
        pair.P[x] = (a * A.centre[x] + b * B.centre[x]) / pair.p;
        pair.E[x].compute(A.l, B.l + extra_j, pair.p, pair.P[x] - A.centre[x], pair.P[x] - B.centre[x]);
    }
    pair.factor = std::exp(-a * b / pair.p * ab2);
    return pair;
}

// `axis` and `origin` name the moment of a dipole block.
std::vector<double> one_electron(const GaussianShell& A, const GaussianShell& B, Operator op, int axis = 0,
                                 const std::array<double, 3>& origin = {}) {
    const std::vector<CartesianPowers>& ca = cartesian_components(A.l);
    const std::vector<CartesianPowers>& cb = cartesian_components(B.l);
    std::vector<double> block(ca.size() * cb.size(), 0.0);
    for (std::size_t pa = 0; pa < A.exponents.size(); ++pa)
        for (std::size_t pb = 0; pb < B.exponents.size(); ++pb) {
            const double b = B.exponents[pb];
            const PrimitivePair pair = primitive_pair(A, A.exponents[pa], B, b, op == Operator::kinetic ? 2 : op == Operator::dipole ? 1 : 0);
            const double root = std::sqrt(pi_convention / pair.p);
            const double w = A.coefficients[pa] * B.coefficients[pb] * pair.factor;
            for (std::size_t i = 0; i < ca.size(); ++i)
                for (std::size_t j = 0; j < cb.size(); ++j) {
                    const int pi_[3] = {ca[i].x, ca[i].y, ca[i].z};
                    const int pj[3] = {cb[j].x, cb[j].y, cb[j].z};
                    double S[3], T[3];
                    for (int x = 0; x < 3; ++x) {
                        const int m = pi_[x], n = pj[x];
                        S[x] = pair.E[x](m, n, 0) * root;
                        if (op == Operator::kinetic)
                            T[x] = (-2.0 * b * b * pair.E[x](m, n + 2, 0) + b * (2 * n + 1) * pair.E[x](m, n, 0) -
                                    (n > 1 ? 0.5 * n * (n - 1) * pair.E[x](m, n - 2, 0) : 0.0)) *
                                   root;
                    }
                    double value = 0.0;
                    if (op == Operator::overlap) {
                        value = S[0] * S[1] * S[2];
                    } else if (op == Operator::kinetic) {
                        value = T[0] * S[1] * S[2] + S[0] * T[1] * S[2] + S[0] * S[1] * T[2];
                    } else {
                        const int m = pi_[axis], n = pj[axis];
                        S[axis] = (pair.E[axis](m, n + 1, 0) + (B.centre[axis] - origin[axis]) * pair.E[axis](m, n, 0)) * root;
                        value = S[0] * S[1] * S[2];
                    }
                    block[i * cb.size() + j] += w * value;
                }
        }
    const GaussianShell* shells[2] = {&A, &B};
    return transform_block(block, shells, 2);
}

}  // namespace

std::vector<double> overlap_block(const GaussianShell& a, const GaussianShell& b) {
    return one_electron(a, b, Operator::overlap);
}

std::vector<double> kinetic_block(const GaussianShell& a, const GaussianShell& b) {
    return one_electron(a, b, Operator::kinetic);
}

std::vector<double> dipole_block(const GaussianShell& a, const GaussianShell& b, int axis,
                                 const std::array<double, 3>& origin) {
    return one_electron(a, b, Operator::dipole, axis, origin);
}

std::vector<double> nuclear_block(const GaussianShell& A, const GaussianShell& B,
                                  const std::vector<PointCharge>& charges) {
    const std::vector<CartesianPowers>& ca = cartesian_components(A.l);
    const std::vector<CartesianPowers>& cb = cartesian_components(B.l);
    const int L = A.l + B.l;
    const int side = L + 1;
    std::vector<double> block(ca.size() * cb.size(), 0.0);
    std::vector<double> scratch;
    for (std::size_t pa = 0; pa < A.exponents.size(); ++pa)
        for (std::size_t pb = 0; pb < B.exponents.size(); ++pb) {
            const PrimitivePair pair = primitive_pair(A, A.exponents[pa], B, B.exponents[pb], 0);
            const double w = A.coefficients[pa] * B.coefficients[pb] * pair.factor * 2.0 * pi_convention / pair.p;
            for (const PointCharge& C : charges) {
                const double* R = hermite_coulomb(L, pair.p, pair.P[0] - C.position[0], pair.P[1] - C.position[1],
                                                  pair.P[2] - C.position[2], scratch);
                for (std::size_t i = 0; i < ca.size(); ++i)
                    for (std::size_t j = 0; j < cb.size(); ++j) {
                        double sum = 0.0;
                        for (int t = 0; t <= ca[i].x + cb[j].x; ++t)
                            for (int u = 0; u <= ca[i].y + cb[j].y; ++u)
                                for (int v = 0; v <= ca[i].z + cb[j].z; ++v)
                                    sum += pair.E[0](ca[i].x, cb[j].x, t) * pair.E[1](ca[i].y, cb[j].y, u) *
                                           pair.E[2](ca[i].z, cb[j].z, v) *
                                           R[static_cast<std::size_t>((t * side + u) * side + v)];
                        block[i * cb.size() + j] -= C.charge * w * sum;
                    }
            }
        }
    const GaussianShell* shells[2] = {&A, &B};
    return transform_block(block, shells, 2);
}
