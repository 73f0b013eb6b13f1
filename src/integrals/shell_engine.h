#pragma once

#include <array>
#include <memory>
#include <vector>

#include "basis/basis_set.h"
#include "common/vec3.h"
#include "integrals/eri_table.h"
#include "integrals/fast/fast_eri.h"
#include "integrals/md/repulsion.h"
#include "integrals/md/shell.h"
#include "integrals/quartets.h"
#include "linalg/matrix.h"
#include "molecule/atom.h"

// The integral matrices of a basis whose contractions are normalised as the field does
// (a set of the library or a file), from the McMurchie-Davidson engine of md/: each
// shell's functions pure or Cartesian as the shell is, in the order of the basis.
class ShellEngine {
public:
    ShellEngine(const BasisSet& basis, const std::vector<Atom>& atoms, unsigned threads);

    unsigned size() const { return first_.empty() ? 0 : first_.back(); }
    Matrix<double> overlap() const;
    Matrix<double> kinetic() const;
    // One nuclear attraction matrix per atom, in the order given (zero for a ghost).
    std::vector<Matrix<double>> nuclear_attraction(const std::vector<Atom>& atoms) const;
    // D_k = <mu| (r - origin)_k |nu>, k = x, y, z.
    std::array<Matrix<double>, 3> dipole(const Vec3& origin) const;
    // Every distinct (ij|kl) into `table`, quartets of shell groups (exponent_groups) whose
    // Schwarz bound max sqrt((ab|ab)) max sqrt((cd|cd)) is below schwarz_threshold written as zero.
    void repulsion(TwoElectronTable& table, const ProgressCallback& progress = nullptr) const;

    // The quartets for the screened operator, over shell groups (exponent_groups) as its
    // "shells", each pair's data made once.
    std::shared_ptr<const QuartetSource> quartets() const;

    // A shell quartet bounded below this leaves every printed digit of the energy as it is.
    static constexpr double schwarz_threshold = 1e-14;

private:
    std::vector<GaussianShell> shells_;
    std::vector<unsigned> first_;  // shell s owns functions first_[s] .. first_[s+1]-1
    unsigned threads_;
};

// The quartets of the engine of any L (md/repulsion.h) over a basis's shell groups
// (exponent_groups): PairFunctions' a and b number groups.
class ShellQuartets : public QuartetSource {
public:
    ShellQuartets(const std::vector<GaussianShell>& shells, const std::vector<unsigned>& first, unsigned threads);
    const std::vector<PairFunctions>& pairs() const override { return functions_; }
    void quartet(std::size_t bra, std::size_t ket, double* out) const override;
    double bound(std::size_t x) const override;

private:
    std::vector<RepulsionPair> data_;
    std::vector<PairFunctions> functions_;
    // For a pair of one group with itself, the place of each kept function pair (i >= j)
    // in the group's full block; empty for two groups, whose pairs are the whole block.
    std::vector<std::vector<unsigned>> kept_;
};
