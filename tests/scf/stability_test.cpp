// The RHF -> RHF orbital Hessian from two-electron builds in the AO basis, against
// (a) the Hessian written out from molecular-orbital integrals, (b) the closed forms of
// H2 in STO-3G at 1.4 bohr from the integrals published by Szabo and Ostlund (Modern
// Quantum Chemistry, section 3.5.2), and the rotation that leaves a saddle point.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "linalg/eigsym.h"
#include "scf/follow.h"
#include "scf/stability.h"

namespace {

// Two-electron integrals (pq|rs) of n functions as a full array with the eightfold symmetry.
struct Integrals4 {
    int n;
    std::vector<double> v;
    explicit Integrals4(int n_) : n(n_), v(static_cast<std::size_t>(n_) * n_ * n_ * n_, 0.0) {}
    double& at(int p, int q, int r, int s) { return v[((static_cast<std::size_t>(p) * n + q) * n + r) * n + s]; }
    double operator()(int p, int q, int r, int s) const {
        return v[((static_cast<std::size_t>(p) * n + q) * n + r) * n + s];
    }
    void set(int p, int q, int r, int s, double x) {
        for (auto [a, b, c, d] : {std::array<int, 4>{p, q, r, s}, {q, p, r, s}, {p, q, s, r}, {q, p, s, r},
                                  {r, s, p, q}, {s, r, p, q}, {r, s, q, p}, {s, r, q, p}})
            at(a, b, c, d) = x;
    }
};

// G(D)_pq = sum_rs D_rs [(pq|rs) - 1/2 (pr|qs)], written out directly.
TwoElectronBuilder builder(const Integrals4& g) {
    return [&g](const Matrix<double>& D) {
        Matrix<double> G(g.n, g.n);
        for (int p = 0; p < g.n; ++p)
            for (int q = 0; q < g.n; ++q)
                for (int r = 0; r < g.n; ++r)
                    for (int s = 0; s < g.n; ++s) G[p][q] += D[r][s] * (g(p, q, r, s) - 0.5 * g(p, r, q, s));
        return G;
    };
}

// (A + B)_ia,jb = F_ab d_ij - F_ij d_ab + 4 (ia|jb) - (ib|ja) - (ij|ab) in the orbitals C
// (Seeger and Pople), the integrals transformed index by index.
Matrix<double> explicit_hessian(const Integrals4& ao, const Matrix<double>& C, const Matrix<double>& F, int nocc) {
    const int n = ao.n, m = C.cols(), v = m - nocc;
    Integrals4 mo(m);
    for (int p = 0; p < m; ++p)
        for (int q = 0; q < m; ++q)
            for (int r = 0; r < m; ++r)
                for (int s = 0; s < m; ++s) {
                    double x = 0.0;
                    for (int a = 0; a < n; ++a)
                        for (int b = 0; b < n; ++b)
                            for (int c = 0; c < n; ++c)
                                for (int d = 0; d < n; ++d) x += C[a][p] * C[b][q] * C[c][r] * C[d][s] * ao(a, b, c, d);
                    mo.at(p, q, r, s) = x;
                }
    Matrix<double> Fmo(m, m);
    for (int p = 0; p < m; ++p)
        for (int q = 0; q < m; ++q)
            for (int a = 0; a < n; ++a)
                for (int b = 0; b < n; ++b) Fmo[p][q] += C[a][p] * F[a][b] * C[b][q];
    Matrix<double> A(nocc * v, nocc * v);
    for (int i = 0; i < nocc; ++i)
        for (int a = 0; a < v; ++a)
            for (int j = 0; j < nocc; ++j)
                for (int b = 0; b < v; ++b) {
                    const int A_ = nocc + a, B_ = nocc + b;
                    double x = 4 * mo(i, A_, j, B_) - mo(i, B_, j, A_) - mo(i, j, A_, B_);
                    if (i == j) x += Fmo[A_][B_];
                    if (a == b) x -= Fmo[i][j];
                    A[i * v + a][j * v + b] = x;
                }
    return A;
}

}  // namespace

