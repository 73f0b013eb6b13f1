#include "optimize/optimizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

// A Morse pair potential, E = sum_{i<j} D [(1 - exp(-a (r_ij - r0)))^2 - 1], with its
// Cartesian gradient written out: every pair at r0 is the minimum, E = -D per pair.
constexpr double D = 0.1, a = 1.2, r0 = 2.0;

EnergyGradient morse(const std::vector<double>& x) {
    EnergyGradient eg;
    eg.gradient.assign(x.size(), 0.0);
    const std::size_t n = x.size() / 3;
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) {
            double d[3], r = 0.0;
            for (int k = 0; k < 3; ++k) {
                d[k] = x[3 * i + k] - x[3 * j + k];
                r += d[k] * d[k];
            }
            r = std::sqrt(r);
            const double e = std::exp(-a * (r - r0));
            eg.energy += D * ((1 - e) * (1 - e) - 1);
            const double dEdr = 2 * D * (1 - e) * a * e;
            for (int k = 0; k < 3; ++k) {
                eg.gradient[3 * i + k] += dEdr * d[k] / r;
                eg.gradient[3 * j + k] -= dEdr * d[k] / r;
            }
        }
    return eg;
}

struct Case {
    std::string name;
    std::vector<double> x0;
    double energy;  // closed form: -D per pair
    ConvergenceCriteria criteria;
};

// A triangle from a stretched bent start; a tetrahedron from a flattened one far away
// (pairs 1.4 to 2 r0, dihedrals through the plane); a near-linear start that must bend.
const std::vector<Case> cases = {
    {"triangle", {0, 0, 0, 2.9, 0, 0, 0.5, 2.6, 0}, -3 * D, default_convergence},
    {"tetrahedron far", {0, 0, 0, 4.0, 0, 0, 2.0, 3.2, 0, 1.9, 1.1, 0.3}, -6 * D, tight_convergence},
    {"near-linear start", {0, 0, 0, 2.1, 0.05, 0, 4.2, 0, 0.02}, -3 * D, tight_convergence},
};

TEST(Optimizer, MorseClustersReachTheirClosedFormMinima) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OptimizerSettings settings;
        settings.criteria = c.criteria;
        unsigned seen = 0;
        const OptimizationTrace t = minimize(c.x0, std::vector<unsigned>(c.x0.size() / 3, 1), morse, settings,
                                             [&seen](const OptimizationStep& s) { EXPECT_EQ(s.step, ++seen); });
        EXPECT_TRUE(t.converged);
        EXPECT_EQ(seen, t.steps.size());
        EXPECT_LT(t.steps.size(), 40u);
        EXPECT_NEAR(t.energy, c.energy, c.criteria.max_force * 0.1);
    }
}

TEST(Optimizer, StepLimitLeavesUnconverged) {
    OptimizerSettings settings;
    settings.max_steps = 2;
    const OptimizationTrace t = minimize(cases[1].x0, {1, 1, 1, 1}, morse, settings);
    EXPECT_FALSE(t.converged);
    EXPECT_EQ(t.steps.size(), 2u);
    EXPECT_EQ(t.x, t.steps.back().x);
}

// Gaussian's default criteria as Psi4 1.3.2's optking applies them with g_convergence gau
// (OPT_DATA::conv_check): the four, or the RMS force below 3e-6 alone; velko's four also need
// the planned step's predicted gain below 1e-6 Eh.
TEST(Optimizer, StopsByGaussiansCriteria) {
    const struct {
        double max_force, rms_force, max_step, rms_step, gain;
        bool converged;
    } cases[] = {
        {4.4e-4, 2.9e-4, 1.7e-3, 1.1e-3, -9e-7, true},   // all met
        {4.4e-4, 2.9e-4, 1.7e-3, 1.1e-3, -1.1e-6, false},  // gain left
        {4.4e-4, 2.9e-4, 1.9e-3, 1.1e-3, -9e-7, false},  // step long
        {5e-6, 2.9e-6, 5e-2, 2e-2, -1e-7, true},  // flat: RMS force below a hundredth, long step
        {4e-6, 3.1e-6, 5e-2, 2e-2, -1e-7, false},  // the max force below a hundredth is not enough
    };
    for (const auto& c : cases) {
        OptimizationStep s;
        s.max_force = c.max_force, s.rms_force = c.rms_force, s.max_step = c.max_step, s.rms_step = c.rms_step;
        EXPECT_EQ(is_converged(s, default_convergence, c.gain), c.converged) << c.max_force << " " << c.max_step;
    }
}

