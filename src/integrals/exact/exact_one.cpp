// Bit-exact one-electron matrices: overlap, kinetic energy, nuclear attraction.
#include <cmath>
#include <vector>

#include "common/constants.h"
#include "integrals/exact/exact.h"
#include "integrals/exact/exact_detail.h"
#include "integrals/reference/func.h"
#include "integrals/reference/kinetic.h"
#include "integrals/reference/nuclear.h"
#include "integrals/reference/overlap.h"

using namespace exact;

namespace {

constexpr int shifted_span = max_shifted_power + 3;  // powers -2 ... max_shifted_power
constexpr double factorial[] = {1.0, 1.0, 2.0, 6.0, 24.0, 120.0, 720.0, 5040.0, 40320.0};

// Tabulated powers of the displacements P - A and P - B of one primitive pair.
struct PowerTable {
    double pa[3][max_shifted_power + 1];
    double pb[3][max_shifted_power + 1];
    PowerTable(const Pair& pr, int top) {
        for (int d = 0; d < 3; ++d)
            for (int e = 0; e <= top; ++e) {
                pa[d][e] = int_pow(pr.pa[d], e);
                pb[d][e] = int_pow(pr.pb[d], e);
            }
    }
};

// ---------------------------------------------------------------- overlap, kinetic

// One-dimensional overlaps I(l_a, l_b) of one primitive pair, for l_a = 0 ... max_power
// and l_b = -2 ... max_shifted_power (a negative power gives 0.0, as in overlap_1D):
//   I = sum_{i=0}^{floor((l_a+l_b)/2)} f_2i(l_a, l_b, PA, PB) (2i-1)!! / (2 gamma)^i
struct Overlap1D {
    double w[3][max_power + 1][shifted_span];
    double get(int d, int la, int lb) const { return w[d][la][lb + 2]; }

