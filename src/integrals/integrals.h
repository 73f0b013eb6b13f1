#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "basis/basis_set.h"
#include "basis/cgf.h"
#include "molecule/atom.h"
#include "integrals/eri_table.h"
#include "integrals/fast/fast_eri.h"
#include "integrals/fast/shells.h"
#include "integrals/shell_engine.h"
#include "linalg/matrix.h"

// How the integral matrices are computed. `exact` repeats the operations of the
// reference formulas bit for bit, so that even the noise-level digits of a report
// (the sign of a coefficient that is zero by symmetry, the orientation of
// degenerate orbitals) are reproducible; `fast` (McMurchie-Davidson over shells)
// agrees with them to 1e-12 and is many times quicker. `automatic` takes the exact
// path while it is cheap.
enum class IntegralPath { automatic, exact, fast };

// Primitive quartets of the distinct two-electron integrals of a basis, the
// measure of the cost of the exact path.
std::uint64_t primitive_quartet_count(const std::vector<CGF>& cgfs);
// Up to this many primitive quartets (about a second) the automatic choice is exact.
constexpr std::uint64_t exact_quartet_limit = 20000000;

// The one place that decides the path of a run: exact or fast, never automatic.
IntegralPath choose_integral_path(IntegralPath requested, const std::vector<CGF>& cgfs);

// The integral matrices of a basis by one path.
class Integrals {
public:
    // `path` must be exact or fast (see choose_integral_path); the basis is placed on
    // `atoms`, which must outlive this object. A basis not of the built-in tables is
    // computed by the shell engine whatever the path, with `threads` threads.
    Integrals(IntegralPath path, const BasisSet& basis, const std::vector<Atom>& atoms, unsigned threads = 1);

    bool exact() const { return path_ == IntegralPath::exact && !engine_; }
    Matrix<double> overlap() const;
    Matrix<double> kinetic() const;
    // One nuclear attraction matrix per atom, in the order given.
    std::vector<Matrix<double>> nuclear_attraction(const std::vector<Atom>& atoms) const;
    // Writes every distinct (ij|kl) of the basis into `table` (sized for it).
    void repulsion(TwoElectronTable& table, const ProgressCallback& progress = nullptr) const;
    // The same into a table holding the integrals of this basis before atom `moved` alone
    // moved: on the fast path only the quartets with a function on that atom are computed
    // again; the other paths write the whole table.
    void repulsion_after_move(TwoElectronTable& table, unsigned moved) const;
    // The shell pairs of the fast path (empty on the exact path).
    const std::vector<ShellPair>& shell_pairs() const { return pairs_; }
    // The shell quartets for the screened operator: the s/p kernel over shell_pairs() for
    // the built-in tables, the engine of any L for the other sets.
    std::shared_ptr<const QuartetSource> quartets() const;

private:
    IntegralPath path_;
    const std::vector<CGF>& functions_;
    const std::vector<Atom>& atoms_;  // the centres of the functions
    std::vector<ShellBlock> shells_;     // fast path only
    std::vector<ShellPair> pairs_;  // fast path only
    std::shared_ptr<const ShellEngine> engine_;  // a basis not of the built-in tables
};

// H = T + V_0 + V_1 + ..., summed in atom order for each element.
Matrix<double> core_hamiltonian(const Matrix<double>& T, const std::vector<Matrix<double>>& V);
