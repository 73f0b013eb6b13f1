#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "basis/basis_set.h"
#include "molecule/atom.h"
#include "../test_molecules.h"
#include "integrals/reference/kinetic.h"
#include "integrals/reference/nuclear.h"
#include "integrals/reference/overlap.h"
#include "integrals/reference/repulsion.h"
#include "primitives.h"

// H2 at 1.4 bohr in STO-3G, checked twice:
//  - against the published values of Szabo & Ostlund, Modern Quantum Chemistry,
//    section 3.5.2 (four decimals, so a tolerance of 1e-4);
//  - against closed forms for s Gaussians summed over the contraction here in the
//    test with full-precision pi and erf (the code's rounded pi moves the result
//    by about 1e-13 relative, far below the tolerance). Like the program, the closed
//    form raises a Boys argument below 1e-08 to 1e-08 (one-centre terms), which
//    moves those terms by about 3e-9 relative.
namespace {

struct H2 {
    Atom a{"H", 0.0, 0.0, 0.0}, b{"H", 0.0, 0.0, 1.4};
    std::vector<Placed> functions = placed(molecular_basis(make_molecule("sto-3g", {{"H", 0.0, 0.0, 0.0}, {"H", 0.0, 0.0, 1.4}})).functions, {a, b});
};

// A primitive of a function with the function's centre.
struct Prim {
    double alpha;
    Vec3 position;
};

double F0(double t) {
    t = std::max(t, 1e-08);
    return 0.5 * std::sqrt(exact_pi / t) * std::erf(std::sqrt(t));
}
double norm_s(double a) { return std::pow(2.0 * a / exact_pi, 0.75); }
double d2(const Vec3& p, const Vec3& q) {
    return (p.x - q.x) * (p.x - q.x) + (p.y - q.y) * (p.y - q.y) + (p.z - q.z) * (p.z - q.z);
}
Vec3 centre(double a, const Vec3& A, double b, const Vec3& B) {
    const double g = a + b;
    return Vec3((a * A.x + b * B.x) / g, (a * A.y + b * B.y) / g, (a * A.z + b * B.z) / g);
}

// Normalised s primitives (Szabo & Ostlund, appendix A).
double s_overlap(const Prim& p, const Prim& q) {
    const double g = p.alpha + q.alpha;
    return norm_s(p.alpha) * norm_s(q.alpha) * std::pow(exact_pi / g, 1.5) *
           std::exp(-p.alpha * q.alpha / g * d2(p.position, q.position));
}
double s_kinetic(const Prim& p, const Prim& q) {
    const double mu = p.alpha * q.alpha / (p.alpha + q.alpha);
    return mu * (3.0 - 2.0 * mu * d2(p.position, q.position)) * s_overlap(p, q);
}
double s_nuclear(const Prim& p, const Prim& q, const Vec3& C) {
    const double g = p.alpha + q.alpha;
    const Vec3 P = centre(p.alpha, p.position, q.alpha, q.position);
    return -2.0 * exact_pi / g * norm_s(p.alpha) * norm_s(q.alpha) *
           std::exp(-p.alpha * q.alpha / g * d2(p.position, q.position)) * F0(g * d2(P, C));
}
double s_repulsion(const Prim& p, const Prim& q, const Prim& r, const Prim& s) {
    const double g1 = p.alpha + q.alpha, g2 = r.alpha + s.alpha;
    const Vec3 P = centre(p.alpha, p.position, q.alpha, q.position);
    const Vec3 Q = centre(r.alpha, r.position, s.alpha, s.position);
    return 2.0 * std::pow(exact_pi, 2.5) / (g1 * g2 * std::sqrt(g1 + g2)) * norm_s(p.alpha) * norm_s(q.alpha) *
           norm_s(r.alpha) * norm_s(s.alpha) * std::exp(-p.alpha * q.alpha / g1 * d2(p.position, q.position)) *
           std::exp(-r.alpha * s.alpha / g2 * d2(r.position, s.position)) * F0(g1 * g2 / (g1 + g2) * d2(P, Q));
}

template <class F>
double contract2(const Placed& a, const Placed& b, F f) {
    double sum = 0.0;
    for (const GTO& p : a.f.gtos)
        for (const GTO& q : b.f.gtos) sum += p.c * q.c * f(Prim{p.alpha, a.at}, Prim{q.alpha, b.at});
    return sum;
}
double contract4(const Placed& a, const Placed& b, const Placed& c, const Placed& d) {
    double sum = 0.0;
    for (const GTO& p : a.f.gtos)
        for (const GTO& q : b.f.gtos)
            for (const GTO& r : c.f.gtos)
                for (const GTO& s : d.f.gtos)
                    sum += p.c * q.c * r.c * s.c *
                           s_repulsion(Prim{p.alpha, a.at}, Prim{q.alpha, b.at}, Prim{r.alpha, c.at}, Prim{s.alpha, d.at});
    return sum;
}

}  // namespace

