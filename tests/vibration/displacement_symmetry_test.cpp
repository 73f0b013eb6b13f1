// Displaced runs spared by symmetry, one table: the operations the state keeps (the group's
// order less the identity when its elements lie on the axes), the runs left (orbits of the
// displacements), and each spared run's image gradient and dipole against a model at its own
// geometry (E = sum_(a<b) (r_ab - 1)^2, mu = sum_a q_a r_a: symmetric by construction unless
// the last atom's charge is skewed, a broken-symmetry state the guard must refuse).
#include <gtest/gtest.h>

#include <cmath>

#include "vibration/displacement_symmetry.h"

namespace {

TEST(DisplacementSymmetry, SparedRunsAreImages) {
    const double t = 0.63, y = 1.44, z = 1.1;
    const struct {
        const char* what; std::vector<Vec3> x; std::vector<unsigned> el; double skew; std::size_t operations, computed;
    } cases[] = {
        {"water C2v, C2 along y", {{0, 0, 0}, {y, z, 0}, {-y, z, 0}}, {8, 1, 1}, 0, 3, 5},
        {"methane Td, C2 along the axes", {{0, 0, 0}, {t, t, t}, {-t, -t, t}, {-t, t, -t}, {t, -t, -t}}, {6, 1, 1, 1, 1}, 0, 23, 2},
        {"ion, one mirror off the origin", {{0.3, 0, 0}, {1.2, 1, 0.2}, {-0.6, 1, 0.2}, {0.3, -1.1, 0.5}}, {7, 1, 1, 1}, 0, 1, 11},
        {"water, an H off by 1e-6 bohr", {{0, 0, 0}, {y, z, 0}, {-y, z + 1e-6, 0}}, {8, 1, 1}, 0, 1, 10},
        // Caffeine (bench/molecules/caffeine.in, planar, Cs): the mirror spares each in-plane atom's -z
        // run (17 besides the first, left in place) and the six runs of one hydrogen of each methyl
        // pair (18): 138 - 35 = 103 by hand.
        {"caffeine Cs",
         {{-2.2584401455, 1.3039110259, 0}, {-2.2584401455, -1.3039110259, 0}, {0, -2.6078220519, 0}, {2.2584401455, -1.3039110259, 0},
          {2.2584401455, 1.3039110259, 0}, {0, 2.6078220519, 0}, {4.7386263013, 2.1097723583, 0}, {6.271465644, 0, 0},
          {4.7386263013, -2.1097723583, 0}, {-4.2550321582, -2.4566439619, 0}, {0, 4.9132879239, 0}, {8.3123698585, 0, 0},
          {-4.6641698657, 2.6928597275, 0}, {-6.2302487328, 1.3560521797, 0}, {-4.7746871854, 3.8771587334, 1.6807377025}, {-4.7746871854, 3.8771587334, -1.6807377025},
          {0, -5.385719455, 0}, {1.9407487299, -6.0735797644, 0}, {-0.970374365, -6.0735797644, 1.6807377025}, {-0.970374365, -6.0735797644, -1.6807377025},
          {5.5970438075, 4.7517097851, 0}, {3.9638426067, 6.005628154, 0}, {6.7324851959, 5.1060416449, 1.6807377025}, {6.7324851959, 5.1060416449, -1.6807377025}},
         {7, 6, 7, 6, 6, 6, 7, 6, 7, 8, 8, 1, 6, 1, 1, 1, 6, 1, 1, 1, 6, 1, 1, 1}, 0, 1, 103},
        {"water, a state off C2: only the plane kept", {{0, 0, 0}, {y, z, 0}, {-y, z, 0}}, {8, 1, 1}, 1e-3, 1, 10},
    };
    for (const auto& c : cases) {
        const auto q = [&](std::size_t a) { return (c.el[a] == 1 ? 0.3 : -0.5) + (a + 1 == c.el.size() ? c.skew : 0.0); };
        const auto model = [&](const Displacement& d, std::array<double, 3>& mu) {  // gradient and dipole
            std::vector<std::array<double, 3>> g;
            for (const Vec3& p : c.x) g.push_back({p.x, p.y, p.z});
            g[d.coordinate / 3][d.coordinate % 3] += 0.005 * d.sign;
            std::vector<double> out(3 * g.size(), 0.0);
            for (std::size_t a = 0; a < g.size(); ++a)
                for (std::size_t b = 0; b <= a; ++b) {
                    const double r = std::hypot(g[a][0] - g[b][0], g[a][1] - g[b][1], g[a][2] - g[b][2]);
                    for (int k = 0; k < 3 && b < a; ++k) out[3 * a + k] += 2 * (r - 1) * (g[a][k] - g[b][k]) / r;
                    for (int k = 0; k < 3 && b < a; ++k) out[3 * b + k] -= 2 * (r - 1) * (g[a][k] - g[b][k]) / r;
                }
            for (std::size_t a = 0; a < g.size(); ++a)
                for (int k = 0; k < 3; ++k) mu[k] += q(a) * g[a][k];
            return out;
        };
        std::array<double, 3> mu0{0, 0, 0};
        const std::vector<double> g0 = model({0, 0}, mu0);
        std::vector<double> charges;
        double charge = 0.0;
        for (std::size_t a = 0; a < c.el.size(); ++a) charge += q(a), charges.push_back(q(a));
        std::vector<AxisOperation> ops;
        for (const AxisOperation& op : axis_operations(c.x, c.el))
            if (state_keeps(op, g0, {charges}, mu0, charge)) ops.push_back(op);
        std::vector<Displacement> runs;  // every atom but the first
        for (unsigned i = 3; i < 3 * c.x.size(); ++i) runs.insert(runs.end(), {{i, 1}, {i, -1}});
        std::size_t computed = 0;
        const std::vector<DisplacementSource> plan = plan_displacements(runs, ops);
        for (std::size_t d = 0; d < runs.size(); ++d) {
            if (plan[d].operation < 0 && ++computed) continue;
            const AxisOperation& op = ops[static_cast<std::size_t>(plan[d].operation)];
            std::array<double, 3> mu{0, 0, 0}, expected_mu{0, 0, 0};
            const std::vector<double> g = image_gradient(op, model(runs[plan[d].from], mu)), expected = model(runs[d], expected_mu);
            for (std::size_t i = 0; i < g.size(); ++i) EXPECT_NEAR(g[i], expected[i], 1e-12) << c.what << " run " << d;
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(image_dipole(op, mu, charge)[k], expected_mu[k], 1e-12) << c.what;
        }
        EXPECT_EQ(ops.size(), c.operations) << c.what;
        EXPECT_EQ(computed, c.computed) << c.what;
    }
}

}  // namespace
