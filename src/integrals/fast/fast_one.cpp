#include "integrals/fast/fast_one.h"

#include <cmath>

#include "common/constants.h"
#include "integrals/fast/hermite.h"

namespace {

double coord(const Vec3& v, int d) { return d == 0 ? v.x : (d == 1 ? v.y : v.z); }

// One-dimensional overlaps s[i][j], i <= 1, j <= 3, without the factor sqrt(pi/p).
void overlap_1d(double PA, double PB, double p, double s[2][4]) {
    const double h = 0.5 / p;
    s[0][0] = 1.0;
    s[0][1] = PB;
    s[0][2] = PB * s[0][1] + h;
    s[0][3] = PB * s[0][2] + 2.0 * h * s[0][1];
    s[1][0] = PA;
    s[1][1] = PA * s[0][1] + h;
    s[1][2] = PA * s[0][2] + 2.0 * h * s[0][1];
    s[1][3] = PA * s[0][3] + 3.0 * h * s[0][2];
}

// Visits every primitive pair of every shell pair a >= b (every ordered pair when
// `ordered`) with its one-dimensional overlaps and the factor (pi/p)^(3/2) K_ab.
template <typename Visit>
void for_each_primitive_pair(const std::vector<ShellBlock>& shells, bool ordered, Visit visit) {
    for (unsigned a = 0; a < shells.size(); ++a) {
        const unsigned b_end = ordered ? static_cast<unsigned>(shells.size()) : a + 1;
        for (unsigned b = 0; b < b_end; ++b) {
            const ShellBlock& A = shells[a];
            const ShellBlock& B = shells[b];
            double r2 = 0.0;
            for (int d = 0; d < 3; ++d) {
                const double x = coord(A.centre, d) - coord(B.centre, d);
                r2 = r2 + x * x;
            }
            for (std::size_t i = 0; i < A.alpha.size(); ++i) {
                for (std::size_t j = 0; j < B.alpha.size(); ++j) {
                    const double alpha = A.alpha[i], beta = B.alpha[j];
                    const double p = alpha + beta;
                    const double pre = std::pow(pi_convention / p, 1.5) * std::exp(-alpha * beta * r2 / p);
                    double s[3][2][4];
                    for (int d = 0; d < 3; ++d) {
                        const double P = (alpha * coord(A.centre, d) + beta * coord(B.centre, d)) / p;
                        overlap_1d(P - coord(A.centre, d), P - coord(B.centre, d), p, s[d]);
                    }
                    for (const ShellFunction& fa : A.functions) {
                        for (const ShellFunction& fb : B.functions) {
                            if (!ordered && a == b && fa.index < fb.index) continue;
                            visit(fa, fb, i, j, beta, pre, s);
                        }
                    }
                }
            }
        }
    }
}

void mirror(Matrix<double>& M) {
    for (int i = 0; i < M.rows(); ++i)
        for (int j = 0; j < i; ++j) M[j][i] = M[i][j];
}

}  // namespace

Matrix<double> overlap_matrix(const std::vector<ShellBlock>& shells) {
    unsigned n = 0;
    for (const ShellBlock& s : shells) n += static_cast<unsigned>(s.functions.size());
    Matrix<double> S(static_cast<int>(n), static_cast<int>(n));
    for_each_primitive_pair(shells, false, [&](const ShellFunction& fa, const ShellFunction& fb, std::size_t i,
                                               std::size_t j, double, double pre, const double s[3][2][4]) {
        const int* la = fa.power;
        const int* lb = fb.power;
        const double v = ((pre * s[0][la[0]][lb[0]]) * s[1][la[1]][lb[1]]) * s[2][la[2]][lb[2]];
        S[fa.index][fb.index] += v * (fa.weight[i] * fb.weight[j]);
    });
    mirror(S);
    return S;
}

Matrix<double> kinetic_matrix(const std::vector<ShellBlock>& shells) {
    unsigned n = 0;
    for (const ShellBlock& s : shells) n += static_cast<unsigned>(s.functions.size());
    Matrix<double> T(static_cast<int>(n), static_cast<int>(n));
    // The Laplacian acts on the second function; like gto_kinetic, T_ij and T_ji are
    // computed separately, since at functions that do not interact (same-centre s and p)
    // each is rounding noise of its own.
    for_each_primitive_pair(shells, true, [&](const ShellFunction& fa, const ShellFunction& fb, std::size_t i,
                                              std::size_t j, double beta, double pre, const double s[3][2][4]) {
        const int* la = fa.power;
        const int* lb = fb.power;
        const double sx = s[0][la[0]][lb[0]], sy = s[1][la[1]][lb[1]], sz = s[2][la[2]][lb[2]];
        const double plain = ((pre * sx) * sy) * sz;
        const double raised_x = ((pre * s[0][la[0]][lb[0] + 2]) * sy) * sz;
        const double raised_y = ((pre * sx) * s[1][la[1]][lb[1] + 2]) * sz;
        const double raised_z = ((pre * sx) * sy) * s[2][la[2]][lb[2] + 2];
        const int L = lb[0] + lb[1] + lb[2];
        // Lowered powers contribute l (l - 1) = 0 for s and p functions.
        const double v = (2 * L + 3) * beta * plain - 2.0 * beta * beta * (raised_z + (raised_y + raised_x));
        T[fa.index][fb.index] += v * (fa.weight[i] * fb.weight[j]);
    });
    return T;
}

std::vector<Matrix<double>> nuclear_matrices(const std::vector<ShellPair>& pairs, unsigned n,
                                             const std::vector<Nucleus>& atoms) {
    std::vector<Matrix<double>> V(atoms.size(), Matrix<double>(static_cast<int>(n), static_cast<int>(n)));
    double R[125];
    double sums[16];
    for (const ShellPair& sp : pairs) {
        const std::size_t nf = sp.first.size();
        for (std::size_t k = 0; k < atoms.size(); ++k) {
            const Vec3 C = atoms[k].position;
            for (std::size_t f = 0; f < nf; ++f) sums[f] = 0.0;
            for (const PrimitivePair& pp : sp.prims) {
                hermite_coulomb(sp.L, pp.p, pp.P[0] - C.x, pp.P[1] - C.y, pp.P[2] - C.z,
                                (2.0 * pi_convention) / pp.p, R);
                for (unsigned t = pp.first_term; t < pp.end_term; ++t) {
                    const HermiteTerm& term = sp.terms[t];
                    sums[term.pair] += term.e * R[term.flat];
                }
            }
            const double Z = static_cast<double>(atoms[k].charge);
            for (std::size_t f = 0; f < nf; ++f) V[k][sp.first[f]][sp.second[f]] = sums[f] == 0.0 ? 0.0 : -Z * sums[f];
        }
    }
    for (Matrix<double>& M : V) mirror(M);
    return V;
}
