#include "scf/screened.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <map>
#include <mutex>
#include <numeric>
#include <type_traits>
#include <utility>

#include "integrals/eri_table.h"
#include "linalg/matfunc.h"
#include "integrals/fast/fast_quartets.h"
#include "system/parallel.h"
#include "scf/quartet_scatter.h"
#include "scf/scatter.h"

namespace {

// The quartet (bra, ket) as the dense block of quartet_scatter.h, the weights of scatter.h
// applied: 1/2 for i == j and for k == l; within one shell pair (same_pair) both (ij|kl)
// and (kl|ij) were computed, so only (ij) >= (kl) is kept, with 1/2 for (ij) == (kl).
// Quartets of two distinct pairs of distinct shells have every weight 1 and are their
// own block; the others are written into `block`.
const double* quartet_block(const PairFunctions& bra, const PairFunctions& ket, bool same_pair, const QuartetShells& q,
                            const double* vals, std::vector<double>& block) {
    if (!same_pair && bra.a != bra.b && ket.a != ket.b) return vals;
    block.assign(q.na * q.nb * q.nc * q.nd, 0.0);
    const std::size_t nb = bra.first.size(), nk = ket.first.size();
    for (std::size_t f = 0; f < nb; ++f) {
        const std::size_t i = bra.first[f], j = bra.second[f];
        const std::uint64_t ij = TwoElectronTable::pair(i, j);
        const double w_ij = (i == j) ? 0.5 : 1.0;
        double* row = block.data() + ((i - q.a0) * q.nb + (j - q.b0)) * q.nc * q.nd;
        for (std::size_t g = 0; g < nk; ++g) {
            const std::size_t k = ket.first[g], l = ket.second[g];
            double w = w_ij;
            if (k == l) w *= 0.5;
            if (same_pair) {
                const std::uint64_t kl = TwoElectronTable::pair(k, l);
                if (ij < kl) continue;
                if (ij == kl) w *= 0.5;
            }
            row[(k - q.c0) * q.nd + (l - q.d0)] = w * vals[f * nk + g];
        }
    }
    return block.data();
}

void add_into(Matrix<double>& A, const Matrix<double>& B) {
    for (int i = 0; i < A.rows(); ++i)
        for (int j = 0; j < A.cols(); ++j) A[i][j] += B[i][j];
}

}  // namespace

ScreenedOperator::ScreenedOperator(const std::vector<ShellPair>& pairs, unsigned functions, unsigned threads,
                                   double schwarz_threshold, double density_threshold)
    : ScreenedOperator(std::make_shared<FastQuartets>(pairs), functions, threads, schwarz_threshold,
                       density_threshold) {}