// Random integrals with the eightfold symmetry, random orthonormal orbitals (S = 1) and a
// random symmetric Fock matrix: the product and the lowest eigenpair match the explicit matrix.
TEST(RhfHessian, ProductAndLowestEigenvalueMatchTheExplicitMatrix) {
    struct Case {
        int n, nocc;
        unsigned seed;
    };
    const Case cases[] = {{2, 1, 1}, {5, 2, 2}, {7, 3, 3}, {8, 5, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n * 100 + c.nocc);
        std::mt19937_64 rng(c.seed);
        std::uniform_real_distribution<double> u(-1.0, 1.0);
        Integrals4 ao(c.n);
        for (int p = 0; p < c.n; ++p)
            for (int q = 0; q <= p; ++q)
                for (int r = 0; r < c.n; ++r)
                    for (int s = 0; s <= r; ++s) ao.set(p, q, r, s, u(rng));
        Matrix<double> F(c.n, c.n), R(c.n, c.n), C, kappa(c.nocc, c.n - c.nocc);
        for (int p = 0; p < c.n; ++p)
            for (int q = 0; q <= p; ++q) {
                F[p][q] = F[q][p] = u(rng) + (p == q ? 3.0 * p : 0.0);
                R[p][q] = R[q][p] = u(rng);
            }
        std::vector<double> w;
        Eigsym(R, C, w);  // eigenvectors of a random symmetric matrix: orthonormal columns
        for (int i = 0; i < c.nocc; ++i)
            for (int a = 0; a < c.n - c.nocc; ++a) kappa[i][a] = u(rng);

        const Matrix<double> A = explicit_hessian(ao, C, F, c.nocc);
        Matrix<double> Fmo(c.n, c.n);
        for (int p = 0; p < c.n; ++p)
            for (int q = 0; q < c.n; ++q)
                for (int a = 0; a < c.n; ++a)
                    for (int b = 0; b < c.n; ++b) Fmo[p][q] += C[a][p] * F[a][b] * C[b][q];
        const Matrix<double> sigma = rhf_hessian_product(C, Fmo, c.nocc, kappa, builder(ao));
        const int v = c.n - c.nocc;
        for (int i = 0; i < c.nocc; ++i)
            for (int a = 0; a < v; ++a) {
                double x = 0.0;
                for (int j = 0; j < c.nocc; ++j)
                    for (int b = 0; b < v; ++b) x += A[i * v + a][j * v + b] * kappa[j][b];
                EXPECT_NEAR(sigma[i][a], x, 1e-12);
            }

        Matrix<double> U;
        Eigsym(A, U, w);
        const LowestRotation lowest = lowest_rhf_rotation(C, F, c.nocc, builder(ao), false, 1e-8);
        EXPECT_TRUE(lowest.converged);
        EXPECT_NEAR(lowest.eigenvalue, w[0], 1e-10);
        double overlap = 0.0;  // with the explicit eigenvector, up to sign
        for (int i = 0; i < c.nocc; ++i)
            for (int a = 0; a < v; ++a) overlap += lowest.kappa[i][a] * U[i * v + a][0];
        EXPECT_NEAR(std::fabs(overlap), 1.0, 1e-6);
    }
}

