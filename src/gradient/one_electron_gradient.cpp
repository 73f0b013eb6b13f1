#include <array>
#include <cmath>

#include "common/constants.h"
#include "gradient/derivative_integrals.h"
#include "integrals/md/hermite.h"
#include "integrals/md/pure.h"

std::vector<double> cartesian_weights(const std::vector<double>& block, const GaussianShell* const* shells, int rank) {
    std::vector<int> extent(static_cast<std::size_t>(rank));
    for (int k = 0; k < rank; ++k) extent[static_cast<std::size_t>(k)] = function_count(*shells[k]);
    std::vector<double> in = block;
    for (int k = 0; k < rank; ++k) {
        const int l = shells[k]->l;
        const std::vector<double>& T = shell_transform(l, shells[k]->pure);
        const int nf = extent[static_cast<std::size_t>(k)];
        const int nc = cartesian_count(l);
        std::size_t before = 1, after = 1;
        for (int j = 0; j < k; ++j) before *= static_cast<std::size_t>(extent[static_cast<std::size_t>(j)]);
        for (int j = k + 1; j < rank; ++j) after *= static_cast<std::size_t>(extent[static_cast<std::size_t>(j)]);
        std::vector<double> out(before * static_cast<std::size_t>(nc) * after, 0.0);
        for (std::size_t a = 0; a < before; ++a)
            for (int f = 0; f < nf; ++f)
                for (int c = 0; c < nc; ++c) {
                    const double t = T[static_cast<std::size_t>(f * nc + c)];
                    if (t == 0.0) continue;
                    const double* src = &in[(a * static_cast<std::size_t>(nf) + static_cast<std::size_t>(f)) * after];
                    double* dst = &out[(a * static_cast<std::size_t>(nc) + static_cast<std::size_t>(c)) * after];
                    for (std::size_t b = 0; b < after; ++b) dst[b] += t * src[b];
                }
        extent[static_cast<std::size_t>(k)] = nc;
        in = std::move(out);
    }
    return in;
}

namespace {

// The block of matrix M over the functions of shells a (rows) and b (columns).
std::vector<double> shell_block(const Matrix<double>& M, const GradientShell& a, const GradientShell& b) {
    const int na = function_count(a.gaussian), nb = function_count(b.gaussian);
    std::vector<double> block(static_cast<std::size_t>(na * nb));
    for (int i = 0; i < na; ++i)
        for (int j = 0; j < nb; ++j)
            block[static_cast<std::size_t>(i * nb + j)] = M[static_cast<int>(a.first) + i][static_cast<int>(b.first) + j];
    return block;
}

// Along one axis, i and j the powers on A and B of a primitive pair whose overlap
// factor is E(i, j, 0) sqrt(pi/p):
struct AxisFactors {
    double S, T;    // overlap and kinetic factors
    double dS, dT;  // their derivatives with respect to A: 2a X(i+1, j) - i X(i-1, j)
};

AxisFactors axis_factors(const HermiteExpansion& E, int i, int j, double a, double b, double root) {
    const auto S = [&](int m, int n) { return (m < 0 || n < 0) ? 0.0 : E(m, n, 0) * root; };
    // T_mn = -2 b^2 S_m(n+2) + b (2n+1) S_mn - n (n-1)/2 S_m(n-2)
    const auto T = [&](int m, int n) {
        return m < 0 ? 0.0 : -2.0 * b * b * S(m, n + 2) + b * (2 * n + 1) * S(m, n) - 0.5 * n * (n - 1) * S(m, n - 2);
    };
    return {S(i, j), T(i, j), 2.0 * a * S(i + 1, j) - i * S(i - 1, j), 2.0 * a * T(i + 1, j) - i * T(i - 1, j)};
}

// Per axis, the Hermite coefficients E_t of a component pair (t up to its powers' sum + 1):
// plain, differentiated at A, differentiated at B.
using AxisCoefficients = std::array<std::array<std::array<double, 2 * max_engine_l + 2>, 3>, 3>;

void grow(std::vector<AxisCoefficients>& v, std::size_t n) {
    if (v.size() < n) v.resize(n);
}

struct NucleusCharge {
    double charge;
    double position[3];
    unsigned atom;
};

}  // namespace