TEST(H2Sto3g, OneElectron) {
    const H2 m;
    const Placed &f1 = m.functions[0], &f2 = m.functions[1];
    ASSERT_EQ(f1.f.gtos.size(), 3u);

    const double s11 = cgf_overlap(f1, f1);
    EXPECT_LT(s11, 1.0);  // the contraction is not renormalised
    EXPECT_NEAR(1.0 - s11, 9e-9, 3e-9);
    EXPECT_NEAR(s11, contract2(f1, f1, s_overlap), 1e-12);

    const struct {
        double value, published, closed;
    } rows[] = {
        {cgf_overlap(f1, f2), 0.6593, contract2(f1, f2, s_overlap)},
        {cgf_kinetic(f1, f1), 0.7600, contract2(f1, f1, s_kinetic)},
        {cgf_kinetic(f1, f2), 0.2365, contract2(f1, f2, s_kinetic)},
        {cgf_nuclear(f1, f1, m.a), -1.2266,
         contract2(f1, f1, [&](const Prim& p, const Prim& q) { return s_nuclear(p, q, m.a.gr()); })},
        {cgf_nuclear(f1, f1, m.b), -0.6538,
         contract2(f1, f1, [&](const Prim& p, const Prim& q) { return s_nuclear(p, q, m.b.gr()); })},
        {cgf_nuclear(f1, f2, m.a), -0.5974,
         contract2(f1, f2, [&](const Prim& p, const Prim& q) { return s_nuclear(p, q, m.a.gr()); })},
    };
    for (const auto& r : rows) {
        EXPECT_NEAR(r.value, r.published, 1e-4);
        EXPECT_NEAR(r.value, r.closed, 1e-10);
    }
    // the two nuclei see mirror images
    EXPECT_NEAR(cgf_nuclear(f2, f2, m.b), cgf_nuclear(f1, f1, m.a), 1e-14);
    EXPECT_NEAR(cgf_nuclear(f1, f2, m.b), cgf_nuclear(f1, f2, m.a), 1e-14);
}

TEST(H2Sto3g, TwoElectron) {
    const H2 m;
    const Placed &f1 = m.functions[0], &f2 = m.functions[1];
    const struct {
        double value, published, closed;
    } rows[] = {
        {cgf_repulsion(f1, f1, f1, f1), 0.7746, contract4(f1, f1, f1, f1)},
        {cgf_repulsion(f1, f1, f2, f2), 0.5697, contract4(f1, f1, f2, f2)},
        {cgf_repulsion(f2, f1, f1, f1), 0.4441, contract4(f2, f1, f1, f1)},
        {cgf_repulsion(f2, f1, f2, f1), 0.2970, contract4(f2, f1, f2, f1)},
    };
    for (const auto& r : rows) {
        EXPECT_NEAR(r.value, r.published, 1e-4);
        EXPECT_NEAR(r.value, r.closed, 1e-10);
    }
    EXPECT_NEAR(cgf_repulsion(f2, f2, f2, f2), cgf_repulsion(f1, f1, f1, f1), 1e-14);
    EXPECT_NEAR(cgf_repulsion(f1, f2, f1, f1), rows[2].value, 1e-14);
}
