// The atomic-density start of the DIIS mode: occupations, atomic densities and
// their superposition, checked against electron counts and closed forms.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "scf/guess.h"
#include "basis/basis_set.h"
#include "molecule/molecule.h"
#include "integrals/integrals.h"

namespace {

double trace_PS(const Matrix<double>& P, const Matrix<double>& S) {
    double t = 0.0;
    for (int i = 0; i < P.rows(); ++i)
        for (int j = 0; j < P.cols(); ++j) t += P[i][j] * S[j][i];
    return t;
}

}  // namespace

TEST(AveragedOccupations, FillShellsInOrderAndShareOpenOnesEqually) {
    // Carbon in a minimal basis: 1s^2 2s^2 and two electrons over three degenerate 2p.
    const std::vector<double> c = averaged_occupations({-11.0, -0.5, -0.2, -0.2, -0.2}, 6);
    ASSERT_EQ(c.size(), 5u);
    EXPECT_EQ(c[0], 2.0);
    EXPECT_EQ(c[1], 2.0);
    for (int k = 2; k < 5; ++k) EXPECT_NEAR(c[k], 2.0 / 3.0, 1e-15);
    // Hydrogen: one electron in one orbital.
    EXPECT_EQ(averaged_occupations({-0.47}, 1), std::vector<double>{1.0});
    // Two orbitals, three electrons: 1s^2 2s^1.
    EXPECT_EQ(averaged_occupations({-2.35, -0.18}, 3), (std::vector<double>{2.0, 1.0}));
    // Neon-like filling: every orbital doubly occupied.
    const std::vector<double> ne = averaged_occupations({-30, -1.5, -0.6, -0.6, -0.6}, 10);
    EXPECT_EQ(std::accumulate(ne.begin(), ne.end(), 0.0), 10.0);
    for (double n : ne) EXPECT_EQ(n, 2.0);
    // Orbitals apart by more than the tolerance are separate shells.
    const std::vector<double> split = averaged_occupations({-1.0, -0.5, -0.4999}, 3);
    EXPECT_EQ(split[1], 1.0);
    EXPECT_EQ(split[2], 0.0);
}

TEST(OccupiedDensity, WeightsEachOrbitalByItsOccupation) {
    // Orbitals (1, 0) and (0.6, 0.8) with occupations 2 and 0.5.
    Matrix<double> C(2, 2);
    C[0][0] = 1.0;
    C[0][1] = 0.6;
    C[1][1] = 0.8;
    const Matrix<double> D = occupied_density(C, {2.0, 0.5});
    EXPECT_NEAR(D[0][0], 2.0 + 0.5 * 0.36, 1e-15);
    EXPECT_NEAR(D[0][1], 0.5 * 0.48, 1e-15);
    EXPECT_NEAR(D[1][0], 0.5 * 0.48, 1e-15);
    EXPECT_NEAR(D[1][1], 0.5 * 0.64, 1e-15);
}

TEST(SuperpositionDensity, HoldsEveryAtomsElectronsInItsOwnBlock) {
    // Water, STO-3G, O-H 1.81 bohr and 105 degrees.
    const double half = 105.0 / 2 * 3.14159265358979 / 180;
    Molecule m;
    m.basis_name = "sto-3g";
    m.addAtom("O", 0, 0, 0);
    m.addAtom("H", 1.81 * std::sin(half), 1.81 * std::cos(half), 0);
    m.addAtom("H", -1.81 * std::sin(half), 1.81 * std::cos(half), 0);
    const BasisSet basis = molecular_basis(m);
    const Integrals integrals(IntegralPath::exact, basis, m.atoms);
    TwoElectronTable table(basis.size());
    integrals.repulsion(table);
    const TableOperator op(table, true);
    struct {
        Matrix<double> S;
    } hf{integrals.overlap()};
    const Matrix<double> P = superposition_density(hf.S, integrals.kinetic(), integrals.nuclear_attraction(m.atoms),
                                                   op, {0, 5, 6, 7}, {8, 1, 1});
    // tr(P S) counts the electrons: 10 in all, 8 in the oxygen block (its S block
    // alone, since the blocks do not overlap in P).
    EXPECT_NEAR(trace_PS(P, hf.S), 10.0, 1e-10);
    double oxygen = 0.0;
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j) oxygen += P[i][j] * hf.S[j][i];
    EXPECT_NEAR(oxygen, 8.0, 1e-10);
    // A hydrogen atom's single normalised 1s function holds its one electron.
    EXPECT_NEAR(P[5][5] * hf.S[5][5], 1.0, 1e-10);
    // Nothing couples different atoms, and the spherical average leaves the three
    // oxygen 2p functions equally occupied and uncoupled.
    EXPECT_EQ(P[0][5], 0.0);
    EXPECT_EQ(P[5][6], 0.0);
    EXPECT_NEAR(P[2][2], P[3][3], 1e-10);
    EXPECT_NEAR(P[3][3], P[4][4], 1e-10);
    EXPECT_NEAR(P[2][3], 0.0, 1e-10);
    EXPECT_NEAR(P[1][2], 0.0, 1e-10);
    // Each 2p function, orthogonal to every other oxygen function, carries 4/3 electrons.
    EXPECT_NEAR(P[2][2] * hf.S[2][2], 4.0 / 3.0, 1e-12);
}
