// Displaced runs spared by symmetry, one table: the operations found among the signed axis
// permutations (closed forms: the group's order minus the identity when its elements lie on
// the axes), the runs left to compute (the orbits of the displacements), and every spared
// run's image gradient and dipole against a model evaluated at its own geometry (harmonic
// bonds between all pairs, charges per element: symmetric by construction).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "vibration/displacement_symmetry.h"

namespace {

struct Shape {
    std::vector<Vec3> positions;
    std::vector<unsigned> elements;
};

double charge_of(unsigned z) { return z == 1 ? 0.3 : -0.5; }

// E = sum_(a<b) (r_ab - 1)^2, its gradient, and mu = sum_a q_a r_a.
std::vector<double> model_gradient(const std::vector<std::array<double, 3>>& x) {
    std::vector<double> g(3 * x.size(), 0.0);
    for (std::size_t a = 0; a < x.size(); ++a)
        for (std::size_t b = 0; b < a; ++b) {
            const double r = std::sqrt(std::pow(x[a][0] - x[b][0], 2) + std::pow(x[a][1] - x[b][1], 2) +
                                       std::pow(x[a][2] - x[b][2], 2));
            for (int c = 0; c < 3; ++c) {
                const double f = 2.0 * (r - 1.0) * (x[a][c] - x[b][c]) / r;
                g[3 * a + c] += f;
                g[3 * b + c] -= f;
            }
        }
    return g;
}

std::vector<std::array<double, 3>> displaced(const Shape& s, const Displacement& d) {
    std::vector<std::array<double, 3>> x;
    for (const Vec3& p : s.positions) x.push_back({p.x, p.y, p.z});
    x[d.coordinate / 3][d.coordinate % 3] += 0.005 * d.sign;
    return x;
}

std::array<double, 3> model_dipole(const Shape& s, const std::vector<std::array<double, 3>>& x) {
    std::array<double, 3> mu{0.0, 0.0, 0.0};
    for (std::size_t a = 0; a < x.size(); ++a)
        for (int c = 0; c < 3; ++c) mu[c] += charge_of(s.elements[a]) * x[a][c];
    return mu;
}

TEST(DisplacementSymmetry, SparedRunsAreImages) {
    const double t = 0.6275797426, hy = 1.435969546, hz = 1.101858187;
    const struct {
        const char* what; Shape shape; std::size_t operations, computed;
    } cases[] = {
        {"water C2v in the xy plane (C2 along y)", {{{0, 0, 0}, {hy, hz, 0}, {-hy, hz, 0}}, {8, 1, 1}}, 3, 5},
        {"methane Td, C2 axes along x, y, z", {{{0, 0, 0}, {t, t, t}, {-t, -t, t}, {-t, t, -t}, {t, -t, -t}}, {6, 1, 1, 1, 1}},
         23, 2},
        {"ammonium-like off-centre ion, one mirror (x)", {{{0.3, 0, 0}, {1.2, 1, 0.2}, {-0.6, 1, 0.2}, {0.3, -1.1, 0.5}}, {7, 1, 1, 1}},
         1, 11},
        {"water with one H off by 1e-6 bohr", {{{0, 0, 0}, {hy, hz, 0}, {-hy, hz + 1e-6, 0}}, {8, 1, 1}}, 1, 10},
    };
    for (const auto& c : cases) {
        const std::vector<AxisOperation> ops = axis_operations(c.shape.positions, c.shape.elements);
        EXPECT_EQ(ops.size(), c.operations) << c.what;
        std::vector<Displacement> runs;  // every atom but the first
        for (unsigned i = 3; i < 3 * c.shape.positions.size(); ++i) runs.insert(runs.end(), {{i, 1}, {i, -1}});
        const std::vector<DisplacementSource> plan = plan_displacements(runs, ops);
        std::size_t computed = 0;
        double charge = 0.0;  // the model's molecular charge
        for (unsigned z : c.shape.elements) charge += charge_of(z);
        for (std::size_t d = 0; d < runs.size(); ++d) {
            if (plan[d].operation < 0) {
                ++computed;
                continue;
            }
            const AxisOperation& op = ops[static_cast<std::size_t>(plan[d].operation)];
            const auto from = displaced(c.shape, runs[plan[d].from]);
            const auto here = displaced(c.shape, runs[d]);
            const std::vector<double> g = image_gradient(op, model_gradient(from)), expected = model_gradient(here);
            for (std::size_t i = 0; i < g.size(); ++i) EXPECT_NEAR(g[i], expected[i], 1e-12) << c.what << " run " << d;
            const std::array<double, 3> mu = image_dipole(op, model_dipole(c.shape, from), charge);
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(mu[k], model_dipole(c.shape, here)[k], 1e-12) << c.what << " run " << d;
        }
        EXPECT_EQ(computed, c.computed) << c.what;
    }
}

}  // namespace