namespace {

// H2, STO-3G, R = 1.4 bohr: the AO integrals of Szabo and Ostlund, section 3.5.2 (eq.
// 3.235): S12 = 0.6593, H11 = -1.1204, H12 = -0.9584, (11|11) = 0.7746,
// (11|22) = 0.5697, (21|11) = 0.4441, (21|21) = 0.2970.
struct H2 {
    Matrix<double> S{2, 2}, H{2, 2}, sigma_g_first{2, 2}, sigma_u_first{2, 2};
    Integrals4 g{2};
    H2() {
        S[0][0] = S[1][1] = 1.0;
        S[0][1] = S[1][0] = 0.6593;
        H[0][0] = H[1][1] = -1.1204;
        H[0][1] = H[1][0] = -0.9584;
        g.set(0, 0, 0, 0, 0.7746);
        g.set(1, 1, 1, 1, 0.7746);
        g.set(0, 0, 1, 1, 0.5697);
        g.set(1, 0, 0, 0, 0.4441);
        g.set(1, 0, 1, 1, 0.4441);
        g.set(1, 0, 1, 0, 0.2970);
        // The orbitals are fixed by symmetry: sigma_g = (1 + 2) / sqrt(2 (1 + S12)),
        // sigma_u = (1 - 2) / sqrt(2 (1 - S12)); either can be the occupied one.
        const double cg = 1.0 / std::sqrt(2.0 * (1.0 + 0.6593)), cu = 1.0 / std::sqrt(2.0 * (1.0 - 0.6593));
        sigma_g_first[0][0] = sigma_g_first[1][0] = cg;
        sigma_g_first[0][1] = cu;
        sigma_g_first[1][1] = -cu;
        for (int k = 0; k < 2; ++k) {
            sigma_u_first[k][0] = sigma_g_first[k][1];
            sigma_u_first[k][1] = sigma_g_first[k][0];
        }
    }
    Matrix<double> density(const Matrix<double>& C) const {
        Matrix<double> P(2, 2);
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j) P[i][j] = 2 * C[i][0] * C[j][0];
        return P;
    }
    Matrix<double> fock(const Matrix<double>& P) const {
        Matrix<double> F = builder(g)(P);
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j) F[i][j] += H[i][j];
        return F;
    }
    double energy(const Matrix<double>& P) const {
        const Matrix<double> F = fock(P);
        double e = 0.0;
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j) e += 0.5 * P[i][j] * (H[i][j] + F[i][j]);
        return e + 1.0 / 1.4;
    }
};

}  // namespace

