// The fast path's two-electron operator: Schwarz screening and the incremental
// build against the unscreened full build, the same bits for any thread count and
// for stored and integral-direct integrals, and J, K and atom blocks against the
// dense table of every integral.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "basis/basis_set.h"
#include "input/velko_format.h"
#include "integrals/integrals.h"
#include "linalg/canorg.h"
#include "linalg/matfunc.h"
#include "scf/guess.h"
#include "scf/hf.h"
#include "scf/quartet_scatter.h"
#include "scf/screened.h"
#include "scf/uhf.h"

namespace {

// A molecule file of the source tree with its basis, shell pairs and one-electron matrices.
struct System {
    Molecule molecule;
    BasisSet basis;
    std::unique_ptr<Integrals> integrals;
    Matrix<double> S, T, H;
    std::vector<Matrix<double>> V;

    explicit System(const std::string& relative) {
        read_velko_file(molecule, std::string(VELKO_SOURCE_DIR) + "/" + relative);
        basis = molecular_basis(molecule);
        integrals = std::make_unique<Integrals>(IntegralPath::fast, basis, molecule.atoms);
        S = integrals->overlap();
        T = integrals->kinetic();
        V = integrals->nuclear_attraction(molecule.atoms);
        H = core_hamiltonian(T, V);
    }
    unsigned n() const { return basis.size(); }

    // The operator on `threads` threads (thresholds 0 keep every quartet), its integrals
    // stored or recomputed at every build (integral-direct).
    ScreenedOperator screened(unsigned threads, bool stored, double schwarz = ScreenedOperator::default_schwarz_threshold,
                              double density = ScreenedOperator::default_density_threshold) const {
        ScreenedOperator op(integrals->quartets(), n(), threads, schwarz, density);
        stored ? op.store() : op.list_quartets();
        return op;
    }

    // The superposition-of-atoms start density.
    Matrix<double> start(const TwoElectronOperator& op) const {
        std::vector<unsigned> per_atom;
        for (const Atom& a : molecule.atoms) per_atom.push_back(a.nrelecs());
        return superposition_density(S, T, V, op, basis.first, per_atom);
    }

    // The fixed matrices of an SCF (HF or SpinSystem).
    template <class Scf>
    void set_up(Scf& scf) const {
        scf.H = H;
        scf.S = S;
        scf.X = canorg(S);
        scf.X_t = transpose(scf.X);
        scf.nuclear_repulsion = calcnuclrepul(molecule.atoms);
    }

    // Converged DIIS energy with the given operator.
    SpinRun diis(const TwoElectronOperator& op, bool incremental) const {
        HF hf;
        set_up(hf);
        hf.two_electron_operator = &op;
        hf.incremental_fock = incremental;
        unsigned electrons = 0;
        for (const Atom& a : molecule.atoms) electrons += a.nrelecs();
        hf.occupied = electrons / 2;
        return hf.iterate_diis(start(op));
    }
};

// A symmetric density-like matrix with elements of every size.
Matrix<double> test_density(int n) {
    Matrix<double> D(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) D[i][j] = D[j][i] = std::sin(1.0 + 3.0 * i + 7.0 * j) * std::exp(-0.05 * (i - j));
    return D;
}

bool same_bits(const Matrix<double>& a, const Matrix<double>& b) {
    if (a.rows() != b.rows() || a.cols() != b.cols()) return false;
    for (int i = 0; i < a.rows(); ++i)
        if (std::memcmp(a[i], b[i], sizeof(double) * static_cast<std::size_t>(a.cols())) != 0) return false;
    return true;
}

double max_difference(const Matrix<double>& a, const Matrix<double>& b) {
    double m = 0.0;
    for (int i = 0; i < a.rows(); ++i)
        for (int j = 0; j < a.cols(); ++j) m = std::fmax(m, std::fabs(a[i][j] - b[i][j]));
    return m;
}

}  // namespace

// Screening (default Schwarz threshold) with the incremental build against the
// unscreened operator (every quartet, threshold 0) built in full at every step.
// The unscreened build is the reference: it differs from the screened one only in what
// screening and the density change leave out.
TEST(ScreenedOperator, ScreenedIncrementalEnergyMatchesUnscreenedFullBuild) {
    struct Case {
        const char* file;
        double tolerance;  // Hartree
    };
    const Case cases[] = {
        {"bench/molecules/octane.in", 1e-10},
        {"bench/molecules/caffeine.in", 1e-10},
        {"tests/scf/reference/h2o_dimer_far.in", 1e-10},  // two waters 12 bohr apart: many quartets dropped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const System s(c.file);
        const ScreenedOperator all = s.screened(2, true, 0.0, 0.0), screened = s.screened(2, true);
        EXPECT_EQ(all.surviving_quartets(), all.total_quartets());
        const SpinRun reference = s.diis(all, false);
        const SpinRun fast = s.diis(screened, true);
        ASSERT_TRUE(reference.converged);
        ASSERT_TRUE(fast.converged);
        EXPECT_NEAR(fast.energy, reference.energy, c.tolerance);
    }
}

