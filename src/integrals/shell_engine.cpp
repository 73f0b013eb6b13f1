#include "integrals/shell_engine.h"

#include <algorithm>
#include <cmath>

#include "integrals/md/one_body.h"
#include "integrals/md/repulsion.h"
#include "system/parallel.h"

namespace {

std::array<double, 3> point(const Vec3& r) { return {r.x, r.y, r.z}; }

// The symmetric matrix whose block over shells a and b is block(a, b).
template <class Block>
Matrix<double> one_body_matrix(const std::vector<GaussianShell>& shells, const std::vector<unsigned>& first,
                               const Block& block) {
    const int n = static_cast<int>(first.back());
    Matrix<double> M(n, n);
    for (std::size_t a = 0; a < shells.size(); ++a)
        for (std::size_t b = 0; b <= a; ++b) {
            const std::vector<double> values = block(shells[a], shells[b]);
            const int na = static_cast<int>(first[a + 1] - first[a]), nb = static_cast<int>(first[b + 1] - first[b]);
            for (int i = 0; i < na; ++i)
                for (int j = 0; j < nb; ++j) {
                    const int r = static_cast<int>(first[a]) + i, c = static_cast<int>(first[b]) + j;
                    M[r][c] = M[c][r] = values[static_cast<std::size_t>(i * nb + j)];
                }
        }
    return M;
}

}  // namespace

ShellEngine::ShellEngine(const BasisSet& basis, const std::vector<Atom>& atoms, unsigned threads)
    : first_(basis.shell_first), threads_(threads) {
    for (const Shell& shell : basis.shells) shells_.push_back(normalised_shell(shell, point(atoms[shell.atom].position)));
}

Matrix<double> ShellEngine::overlap() const { return one_body_matrix(shells_, first_, overlap_block); }

Matrix<double> ShellEngine::kinetic() const { return one_body_matrix(shells_, first_, kinetic_block); }

std::vector<Matrix<double>> ShellEngine::nuclear_attraction(const std::vector<Atom>& atoms) const {
    std::vector<Matrix<double>> V;
    for (const Atom& atom : atoms) {
        const std::vector<PointCharge> nucleus{{static_cast<double>(atom.nucl_chg()), point(atom.position)}};
        V.push_back(atom.nucl_chg() == 0 ? Matrix<double>(static_cast<int>(size()), static_cast<int>(size()))
                                         : one_body_matrix(shells_, first_, [&](const auto& a, const auto& b) {
                                               return nuclear_block(a, b, nucleus);
                                           }));
    }
    return V;
}

std::array<Matrix<double>, 3> ShellEngine::dipole(const Vec3& origin) const {
    std::array<Matrix<double>, 3> D;
    for (int k = 0; k < 3; ++k)
        D[static_cast<std::size_t>(k)] = one_body_matrix(
            shells_, first_, [&](const auto& a, const auto& b) { return dipole_block(a, b, k, point(origin)); });
    return D;
}

void ShellEngine::repulsion(TwoElectronTable& table, const ProgressCallback& progress) const {
    // Shell pairs a >= b, and their Schwarz bounds max sqrt|(ab|ab)|.
    std::vector<std::array<unsigned, 2>> pairs;
    for (unsigned a = 0; a < shells_.size(); ++a)
        for (unsigned b = 0; b <= a; ++b) pairs.push_back({a, b});
    std::vector<double> bound(pairs.size());
    std::vector<RepulsionPair> data(pairs.size());
    run_parallel(threads_, static_cast<unsigned>(pairs.size()), [&](unsigned p) {
        data[p] = repulsion_pair(shells_[pairs[p][0]], shells_[pairs[p][1]]);
        const std::size_t nab = static_cast<std::size_t>(data[p].functions());
        std::vector<double> diagonal(nab * nab);
        repulsion_quartet(data[p], data[p], diagonal.data());
        double largest = 0.0;
        for (std::size_t ab = 0; ab < nab; ++ab) largest = std::max(largest, std::fabs(diagonal[ab * nab + ab]));
        bound[p] = std::sqrt(largest);
    });
    // Each bra pair with every ket pair up to it: every distinct integral lies in one such
    // quartet, whose block writes it (and its copies within the block) at its one index.
    std::uint64_t done = 0;
    const std::uint64_t total = pairs.size();
    run_parallel(threads_, static_cast<unsigned>(pairs.size()), [&](unsigned bra) {
        const unsigned a = pairs[bra][0], b = pairs[bra][1];
        std::vector<double> block;
        for (unsigned ket = 0; ket <= bra; ++ket) {
            const unsigned c = pairs[ket][0], d = pairs[ket][1];
            const bool negligible = bound[bra] * bound[ket] < schwarz_threshold;
            block.resize(static_cast<std::size_t>(data[bra].functions()) * data[ket].functions());
            if (!negligible) repulsion_quartet(data[bra], data[ket], block.data());
            std::size_t at = 0;
            for (unsigned i = first_[a]; i < first_[a + 1]; ++i)
                for (unsigned j = first_[b]; j < first_[b + 1]; ++j)
                    for (unsigned k = first_[c]; k < first_[c + 1]; ++k)
                        for (unsigned l = first_[d]; l < first_[d + 1]; ++l, ++at)
                            table[TwoElectronTable::index(i, j, k, l)] = negligible ? 0.0 : block[at];
        }
        if (progress && threads_ <= 1) progress(++done, total);
    });
}
