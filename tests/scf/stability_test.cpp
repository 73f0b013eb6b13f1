// The orbital Hessian from two-electron builds in the AO basis, for one and two spin
// channels, against (a) the Hessian written out from molecular-orbital integrals, (b) the
// second derivative of the energy along rotations, (c) the closed forms of H2 in STO-3G
// at 1.4 bohr from the integrals published by Szabo and Ostlund (Modern Quantum
// Chemistry, section 3.5.2), and the rotation that leaves a saddle point.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/run.h"
#include "input/velko_format.h"
#include "linalg/eigsym.h"
#include "linalg/canorg.h"
#include "report/listing.h"
#include "scf/follow.h"
#include "scf/guess.h"
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
std::function<Matrix<double>(const Matrix<double>&)> builder(const Integrals4& g) {
    return [&g](const Matrix<double>& D) {
        Matrix<double> G(g.n, g.n);
        for (int p = 0; p < g.n; ++p)
            for (int q = 0; q < g.n; ++q)
                for (int r = 0; r < g.n; ++r)
                    for (int s = 0; s < g.n; ++s) G[p][q] += D[r][s] * (g(p, q, r, s) - 0.5 * g(p, r, q, s));
        return G;
    };
}

// The closed-shell response 2 G(D) of these integrals.
TrialResponse response(const Integrals4& g) {
    return [&g](const std::vector<ChannelMatrices>& trials) {
        std::vector<ChannelMatrices> out;
        for (const ChannelMatrices& D : trials) {
            Matrix<double> G = builder(g)(D[0]);
            for (int p = 0; p < g.n; ++p)
                for (int q = 0; q < g.n; ++q) G[p][q] *= 2.0;
            out.push_back({G});
        }
        return out;
    };
}

// The flat rotation of a one-pair closed shell.
FlatVector unit_rotation() { return {1.0}; }

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

// Random integrals with the eightfold symmetry and the canonical orbitals of a random
// symmetric Fock matrix (S = 1): the product matches the explicit matrix, and the lowest
// eigenpair is found with the options of either channel count.
TEST(OrbitalHessian, ProductAndLowestEigenvalueMatchTheExplicitMatrix) {
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
        Matrix<double> F(c.n, c.n), C;
        for (int p = 0; p < c.n; ++p)
            for (int q = 0; q <= p; ++q) F[p][q] = F[q][p] = u(rng) + (p == q ? 3.0 * p : 0.0);
        std::vector<double> e, w;
        Eigsym(F, C, e);
        const int v = c.n - c.nocc;
        FlatVector x(static_cast<std::size_t>(c.nocc * v));
        for (double& k : x) k = u(rng);

        const Matrix<double> A = explicit_hessian(ao, C, F, c.nocc);
        const RotatedChannel channel{C, e, static_cast<unsigned>(c.nocc)};
        const FlatVector sigma = orbital_hessian_product({channel}, response(ao), x);
        for (int k = 0; k < c.nocc * v; ++k) {
            double y = 0.0;
            for (int l = 0; l < c.nocc * v; ++l) y += A[k][l] * x[static_cast<std::size_t>(l)];
            EXPECT_NEAR(sigma[static_cast<std::size_t>(k)], y, 1e-12);
        }

        Matrix<double> U;
        Eigsym(A, U, w);
        for (unsigned channels : {1u, 2u}) {
            DavidsonOptions o = stability_options(static_cast<unsigned>(c.n), channels);
            o.residual_tolerance = 1e-8;
            const LowestRotation lowest = lowest_rotation({channel}, response(ao), o);
            EXPECT_TRUE(lowest.converged) << channels;
            EXPECT_NEAR(lowest.eigenvalue, w[0], 1e-10) << channels;
            double overlap = 0.0;  // with the explicit eigenvector, up to sign
            for (int k = 0; k < c.nocc * v; ++k) overlap += lowest.vector[static_cast<std::size_t>(k)] * U[k][0];
            EXPECT_NEAR(std::fabs(overlap), 1.0, 1e-6) << channels;
        }
        // Stopped once the lowest pair has converged below a bound above it (the triplet
        // check of a large basis): the same eigenvalue, converged.
        DavidsonOptions o = stability_options(static_cast<unsigned>(c.n), 1);
        o.residual_tolerance = 1e-8;
        o.stop_when_lowest_converged_below = true;
        o.settled_above = w[0] + 1.0;
        const LowestRotation early = lowest_rotation({channel}, response(ao), o);
        EXPECT_TRUE(early.converged);
        EXPECT_NEAR(early.eigenvalue, w[0], 1e-10);
    }
}

