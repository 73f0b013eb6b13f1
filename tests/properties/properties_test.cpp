// Molecular properties from the values of an SCF run.
#include "properties/properties.h"

#include <gtest/gtest.h>

#include <cmath>

#include "integrals/dipole.h"

namespace {

Matrix<double> matrix2(double a, double b, double c, double d) {
    Matrix<double> M(2, 2);
    M[0][0] = a;
    M[0][1] = b;
    M[1][0] = c;
    M[1][1] = d;
    return M;
}

}  // namespace

// By hand: E1 = 1*(-2) + 0.5*(-1) + 0.5*(-1) + 2*(-3) = -9,
// F - H = [[1, 0.5], [0.5, 2]], E2 = 1/2 (1 + 0.25 + 0.25 + 4) = 2.75.
TEST(EnergyParts, HandComputedTwoByTwo) {
    const Matrix<double> P = matrix2(1.0, 0.5, 0.5, 2.0);
    const Matrix<double> H = matrix2(-2.0, -1.0, -1.0, -3.0);
    const Matrix<double> F = matrix2(-1.0, -0.5, -0.5, -1.0);
    const EnergyParts parts = energy_parts(P, H, F);
    EXPECT_DOUBLE_EQ(parts.one_electron, -9.0);
    EXPECT_DOUBLE_EQ(parts.two_electron, 2.75);
}

namespace {

// Two atoms with one basis function each.
std::vector<AtomSite> two_sites(unsigned za, unsigned zb) {
    return {AtomSite{"A", za, Vec3(0, 0, 0), 0, 1}, AtomSite{"B", zb, Vec3(0, 0, 1), 1, 1}};
}

}  // namespace

// Two functions with overlap s and density [[a, b], [b, c]]. By hand:
//   Mulliken: N_A = a + b s, N_B = c + b s.
//   Loewdin: S^1/2 = [[p, q], [q, p]], p = (sqrt(1+s) + sqrt(1-s))/2, q = (sqrt(1+s) - sqrt(1-s))/2,
//            N_A = p^2 a + 2 p q b + q^2 c, N_B = q^2 a + 2 p q b + p^2 c.
// Both sum to tr(DS) = a + c + 2 b s, the electron count.
TEST(Populations, TwoFunctionsByHand) {
    struct Case {
        double s, a, b, c;
    };
    const Case cases[] = {{0.0, 1.2, 0.3, 0.8}, {0.4, 1.2, 0.3, 0.8}, {0.65, 0.9, 0.6, 0.4}, {0.3, 1.0, -0.5, 1.5}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.s);
        const Matrix<double> S = matrix2(1.0, k.s, k.s, 1.0);
        const Matrix<double> D = matrix2(k.a, k.b, k.b, k.c);
        const std::vector<AtomSite> atoms = two_sites(1, 1);
        const std::vector<double> m = mulliken_populations(D, S, atoms);
        EXPECT_NEAR(m[0], k.a + k.b * k.s, 1e-14);
        EXPECT_NEAR(m[1], k.c + k.b * k.s, 1e-14);
        const double p = (std::sqrt(1 + k.s) + std::sqrt(1 - k.s)) / 2, q = (std::sqrt(1 + k.s) - std::sqrt(1 - k.s)) / 2;
        const std::vector<double> l = loewdin_populations(D, S, atoms);
        EXPECT_NEAR(l[0], p * p * k.a + 2 * p * q * k.b + q * q * k.c, 1e-14);
        EXPECT_NEAR(l[1], q * q * k.a + 2 * p * q * k.b + p * p * k.c, 1e-14);
        EXPECT_NEAR(l[0] + l[1], k.a + k.c + 2 * k.b * k.s, 1e-14);
    }
}

// Rescaling a basis function (chi_0 -> lambda chi_0: S_0j and S_i0 times lambda,
// D_0j and D_i0 over lambda) describes the same density. Mulliken's populations
// are unchanged by construction; Loewdin's are only because they are taken over
// normalised functions.
TEST(Populations, IndependentOfTheScaleOfTheBasisFunctions) {
    Matrix<double> S(3, 3), D(3, 3);
    const double s[3][3] = {{1.0, 0.3, 0.1}, {0.3, 1.0, 0.45}, {0.1, 0.45, 1.0}};
    const double d[3][3] = {{1.1, 0.2, -0.1}, {0.2, 0.7, 0.35}, {-0.1, 0.35, 0.9}};
    const double lambda[3] = {1.3, 1.0, 0.8};
    Matrix<double> S2(3, 3), D2(3, 3);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            S[i][j] = s[i][j];
            D[i][j] = d[i][j];
            S2[i][j] = s[i][j] * lambda[i] * lambda[j];
            D2[i][j] = d[i][j] / (lambda[i] * lambda[j]);
        }
    const std::vector<AtomSite> atoms{AtomSite{"O", 8, Vec3(), 0, 2}, AtomSite{"H", 1, Vec3(0, 0, 1.8), 2, 1}};
    const std::vector<double> m = mulliken_populations(D, S, atoms), m2 = mulliken_populations(D2, S2, atoms);
    const std::vector<double> l = loewdin_populations(D, S, atoms), l2 = loewdin_populations(D2, S2, atoms);
    ASSERT_EQ(l.size(), 2u);
    for (std::size_t a = 0; a < 2; ++a) {
        EXPECT_NEAR(m2[a], m[a], 1e-14);
        EXPECT_NEAR(l2[a], l[a], 1e-14);
    }
    // Charges are the nuclear charges less the populations.
    const std::vector<double> q = atomic_charges(atoms, m);
    EXPECT_DOUBLE_EQ(q[0], 8.0 - m[0]);
    EXPECT_DOUBLE_EQ(q[1], 1.0 - m[1]);
}