ScreenedOperator::ScreenedOperator(std::shared_ptr<const QuartetSource> source, unsigned functions, unsigned threads,
                                   double schwarz_threshold, double density_threshold)
    : source_(std::move(source)),
      pairs_(source_->pairs()),
      n_(functions),
      threads_(std::max(1u, threads)),
      schwarz_threshold_(schwarz_threshold),
      density_threshold_(density_threshold) {
    const std::size_t npairs = pairs_.size();
    shell_of_.assign(n_, 0);
    for (const PairFunctions& p : pairs_) {
        max_quartet_ = std::max(max_quartet_, p.first.size());
        shells_ = std::max(shells_, p.a + 1);
        for (std::size_t f = 0; f < p.first.size(); ++f) {
            shell_of_[p.first[f]] = p.a;
            shell_of_[p.second[f]] = p.b;
        }
    }
    // Each shell's functions are consecutive in the basis (both kernels number them so).
    shell_first_.assign(shells_, n_);
    shell_size_.assign(shells_, 0);
    for (unsigned f = 0; f < n_; ++f) {
        shell_first_[shell_of_[f]] = std::min<std::size_t>(shell_first_[shell_of_[f]], f);
        ++shell_size_[shell_of_[f]];
    }
    for (unsigned s = 0; s < shells_; ++s) {
        largest_shell_ = std::max(largest_shell_, shell_size_[s]);
        for (std::size_t f = shell_first_[s]; f < shell_first_[s] + shell_size_[s]; ++f) assert(shell_of_[f] == s);
    }

    // Q_x = max_ab sqrt((ab|ab)) from the diagonal of the quartet (x, x).
    max_quartet_ *= max_quartet_;
    Q_.assign(npairs, 0.0);
    const unsigned pieces = static_cast<unsigned>(std::min<std::size_t>(npairs, 64));
    run_parallel(threads_, pieces, [&](unsigned c) {
        for (std::size_t x = npairs * c / pieces; x < npairs * (c + 1) / pieces; ++x) Q_[x] = source_->bound(x);
    });

    // How many kets survive for each bra, before any list is allocated: the pairs ranked
    // by decreasing Q go into a Fenwick tree in bra order, so that for bra x the tree
    // holds y <= x, and the survivors are a prefix of the ranking (Q_x Q_y >= threshold).
    by_bound_.resize(npairs);
    std::iota(by_bound_.begin(), by_bound_.end(), 0u);
    std::stable_sort(by_bound_.begin(), by_bound_.end(), [&](std::uint32_t a, std::uint32_t b) { return Q_[a] > Q_[b]; });
    std::vector<std::uint32_t> rank(npairs);
    for (std::size_t r = 0; r < npairs; ++r) rank[by_bound_[r]] = static_cast<std::uint32_t>(r);
    pair_block_.resize(npairs);
    for (std::size_t x = 0; x < npairs; ++x)
        pair_block_[x] = static_cast<std::uint32_t>(shell_size_[pairs_[x].a] * shell_size_[pairs_[x].b]);
    std::vector<std::uint64_t> tree_count(npairs + 1, 0), tree_functions(npairs + 1, 0), tree_blocks(npairs + 1, 0);
    ket_begin_.assign(npairs + 1, 0);
    value_begin_.assign(npairs + 1, 0);
    block_begin_.assign(npairs + 1, 0);
    for (std::size_t x = 0; x < npairs; ++x) {
        for (std::size_t r = rank[x] + 1; r <= npairs; r += r & (~r + 1)) {
            tree_count[r] += 1;
            tree_functions[r] += pairs_[x].first.size();
            tree_blocks[r] += pair_block_[x];
        }
        const std::size_t prefix = static_cast<std::size_t>(
            std::partition_point(by_bound_.begin(), by_bound_.end(),
                                 [&](std::uint32_t y) { return Q_[x] * Q_[y] >= schwarz_threshold_; }) -
            by_bound_.begin());
        std::uint64_t kets = 0, functions = 0, blocks = 0;
        for (std::size_t r = prefix; r > 0; r -= r & (~r + 1)) {
            kets += tree_count[r];
            functions += tree_functions[r];
            blocks += tree_blocks[r];
        }
        ket_begin_[x + 1] = ket_begin_[x] + kets;
        value_begin_[x + 1] = value_begin_[x] + pairs_[x].first.size() * functions;
        block_begin_[x + 1] = block_begin_[x] + pair_block_[x] * blocks;
    }

    // Chunks of about equal numbers of integrals, by bra.
    chunk_begin_.assign(chunk_count + 1, static_cast<std::uint32_t>(npairs));
    chunk_begin_[0] = 0;
    std::size_t x = 0;
    for (unsigned c = 1; c < chunk_count; ++c) {
        const std::uint64_t target = value_begin_.back() * c / chunk_count;
        while (x < npairs && value_begin_[x] < target) ++x;
        chunk_begin_[c] = static_cast<std::uint32_t>(x);
    }
}

std::uint64_t ScreenedOperator::total_quartets() const {
    const std::uint64_t p = pairs_.size();
    return p * (p + 1) / 2;
}

std::uint64_t ScreenedOperator::list_bytes() const {
    return surviving_quartets() * sizeof(std::uint32_t) +
           (ket_begin_.size() + value_begin_.size()) * sizeof(std::uint64_t);
}

void ScreenedOperator::list_quartets() {
    if (listed_) return;
    const std::size_t npairs = pairs_.size();
    kets_.assign(surviving_quartets(), 0);
    const unsigned pieces = static_cast<unsigned>(std::min<std::size_t>(npairs, 64));
    run_parallel(threads_, pieces, [&](unsigned c) {
        for (std::size_t x = npairs * c / pieces; x < npairs * (c + 1) / pieces; ++x) {
            std::uint32_t* out = kets_.data() + ket_begin_[x];
            std::uint32_t* end = out;
            for (std::uint32_t y : by_bound_) {
                if (!(Q_[x] * Q_[y] >= schwarz_threshold_)) break;
                if (y <= x) *end++ = y;
            }
            std::sort(out, end);
        }
    });
    listed_ = true;
}

