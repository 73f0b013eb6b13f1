// Rows from the rotation equations, one table: a model whose energy and dipole turn with the
// molecule (E = sum_(a<b) (r_ab - 1)^2, mu = sum_a q_a r_a with q_a = q0_a + 0.2 sum_b
// exp(-r_ab)), off its minimum so that the gradient terms count, its Hessian and dipole
// derivatives by central differences (step 1e-4) of the analytic gradient and dipole. The
// filled rows must match them; the three coordinates must spare the most runs possible.
#include <gtest/gtest.h>

#include <cmath>

#include "vibration/rigid_motion.h"

namespace {

// The model's gradient (3N) and dipole (last three entries) and charge (the one after).
std::vector<double> model(std::vector<Vec3> r) {
    std::vector<double> out(3 * r.size() + 4, 0.0);
    for (std::size_t a = 0; a < r.size(); ++a) {
        double q = 0.3 - 0.25 * static_cast<double>(a);
        for (std::size_t b = 0; b < r.size(); ++b) {
            const Vec3 d{r[a].x - r[b].x, r[a].y - r[b].y, r[a].z - r[b].z};
            const double rab = std::hypot(d.x, d.y, d.z);
            if (b == a) continue;
            q += 0.2 * std::exp(-rab);
            const double f = 2 * (rab - 1) / rab;  // dE/dr_a of the pair
            out[3 * a] += f * d.x, out[3 * a + 1] += f * d.y, out[3 * a + 2] += f * d.z;
        }
        out[3 * r.size()] += q * r[a].x, out[3 * r.size() + 1] += q * r[a].y, out[3 * r.size() + 2] += q * r[a].z;
        out[3 * r.size() + 3] += q;
    }
    return out;
}

TEST(RigidMotion, RotationRowsFromTheOthers) {
    const struct {
        const char* what; std::vector<Vec3> r;
        std::vector<unsigned> runs;  // the runs each coordinate of atoms 1, 2, ... would spare
        std::size_t chosen; unsigned spared;
    } cases[] = {
        // Planar under a mirror (one run per z): one in-plane and two z coordinates, 4 runs.
        {"planar", {{0, 0, 0}, {1.3, 0.2, 0}, {-0.4, 1.1, 0}, {2.1, 1.4, 0}, {0.6, -1.5, 0}}, {2, 2, 1, 2, 2, 1, 2, 2, 1, 2, 2, 1}, 3, 4},
        // The farthest atom spares one run per coordinate: the three come from the other two.
        {"pyramidal", {{0.1, -0.2, 0.3}, {1.4, 0.1, -0.2}, {-0.5, 1.2, 0.4}, {0.3, 0.2, 1.6}}, {2, 2, 2, 2, 2, 2, 1, 1, 1}, 3, 6},
        // On a line no three coordinates give the rotation about it.
        {"linear", {{0, 0, 0}, {0, 0, 1.2}, {0, 0, -1.1}, {0, 0, 2.5}}, {2, 2, 2, 2, 2, 2, 2, 2, 2}, 0, 0},
    };
    for (const auto& c : cases) {
        const unsigned dim = static_cast<unsigned>(3 * c.r.size());
        std::vector<RotationCandidate> candidates;
        for (unsigned i = 3; i < dim; ++i) candidates.push_back({i, c.runs[i - 3]});
        const std::vector<unsigned> rotation = rotation_coordinates(c.r, 0, candidates);
        ASSERT_EQ(rotation.size(), c.chosen) << c.what;
        unsigned spared = 0;
        for (unsigned i : rotation) spared += c.runs[i - 3];
        EXPECT_EQ(spared, c.spared) << c.what;
        if (rotation.empty()) continue;

        // Column j of the Hessian (j < dim) or dipole component j - dim, by central differences.
        std::vector<std::vector<double>> columns(dim + 3, std::vector<double>(dim));
        for (unsigned i = 0; i < dim; ++i) {
            std::vector<Vec3> plus = c.r, minus = c.r;
            (i % 3 == 0 ? plus[i / 3].x : i % 3 == 1 ? plus[i / 3].y : plus[i / 3].z) += 1e-4;
            (i % 3 == 0 ? minus[i / 3].x : i % 3 == 1 ? minus[i / 3].y : minus[i / 3].z) -= 1e-4;
            const std::vector<double> p = model(plus), m = model(minus);
            for (unsigned j = 0; j < dim + 3; ++j) columns[j][i] = (p[j] - m[j]) / 2e-4;
        }
        const std::vector<double> at = model(c.r);
        ASSERT_GT(std::fabs(at[3]), 0.1) << c.what << ": off the minimum";
        const std::vector<double> gradient(at.begin(), at.begin() + dim);
        for (unsigned j = 0; j < dim + 3; ++j) {
            std::vector<double> v = columns[j];
            v[0] = v[1] = v[2] = 1e9;  // the kept atom's: never read
            for (unsigned i : rotation) v[i] = 0.0;
            fill_rotation_entries(v, c.r, 0, rotation,
                                  j < dim ? hessian_column_torque(gradient, j)
                                          : dipole_torque({at[dim], at[dim + 1], at[dim + 2]}, at[dim + 3], c.r[0], j - dim));
            for (unsigned i : rotation) EXPECT_NEAR(v[i], columns[j][i], 1e-6) << c.what << " column " << j << " row " << i;
        }
    }
}

}  // namespace
