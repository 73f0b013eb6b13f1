// The engine's pieces on their own inputs: basis gathering and labels, the
// fixed matrices, the energy and density formulas, the choice of integral path.
#include <gtest/gtest.h>

#include "../test_molecules.h"

#include <cmath>

#include "common/failure.h"
#include "integrals/reference/repulsion.h"
#include "linalg/matfunc.h"
#include "scf/fock.h"
#include "scf/hf.h"
#include "molecule/molecule_check.h"
#include "basis/basis_set.h"
#include "app/run.h"
#include "report/listing.h"
#include "integrals/integrals.h"
#include "linalg/canorg.h"

namespace {


Calculation rhf(const Molecule& m, IntegralPath path = IntegralPath::automatic) {
    Listing quiet(false);
    Settings settings;
    settings.integrals = path;
    return compute_rhf(m, settings, "test.in", quiet);
}

}  // namespace

TEST(HFSetup, CoreHamiltonianIsKineticPlusEveryAttractionAndXOrthogonalises) {
    const Molecule w = water();
    const BasisSet basis = molecular_basis(w);
    const Integrals integrals(IntegralPath::exact, basis, w.atoms);
    const Matrix<double> T = integrals.kinetic();
    const std::vector<Matrix<double>> V = integrals.nuclear_attraction(w.atoms);
    ASSERT_EQ(V.size(), 3u);
    const Matrix<double> H = core_hamiltonian(T, V);
    for (int i = 0; i < 7; ++i)
        for (int j = 0; j < 7; ++j) EXPECT_EQ(H[i][j], ((T[i][j] + V[0][i][j]) + V[1][i][j]) + V[2][i][j]);
    // 28 pairs of functions give 28*29/2 distinct integrals, every one written.
    TwoElectronTable table(7);
    ASSERT_EQ(table.size(), 406u);
    integrals.repulsion(table);
    for (double v : table.values()) EXPECT_NE(v, -1.0);
    // X^T S X = 1
    const Matrix<double> S = integrals.overlap();
    const Matrix<double> X = canorg(S);
    const Matrix<double> XSX = matprod(transpose(X), matprod(S, X));
    for (int i = 0; i < 7; ++i)
        for (int j = 0; j < 7; ++j) EXPECT_NEAR(XSX[i][j], i == j ? 1.0 : 0.0, 1e-12);
}

TEST(HFSetup, NuclearRepulsion) {
    EXPECT_DOUBLE_EQ(calcnuclrepul(make_molecule("sto-3g", {{"H", 0, 0, 0}, {"H", 0, 0, 1.4}}).atoms), 1 / 1.4);
    // Water: 8*1/1.81 twice plus 1/(2*1.81*sin(52.5 deg)).
    const double hh = 2 * 1.81 * std::sin(52.5 * 3.14159265358979 / 180);
    EXPECT_NEAR(calcnuclrepul(water().atoms), 2 * 8 / 1.81 + 1 / hh, 1e-12);
    EXPECT_EQ(calcnuclrepul(make_molecule("sto-3g", {{"He", 0, 0, 0}}).atoms), 0.0);
}

TEST(HFRun, H2ConvergesToTheTextbookEnergy) {
    const SpinRun r = rhf(make_molecule("sto-3g", {{"H", 0, 0, 0}, {"H", 0, 0, 1.4}})).result;
    ASSERT_EQ(r.channels.size(), 1u);
    const ChannelState& c = r.channels[0];
    EXPECT_TRUE(r.converged);
    EXPECT_FALSE(r.reached_limit);
    EXPECT_LT(r.iterations, 101u);
    // Szabo and Ostlund, section 3.5.2: E = -1.1167, eps = -0.578, +0.670.
    EXPECT_NEAR(r.energy, -1.1167, 1e-4);
    EXPECT_NEAR(c.energies[0], -0.578, 1e-3);
    EXPECT_NEAR(c.energies[1], 0.670, 1e-3);
    // The bonding orbital is symmetric, the antibonding one antisymmetric.
    EXPECT_NEAR(c.C[0][0], c.C[1][0], 1e-10);
    EXPECT_NEAR(c.C[0][1], -c.C[1][1], 1e-10);
}