TEST(ScreenedOperator, SameBitsForAnyThreadCountStoredOrDirect) {
    const System s("bench/molecules/caffeine.in");
    const Matrix<double> D = test_density(static_cast<int>(s.n()));
    const ScreenedOperator one = s.screened(1, true), two = s.screened(2, true), direct = s.screened(2, false);
    ASSERT_TRUE(one.stored());
    ASSERT_FALSE(direct.stored());
    const Matrix<double> G1 = one.G(D);
    EXPECT_TRUE(same_bits(G1, two.G(D)));
    EXPECT_TRUE(same_bits(G1, direct.G(D)));
    EXPECT_TRUE(same_bits(one.G_change(D), direct.G_change(D)));
    const Matrix<double> P = matsum(D, D);
    const auto jk1 = one.jk({D, P}), jk2 = two.jk({D, P});
    EXPECT_TRUE(same_bits(jk1.J, jk2.J));
    EXPECT_TRUE(same_bits(jk1.K[0], jk2.K[0]));
    EXPECT_TRUE(same_bits(jk1.K[1], jk2.K[1]));
}

// J, K, G and atom blocks of the unscreened operator against the dense table of every
// distinct integral (the same kernels through the existing table and its n^4 sum).
TEST(ScreenedOperator, MatchesDenseTable) {
    // The s/p kernel of the built-in STO-3G, and cc-pVDZ's d shells, whose quartets the
    // scatter takes as blocks over every shell size.
    for (const char* file : {"tests/scf/reference/h2o_dimer_far.in", "tests/scf/reference/h2o_oh_far_ccpvdz.in"}) {
        SCOPED_TRACE(file);
        const System s(file);
        const int n = static_cast<int>(s.n());
        TwoElectronTable table(s.n());
        s.integrals->repulsion(table);
        const TableOperator dense(table, true);
        const ScreenedOperator all = s.screened(2, false, 0.0, 0.0);
        const Matrix<double> D = test_density(n);
        const Matrix<double> P = matsum(D, D);  // a second, different density
        const auto want = dense.jk({D, P});
        const auto got = all.jk({D, P});
        EXPECT_LT(max_difference(got.J, want.J), 1e-12);
        for (std::size_t d = 0; d < 2; ++d) EXPECT_LT(max_difference(got.K[d], want.K[d]), 1e-12);
        EXPECT_TRUE(same_bits(all.K(D), all.jk({D}).K[0]));  // K alone: the exchange of jk
        // G = J - 1/2 K from the n^4 sum over the table.
        const auto one = dense.jk({D});
        Matrix<double> G_want(n, n);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) G_want[i][j] = one.J[i][j] - 0.5 * one.K[0][i][j];
        EXPECT_LT(max_difference(all.G(D), dense.G(D)), 1e-12);
        EXPECT_LT(max_difference(dense.G(D), G_want), 1e-12);
        // The first oxygen's block (functions 0..4) and a block mixing both molecules.
        for (const std::vector<unsigned>& f : {std::vector<unsigned>{0, 1, 2, 3, 4}, std::vector<unsigned>{6, 1, 12, 8}}) {
            const std::vector<double> a = all.block(f), b = dense.block(f);
            ASSERT_EQ(a.size(), b.size());
            for (std::size_t k = 0; k < a.size(); ++k) EXPECT_NEAR(a[k], b[k], 1e-13) << k;
        }
    }
}