// Seeger-Pople for the one occupied-virtual pair of H2: A + B = e_a - e_i + 3 K12 - J12 with
// the molecular integrals of Szabo and Ostlund (minimal-basis H2, sections 3.5.2 and 4.1): h11 = -1.2528,
// h22 = -0.4756, J11 = 0.6746, J12 = 0.6636, J22 = 0.6975, K12 = 0.1813.
//   sigma_g^2 (ground state): e1 = h11 + J11 = -0.5782, e2 = h22 + 2 J12 - K12 = 0.6703,
//                             A + B = 1.2485 + 0.5439 - 0.6636 = 1.1288 (a minimum);
//   sigma_u^2 (doubly excited): e2 = h22 + J22 = 0.2219, e1 = h11 + 2 J12 - K12 = -0.1069,
//                             A + B = -0.3288 + 0.5439 - 0.6636 = -0.4485 (a saddle point).
// The published integrals have four decimals, so the tolerance is 2e-3.
TEST(RhfStability, FindsTheNegativeEigenvalueOfASaddlePointAndNoneAtTheMinimum) {
    const H2 h2;
    struct Case {
        const char* state;
        const Matrix<double>* C;
        double eigenvalue;
        bool stable;
    };
    const Case cases[] = {{"sigma_g^2", &h2.sigma_g_first, 1.1288, true},
                          {"sigma_u^2", &h2.sigma_u_first, -0.4485, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        const Matrix<double> F = h2.fock(h2.density(*c.C));
        const LowestRotation r = lowest_rhf_rotation(*c.C, F, 1, builder(h2.g));
        EXPECT_TRUE(r.converged);
        EXPECT_EQ(r.products, 1u);
        EXPECT_NEAR(r.eigenvalue, c.eigenvalue, 2e-3);
        EXPECT_EQ(r.eigenvalue >= instability_threshold, c.stable);
        ASSERT_EQ(r.kappa.rows(), 1);
        EXPECT_NEAR(std::fabs(r.kappa[0][0]), 1.0, 1e-15);
    }
    // The energy along the rotation: E(theta) = E + 2 (A + B) theta^2 + O(theta^4).
    const Matrix<double> F = h2.fock(h2.density(h2.sigma_u_first));
    const LowestRotation r = lowest_rhf_rotation(h2.sigma_u_first, F, 1, builder(h2.g));
    const double e0 = h2.energy(h2.density(h2.sigma_u_first)), t = 1e-3;
    const double curvature =
        (h2.energy(h2.density(rotate_orbitals(h2.sigma_u_first, 1, r.kappa, t))) +
         h2.energy(h2.density(rotate_orbitals(h2.sigma_u_first, 1, r.kappa, -t))) - 2 * e0) / (t * t);
    EXPECT_NEAR(curvature, 4 * r.eigenvalue, 1e-5);
}

// Following the unstable rotation of sigma_u^2 exchanges the two orbitals: the rotated
// occupied orbital is sigma_g, of energy -1.1167 (Szabo and Ostlund, section 3.5.2).
TEST(RhfStability, FollowingTheSaddlePointReachesTheGroundState) {
    const H2 h2;
    const Matrix<double> F = h2.fock(h2.density(h2.sigma_u_first));
    const LowestRotation r = lowest_rhf_rotation(h2.sigma_u_first, F, 1, builder(h2.g));
    const double e0 = h2.energy(h2.density(h2.sigma_u_first));
    const RotatedOrbitals next = follow_rotation(h2.sigma_u_first, 1, r.kappa, e0,
                                                 [&h2](const Matrix<double>& P) { return h2.energy(P); });
    EXPECT_LT(next.energy, e0 - 0.5);
    EXPECT_NEAR(next.energy, -1.1167, 2e-3);
    EXPECT_NEAR(std::fabs(next.angle), std::acos(-1.0) / 2, 0.05);
    // The occupied orbital is sigma_g to within the angle left (overlap |cos|, S-metric).
    double overlap = 0.0;
    for (int a = 0; a < 2; ++a)
        for (int b = 0; b < 2; ++b) overlap += next.C[a][0] * h2.S[a][b] * h2.sigma_g_first[b][0];
    EXPECT_GT(std::fabs(overlap), 0.998);
}

// exp of the rotation of one pair is the plane rotation by theta, and orthonormality
// survives any angle.
TEST(RotateOrbitals, IsThePlaneRotationAndKeepsOrthonormality) {
    struct Case {
        double theta;
    };
    const Case cases[] = {{0.0}, {0.3}, {-1.2}, {2.5}, {7.0}};
    Matrix<double> C(2, 2), kappa(1, 1);
    C[0][0] = C[1][1] = 1.0;
    kappa[0][0] = 1.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.theta);
        const Matrix<double> R = rotate_orbitals(C, 1, kappa, c.theta);
        EXPECT_NEAR(R[0][0], std::cos(c.theta), 1e-14);
        EXPECT_NEAR(R[1][0], std::sin(c.theta), 1e-14);
        EXPECT_NEAR(R[0][1], -std::sin(c.theta), 1e-14);
        EXPECT_NEAR(R[1][1], std::cos(c.theta), 1e-14);
    }
    // Five orbitals, two occupied, a rotation of norm 3: R^T R = 1.
    Matrix<double> I(5, 5), k(2, 3);
    for (int i = 0; i < 5; ++i) I[i][i] = 1.0;
    for (int i = 0; i < 2; ++i)
        for (int a = 0; a < 3; ++a) k[i][a] = 0.2 * (i + 1) - 0.3 * a;
    const Matrix<double> R = rotate_orbitals(I, 2, k, 3.0);
    for (int p = 0; p < 5; ++p)
        for (int q = 0; q < 5; ++q) {
            double x = 0.0;
            for (int m = 0; m < 5; ++m) x += R[m][p] * R[m][q];
            EXPECT_NEAR(x, p == q ? 1.0 : 0.0, 1e-14);
        }
}
