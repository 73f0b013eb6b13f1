// The engine's pieces on their own inputs: basis gathering and labels, the
// fixed matrices, the energy and density formulas.
#include <gtest/gtest.h>

#include <cmath>

#include "common/failure.h"
#include "integrals/repulsion.h"
#include "linalg/matfunc.h"
#include "scf/fock.h"
#include "scf/hf.h"
#include "scf/molecule_check.h"

namespace {

Molecule make_molecule(const std::string& basis, std::initializer_list<std::tuple<const char*, double, double, double>> atoms) {
    Molecule m;
    m.basis_name = basis;
    m.basis.setType(basis);
    for (const auto& [symbol, x, y, z] : atoms) m.addAtom(symbol, x, y, z);
    return m;
}

Molecule water() {
    // O at the origin, O-H 1.81 bohr, 105 degrees.
    const double half = 105.0 / 2 * 3.14159265358979 / 180;
    return make_molecule("sto-3g", {{"O", 0, 0, 0},
                                    {"H", 1.81 * std::sin(half), 1.81 * std::cos(half), 0},
                                    {"H", -1.81 * std::sin(half), 1.81 * std::cos(half), 0}});
}

}  // namespace

TEST(HFMolecule, GathersFunctionsInAtomOrderWithLabels) {
    HF hf;
    hf.molecule(water());
    ASSERT_EQ(hf.nr_orbitals, 7u);
    EXPECT_EQ(hf.nr_atoms, 3u);
    EXPECT_EQ(hf.nr_electrons, 10u);
    EXPECT_EQ(hf.nr_gtos, 21u);  // seven functions of three primitives
    const char* expected[] = {"[1] O1\t (1s)", "[2] O1\t (2s)", "[3] O1\t (2px)", "[4] O1\t (2py)",
                              "[5] O1\t (2pz)", "[6] H2\t (1s)", "[7] H3\t (1s)"};
    ASSERT_EQ(hf.orbital_labels.size(), 7u);
    for (int b = 0; b < 7; ++b) EXPECT_EQ(hf.orbital_labels[b], expected[b]);
    EXPECT_EQ(hf.cgfs[5].position.getx(), hf.mol[1].gr().getx());
    // 28 pairs of functions give 28*29/2 distinct integrals, all unset.
    ASSERT_EQ(hf.te_table.size(), 406u);
    for (double v : hf.te_table) ASSERT_EQ(v, -1.0);
    EXPECT_EQ(hf.V.size(), 3u);
    EXPECT_EQ(hf.P.rows(), 7);
    EXPECT_EQ(hf.P[3][4], 0.0);
}

TEST(HFSetup, CoreHamiltonianIsKineticPlusEveryAttraction) {
    HF hf;
    hf.molecule(water());
    hf.setup();
    for (int i = 0; i < 7; ++i)
        for (int j = 0; j < 7; ++j)
            EXPECT_EQ(hf.H[i][j], ((hf.T[i][j] + hf.V[0][i][j]) + hf.V[1][i][j]) + hf.V[2][i][j]);
    for (double v : hf.te_table) EXPECT_NE(v, -1.0);
    // X^T S X = 1
    const Matrix<double> XSX = matprod(hf.X_t, matprod(hf.S, hf.X));
    for (int i = 0; i < 7; ++i)
        for (int j = 0; j < 7; ++j) EXPECT_NEAR(XSX[i][j], i == j ? 1.0 : 0.0, 1e-12);
}

TEST(HFSetup, NuclearRepulsion) {
    HF h2;
    h2.molecule(make_molecule("sto-3g", {{"H", 0, 0, 0}, {"H", 0, 0, 1.4}}));
    EXPECT_DOUBLE_EQ(h2.calcnuclrepul(), 1 / 1.4);
    // Water: 8*1/1.81 twice plus 1/(2*1.81*sin(52.5 deg)).
    HF w;
    w.molecule(water());
    const double hh = 2 * 1.81 * std::sin(52.5 * 3.14159265358979 / 180);
    EXPECT_NEAR(w.calcnuclrepul(), 2 * 8 / 1.81 + 1 / hh, 1e-12);
    HF he;
    he.molecule(make_molecule("sto-3g", {{"He", 0, 0, 0}}));
    EXPECT_EQ(he.calcnuclrepul(), 0.0);
}