// Open shells through the screened operator: the UHF energy of a water molecule and an OH
// radical 12 bohr apart (a doublet; many quartets screened out) against the dense table of
// every distinct integral from the same integral code, and the same bits for one and two
// threads and for integral-direct builds; in the built-in STO-3G (the s/p kernel) and in
// cc-pVDZ (the engine of any L, pure d).
TEST(ScreenedOperator, UnrestrictedEnergyMatchesDenseTableAndThreadCountLeavesBits) {
    for (const char* file : {"tests/scf/reference/h2o_oh_far.in", "tests/scf/reference/h2o_oh_far_ccpvdz.in"}) {
        SCOPED_TRACE(file);
        const System s(file);
        TwoElectronTable table(s.n());
        s.integrals->repulsion(table);
        const TableOperator dense(table, false);
        const ScreenedOperator one = s.screened(1, true), two = s.screened(2, true), direct = s.screened(2, false);
        ASSERT_LT(one.surviving_quartets(), one.total_quartets());  // screening leaves some out
        const Matrix<double> start = s.start(dense);
        auto uhf = [&](const TwoElectronOperator& op) {
            SpinSystem system;
            s.set_up(system);
            system.two_electron = &op;
            system.occupied = {9, 8};  // 17 electrons
            return run_uhf(system, start, UhfSettings{}, nullptr);
        };
        const UhfResult want = uhf(dense), got = uhf(one), threads = uhf(two), recomputed = uhf(direct);
        ASSERT_TRUE(want.converged);
        ASSERT_TRUE(got.converged);
        EXPECT_TRUE(got.stable);
        EXPECT_NEAR(got.energy, want.energy, 1e-10);
        EXPECT_EQ(got.iterations, threads.iterations);
        EXPECT_EQ(std::memcmp(&got.energy, &threads.energy, sizeof(double)), 0);
        EXPECT_TRUE(same_bits(got.channels[0].density, threads.channels[0].density));
        EXPECT_TRUE(same_bits(got.channels[1].fock, threads.channels[1].fock));
        EXPECT_TRUE(same_bits(got.channels[1].fock, recomputed.channels[1].fock));
    }
}

// Several densities in one pass over the integrals (interleaved pairs, an odd last one alone):
// each result has the bits of its density's build alone, for batches of one to three, over
// the s/p kernel and pure d shells, stored and integral-direct.
TEST(ScreenedOperator, EachDensityOfABatchHasTheBitsOfItsOwnBuild) {
    for (const char* file : {"tests/scf/reference/h2o_dimer_far.in", "tests/scf/reference/h2o_oh_far_ccpvdz.in"}) {
        SCOPED_TRACE(file);
        const System s(file);
        const int n = static_cast<int>(s.n());
        const Matrix<double> D = test_density(n);
        Matrix<double> E(n, n);  // a third, of another pattern
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) E[i][j] = D[i][j] * std::cos(0.3 * (i + j));
        const std::vector<Matrix<double>> densities{D, matsum(D, D), E};
        for (bool stored : {true, false}) {
            const ScreenedOperator op = s.screened(2, stored);
            for (std::size_t count = 1; count <= densities.size(); ++count) {
                const std::vector<Matrix<double>> batch(densities.begin(), densities.begin() + count);
                const std::vector<Matrix<double>> G = op.G_each(batch), K = op.K_each(batch);
                ASSERT_EQ(G.size(), count);
                ASSERT_EQ(K.size(), count);
                for (std::size_t k = 0; k < count; ++k) {
                    EXPECT_TRUE(same_bits(G[k], op.G(batch[k]))) << count << " " << k;
                    EXPECT_TRUE(same_bits(K[k], op.K(batch[k]))) << count << " " << k;
                }
            }
        }
    }
}

// The kernels unrolled for a last shell of 1 to 6 functions (G's and K's exchange in lane
// pairs) against the generic loop, the scalar additions in their order: the same bits, for
// a quartet of four distinct shells and one whose bra is a single shell (i == j).
TEST(ScreenedOperator, UnrolledScatterKernelsHaveTheBitsOfTheGenericLoop) {
    for (std::size_t nd = 1; nd <= 6; ++nd)
        for (bool same_bra : {false, true}) {
            SCOPED_TRACE(std::to_string(nd) + (same_bra ? " same bra" : ""));
            const QuartetShells q{0, 3, same_bra ? 0u : 3u, 3, 6, 5, 11, nd};
            const std::size_t n = 11 + nd;
            const Matrix<double> D = test_density(static_cast<int>(n));
            std::vector<double> W(q.na * q.nb * q.nc * q.nd);
            for (std::size_t k = 0; k < W.size(); ++k) W[k] = std::sin(0.7 * k + 0.1) / (1.0 + k);
            for (bool coulomb : {true, false}) {
                Matrix<double> generic(n, n), unrolled(n, n);
                ScatterScratch scratch(6);
                const double s = coulomb ? -0.5 : 1.0;
                if (coulomb) {
                    scatter_quartet_nd<true, true, 0, double>(q, W.data(), D[0], generic[0], D[0], generic[0], s, n, scratch);
                    scatter_quartet<true, true, double>(q, W.data(), D[0], unrolled[0], D[0], unrolled[0], s, n, scratch);
                } else {
                    scatter_quartet_nd<false, true, 0, double>(q, W.data(), nullptr, nullptr, D[0], generic[0], s, n, scratch);
                    scatter_quartet<false, true, double>(q, W.data(), nullptr, nullptr, D[0], unrolled[0], s, n, scratch);
                }
                EXPECT_TRUE(same_bits(generic, unrolled)) << coulomb;
                EXPECT_GT(max_difference(generic, Matrix<double>(n, n)), 0.1);  // something was scattered
            }
        }
}