void ScreenedOperator::store(const ProgressCallback& progress) {
    list_quartets();
    values_.assign(block_begin_.back(), 0.0);
    std::mutex progress_mutex;
    std::uint64_t done = 0;
    run_parallel(threads_, chunk_count, [&](unsigned c) {
        std::vector<double> integrals(max_quartet_), block;
        for (std::uint32_t x = chunk_begin_[c]; x < chunk_begin_[c + 1]; ++x) {
            double* out = values_.data() + block_begin_[x];
            for (std::uint64_t q = ket_begin_[x]; q < ket_begin_[x + 1]; ++q) {
                const std::uint32_t y = kets_[q];
                source_->quartet(x, y, integrals.data());
                const std::size_t size = static_cast<std::size_t>(pair_block_[x]) * pair_block_[y];
                const double* W = quartet_block(pairs_[x], pairs_[y], x == y, quartet_shells(x, y), integrals.data(), block);
                std::copy(W, W + size, out);
                out += size;
            }
        }
        if (progress) {
            const std::lock_guard<std::mutex> lock(progress_mutex);
            progress(++done, chunk_count);
        }
    });
}

std::vector<double> ScreenedOperator::shell_block_max(const Matrix<double>& D) const {
    std::vector<double> m(static_cast<std::size_t>(shells_) * shells_, 0.0);
    for (unsigned i = 0; i < n_; ++i)
        for (unsigned j = 0; j < n_; ++j) {
            double& e = m[static_cast<std::size_t>(shell_of_[i]) * shells_ + shell_of_[j]];
            e = std::max(e, std::fabs(D[static_cast<int>(i)][static_cast<int>(j)]));
        }
    return m;
}

// Calls visit(shells, W) with the weighted block W of each surviving quartet of the chunk,
// in list order, skipping those the density screen rules out when a screen is given.
template <class Visit>
inline void ScreenedOperator::for_each_quartet(unsigned chunk, const Matrix<double>* screen_density, Visit&& visit) const {
    std::vector<double> Dmax;
    if (screen_density) Dmax = shell_block_max(*screen_density);
    auto dmax = [&](unsigned s, unsigned t) { return Dmax[static_cast<std::size_t>(s) * shells_ + t]; };
    std::vector<double> buffer(values_.empty() ? max_quartet_ : 0), block;
    for (std::uint32_t x = chunk_begin_[chunk]; x < chunk_begin_[chunk + 1]; ++x) {
        const PairFunctions& bra = pairs_[x];
        const double* stored_values = values_.empty() ? nullptr : values_.data() + block_begin_[x];
        for (std::uint64_t q = ket_begin_[x]; q < ket_begin_[x + 1]; ++q) {
            const std::uint32_t y = kets_[q];
            const PairFunctions& ket = pairs_[y];
            const double* vals = stored_values;
            if (stored_values) stored_values += static_cast<std::size_t>(pair_block_[x]) * pair_block_[y];
            if (screen_density) {
                const unsigned a = bra.a, b = bra.b, c = ket.a, d = ket.b;
                const double m = std::max({dmax(a, b), dmax(c, d), dmax(a, c), dmax(a, d), dmax(b, c), dmax(b, d)});
                if (2.0 * Q_[x] * Q_[y] * m < density_threshold_) continue;
            }
            const QuartetShells shells = quartet_shells(x, y);
            if (!vals) {
                source_->quartet(x, y, buffer.data());
                vals = quartet_block(bra, ket, x == y, shells, buffer.data(), block);
            }
            visit(shells, vals);
        }
    }
}

inline QuartetShells ScreenedOperator::quartet_shells(std::uint32_t x, std::uint32_t y) const {
    const PairFunctions &bra = pairs_[x], &ket = pairs_[y];
    return QuartetShells{shell_first_[bra.a], shell_size_[bra.a], shell_first_[bra.b], shell_size_[bra.b],
                         shell_first_[ket.a], shell_size_[ket.a], shell_first_[ket.b], shell_size_[ket.b]};
}