namespace {

// H2, STO-3G, R = 1.4 bohr: the AO integrals of Szabo and Ostlund, section 3.5.2 (eq.
// 3.235): S12 = 0.6593, H11 = -1.1204, H12 = -0.9584, (11|11) = 0.7746,
// (11|22) = 0.5697, (21|11) = 0.4441, (21|21) = 0.2970.
struct H2 {
    Matrix<double> S{2, 2}, H{2, 2}, sigma_g_first{2, 2}, sigma_u_first{2, 2};
    std::vector<double> sigma_g_energies, sigma_u_energies;  // of the Fock matrix of each occupation
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
        sigma_g_energies = orbital_energies(sigma_g_first);
        sigma_u_energies = orbital_energies(sigma_u_first);
    }
    // C^T F C of the occupation of C, diagonal by symmetry.
    std::vector<double> orbital_energies(const Matrix<double>& C) const {
        const Matrix<double> F = fock(density(C));
        std::vector<double> e(2, 0.0);
        for (int p = 0; p < 2; ++p)
            for (int a = 0; a < 2; ++a)
                for (int b = 0; b < 2; ++b) e[static_cast<std::size_t>(p)] += C[a][p] * F[a][b] * C[b][p];
        return e;
    }
    LowestRotation lowest(const Matrix<double>& C, const std::vector<double>& e) const {
        return lowest_rotation({{C, e, 1}}, response(g), stability_options(2, 1));
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
        const std::vector<double>* energies;
        double eigenvalue;
        bool stable;
    };
    const Case cases[] = {{"sigma_g^2", &h2.sigma_g_first, &h2.sigma_g_energies, 1.1288, true},
                          {"sigma_u^2", &h2.sigma_u_first, &h2.sigma_u_energies, -0.4485, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        const LowestRotation r = h2.lowest(*c.C, *c.energies);
        EXPECT_TRUE(r.converged);
        EXPECT_EQ(r.products, 1u);
        EXPECT_NEAR(r.eigenvalue, c.eigenvalue, 2e-3);
        EXPECT_EQ(r.eigenvalue >= instability_threshold, c.stable);
        ASSERT_EQ(r.vector.size(), 1u);
        EXPECT_NEAR(std::fabs(r.vector[0]), 1.0, 1e-15);
    }
}

// Following the unstable rotation of sigma_u^2 exchanges the two orbitals: the rotated
// occupied orbital is sigma_g, of energy -1.1167 (Szabo and Ostlund, section 3.5.2).
TEST(RhfStability, FollowingTheSaddlePointReachesTheGroundState) {
    const H2 h2;
    const LowestRotation r = h2.lowest(h2.sigma_u_first, h2.sigma_u_energies);
    const double e0 = h2.energy(h2.density(h2.sigma_u_first));
    const RotatedOrbitals next = follow_rotation(h2.sigma_u_first, 1, r.vector, e0,
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
    Matrix<double> C(2, 2);
    C[0][0] = C[1][1] = 1.0;
    const FlatVector x = unit_rotation();
    for (double theta : {0.0, 0.3, -1.2, 2.0, 2.5, 7.0}) {
        SCOPED_TRACE(theta);
        const Matrix<double> R = rotate_orbitals(C, 1, x.data(), theta);
        EXPECT_NEAR(R[0][0], std::cos(theta), 1e-14);
        EXPECT_NEAR(R[1][0], std::sin(theta), 1e-14);
        EXPECT_NEAR(R[0][1], -std::sin(theta), 1e-14);
        EXPECT_NEAR(R[1][1], std::cos(theta), 1e-14);
    }
    // Five orbitals, two occupied, a rotation of norm 3: R^T R = 1.
    Matrix<double> I(5, 5);
    for (int i = 0; i < 5; ++i) I[i][i] = 1.0;
    FlatVector k(6);
    for (int i = 0; i < 2; ++i)
        for (int a = 0; a < 3; ++a) k[static_cast<std::size_t>(i * 3 + a)] = 0.2 * (i + 1) - 0.3 * a;
    const Matrix<double> R = rotate_orbitals(I, 2, k.data(), 3.0);
    for (int p = 0; p < 5; ++p)
        for (int q = 0; q < 5; ++q) {
            double y = 0.0;
            for (int m = 0; m < 5; ++m) y += R[m][p] * R[m][q];
            EXPECT_NEAR(y, p == q ? 1.0 : 0.0, 1e-14);
        }
}

namespace {

// A converged SCF of one channel (closed shell) or two over the dense table of its
// integrals, from the superposed atomic densities.
struct Converged {
    MolecularIntegrals hf;
    std::unique_ptr<TableOperator> op;
    SpinSystem system;
    SpinRun run;
    Converged(const std::string& input, std::vector<unsigned> occupied, const std::vector<unsigned>& electrons) {
        Molecule m;
        read_velko_file(m, std::string(VELKO_SOURCE_DIR) + "/" + input);
        Listing quiet(false);
        hf = compute_integrals(m, Settings{}, input, quiet);
        op = std::make_unique<TableOperator>(hf.te_table, true);
        system.H = hf.H;
        system.S = hf.S;
        system.X = hf.X;
        system.X_t = transpose(hf.X);
        system.two_electron = op.get();
        system.nuclear_repulsion = hf.nuclear_repulsion;
        system.occupied = std::move(occupied);
        const Matrix<double> start = superposition_density(hf.S, hf.T, hf.V, *op, hf.basis.first, electrons);
        converge_diis(system, start_densities(system, start), SpinLoopSettings{}, nullptr, nullptr, run);
    }
    std::vector<RotatedChannel> channels() const {
        std::vector<RotatedChannel> c;
        for (unsigned s = 0; s < system.channels(); ++s)
            c.push_back({run.channels[s].C, run.channels[s].energies, system.occupied[s]});
        return c;
    }
    TrialResponse response() const {
        return system.channels() == 1 ? closed_shell_response(*op) : unrestricted_response(*op);
    }
    // The energy of the orbitals rotated by t x.
    double energy_along(const FlatVector& x, double t) const {
        std::vector<Matrix<double>> P;
        std::size_t offset = 0;
        for (unsigned s = 0; s < system.channels(); ++s) {
            const Matrix<double>& C = run.channels[s].C;
            const unsigned o = system.occupied[s];
            P.push_back(orbital_density(rotate_orbitals(C, o, x.data() + offset, t), o, system.occupation()));
            offset += std::size_t{o} * (static_cast<unsigned>(C.cols()) - o);
        }
        return scf_energy(system, P, fock_matrices(system, P));
    }
};

}  // namespace

// The Hessian of one and two channels: (a) along unit directions the energy's second
// difference is 2 w x^T (A + B) x (w electrons per orbital) at the stationary point;
// (b) the matrix built column by column from products is symmetric and the stability
// check finds its lowest eigenvalue. Water (closed shell) and the NH2 doublet (unrestricted)
// from their atomic densities.
TEST(OrbitalHessian, SecondDerivativeOfTheEnergyAndLowestEigenvalueForBothChannelCounts) {
    const struct {
        const char* input;
        std::vector<unsigned> occupied, electrons;  // per channel; per atom
    } cases[] = {
        {"examples/water.in", {5}, {8, 1, 1}},
        {"tests/scf/reference/uhf/nh2.in", {5, 4}, {7, 1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        const Converged m(c.input, c.occupied, c.electrons);
        ASSERT_TRUE(m.run.converged);
        const std::vector<RotatedChannel> channels = m.channels();
        std::size_t dim = 0;
        for (const RotatedChannel& ch : channels) dim += ch.occupied * (ch.energies.size() - ch.occupied);
        const double w = m.system.occupation(), h = 1e-3, e0 = m.energy_along(FlatVector(dim, 0.0), 0.0);
        for (unsigned seed = 0; seed < 3; ++seed) {
            FlatVector x(dim);
            double norm = 0.0;
            for (std::size_t k = 0; k < dim; ++k) norm += (x[k] = std::sin(1.0 + 7.3 * (k + 1) * (seed + 1))) * x[k];
            for (double& v : x) v /= std::sqrt(norm);
            const FlatVector hx = orbital_hessian_product(channels, m.response(), x);
            double xhx = 0.0;
            for (std::size_t k = 0; k < dim; ++k) xhx += x[k] * hx[k];
            const double second = (m.energy_along(x, h) - 2.0 * e0 + m.energy_along(x, -h)) / (h * h);
            EXPECT_NEAR(second, 2.0 * w * xhx, 1e-5 * std::fabs(xhx) + 1e-6) << seed;
        }
        const int d = static_cast<int>(dim);
        Matrix<double> full(d, d), U;
        for (int k = 0; k < d; ++k) {
            FlatVector e(dim, 0.0);
            e[static_cast<std::size_t>(k)] = 1.0;
            const FlatVector col = orbital_hessian_product(channels, m.response(), e);
            for (int i = 0; i < d; ++i) full[i][k] = col[static_cast<std::size_t>(i)];
        }
        for (int i = 0; i < d; ++i)
            for (int k = 0; k < i; ++k) EXPECT_NEAR(full[i][k], full[k][i], 1e-12);
        std::vector<double> eig;
        Eigsym(full, U, eig);
        const LowestRotation lowest =
            lowest_rotation(channels, m.response(), stability_options(m.system.H.rows(), m.system.channels()));
        EXPECT_TRUE(lowest.converged);
        EXPECT_NEAR(lowest.eigenvalue, eig[0], 1e-9);
    }
}
