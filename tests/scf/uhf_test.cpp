// The unrestricted engine's pieces: <S^2> in closed forms, the orbital Hessian against
// finite differences of the energy, Davidson against the full Hessian, the rotation, the
// Newton steps.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include <string>

#include "input/velko_format.h"
#include "linalg/eigsym.h"
#include "linalg/canorg.h"
#include "linalg/matfunc.h"
#include "app/run.h"
#include "report/listing.h"
#include "scf/guess.h"
#include "scf/newton.h"
#include "scf/uhf.h"
#include "scf/uhf_stability.h"

namespace {

Matrix<double> identity(int n) {
    Matrix<double> I(n, n);
    for (int i = 0; i < n; ++i) I[i][i] = 1.0;
    return I;
}

// OH radical, r = 1.833 bohr, STO-3G: six functions, 5 alpha and 4 beta electrons.
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

struct Radical {
    MolecularIntegrals hf;
    std::unique_ptr<TableOperator> op;
    UhfResult r;
    Radical() {
        Molecule m;
        m.basis_name = "sto-3g";
        m.addAtom("O", 0.0, 0.0, 0.0);
        m.addAtom("H", 0.0, 0.0, 1.833);
        hf = integrals_of(m);
        UhfSettings s;
        s.check_stability = false;
        const std::vector<unsigned> electrons{8, 1};
        op = std::make_unique<TableOperator>(hf.te_table, true);
        r = run_uhf(spin_system_of(hf, *op, 5, 4), superposition_density(hf.S, hf.T, hf.V, *op, hf.basis.first, electrons),
                    s, nullptr);
    }
};

double energy_of(const Radical& m, const Matrix<double>& Ca, const Matrix<double>& Cb) {
    const SpinSystem system = spin_system_of(m.hf, *m.op, 5, 4);
    const std::vector<Matrix<double>> P{orbital_density(Ca, 5, 1.0), orbital_density(Cb, 4, 1.0)};
    return scf_energy(system, P, fock_matrices(system, P, nullptr));
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

TEST(UhfHessian, SecondDerivativeOfTheEnergyAlongRotations) {
    const Radical m;
    ASSERT_TRUE(m.r.converged);
    const SpinOrbitals a{m.r.channels[0].C, m.r.channels[0].energies, 5}, b{m.r.channels[1].C, m.r.channels[1].energies, 4};
    const std::size_t dim = rotation_count(a, b);
    ASSERT_EQ(dim, 5u * 1u + 4u * 2u);
    // Along a unit direction x, E(t) = E0 + t^2 x^T (A + B) x + O(t^3) at a stationary point:
    // (E(h) - 2 E(0) + E(-h)) / h^2 = 2 x^T (A + B) x.
    const double h = 1e-3;
    const double e0 = energy_of(m, m.r.channels[0].C, m.r.channels[1].C);
    for (unsigned seed = 0; seed < 4; ++seed) {
        std::vector<double> x(dim);
        double norm = 0.0;
        for (std::size_t k = 0; k < dim; ++k) norm += (x[k] = std::sin(1.0 + 7.3 * (k + 1) * (seed + 1)))  * x[k];
        for (double& v : x) v /= std::sqrt(norm);
        const std::vector<double> hx = hessian_product(a, b, *m.op, x);
        double xhx = 0.0;
        for (std::size_t k = 0; k < dim; ++k) xhx += x[k] * hx[k];
        auto energy_at = [&](double t) {
            return energy_of(m, rotate_orbitals(m.r.channels[0].C, 5, x.data(), t),
                             rotate_orbitals(m.r.channels[1].C, 4, x.data() + 5, t));
        };
        const double second = (energy_at(h) - 2.0 * e0 + energy_at(-h)) / (h * h);
        EXPECT_NEAR(second, 2.0 * xhx, 1e-5 * std::fabs(xhx) + 1e-6) << seed;
    }
}

TEST(UhfHessian, DavidsonFindsTheLowestEigenvalueOfTheFullMatrix) {
    const Radical m;
    const SpinOrbitals a{m.r.channels[0].C, m.r.channels[0].energies, 5}, b{m.r.channels[1].C, m.r.channels[1].energies, 4};
    const int dim = static_cast<int>(rotation_count(a, b));
    Matrix<double> full(dim, dim), U;
    for (int k = 0; k < dim; ++k) {
        std::vector<double> e(static_cast<std::size_t>(dim), 0.0);
        e[static_cast<std::size_t>(k)] = 1.0;
        const std::vector<double> col = hessian_product(a, b, *m.op, e);
        for (int i = 0; i < dim; ++i) full[i][k] = col[static_cast<std::size_t>(i)];
    }
    for (int i = 0; i < dim; ++i)
        for (int k = 0; k < i; ++k) EXPECT_NEAR(full[i][k], full[k][i], 1e-12);
    std::vector<double> w;
    Eigsym(full, U, w);
    const LowestMode mode = lowest_hessian_mode(a, b, *m.op);
    EXPECT_TRUE(mode.converged);
    EXPECT_NEAR(mode.eigenvalue, w[0], 1e-10);
    // The doublet ground state of OH is a minimum; its lowest mode, turning the singly
    // occupied pi orbital about the bond, leaves the energy unchanged.
    EXPECT_NEAR(w[0], 0.0, 1e-8);
    EXPECT_GT(w[1], 0.01);
}

TEST(Rotation, ExponentialOfAPlaneGeneratorIsAPlaneRotation) {
    for (double t : {0.3, 2.0, 7.0}) {
        Matrix<double> K(3, 3);
        K[1][0] = t;
        K[0][1] = -t;
        const Matrix<double> E = antisymmetric_exponential(K);
        EXPECT_NEAR(E[0][0], std::cos(t), 1e-13);
        EXPECT_NEAR(E[1][0], std::sin(t), 1e-13);
        EXPECT_NEAR(E[0][1], -std::sin(t), 1e-13);
        EXPECT_NEAR(E[1][1], std::cos(t), 1e-13);
        EXPECT_NEAR(E[2][2], 1.0, 1e-15);
        EXPECT_NEAR(E[2][0], 0.0, 1e-15);
    }
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
        EXPECT_GT(r.lowest_hessian_eigenvalue, -1e-6);
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