TEST(Fock, EnergyOfZeroDensityIsTheNuclearRepulsion) {
    Matrix<double> P(3, 3), H(3, 3), F(3, 3);
    H[0][0] = -2;
    F[1][1] = 5;
    EXPECT_EQ(total_energy(P, H, F, 0.75), 0.75);
}

TEST(Fock, EnergyIsHalfTraceOfDensityTimesHPlusF) {
    // E = 1/2 sum_ij P_ji (H_ij + F_ij) + E_nuc, for unsymmetric inputs so a transposed index shows.
    Matrix<double> P(2, 2), H(2, 2), F(2, 2);
    P[0][0] = 1;
    P[0][1] = 2;
    P[1][0] = 3;
    P[1][1] = 4;
    H[0][0] = 1;
    H[0][1] = 10;
    H[1][0] = 100;
    H[1][1] = 1000;
    // sum P_ji H_ij = P00 H00 + P10 H01 + P01 H10 + P11 H11 = 1 + 30 + 200 + 4000
    EXPECT_DOUBLE_EQ(total_energy(P, H, F, 0.0), 0.5 * 4231);
}

TEST(Fock, ClosedShellDensityIsTwiceTheOccupiedProjector) {
    // Orthonormal columns: P = 2 C_occ C_occ^T, so P P = 2 P and trace P = 2 nocc.
    const double c = std::cos(0.3), s = std::sin(0.3);
    Matrix<double> C(3, 3);
    C[0][0] = c;
    C[1][0] = s;
    C[0][1] = -s;
    C[1][1] = c;
    C[2][2] = 1;
    const Matrix<double> P = closed_shell_density(C, 2);
    const Matrix<double> PP = matprod(P, P);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(PP[i][j], 2 * P[i][j], 1e-14);
    EXPECT_NEAR(P[0][0] + P[1][1] + P[2][2], 4.0, 1e-14);
    EXPECT_EQ(P[2][2], 0.0);  // the third orbital is empty
}

TEST(Fock, TwoElectronMatrixOfH2MatchesHandExpansion) {
    // For two s functions and a density P = [[a, b], [b, d]],
    //   G_ij = sum_kl P_kl [(ij|kl) - 1/2 (ik|jl)], expanded by hand:
    //   G_00 = a (00|00) - a/2 (00|00) + 2b (00|10) - b (00|01) + d (00|11) - d/2 (01|01)
    TwoElectronTable te(2);
    const double i0000 = 0.77, i1000 = 0.44, i1010 = 0.30, i1100 = 0.57, i1110 = 0.45, i1111 = 0.78;
    te[teindex(0, 0, 0, 0)] = i0000;
    te[teindex(1, 0, 0, 0)] = i1000;
    te[teindex(1, 0, 1, 0)] = i1010;
    te[teindex(1, 1, 0, 0)] = i1100;
    te[teindex(1, 1, 1, 0)] = i1110;
    te[teindex(1, 1, 1, 1)] = i1111;
    Matrix<double> P(2, 2);
    const double a = 0.6, b = 0.2, d = 0.5;
    P[0][0] = a;
    P[0][1] = b;
    P[1][0] = b;
    P[1][1] = d;
    const Matrix<double> G = two_electron_reference(P, te);
    EXPECT_NEAR(G[0][0], a * i0000 / 2 + 2 * b * i1000 - b * i1000 + d * i1100 - d * i1010 / 2, 1e-14);
    EXPECT_NEAR(G[1][1], a * i1100 - a * i1010 / 2 + 2 * b * i1110 - b * i1110 + d * i1111 / 2, 1e-14);
    // G_01 = a (01|00) - a/2 (00|10) + b[(01|01) + (01|10)] - b/2[(00|11) + (01|01)] + d (01|11) - d/2 (01|11)
    EXPECT_NEAR(G[0][1], a * i1000 / 2 + b * (2 * i1010) - b / 2 * (i1100 + i1010) + d * i1110 / 2, 1e-14);
    EXPECT_NEAR(G[0][1], G[1][0], 1e-15);
}

