// First-moment integrals <a| (r - O)_k |b> against closed forms for normalised
// primitives (alpha = 1 unless stated) and against the relations they must obey.
// With the product centre P = (a A + b B)/(a + b) and u = x - P_x:
//   <s_A| x |s_B>   = P_x S_AB
//   <s_0| x |px_0>  = 1 / (2 sqrt(a))                 (same centre)
//   <px_0| x |s_1>  = (<u^2> + 1/4) N_p N_s (pi/2)^(3/2) e^(-1/2) = e^(-1/2)   (B = (1,0,0))
//   <s_0| y |py_1>  = <u^2> N_s N_p (pi/2)^(3/2) e^(-1/2) = e^(-1/2) / 2
//   <s_0| x |px_1>  = <u^2 - 1/4> ... = 0
// and <a| x - O_x |b> = <a| x |b> - O_x <a|b>.
#include "integrals/dipole.h"

#include <gtest/gtest.h>

#include <cmath>

#include "basis/basis_set.h"
#include "../test_molecules.h"
#include "integrals/reference/overlap.h"
#include "primitives.h"

namespace {

const Vec3 origin(0.0, 0.0, 0.0);

struct ClosedForm {
    const char* what;
    Placed a, b;
    int axis;
    Vec3 about;
    double expected;
};

}  // namespace

TEST(Dipole, ClosedFormsOfPrimitivePairs) {
    const double e = std::exp(-0.5);
    const double s01 = std::pow(2.0 / 2.25, 0.75) * std::exp(-(0.5 / 1.5) * 2.0);  // a = 1 at 0, b = 0.5 at (1,1,0)
    const ClosedForm cases[] = {
        {"s with itself: its centre", s_at(0.3, -1.0, 2.0), s_at(0.3, -1.0, 2.0), 1, origin, -1.0},
        {"s with itself about O", s_at(0.3, -1.0, 2.0), s_at(0.3, -1.0, 2.0), 2, Vec3(0.5, 0.5, 0.5), 1.5},
        {"s s': midpoint times overlap", s_at(0), s_at(1), 0, origin, 0.5 * e},
        {"s s' across the bond axis", s_at(0), s_at(1), 1, origin, 0.0},
        {"unequal exponents, x", s_at(0), s_at(1, 1, 0, 0.5), 0, origin, s01 / 3.0},
        {"unequal exponents, y", s_at(0), s_at(1, 1, 0, 0.5), 1, origin, s01 / 3.0},
        {"unequal exponents, x about (1,0,0)", s_at(0), s_at(1, 1, 0, 0.5), 0, Vec3(1, 0, 0), -2.0 * s01 / 3.0},
        {"s px same centre", s_at(0), px_at(0), 0, origin, 0.5},
        {"s px same centre, a = 0.8", s_at(0, 0, 0, 0.8), px_at(0, 0, 0, 0.8), 0, Vec3(3, 0, 0),
         1.0 / (2.0 * std::sqrt(0.8))},
        {"px s' along the bond", px_at(0), s_at(1), 0, origin, e},
        {"s' px, the other order", s_at(1), px_at(0), 0, origin, e},
        {"s py' across the bond", s_at(0), py_at(1), 1, origin, 0.5 * e},
        {"s px' along the bond", s_at(0), px_at(1), 0, origin, 0.0},
        {"px s' about (2,0,0)", px_at(0), s_at(1), 0, Vec3(2, 0, 0), -e},
        {"px py same centre", px_at(0), py_at(0), 2, origin, 0.0},
    };
    for (const ClosedForm& c : cases)
        EXPECT_NEAR(cgf_dipole(c.a, c.b, c.axis, c.about), c.expected, 1e-13) << c.what;
}

// STO-3G functions of an oxygen and a hydrogen away from the origin: the
// matrices are symmetric (each order computed on its own, the shift on the other
// function), move with the origin as <a|x|b> - O_x <a|b>, and do not change when
// the atoms and the origin move together.
TEST(Dipole, SymmetryOriginShiftAndTranslation) {
    const Vec3 shift(1.5, -2.0, 0.25);
    const Molecule mf = make_molecule("sto-3g", {{"O", 0.2, -0.4, 0.7}, {"H", 1.6, 0.9, -0.3}});
    const Molecule mg = make_molecule("sto-3g", {{"O", 0.2 + shift.x, -0.4 + shift.y, 0.7 + shift.z},
                                                 {"H", 1.6 + shift.x, 0.9 + shift.y, -0.3 + shift.z}});
    const std::vector<CGF> cgfs = molecular_basis(mf).functions;
    const std::vector<Placed> f = placed(cgfs, mf.atoms);
    const Vec3 O(-0.7, 0.3, 1.1);
    const auto d = dipole_matrices(cgfs, positions(mf.atoms), origin);
    const auto dO = dipole_matrices(cgfs, positions(mf.atoms), O);
    const auto dg = dipole_matrices(molecular_basis(mg).functions, positions(mg.atoms), shift);
    const double Ok[3] = {O.x, O.y, O.z};
    for (int k = 0; k < 3; ++k) {
        for (std::size_t i = 0; i < f.size(); ++i) {
            for (std::size_t j = 0; j < f.size(); ++j) {
                const int a = static_cast<int>(i), b = static_cast<int>(j);
                EXPECT_NEAR(cgf_dipole(f[i], f[j], k, origin), cgf_dipole(f[j], f[i], k, origin), 1e-14);
                EXPECT_NEAR(dO[k][a][b], d[k][a][b] - Ok[k] * cgf_overlap(f[i], f[j]), 1e-13);
                EXPECT_NEAR(dg[k][a][b], d[k][a][b], 1e-13);
            }
        }
    }
    // A function's own centre: <mu| x |mu> = S_mu,mu X_mu for the oxygen 1s and the hydrogen.
    EXPECT_NEAR(d[0][0][0], 0.2 * cgf_overlap(f[0], f[0]), 1e-13);
    EXPECT_NEAR(d[2][5][5], -0.3 * cgf_overlap(f[5], f[5]), 1e-13);
}