// Each chunk sums into half matrices of its own, `count` of single densities and `pairs` of
// interleaved pairs (chunk(c, halves, pair_halves) adds the chunk's quartets in list order);
// the chunks are added in chunk order and each sum is returned as A + A^T: the singles, then
// each pair's two.
template <class Chunk>
std::vector<Matrix<double>> ScreenedOperator::scatter_all(unsigned count, unsigned pairs, Chunk&& chunk) const {
    assert(listed_);
    const int n = static_cast<int>(n_);
    const std::size_t elements = std::size_t{n_} * n_;
    std::vector<std::vector<Matrix<double>>> parts(chunk_count);
    std::vector<std::vector<std::vector<DoubleLanes>>> pair_parts(chunk_count);
    run_parallel(threads_, chunk_count, [&](unsigned c) {
        std::vector<Matrix<double>> halves(count, Matrix<double>(n, n));
        std::vector<std::vector<DoubleLanes>> pair_halves(pairs, std::vector<DoubleLanes>(elements));
        std::vector<double*> h;
        for (Matrix<double>& A : halves) h.push_back(n > 0 ? A[0] : nullptr);
        std::vector<DoubleLanes*> hp;
        for (std::vector<DoubleLanes>& A : pair_halves) hp.push_back(A.data());
        chunk(c, h.data(), hp.data());
        parts[c] = std::move(halves);
        pair_parts[c] = std::move(pair_halves);
    });
    std::vector<Matrix<double>> out;
    for (unsigned k = 0; k < count; ++k) {
        Matrix<double>& sum = parts[0][k];
        for (unsigned c = 1; c < chunk_count; ++c) add_into(sum, parts[c][k]);
        out.push_back(symmetrised(sum));
    }
    for (unsigned k = 0; k < pairs; ++k) {
        std::vector<DoubleLanes>& sum = pair_parts[0][k];
        for (unsigned c = 1; c < chunk_count; ++c)
            for (std::size_t e = 0; e < elements; ++e) sum[e] += pair_parts[c][k][e];
        for (int lane = 0; lane < 2; ++lane) {
            Matrix<double> A(n, n);
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j) A[i][j] = sum[static_cast<std::size_t>(i) * n_ + j][lane];
            out.push_back(symmetrised(A));
        }
    }
    return out;
}

namespace {

// The densities 2k and 2k + 1 interleaved, for k below half their count.
std::vector<std::vector<DoubleLanes>> interleaved_pairs(const std::vector<Matrix<double>>& D) {
    std::vector<std::vector<DoubleLanes>> pairs;
    for (std::size_t k = 0; k + 1 < D.size(); k += 2) {
        const Matrix<double>&a = D[k], &b = D[k + 1];
        std::vector<DoubleLanes> p(static_cast<std::size_t>(a.rows()) * a.cols());
        for (int i = 0; i < a.rows(); ++i)
            for (int j = 0; j < a.cols(); ++j) p[static_cast<std::size_t>(i) * a.cols() + j] = DoubleLanes{a[i][j], b[i][j]};
        pairs.push_back(std::move(p));
    }
    return pairs;
}

// The sums of scatter_all (the odd last density's first) in the densities' order.
std::vector<Matrix<double>> in_density_order(std::vector<Matrix<double>> sums) {
    if (sums.size() % 2 == 1) std::rotate(sums.begin(), sums.begin() + 1, sums.end());
    return sums;
}

}  // namespace

// G (with s = -1/2: J - K/2) or K alone (s = 1) of each density: the densities in interleaved
// pairs and, when their count is odd, the last alone, each the same additions as a build of
// that density alone. One density may be screened by `screen`.
template <bool coulomb>
std::vector<Matrix<double>> ScreenedOperator::build_each(const std::vector<Matrix<double>>& D,
                                                         const Matrix<double>* screen) const {
    const std::vector<std::vector<DoubleLanes>> pairs = interleaved_pairs(D);
    const double* single = D.size() % 2 == 1 && n_ > 0 ? D.back()[0] : nullptr;
    return in_density_order(scatter_all(static_cast<unsigned>(D.size() % 2), static_cast<unsigned>(pairs.size()),
                                        [&](unsigned c, double* const* h, DoubleLanes* const* hp) {
                                            scatter_each_chunk(coulomb, c, screen, pairs, single,
                                                               single ? h[0] : nullptr, hp);
                                        }));
}

void ScreenedOperator::scatter_each_chunk(bool coulomb, unsigned chunk, const Matrix<double>* screen,
                                          const std::vector<std::vector<DoubleLanes>>& pairs, const double* single,
                                          double* half, DoubleLanes* const* pair_halves) const {
    ScatterScratch scratch(single ? largest_shell_ : 0);
    PairScratch pair_scratch(pairs.empty() ? 0 : largest_shell_);
    auto build = [&](auto coulomb_tag) VELKO_SCATTER_INLINE {
        constexpr bool G = decltype(coulomb_tag)::value;
        const double s = G ? -0.5 : 1.0;
        for_each_quartet(chunk, screen, [&](const QuartetShells& q, const double* W) VELKO_SCATTER_INLINE {
            for (std::size_t k = 0; k < pairs.size(); ++k) {
                const DoubleLanes* d = pairs[k].data();
                scatter_quartet<G, true, DoubleLanes>(q, W, d, pair_halves[k], d, pair_halves[k], s, n_, pair_scratch);
            }
            if (single) scatter_quartet<G, true, double>(q, W, single, half, single, half, s, n_, scratch);
        });
    };
    if (coulomb)
        build(std::true_type{});
    else
        build(std::false_type{});
}