// The trust radius after a step, by the ratio of the energy change found to the predicted one
// (Fletcher's rule, optking's factors): a quarter below 0.25 or when the energy rose, three
// times above 0.75, within 0.001 to 1. Rows: radius, ratio, expected radius.
TEST(Optimizer, TrustRadiusFollowsTheEnergyRatio) {
    const double cases[][3] = {{0.5, 0.2, 0.125}, {0.5, -0.5, 0.125}, {0.002, 0.1, 0.001},
                               {0.5, 0.5, 0.5},   {0.2, 0.9, 0.6},    {0.5, 1.3, 1.0}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(updated_trust(c[0], c[1]), c[2]) << c[0] << " " << c[1];
}

// The step minimising g.s + s.H.s/2 within |s| <= r. Expected: the minimum over the disc by
// brute force (Newton's step when inside, else the circle scanned and refined by golden
// section), tests/reference/trust_region/trust_region_steps.py. An RFO or Newton step scaled
// down to the radius misses the three restricted rows.
TEST(Optimizer, TrustRegionStepMinimisesTheModelWithinTheRadius) {
    const struct { double H00, H01, H11, g0, g1, trust, s0, s1; } cases[] = {
        {2, 0.5, 1, 0.2, 0.1, 1.0, -0.0857142857, -0.0571428571},       // Newton's step inside
        {2, 0.5, 1, 1, -0.5, 0.3, -0.2419229873, 0.1774070692},         // positive definite, restricted
        {0.05, 0, 1.5, 0.02, 0.6, 0.25, -0.0208679996, -0.2491275308},  // soft mode would take it all
        {-0.5, 0.3, 1, 0.1, 0.2, 0.5, -0.4991064584, -0.0298788079},    // negative curvature
    };
    for (const auto& c : cases) {
        Matrix<double> H(2, 2);
        H[0][0] = c.H00, H[0][1] = H[1][0] = c.H01, H[1][1] = c.H11;
        const std::vector<double> s = trust_region_step(H, {c.g0, c.g1}, c.trust);
        EXPECT_NEAR(s[0], c.s0, 1e-7) << c.H00 << " " << c.trust;
        EXPECT_NEAR(s[1], c.s1, 1e-7) << c.H00 << " " << c.trust;
    }
}

// BFGS updates from several earlier geometries of the quadratic E = g0.q + q.A.q/2 (A =
// [[2, 0.5], [0.5, 1]]), from H = 1: the last pair's secant condition H s = y holds exactly,
// whatever came before it; a pair of negative curvature leaves H as it was.
struct UpdateCase {
    std::string name;
    std::vector<std::vector<double>> s, y;
    std::vector<double> expected_Hs;  // H s of the last pair: its y, or s itself when skipped
};
const std::vector<UpdateCase> update_cases = {
    {"one pair", {{1, 0}}, {{2, 0.5}}, {2, 0.5}},
    {"two pairs, oldest first", {{1, 1}, {0, 1}}, {{2.5, 1.5}, {0.5, 1}}, {0.5, 1}},
    {"negative curvature skipped", {{1, 0}}, {{-1, 0}}, {1, 0}},
};

TEST(Optimizer, BfgsUpdatesMeetTheLastSecantCondition) {
    for (const UpdateCase& c : update_cases) {
        SCOPED_TRACE(c.name);
        Matrix<double> H(2, 2);
        H[0][0] = H[1][1] = 1.0;
        bfgs_updates(H, c.s, c.y);
        const std::vector<double>& s = c.s.back();
        for (int i = 0; i < 2; ++i) EXPECT_NEAR(H[i][0] * s[0] + H[i][1] * s[1], c.expected_Hs[i], 1e-12);
        EXPECT_NEAR(H[0][1], H[1][0], 1e-15);
    }
}

}  // namespace
