// The engine's own stops: a non-finite SCF energy, a two-electron table that
// cannot be allocated, and the guard on closed-shell molecules. The input-level
// paths to these stops are covered end to end in tests/e2e/failure_test.cpp;
// here the engine is driven directly, with state no input file can produce.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "common/failure.h"
#include "molecule/molecule.h"
#include "integrals/reference/repulsion.h"
#include "scf/hf.h"
#include "scf/trust.h"
#include "basis/basis_set.h"
#include "app/run.h"
#include "integrals/integrals.h"
#include "linalg/canorg.h"
#include "molecule/molecule_check.h"
#include "system/memory.h"

namespace {

Molecule hydrogen_molecule() {
    Molecule mol;
    mol.basis_name = "sto-3g";
    mol.addAtom("H", 0.0, 0.0, 0.0);
    mol.addAtom("H", 0.0, 0.0, 1.4);
    return mol;
}

// The SCF of H2 on its real integrals, with the table exposed so a test can poison it.
struct H2Engine {
    TwoElectronTable table{2};
    TableOperator op{table, true};
    HF hf;
    H2Engine() {
        const Molecule mol = hydrogen_molecule();
        const BasisSet basis = molecular_basis(mol);
        const Integrals integrals(IntegralPath::exact, basis, mol.atoms);
        hf.S = integrals.overlap();
        hf.H = core_hamiltonian(integrals.kinetic(), integrals.nuclear_attraction(mol.atoms));
        hf.X = canorg(hf.S);
        hf.X_t = transpose(hf.X);
        integrals.repulsion(table);
        hf.two_electron_operator = &op;
        hf.nuclear_repulsion = calcnuclrepul(mol.atoms);
        hf.occupied = 1;
    }
};

}  // namespace

TEST(ScfFailure, NonFiniteEnergyStopsTheLoopAtItsStep) {
    const double poisons[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity()};
    for (double poison : poisons) {
        SCOPED_TRACE(poison);
        H2Engine e;
        for (std::size_t k = 0; k < e.table.size(); ++k) e.table[k] = poison;
        // Step 1 of the plain loop has P = 0, but 0 * NaN is NaN: its energy is not finite.
        const SpinRun r = e.hf.iterate();
        EXPECT_FALSE(r.finite);
        EXPECT_FALSE(r.converged);
        EXPECT_EQ(r.iterations, 1u);
        const Failure f = nonfinite_energy_failure("poisoned.in", r.iterations, r.energy);
        EXPECT_EQ(f.status, exit_status::numerical);
        EXPECT_NE(f.message.find("\"poisoned.in\""), std::string::npos) << f.message;
        EXPECT_NE(f.message.find("at step 1;"), std::string::npos) << f.message;
        // The run has no orbitals: the convergence check must not read them.
        EXPECT_FALSE(check_convergence(e.hf, r).converged);
        // DIIS diagonalises the Fock matrix of its start first; the eigensolver refuses it.
        try {
            e.hf.iterate_diis(Matrix<double>(2, 2));
            ADD_FAILURE() << "no Failure";
        } catch (const Failure& g) {
            EXPECT_EQ(g.status, exit_status::numerical);
        }
    }
}

TEST(ScfFailure, HealthyTableConverges) {
    // The same path with the real table: H2 at 1.4 bohr, -1.1167 Hartree
    // (Szabo and Ostlund, section 3.5.2).
    H2Engine e;
    const SpinRun r = e.hf.iterate();
    EXPECT_TRUE(r.finite);
    EXPECT_TRUE(r.converged);
    EXPECT_NEAR(r.energy, -1.1167, 1e-4);
}

TEST(IntegralTable, SizedAsTheDistinctIntegrals) {
    // H2: 2 functions, (11|11) (21|11) (21|21) (22|11) (22|21) (22|22): 6 entries, all unset.
    const TwoElectronTable table(2);
    EXPECT_EQ(table.size(), 6u);
    EXPECT_EQ(TwoElectronTable::entries(2), 6u);
    for (double v : table.values()) EXPECT_EQ(v, -1.0);
}

TEST(IntegralTable, RefusedBeforeAllocatingWhenTooLarge) {
    // 2^61 doubles are 2^64 bytes: beyond any address space and memory.
    const std::uint64_t entries = std::uint64_t{1} << 61;
    try {
        allocate_integral_table(entries, "big.in");
        FAIL() << "no Failure";
    } catch (const Failure& f) {
        EXPECT_EQ(f.status, exit_status::out_of_memory);
        EXPECT_NE(f.message.find("\"big.in\""), std::string::npos) << f.message;
        // 2^61 * 8 / 2^20 = 2^44 = 17592186044416 MiB, printed with six digits.
        EXPECT_NE(f.message.find("2305843009213693952 integrals need 1.75922e+13 MiB"), std::string::npos)
            << f.message;
    }
}

TEST(IntegralTable, OtherMatricesCountAgainstMemory) {
    // A table of one entry fits anywhere, but not next to matrices of 2^63 bytes.
    const std::uint64_t memory = available_memory_bytes();
    ASSERT_GT(memory, 0u);
    EXPECT_EQ(allocate_integral_table(1, "small.in").size(), 1u);
    try {
        allocate_integral_table(1, "small.in", std::uint64_t{1} << 63);
        FAIL() << "no Failure";
    } catch (const Failure& f) {
        EXPECT_EQ(f.status, exit_status::out_of_memory);
        EXPECT_NE(f.message.find("with the other matrices"), std::string::npos) << f.message;
    }
}

TEST(IntegralTable, MatrixBytesSaturateInsteadOfWrapping) {
    EXPECT_EQ(matrix_bytes(3000, 612), UINT64_C(44064000000));  // 3000^2 * 612 * 8
    EXPECT_EQ(matrix_bytes(0, 12), 0u);
    // (2^32)^2 already overflows 64 bits.
    EXPECT_EQ(matrix_bytes(std::uint64_t{1} << 32, 1), std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(matrix_bytes(std::uint64_t{1} << 30, 2), std::numeric_limits<std::uint64_t>::max());
}

TEST(IntegralTable, IndexCountBeyondThirtyTwoBits) {
    // ij = kl = i(i+1)/2 + i; teindex = ij(ij+1)/2 + kl. For i = 429, ij = 92664 and
    // the index 4293447444 is just below 2^32 = 4294967296; for i = 430, ij = 93095
    // and 4333479155 is past it: a 32-bit index wraps from 431 functions on.
    EXPECT_EQ(teindex(429, 429, 429, 429), UINT64_C(4293447444));
    EXPECT_EQ(teindex(430, 430, 430, 430), UINT64_C(4333479155));
}