Matrix<double> ScreenedOperator::G(const Matrix<double>& D) const { return build_each<true>({D}, nullptr).front(); }

Matrix<double> ScreenedOperator::G_change(const Matrix<double>& dD) const { return build_each<true>({dD}, &dD).front(); }

std::vector<Matrix<double>> ScreenedOperator::G_each(const std::vector<Matrix<double>>& D) const {
    return build_each<true>(D, nullptr);
}

// The exchange of jk alone, quartet by quartet the same additions: the same bits as jk({D}).K[0].
Matrix<double> ScreenedOperator::K(const Matrix<double>& D) const { return build_each<false>({D}, nullptr).front(); }

std::vector<Matrix<double>> ScreenedOperator::K_each(const std::vector<Matrix<double>>& D) const {
    return build_each<false>(D, nullptr);
}

TwoElectronOperator::JK ScreenedOperator::jk(const std::vector<Matrix<double>>& densities) const {
    return build_jk(densities, false);
}

TwoElectronOperator::JK ScreenedOperator::jk_change(const std::vector<Matrix<double>>& changes) const {
    return build_jk(changes, true);
}

TwoElectronOperator::JK ScreenedOperator::build_jk(const std::vector<Matrix<double>>& densities,
                                                   bool density_screened) const {
    const std::size_t m = densities.size();
    // Coulomb of the channels' sum T; the screen: the largest change of any channel, element by element.
    Matrix<double> T = densities.at(0), screen;
    for (std::size_t s = 1; s < m; ++s) T = matsum(T, densities[s]);
    if (density_screened) {
        screen = Matrix<double>(T.rows(), T.cols());
        for (const Matrix<double>& D : densities)
            for (int i = 0; i < D.rows(); ++i)
                for (int j = 0; j < D.cols(); ++j) screen[i][j] = std::fmax(screen[i][j], std::fabs(D[i][j]));
    }
    const double* t = n_ > 0 ? T[0] : nullptr;
    std::vector<const double*> P;
    for (const Matrix<double>& D : densities) P.push_back(n_ > 0 ? D[0] : nullptr);
    const Matrix<double>* screened = density_screened ? &screen : nullptr;
    std::vector<Matrix<double>> sums =
        scatter_all(static_cast<unsigned>(m + 1), 0, [&](unsigned c, double* const* h, DoubleLanes* const*) {
            ScatterScratch scratch(largest_shell_);
            for_each_quartet(c, screened, [&](const QuartetShells& q, const double* W) {
                scatter_quartet<true, false, double>(q, W, t, h[0], nullptr, nullptr, 0.0, n_, scratch);
                for (std::size_t s = 0; s < m; ++s)
                    scatter_quartet<false, true, double>(q, W, nullptr, nullptr, P[s], h[s + 1], 1.0, n_, scratch);
            });
        });
    JK out;
    out.J = std::move(sums[0]);
    out.K.assign(std::make_move_iterator(sums.begin() + 1), std::make_move_iterator(sums.end()));
    return out;
}

std::vector<double> ScreenedOperator::block(const std::vector<unsigned>& f) const {
    // Function pair (i, j) lies in shell pair pair(shell_i, shell_j) at the position whose
    // (first, second) is (max, min); shells are in basis order.
    auto locate = [&](unsigned i, unsigned j) {
        const unsigned hi = std::max(i, j), lo = std::min(i, j);
        const std::size_t x = static_cast<std::size_t>(TwoElectronTable::pair(shell_of_[hi], shell_of_[lo]));
        const PairFunctions& p = pairs_[x];
        std::size_t at = 0;
        while (p.first[at] != hi || p.second[at] != lo) ++at;
        return std::make_pair(x, at);
    };
    std::map<std::pair<std::size_t, std::size_t>, std::vector<double>> quartets;
    const std::size_t m = f.size();
    std::vector<double> out(m * m * m * m);
    std::size_t at = 0;
    for (std::size_t a = 0; a < m; ++a)
        for (std::size_t b = 0; b < m; ++b) {
            const auto bra = locate(f[a], f[b]);
            for (std::size_t c = 0; c < m; ++c)
                for (std::size_t d = 0; d < m; ++d) {
                    const auto ket = locate(f[c], f[d]);
                    std::vector<double>& q = quartets[{bra.first, ket.first}];
                    if (q.empty()) {
                        q.resize(pairs_[bra.first].first.size() * pairs_[ket.first].first.size());
                        source_->quartet(bra.first, ket.first, q.data());
                    }
                    out[at++] = q[bra.second * pairs_[ket.first].first.size() + ket.second];
                }
        }
    return out;
}