    Overlap1D(const Pair& pr, const PowerTable& pw) {
        double pow2g[max_power + max_shifted_power + 1];
        for (int i = 0; i <= max_power + max_shifted_power; ++i) pow2g[i] = int_pow(pr.gamma + pr.gamma, i);
        for (int d = 0; d < 3; ++d)
            for (int la = 0; la <= max_power; ++la)
                for (int lb = -2; lb <= max_shifted_power; ++lb) {
                    double sum = 0.0;
                    const double nterms = std::floor(static_cast<double>(la + lb) * 0.5) + 1.0;
                    for (int i = 0; i < nterms; ++i)
                        sum += (binomial_prefactor_tab(2 * i, la, lb, pw.pa[d], pw.pb[d]) *
                                static_cast<double>(dfact(2 * i - 1))) /
                               pow2g[i];
                    w[d][la][lb + 2] = sum;
                }
    }
};

struct OneElectronPair {
    double pre;  // (pi/gamma)^(3/2) exp(-alpha_a alpha_b rab2 / gamma)
    Overlap1D s;
    double S(int la, int ma, int na, int lb, int mb, int nb) const {
        return ((pre * s.get(0, la, lb)) * s.get(1, ma, mb)) * s.get(2, na, nb);
    }
};

// gto_kinetic(a, b): the Laplacian on b, with alpha and (l, m, n) those of b.
double kinetic_primitive(const OneElectronPair& q, double alpha, const Function& fa, const Function& fb) {
    const int la = fa.l, ma = fa.m, na = fa.n;
    const unsigned l = static_cast<unsigned>(fb.l), m = static_cast<unsigned>(fb.m), n = static_cast<unsigned>(fb.n);
    const int il = fb.l, im = fb.m, in = fb.n;
    const double t0 = (static_cast<double>(2 * (l + m + n) + 3) * alpha) * q.S(la, ma, na, il, im, in);
    const double sxp = q.S(la, ma, na, il + 2, im, in);
    const double syp = q.S(la, ma, na, il, im + 2, in);
    const double szp = q.S(la, ma, na, il, im, in + 2);
    const double t1 = ((alpha * alpha) * -2.0) * (szp + (syp + sxp));
    const double sxm = static_cast<double>(l * (l - 1)) * q.S(la, ma, na, il - 2, im, in);
    const double sym = static_cast<double>(m * (m - 1)) * q.S(la, ma, na, il, im - 2, in);
    const double szm = static_cast<double>(n * (n - 1)) * q.S(la, ma, na, il, im, in - 2);
    const double t2 = (szm + (sxm + sym)) * -0.5;
    return (t0 + t1) + t2;
}

// S (kinetic = false) or T (kinetic = true) over the whole basis, group pair by group
// pair: the primitive-pair quantities are formed once for all functions of the two
// groups, and each element keeps its own sum in the reference's primitive order.
Matrix<double> one_electron(const std::vector<CGF>& cgfs, const std::vector<Atom>& atoms, bool kinetic) {
    const int n = static_cast<int>(cgfs.size());
    Matrix<double> M(n, n);
    const GroupedBasis basis = group_functions(cgfs, atoms, max_power);
    std::vector<double> acc;
    for (const Group& ga : basis.groups)
        for (const Group& gb : basis.groups) {
            const std::size_t nb = gb.members.size();
            acc.assign(ga.members.size() * nb, 0.0);
            for (int p = 0; p < ga.nprim(); ++p)
                for (int q = 0; q < gb.nprim(); ++q) {
                    const Pair pr = make_pair(ga.alpha[p], ga.centre, gb.alpha[q], gb.centre);
                    const PowerTable pw(pr, max_shifted_power);
                    const OneElectronPair op{library_pow(pi_convention / pr.gamma, 1.5) * pr.e, Overlap1D(pr, pw)};
                    for (std::size_t x = 0; x < ga.members.size(); ++x) {
                        const Function& fa = basis.functions[static_cast<std::size_t>(ga.members[x])];
                        for (std::size_t y = 0; y < nb; ++y) {
                            const Function& fb = basis.functions[static_cast<std::size_t>(gb.members[y])];
                            const double w = ((fa.c[p] * fb.c[q]) * fa.norm[p]) * fb.norm[q];
                            const double v = kinetic ? kinetic_primitive(op, pr.alpha_b, fa, fb)
                                                     : op.S(fa.l, fa.m, fa.n, fb.l, fb.m, fb.n);
                            acc[x * nb + y] += v * w;
                        }
                    }
                }
            for (std::size_t x = 0; x < ga.members.size(); ++x)
                for (std::size_t y = 0; y < nb; ++y) M[ga.members[x]][gb.members[y]] = acc[x * nb + y];
        }
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (basis.functions[static_cast<std::size_t>(i)].group < 0 ||
                basis.functions[static_cast<std::size_t>(j)].group < 0) {
                const CGF& a = cgfs[static_cast<std::size_t>(i)];
                const CGF& b = cgfs[static_cast<std::size_t>(j)];
                const Vec3 A = centre_of(a, atoms), B = centre_of(b, atoms);
                M[i][j] = kinetic ? cgf_kinetic(a, A, b, B) : cgf_overlap(a, A, b, B);
            }
    return M;
}

// ---------------------------------------------------------------- nuclear attraction

constexpr int max_pair_power = 2 * max_power;  // l_a + l_b

// A[I] = sum_{i - 2r - u = I} (-1)^i f_i (-1)^u i! CP^(i-2r-2u) (1/(4 gamma))^(r+u) / (r! u! (i-2r-2u)!),
// term by term as A_term and A_array form it. f holds f_i(l_a, l_b, PA, PB), cp[e] = CP^e,
// g4[e] = (0.25/gamma)^e. Terms with f_i = 0 are exactly zero and are skipped.
void a_array(int lab, const double* f, const double* cp, const double* g4, double* A) {
    for (int I = 0; I <= lab; ++I) A[I] = 0.0;
    for (int i = 0; i <= lab; ++i) {
        const double fi = f[i];
        if (fi == 0.0) continue;
        const double si = (i & 1) ? -fi : fi;
        for (int r = 0; r <= i / 2; ++r)
            for (int u = 0; u <= (i - 2 * r) / 2; ++u) {
                const int e = i - 2 * r - 2 * u;
                double v = (u & 1) ? -si : si;
                v = (v * factorial[i]) * cp[e];
                v = g4[r + u] * v;
                v = v / factorial[r];
                v = v / factorial[u];
                v = v / factorial[e];
                A[i - 2 * r - u] += v;
            }
    }
}

struct NuclearMember {
    int i, j;
    const Function* fa;
    const Function* fb;
};

}  // namespace

Matrix<double> exact_overlap_matrix(const std::vector<CGF>& cgfs, const std::vector<Atom>& atoms) {
    return one_electron(cgfs, atoms, false);
}

Matrix<double> exact_kinetic_matrix(const std::vector<CGF>& cgfs, const std::vector<Atom>& atoms) {
    return one_electron(cgfs, atoms, true);
}

