// The unrestricted engine's pieces: <S^2> in closed forms, the instability following
// from saddle points (the Hessian itself: stability_test.cpp), and the Newton steps.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include <string>

#include "input/velko_format.h"
#include "linalg/canorg.h"
#include "linalg/matfunc.h"
#include "app/run.h"
#include "report/listing.h"
#include "scf/guess.h"
#include "scf/newton.h"
#include "scf/uhf.h"

namespace {

Matrix<double> identity(int n) {
    Matrix<double> I(n, n);
    for (int i = 0; i < n; ++i) I[i][i] = 1.0;
    return I;
}

MolecularIntegrals integrals_of(const Molecule& m) {
    Listing quiet(false);
    return compute_integrals(m, Settings{}, "test.in", quiet);
}

// The SCF system of two spin channels over the integrals' dense table.
SpinSystem spin_system_of(const MolecularIntegrals& hf, const TableOperator& op, unsigned alpha, unsigned beta) {
    SpinSystem s;
    s.H = hf.H;
    s.S = hf.S;
    s.X = hf.X;
    s.X_t = transpose(hf.X);
    s.two_electron = &op;
    s.nuclear_repulsion = hf.nuclear_repulsion;
    s.occupied = {alpha, beta};
    return s;
}

}  // namespace

TEST(SSquared, ClosedForms) {
    const Matrix<double> I = identity(3);
    // Doublet whose beta orbital is one of the alpha ones: a pure doublet, 3/4.
    EXPECT_NEAR(s_squared(I, I, I, 2, 1), 0.75, 1e-15);
    // Two electrons in orthogonal orbitals of opposite spin: half singlet, half triplet, <S^2> = 1.
    Matrix<double> swapped(3, 3);
    swapped[1][0] = swapped[0][1] = swapped[2][2] = 1.0;
    EXPECT_NEAR(s_squared(I, swapped, I, 1, 1), 1.0, 1e-15);
    // Same orbitals with a non-orthogonal metric: beta orbital c b with c^T S c = 1 and
    // overlap s with the alpha orbital gives 1 - s^2 (here S_01 = 0.6, so 0.64).
    Matrix<double> S = identity(2), Ca(2, 2), Cb(2, 2);
    S[0][1] = S[1][0] = 0.6;
    Ca[0][0] = 1.0;
    Cb[1][0] = 1.0;
    EXPECT_NEAR(s_squared(Ca, Cb, S, 1, 1), 0.64, 1e-15);
}

// From the core Hamiltonian (a zero starting density) these radicals first converge on
// saddle points of the UHF energy; the stability check must find the negative Hessian
// eigenvalue and the follow-up must reach the ground state that Psi4 1.3.2 finds with its
// own stability analysis (tests/scf/reference/uhf/<name>.dat, energies.txt).
TEST(UhfStability, SaddlePointsFromTheCoreGuessAreFollowedToTheGroundState) {
    const struct {
        const char* name;
        unsigned alpha, beta;
        double psi4_energy;
    } cases[] = {
        {"o2", 9, 7, -147.6352963519},
        {"ho2", 9, 8, -148.1946571181},
        {"nh2", 5, 4, -54.8369244009},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Molecule m;
        read_velko_file(m, std::string(VELKO_SOURCE_DIR) + "/tests/scf/reference/uhf/" + c.name + ".in");
        const MolecularIntegrals hf = integrals_of(m);
        const int n = static_cast<int>(hf.basis.size());
        const TableOperator op(hf.te_table, true);
        const SpinSystem system = spin_system_of(hf, op, c.alpha, c.beta);
        const UhfResult r = run_uhf(system, Matrix<double>(n, n), UhfSettings{}, nullptr);
        EXPECT_TRUE(r.converged);
        EXPECT_GE(r.instabilities_followed, 1u);
        EXPECT_TRUE(r.stable);
        EXPECT_GT(r.lowest.eigenvalue, -1e-6);
        EXPECT_NEAR(r.energy, c.psi4_energy, 1e-8 * std::fabs(c.psi4_energy));
        UhfSettings unchecked;
        unchecked.check_stability = false;
        const UhfResult saddle = run_uhf(system, Matrix<double>(n, n), unchecked, nullptr);
        EXPECT_GT(saddle.energy, r.energy + 1e-4);
    }
}

// Newton steps alone (newton.h; the loop hands over at once instead of after DIIS) from the
// superposed atomic densities must reach Psi4 1.3.2's UHF ground state (energies.txt).
TEST(NewtonSteps, ReachTheGroundStateFromTheAtomicStart) {
    const struct {
        const char* name;
        unsigned alpha, beta;
        std::vector<unsigned> electrons;  // of each atom, in input order
        double psi4_energy;
    } cases[] = {
        {"oh", 5, 4, {8, 1}, -74.3626691948},
        {"nh2", 5, 4, {7, 1, 1}, -54.8369244009},
        {"no", 8, 7, {7, 8}, -127.5304655045},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Molecule m;
        read_velko_file(m, std::string(VELKO_SOURCE_DIR) + "/tests/scf/reference/uhf/" + c.name + ".in");
        const MolecularIntegrals hf = integrals_of(m);
        const TableOperator op(hf.te_table, true);
        const SpinSystem system = spin_system_of(hf, op, c.alpha, c.beta);
        TrustRegion region(system);
        SpinRun run;
        converge_diis(system,
                      start_densities(system, superposition_density(hf.S, hf.T, hf.V, op, hf.basis.first, c.electrons)),
                      SpinLoopSettings{}, nullptr, nullptr, run,
                      [&region](const std::vector<Matrix<double>>& P, const std::vector<Matrix<double>>& F,
                                double energy) { return region.next(P, F, energy); });
        EXPECT_TRUE(run.converged);
        EXPECT_NEAR(run.energy, c.psi4_energy, 1e-8 * std::fabs(c.psi4_energy));
    }
}