TEST(Frontier, HomoLumoAndGapByOccupation) {
    const std::vector<double> e{-1.0, -0.5, 0.2, 0.7};
    struct Case {
        unsigned occupied;
        bool homo, lumo;
        unsigned homo_index;
        double homo_energy, lumo_energy;
    };
    const Case cases[] = {
        {2, true, true, 1, -0.5, 0.2},  // the usual case: orbitals 2 and 3 (counted from 1)
        {1, true, true, 0, -1.0, -0.5},
        {4, true, false, 3, 0.7, 0.0},  // every orbital occupied (neon in STO-3G): no LUMO
        {0, false, true, 0, 0.0, -1.0},  // no electrons: no HOMO
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.occupied);
        const Frontier f = frontier_orbitals(e, c.occupied);
        ASSERT_EQ(f.homo.has_value(), c.homo);
        ASSERT_EQ(f.lumo.has_value(), c.lumo);
        if (c.homo) {
            EXPECT_EQ(f.homo->index, c.homo_index);
            EXPECT_EQ(f.homo->energy, c.homo_energy);
        }
        if (c.lumo) {
            EXPECT_EQ(f.lumo->index, c.occupied);
            EXPECT_EQ(f.lumo->energy, c.lumo_energy);
        }
        EXPECT_EQ(f.gap().has_value(), c.homo && c.lumo);
        if (c.homo && c.lumo) {
            EXPECT_DOUBLE_EQ(*f.gap(), c.lumo_energy - c.homo_energy);
        }
    }
    // CODATA 2018: 1 Hartree = 27.211386245988 eV.
    EXPECT_DOUBLE_EQ(hartree_to_ev(0.5), 13.605693122994);
}

// A hydrogen atom as one normalised s function holding one electron: <s| r |s> is its
// centre R, so the electrons give -R and the nucleus +R, and the dipole vanishes
// about any origin. With Z = 2 (a one-electron cation) it is R - O: it depends on O.
TEST(DipoleMoment, OneElectronAroundANucleus) {
    const Vec3 R(0.4, -1.1, 2.0);
    const std::vector<CGF> basis{CGF{0, {GTO(1.0, 0.9, 0, 0, 0)}}};
    Matrix<double> P(1, 1);
    P[0][0] = 1.0;
    for (const Vec3& O : {Vec3(0, 0, 0), Vec3(1.0, 2.0, -3.0)}) {
        const auto moments = dipole_matrices(basis, {R}, O);
        const std::array<double, 3> neutral =
            dipole_moment(P, moments, {AtomSite{"H", 1, R, 0, 1}}, O);
        const std::array<double, 3> cation =
            dipole_moment(P, moments, {AtomSite{"He", 2, R, 0, 1}}, O);
        const double RO[3] = {R.x - O.x, R.y - O.y, R.z - O.z};
        for (std::size_t k = 0; k < 3; ++k) {
            EXPECT_NEAR(neutral[k], 0.0, 1e-13);
            EXPECT_NEAR(cation[k], RO[k], 1e-13);
        }
    }
    EXPECT_DOUBLE_EQ(vector_length({3.0, 0.0, -4.0}), 5.0);
}

TEST(AtomSites, FunctionsNumberedAtomByAtom) {
    Molecule m;
    m.basis_name = "sto-3g";
    m.addAtom("H", 0.0, 0.0, -1.0);
    m.addAtom("O", 0.0, 0.0, 0.0);
    m.addAtom("N", 1.0, 2.0, 3.0);
    const std::vector<AtomSite> s = atom_sites(m, molecular_basis(m));
    ASSERT_EQ(s.size(), 3u);
    const unsigned expected[3][3] = {{1, 0, 1}, {8, 1, 5}, {7, 6, 5}};  // Z, first function, count
    for (std::size_t a = 0; a < 3; ++a) {
        EXPECT_EQ(s[a].charge, expected[a][0]);
        EXPECT_EQ(s[a].first, expected[a][1]);
        EXPECT_EQ(s[a].count, expected[a][2]);
    }
    EXPECT_EQ(s[2].symbol, "N");
    EXPECT_EQ(s[2].position.z, 3.0);
}