TEST(HFRun, H2ConvergesToTheTextbookEnergy) {
    HF hf;
    hf.molecule(make_molecule("sto-3g", {{"H", 0, 0, 0}, {"H", 0, 0, 1.4}}));
    hf.setup();
    const unsigned steps = hf.iterate();
    EXPECT_TRUE(hf.converged);
    EXPECT_LT(steps, 101u);
    // Szabo and Ostlund, section 3.5.2: E = -1.1167, eps = -0.578, +0.670.
    EXPECT_NEAR(hf.energy, -1.1167, 1e-4);
    EXPECT_NEAR(hf.orbital_energies[0], -0.578, 1e-3);
    EXPECT_NEAR(hf.orbital_energies[1], 0.670, 1e-3);
    // The bonding orbital is symmetric, the antibonding one antisymmetric.
    EXPECT_NEAR(hf.C[0][0], hf.C[1][0], 1e-10);
    EXPECT_NEAR(hf.C[0][1], -hf.C[1][1], 1e-10);
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
    std::vector<double> te(6);
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

TEST(ClosedShellCheck, RefusesOddElectronsAndCoincidentAtoms) {
    try {
        check_closed_shell(make_molecule("sto-3g", {{"H", 0, 0, 0}}), "h.in");
        FAIL() << "a lone hydrogen atom was accepted";
    } catch (const Failure& f) {
        EXPECT_EQ(f.status, exit_status::unsupported);
        EXPECT_NE(f.message.find("\"h.in\""), std::string::npos);
        EXPECT_NE(f.message.find("closed-shell"), std::string::npos);
    }
    try {
        check_closed_shell(make_molecule("sto-3g", {{"H", 0, 0, 1}, {"H", 0, 0, 1}}), "hh.in");
        FAIL() << "coincident atoms were accepted";
    } catch (const Failure& f) {
        EXPECT_EQ(f.status, exit_status::unsupported);
        EXPECT_NE(f.message.find("same position"), std::string::npos);
    }
    EXPECT_NO_THROW(check_closed_shell(water(), "water.in"));
}

TEST(IntegralPath, PrimitiveQuartetsOfTheDistinctIntegrals) {
    // H2 in STO-3G: three distinct pairs of weight 9 give ((27)^2 + 3*81)/2 = 486
    // primitive quartets, i.e. six distinct integrals of 81 quartets each.
    HF h2;
    h2.molecule(make_molecule("sto-3g", {{"H", 0, 0, 0}, {"H", 0, 0, 1.4}}));
    EXPECT_EQ(primitive_quartet_count(h2.cgfs), 6u * 81u);
    // Water: 406 distinct integrals of 81 quartets.
    HF w;
    w.molecule(water());
    EXPECT_EQ(primitive_quartet_count(w.cgfs), 406u * 81u);
    EXPECT_TRUE(choose_exact_integrals(IntegralPath::automatic, w.cgfs));
    EXPECT_FALSE(choose_exact_integrals(IntegralPath::fast, w.cgfs));
}

TEST(IntegralPath, LargeMoleculesTakeTheFastPath) {
    // Ten carbon atoms in STO-6G: 50 functions of 6 primitives, 1275 pairs,
    // 813450 distinct integrals of 1296 quartets each: far beyond the exact limit.
    Molecule m;
    m.basis.setType("sto-6g");
    for (int k = 0; k < 10; ++k) m.addAtom("C", 2.5 * k, 0, 0);
    HF hf;
    hf.molecule(m);
    EXPECT_EQ(primitive_quartet_count(hf.cgfs), 813450ull * 1296ull);
    EXPECT_FALSE(choose_exact_integrals(IntegralPath::automatic, hf.cgfs));
    EXPECT_TRUE(choose_exact_integrals(IntegralPath::exact, hf.cgfs));
}

TEST(IntegralPath, ExactAndFastRunsAgreeOnWater) {
    HF exact, fast;
    exact.integral_path = IntegralPath::exact;
    fast.integral_path = IntegralPath::fast;
    for (HF* hf : {&exact, &fast}) {
        hf->molecule(water());
        hf->setup();
        hf->iterate();
    }
    EXPECT_TRUE(exact.exact_integrals);
    EXPECT_FALSE(fast.exact_integrals);
    EXPECT_NEAR(exact.energy, fast.energy, 1e-10);
    for (int k = 0; k < 7; ++k) EXPECT_NEAR(exact.orbital_energies[k], fast.orbital_energies[k], 1e-10);
}
