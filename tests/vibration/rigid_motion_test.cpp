// Hessian and dipole-derivative rows from the rotation equations, one table: a model whose
// energy and dipole turn with the molecule (E = sum_(a<b) (r_ab - 1)^2, mu = sum_a q_a r_a with
// distance-dependent charges), away from its minimum so that the gradient terms count; its
// Hessian and dipole derivatives by central differences of the analytic gradient and dipole
// (step 1e-4, error about 1e-8). The rows the rotations give must match them, and the choice
// of coordinates must spare the most runs a well-conditioned three can.
#include <gtest/gtest.h>

#include <cmath>

#include "vibration/rigid_motion.h"

namespace {

using Geometry = std::vector<std::array<double, 3>>;

// E = sum_(a<b) (r_ab - 1)^2: its gradient.
std::vector<double> model_gradient(const Geometry& r) {
    std::vector<double> g(3 * r.size(), 0.0);
    for (std::size_t a = 0; a < r.size(); ++a)
        for (std::size_t b = 0; b < a; ++b) {
            const double d = std::hypot(r[a][0] - r[b][0], r[a][1] - r[b][1], r[a][2] - r[b][2]);
            for (int k = 0; k < 3; ++k) {
                const double f = 2 * (d - 1) * (r[a][k] - r[b][k]) / d;
                g[3 * a + k] += f;
                g[3 * b + k] -= f;
            }
        }
    return g;
}

// mu = sum_a q_a r_a with charges that depend on the distances, q_a = q0_a + 0.2 sum_b exp(-r_ab):
// it turns with the molecule and its charge Q = sum_a q_a changes with the geometry.
std::array<double, 3> model_dipole(const Geometry& r, const std::vector<double>& q0, double& charge) {
    std::array<double, 3> mu{0, 0, 0};
    charge = 0.0;
    for (std::size_t a = 0; a < r.size(); ++a) {
        double q = q0[a];
        for (std::size_t b = 0; b < r.size(); ++b)
            if (b != a) q += 0.2 * std::exp(-std::hypot(r[a][0] - r[b][0], r[a][1] - r[b][1], r[a][2] - r[b][2]));
        for (int k = 0; k < 3; ++k) mu[k] += q * r[a][k];
        charge += q;
    }
    return mu;
}

TEST(RigidMotion, RotationRowsFromTheOthers) {
    const struct {
        const char* what;
        Geometry r;
        std::vector<unsigned> runs;  // the runs each coordinate of atoms 1, 2, ... would spare
        std::size_t chosen;                // rows the rotations give: 3, or 0 when none are well conditioned
        unsigned spared;                   // runs the chosen three spare
    } cases[] = {
        // In the xy plane, like a planar molecule whose mirror spares one run of each z: one in-plane
        // coordinate (2 runs) and two z (1 run each) are the most runs a well-conditioned three can spare.
        {"planar, five atoms", {{0, 0, 0}, {1.3, 0.2, 0}, {-0.4, 1.1, 0}, {2.1, 1.4, 0}, {0.6, -1.5, 0}},
         {2, 2, 1, 2, 2, 1, 2, 2, 1, 2, 2, 1}, 3, 4},
        // The farthest atom spares one run per coordinate: the three must come from the other two.
        {"pyramidal, off the minimum", {{0.1, -0.2, 0.3}, {1.4, 0.1, -0.2}, {-0.5, 1.2, 0.4}, {0.3, 0.2, 1.6}},
         {2, 2, 2, 2, 2, 2, 1, 1, 1}, 3, 6},
        // On a line no three coordinates give the rotation about it.
        {"linear", {{0, 0, 0}, {0, 0, 1.2}, {0, 0, -1.1}, {0, 0, 2.5}}, {2, 2, 2, 2, 2, 2, 2, 2, 2}, 0, 0},
    };
    const unsigned kept = 0;
    for (const auto& c : cases) {
        const std::size_t dim = 3 * c.r.size();
        std::vector<Vec3> positions;
        for (const auto& p : c.r) positions.push_back({p[0], p[1], p[2]});
        std::vector<double> q0;
        for (std::size_t a = 0; a < c.r.size(); ++a) q0.push_back(0.3 - 0.25 * static_cast<double>(a));
        std::vector<RotationCandidate> candidates;
        for (unsigned i = 3; i < dim; ++i) candidates.push_back({i, c.runs[i - 3]});
        const std::vector<unsigned> rotation = rotation_coordinates(positions, kept, candidates);
        ASSERT_EQ(rotation.size(), c.chosen) << c.what;
        if (rotation.empty()) continue;
        unsigned spared = 0;
        for (unsigned i : rotation)
            for (const RotationCandidate& k : candidates) spared += k.coordinate == i ? k.spared : 0;
        EXPECT_EQ(spared, c.spared) << c.what;

        // The model's Hessian (row i: the gradient's change along coordinate i) and dipole derivatives.
        const double h = 1e-4;
        std::vector<std::vector<double>> hessian(dim);
        std::array<std::vector<double>, 3> dmu{std::vector<double>(dim), std::vector<double>(dim), std::vector<double>(dim)};
        for (std::size_t i = 0; i < dim; ++i) {
            Geometry plus = c.r, minus = c.r;
            plus[i / 3][i % 3] += h;
            minus[i / 3][i % 3] -= h;
            const std::vector<double> gp = model_gradient(plus), gm = model_gradient(minus);
            double qp = 0, qm = 0;
            const std::array<double, 3> mp = model_dipole(plus, q0, qp), mm = model_dipole(minus, q0, qm);
            for (std::size_t j = 0; j < dim; ++j) hessian[i].push_back((gp[j] - gm[j]) / (2 * h));
            for (int k = 0; k < 3; ++k) dmu[k][i] = (mp[k] - mm[k]) / (2 * h);
        }
        const std::vector<double> gradient = model_gradient(c.r);
        double charge = 0.0;
        const std::array<double, 3> mu = model_dipole(c.r, q0, charge);
        ASSERT_GT(std::fabs(gradient[3]), 0.1) << c.what << ": off the minimum, the torque terms count";

        for (std::size_t j = 0; j < dim; ++j) {
            std::vector<double> column(dim);
            for (std::size_t i = 0; i < dim; ++i) column[i] = hessian[i][j];
            for (int k = 0; k < 3; ++k) column[3 * kept + k] = 1e9;  // never read
            for (unsigned i : rotation) column[i] = 0.0;
            fill_rotation_entries(column, positions, kept, rotation, hessian_column_torque(gradient, static_cast<unsigned>(j)));
            for (unsigned i : rotation) EXPECT_NEAR(column[i], hessian[i][j], 1e-6) << c.what << " H[" << i << "][" << j << "]";
        }
        for (unsigned k = 0; k < 3; ++k) {
            std::vector<double> v = dmu[k];
            for (int c3 = 0; c3 < 3; ++c3) v[3 * kept + c3] = 1e9;
            for (unsigned i : rotation) v[i] = 0.0;
            fill_rotation_entries(v, positions, kept, rotation, dipole_torque(mu, charge, positions[kept], k));
            for (unsigned i : rotation) EXPECT_NEAR(v[i], dmu[k][i], 1e-6) << c.what << " dmu_" << k << "/dx_" << i;
        }
    }
}

}  // namespace