AtomGradient one_electron_gradient(const std::vector<GradientShell>& shells, const Matrix<double>& P,
                                   const Matrix<double>& W, const std::vector<Atom>& atoms) {
    AtomGradient g(3 * atoms.size(), 0.0);
    std::vector<NucleusCharge> nuclei;
    for (unsigned c = 0; c < atoms.size(); ++c)
        if (atoms[c].nucl_chg() != 0)
            nuclei.push_back({static_cast<double>(atoms[c].nucl_chg()),
                              {atoms[c].position.x, atoms[c].position.y, atoms[c].position.z},
                              c});
    std::vector<double> scratch;
    std::vector<AxisCoefficients> coefficients;
    for (std::size_t sa = 0; sa < shells.size(); ++sa)
        for (std::size_t sb = 0; sb <= sa; ++sb) {
            const GaussianShell& A = shells[sa].gaussian;
            const GaussianShell& B = shells[sb].gaussian;
            const unsigned atom_a = shells[sa].atom, atom_b = shells[sb].atom;
            // Both blocks (a, b) and (b, a) of the symmetric sums.
            const double twice = sa == sb ? 1.0 : 2.0;
            const GaussianShell* pair[2] = {&A, &B};
            const std::vector<double> Pc = cartesian_weights(shell_block(P, shells[sa], shells[sb]), pair, 2);
            const std::vector<double> Wc = cartesian_weights(shell_block(W, shells[sa], shells[sb]), pair, 2);
            const std::vector<CartesianPowers>& ca = cartesian_components(A.l);
            const std::vector<CartesianPowers>& cb = cartesian_components(B.l);
            const int L = A.l + B.l + 1;
            const int side = L + 1;
            for (std::size_t pa = 0; pa < A.exponents.size(); ++pa)
                for (std::size_t pb = 0; pb < B.exponents.size(); ++pb) {
                    const double a = A.exponents[pa], b = B.exponents[pb], p = a + b;
                    double ab2 = 0.0, PC[3];
                    HermiteExpansion E[3];
                    for (int x = 0; x < 3; ++x) {
                        const double d = A.centre[x] - B.centre[x];
                        ab2 += d * d;
                        PC[x] = (a * A.centre[x] + b * B.centre[x]) / p;
                        E[x].compute(A.l + 1, B.l + 2, p, PC[x] - A.centre[x], PC[x] - B.centre[x]);
                    }
                    const double w = twice * A.coefficients[pa] * B.coefficients[pb] * std::exp(-a * b / p * ab2);
                    const double root = std::sqrt(pi_convention / p);
                    // Overlap and kinetic: translationally invariant, dX/dB = -dX/dA.
                    for (std::size_t i = 0; i < ca.size(); ++i)
                        for (std::size_t j = 0; j < cb.size(); ++j) {
                            const double pw = w * Pc[i * cb.size() + j], ww = w * Wc[i * cb.size() + j];
                            const int pi_[3] = {ca[i].x, ca[i].y, ca[i].z}, pj[3] = {cb[j].x, cb[j].y, cb[j].z};
                            AxisFactors f[3];
                            for (int x = 0; x < 3; ++x) f[x] = axis_factors(E[x], pi_[x], pj[x], a, b, root);
                            for (int x = 0; x < 3; ++x) {
                                const AxisFactors &u = f[(x + 1) % 3], &v = f[(x + 2) % 3];
                                const double dS = f[x].dS * u.S * v.S;
                                const double dT = f[x].dT * u.S * v.S + f[x].dS * (u.T * v.S + u.S * v.T);
                                const double d = pw * dT - ww * dS;
                                g[3 * atom_a + static_cast<unsigned>(x)] += d;
                                g[3 * atom_b + static_cast<unsigned>(x)] -= d;
                            }
                        }
                    // Hermite coefficients of each component pair along each axis: plain,
                    // differentiated at A and at B; the same for every nucleus.
                    grow(coefficients, ca.size() * cb.size());
                    for (std::size_t i = 0; i < ca.size(); ++i)
                        for (std::size_t j = 0; j < cb.size(); ++j) {
                            const int pi_[3] = {ca[i].x, ca[i].y, ca[i].z}, pj[3] = {cb[j].x, cb[j].y, cb[j].z};
                            AxisCoefficients& e = coefficients[i * cb.size() + j];
                            for (int x = 0; x < 3; ++x) {
                                const int m = pi_[x], n = pj[x];
                                for (int t = 0; t <= m + n + 1; ++t) {
                                    e[x][0][t] = t <= m + n ? E[x](m, n, t) : 0.0;
                                    e[x][1][t] = 2.0 * a * E[x](m + 1, n, t) - (m > 0 ? m * E[x](m - 1, n, t) : 0.0);
                                    e[x][2][t] = 2.0 * b * E[x](m, n + 1, t) - (n > 0 ? n * E[x](m, n - 1, t) : 0.0);
                                }
                            }
                        }
                    // Nuclear attraction: -Z_C 2 pi/p sum_tuv E_t E_u E_v R_tuv(p, P - C).
                    for (const NucleusCharge& C : nuclei) {
                        const double* R = hermite_coulomb(L, p, PC[0] - C.position[0], PC[1] - C.position[1],
                                                          PC[2] - C.position[2], scratch);
                        const auto r = [&](int t, int u, int v) {
                            return R[static_cast<std::size_t>((t * side + u) * side + v)];
                        };
                        const double scale = -C.charge * w * 2.0 * pi_convention / p;
                        for (std::size_t i = 0; i < ca.size(); ++i)
                            for (std::size_t j = 0; j < cb.size(); ++j) {
                                const double weight = scale * Pc[i * cb.size() + j];
                                if (weight == 0.0) continue;
                                const int pi_[3] = {ca[i].x, ca[i].y, ca[i].z}, pj[3] = {cb[j].x, cb[j].y, cb[j].z};
                                const AxisCoefficients& e = coefficients[i * cb.size() + j];
                                for (int x = 0; x < 3; ++x) {
                                    const int y = (x + 1) % 3, z = (x + 2) % 3;
                                    const int nx = pi_[x] + pj[x] + 1, ny = pi_[y] + pj[y], nz = pi_[z] + pj[z];
                                    double dA = 0.0, dB = 0.0;
                                    for (int t = 0; t <= nx; ++t)
                                        for (int u = 0; u <= ny; ++u)
                                            for (int v = 0; v <= nz; ++v) {
                                                int tuv[3];
                                                tuv[x] = t;
                                                tuv[y] = u;
                                                tuv[z] = v;
                                                const double ev = e[y][0][u] * e[z][0][v] * r(tuv[0], tuv[1], tuv[2]);
                                                dA += e[x][1][t] * ev;
                                                dB += e[x][2][t] * ev;
                                            }
                                    g[3 * atom_a + static_cast<unsigned>(x)] += weight * dA;
                                    g[3 * atom_b + static_cast<unsigned>(x)] += weight * dB;
                                    g[3 * C.atom + static_cast<unsigned>(x)] -= weight * (dA + dB);
                                }
                            }
                    }
                }
        }
    return g;
}