// Two densities interleaved in the lanes of one kernel call (the stability checks' pairs,
// exchange sums and scratch rows joined four lanes wide) against the plain loop of each
// density alone: lane by lane the same bits. Cases: last shell of 1 to 6 functions (the
// fixed kernels) and 7 (the generic loop), bra of two shells or one (i == j), G and K.
TEST(ScreenedOperator, PairKernelLanesHaveTheBitsOfEachDensityAlone) {
    struct Case { std::size_t nd; bool same_bra; };
    const Case cases[] = {{1, false}, {2, false}, {3, true}, {4, false}, {4, true}, {5, false}, {6, true}, {7, false}};
    for (const Case& c : cases)
        for (bool coulomb : {true, false}) {
            SCOPED_TRACE(std::to_string(c.nd) + (c.same_bra ? " same bra" : "") + (coulomb ? " G" : " K"));
            const QuartetShells q{0, 3, c.same_bra ? 0u : 3u, 3, 6, 5, 11, c.nd};
            const std::size_t n = 11 + c.nd;
            const int ni = static_cast<int>(n);
            const Matrix<double> D = test_density(ni);
            Matrix<double> E(ni, ni);
            for (int i = 0; i < ni; ++i)
                for (int j = 0; j < ni; ++j) E[i][j] = D[i][j] * std::cos(0.3 * (i + j)) - 0.01 * (i == j);
            std::vector<double> W(q.na * q.nb * q.nc * q.nd);
            for (std::size_t k = 0; k < W.size(); ++k) W[k] = std::sin(0.7 * k + 0.1) / (1.0 + k);
            const double s = coulomb ? -0.5 : 1.0;
            std::vector<DoubleLanes> pair(n * n), out(n * n);
            for (std::size_t e = 0; e < n * n; ++e) pair[e] = DoubleLanes{D[0][e], E[0][e]};
            BasicScatterScratch<DoubleLanes> pair_scratch(7);
            Matrix<double> alone[2] = {Matrix<double>(ni, ni), Matrix<double>(ni, ni)};
            ScatterScratch scratch(7);
            auto run = [&](auto G) {  // the pair's kernel, then the plain loop of each density
                constexpr bool J = decltype(G)::value;
                scatter_quartet<J, true, DoubleLanes>(q, W.data(), pair.data(), out.data(), pair.data(), out.data(), s, n,
                                                      pair_scratch);
                for (int lane = 0; lane < 2; ++lane) {
                    const double* X = (lane ? E : D)[0];
                    scatter_quartet_nd<J, true, 0, double>(q, W.data(), X, alone[lane][0], X, alone[lane][0], s, n, scratch);
                }
            };
            coulomb ? run(std::true_type{}) : run(std::false_type{});
            for (int lane = 0; lane < 2; ++lane) {
                Matrix<double> A(ni, ni);
                for (std::size_t e = 0; e < n * n; ++e) A[0][e] = out[e][lane];
                EXPECT_TRUE(same_bits(A, alone[lane])) << "lane " << lane;
                EXPECT_GT(max_difference(alone[lane], Matrix<double>(ni, ni)), 0.01);  // something was scattered
            }
            EXPECT_GT(max_difference(alone[0], alone[1]), 1e-3);  // the lanes are told apart
        }
}

// Four densities, two interleaved pairs in one pass, and five (an odd last one alone): each
// result the bits of its density's build alone, so no pair reads or writes another's lanes.
TEST(ScreenedOperator, TwoPairsInOnePassKeepTheirOwnBits) {
    const System s("tests/scf/reference/h2o_oh_far_ccpvdz.in");
    const int n = static_cast<int>(s.n());
    const Matrix<double> D = test_density(n);
    std::vector<Matrix<double>> densities(5, Matrix<double>(n, n));
    for (int k = 0; k < 5; ++k)
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) densities[k][i][j] = D[i][j] * std::cos((k - 1.7) * (i - j)) * (k - 1.7);
    const ScreenedOperator op = s.screened(2, true);
    for (std::size_t count : {4u, 5u}) {
        const std::vector<Matrix<double>> batch(densities.begin(), densities.begin() + count);
        const std::vector<Matrix<double>> G = op.G_each(batch), K = op.K_each(batch);
        for (std::size_t k = 0; k < count; ++k) {
            EXPECT_TRUE(same_bits(G[k], op.G(batch[k]))) << count << " " << k;
            EXPECT_TRUE(same_bits(K[k], op.K(batch[k]))) << count << " " << k;
        }
    }
}
