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

namespace {

// The groups of shells sharing centre and exponents (exponent_groups) and the pairs of
// groups g >= h, as the engine computes them: one quartet of groups does the primitive
// quartets' work once for all its shells.
struct GroupPairs {
    std::vector<unsigned> shell;  // group g: shells shell[g] .. shell[g+1]-1
    std::vector<unsigned> first;  // group g: functions first[g] .. first[g+1]-1
    std::vector<std::array<unsigned, 2>> pairs;
    std::vector<RepulsionPair> data;

    GroupPairs(const std::vector<GaussianShell>& shells, const std::vector<unsigned>& shell_first, unsigned threads)
        : shell(exponent_groups(shells)) {
        for (unsigned s : shell) first.push_back(shell_first[s]);
        for (unsigned g = 0; g + 1 < shell.size(); ++g)
            for (unsigned h = 0; h <= g; ++h) pairs.push_back({g, h});
        data.resize(pairs.size());
        run_parallel(threads, static_cast<unsigned>(pairs.size()), [&](unsigned x) {
            const unsigned g = pairs[x][0], h = pairs[x][1];
            data[x] = repulsion_pair(&shells[shell[g]], shell[g + 1] - shell[g], &shells[shell[h]], shell[h + 1] - shell[h]);
        });
    }
};

// max over the function pairs ab of sqrt|(ab|ab)|.
double schwarz_bound(const RepulsionPair& pair) {
    const std::size_t n = static_cast<std::size_t>(pair.functions());
    std::vector<double> block(n * n);
    repulsion_quartet(pair, pair, block.data());
    double largest = 0.0;
    for (std::size_t f = 0; f < n; ++f) largest = std::max(largest, std::fabs(block[f * n + f]));
    return std::sqrt(largest);
}

}  // namespace

void ShellEngine::repulsion(TwoElectronTable& table, const ProgressCallback& progress) const {
    const GroupPairs groups(shells_, first_, threads_);
    const std::vector<std::array<unsigned, 2>>& pairs = groups.pairs;
    const std::vector<RepulsionPair>& data = groups.data;
    const std::vector<unsigned>& first = groups.first;
    std::vector<double> bound(pairs.size());
    run_parallel(threads_, static_cast<unsigned>(pairs.size()), [&](unsigned p) { bound[p] = schwarz_bound(data[p]); });
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
            for (unsigned i = first[a]; i < first[a + 1]; ++i)
                for (unsigned j = first[b]; j < first[b + 1]; ++j)
                    for (unsigned k = first[c]; k < first[c + 1]; ++k)
                        for (unsigned l = first[d]; l < first[d + 1]; ++l, ++at)
                            table[TwoElectronTable::index(i, j, k, l)] = negligible ? 0.0 : block[at];
        }
        if (progress && threads_ <= 1) progress(++done, total);
    });
}

std::shared_ptr<const QuartetSource> ShellEngine::quartets() const {
    return std::make_shared<const ShellQuartets>(shells_, first_, threads_);
}

ShellQuartets::ShellQuartets(const std::vector<GaussianShell>& shells, const std::vector<unsigned>& shell_first,
                             unsigned threads) {
    GroupPairs groups(shells, shell_first, threads);
    const std::vector<unsigned>& first = groups.first;
    for (const std::array<unsigned, 2>& x : groups.pairs) {
        const unsigned a = x[0], b = x[1];
        PairFunctions p{a, b, {}, {}};
        std::vector<unsigned> kept;
        const unsigned nb = first[b + 1] - first[b];
        for (unsigned i = first[a]; i < first[a + 1]; ++i)
            for (unsigned j = first[b]; j < first[b + 1]; ++j) {
                if (a == b && j > i) continue;
                p.first.push_back(i);
                p.second.push_back(j);
                if (a == b) kept.push_back((i - first[a]) * nb + (j - first[b]));
            }
        functions_.push_back(std::move(p));
        kept_.push_back(std::move(kept));
    }
    data_ = std::move(groups.data);
}

void ShellQuartets::quartet(std::size_t bra, std::size_t ket, double* out) const {
    const std::vector<unsigned>&kb = kept_[bra], &kk = kept_[ket];
    if (kb.empty() && kk.empty()) {
        repulsion_quartet(data_[bra], data_[ket], out);
        return;
    }
    thread_local std::vector<double> block;
    const std::size_t nb = static_cast<std::size_t>(data_[bra].functions()), nk = static_cast<std::size_t>(data_[ket].functions());
    if (block.size() < nb * nk) block.resize(nb * nk);
    repulsion_quartet(data_[bra], data_[ket], block.data());
    const std::size_t fb = functions_[bra].first.size(), fk = functions_[ket].first.size();
    for (std::size_t f = 0; f < fb; ++f) {
        const double* row = block.data() + (kb.empty() ? f : kb[f]) * nk;
        for (std::size_t g = 0; g < fk; ++g) *out++ = row[kk.empty() ? g : kk[g]];
    }
}

double ShellQuartets::bound(std::size_t x) const { return schwarz_bound(data_[x]); }