// V[k][i][j] = Z_k sum_pq c_p c_q V_pq(C_k), with the primitive attraction
//   V_pq = ((pi (2 (-N_p N_q))) / gamma) e sum_IJK F_(I+J+K)(gamma |C-P|^2) A_x[I] A_y[J] A_z[K]
// as nuclear() forms it. Per group pair, primitive pair and nucleus the Boys functions and
// the A arrays of each (direction, l_a, l_b) are formed once for all functions of the groups.
std::vector<Matrix<double>> exact_nuclear_matrices(const std::vector<CGF>& cgfs, const std::vector<Atom>& atoms,
                                                   const std::vector<Atom>& nuclei) {
    const int n = static_cast<int>(cgfs.size());
    const std::size_t natoms = nuclei.size();
    std::vector<Matrix<double>> V(natoms, Matrix<double>(n, n));
    const GroupedBasis basis = group_functions(cgfs, atoms, max_power);
    constexpr int nl = max_power + 1;

    std::vector<NuclearMember> members;
    std::vector<double> acc;
    for (const Group& ga : basis.groups)
        for (const Group& gb : basis.groups) {
            members.clear();
            int m_max = 0;
            bool needed[3][nl][nl] = {};
            for (int i : ga.members)
                for (int j : gb.members) {
                    const Function& fa = basis.functions[static_cast<std::size_t>(i)];
                    const Function& fb = basis.functions[static_cast<std::size_t>(j)];
                    members.push_back({i, j, &fa, &fb});
                    m_max = std::max(m_max, fa.l + fb.l + fa.m + fb.m + fa.n + fb.n);
                    needed[0][fa.l][fb.l] = needed[1][fa.m][fb.m] = needed[2][fa.n][fb.n] = true;
                }
            acc.assign(members.size() * natoms, 0.0);
            for (int p = 0; p < ga.nprim(); ++p)
                for (int q = 0; q < gb.nprim(); ++q) {
                    const Pair pr = make_pair(ga.alpha[p], ga.centre, gb.alpha[q], gb.centre);
                    const PowerTable pw(pr, max_power);
                    double f[3][nl][nl][max_pair_power + 1];
                    for (int d = 0; d < 3; ++d)
                        for (int la = 0; la < nl; ++la)
                            for (int lb = 0; lb < nl; ++lb)
                                if (needed[d][la][lb])
                                    for (int i = 0; i <= la + lb; ++i)
                                        f[d][la][lb][i] = binomial_prefactor_tab(i, la, lb, pw.pa[d], pw.pb[d]);
                    double g4[max_power + 1];
                    for (int e = 0; e <= max_power; ++e) g4[e] = int_pow(0.25 / pr.gamma, e);

                    for (std::size_t k = 0; k < natoms; ++k) {
                        const Vec3 C = nuclei[k].gr();
                        const double rcp2 = dist2(C, pr.P);
                        double F[max_boys + 1];
                        boys_orders(m_max, pr.gamma * rcp2, F);
                        const double cpd[3] = {pr.P.x - C.x, pr.P.y - C.y, pr.P.z - C.z};
                        double A[3][nl][nl][max_pair_power + 1];
                        for (int d = 0; d < 3; ++d) {
                            double cp[max_pair_power + 1];
                            for (int e = 0; e <= max_pair_power; ++e) cp[e] = int_pow(cpd[d], e);
                            for (int la = 0; la < nl; ++la)
                                for (int lb = 0; lb < nl; ++lb)
                                    if (needed[d][la][lb]) a_array(la + lb, f[d][la][lb], cp, g4, A[d][la][lb]);
                        }
                        for (std::size_t x = 0; x < members.size(); ++x) {
                            const Function& fa = *members[x].fa;
                            const Function& fb = *members[x].fb;
                            const double* Ax = A[0][fa.l][fb.l];
                            const double* Ay = A[1][fa.m][fb.m];
                            const double* Az = A[2][fa.n][fb.n];
                            double sum = 0.0;
                            for (int I = 0; I <= fa.l + fb.l; ++I)
                                for (int J = 0; J <= fa.m + fb.m; ++J)
                                    for (int K = 0; K <= fa.n + fb.n; ++K)
                                        sum += F[I + J + K] * ((Ax[I] * Ay[J]) * Az[K]);
                            const double lead =
                                ((pi_convention * (2.0 * ((-fa.norm[p]) * fb.norm[q]))) / pr.gamma) * pr.e;
                            acc[x * natoms + k] += (lead * sum) * (fa.c[p] * fb.c[q]);
                        }
                    }
                }
            for (std::size_t x = 0; x < members.size(); ++x)
                for (std::size_t k = 0; k < natoms; ++k)
                    V[k][members[x].i][members[x].j] =
                        static_cast<double>(nuclei[k].nucl_chg()) * acc[x * natoms + k];
        }
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (basis.functions[static_cast<std::size_t>(i)].group < 0 ||
                basis.functions[static_cast<std::size_t>(j)].group < 0) {
                const CGF& a = cgfs[static_cast<std::size_t>(i)];
                const CGF& b = cgfs[static_cast<std::size_t>(j)];
                const Vec3 A = centre_of(a, atoms), B = centre_of(b, atoms);
                for (std::size_t k = 0; k < natoms; ++k) V[k][i][j] = cgf_nuclear(a, A, b, B, nuclei[k]);
            }
    return V;
}
