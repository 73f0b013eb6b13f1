#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "integrals/fast/fast_eri.h"
#include "integrals/fast/shells.h"
#include "integrals/quartets.h"
#include "scf/quartet_scatter.h"
#include "scf/two_electron.h"

// The two-electron operator of the fast path (the s/p kernel of the built-in tables or the
// engine of any L of the other sets: integrals/quartets.h): shell quartets screened by Schwarz
// bounds, their integrals either stored once (`store`) or recomputed at every
// build (integral-direct), the builds spread over threads.
//
// Schwarz screening: for every shell pair x, Q_x bounds sqrt((ab|ab)) over its function
// pairs ab; then |(ab|cd)| <= Q_x Q_y for every integral of the quartet (x, y)
// (Cauchy-Schwarz for the Coulomb inner product: M. Haeser and R. Ahlrichs, J. Comput.
// Chem. 10, 104 (1989)). Quartets with Q_x Q_y < schwarz are neither computed nor
// stored. Leaving out integrals v changes the energy, to first order (the energy is
// stationary in the orbitals), by sum v [D_ab D_cd - 1/4 (D_ac D_bd + D_ad D_bc)] over
// them, each term at most 1.5 * 4 * schwarz with |D_ij| <= 2. The count of such terms
// makes that worst case useless for large molecules, but the terms are products of a
// distant pair's bound with density elements that decay with the same distance, and
// their signs vary: measured against the unscreened fast path at 1e-12 (bench/screening.cpp,
// README) the energy moves by at most 1.5e-11 Hartree (C30H62, 89% of the integrals left
// out; caffeine 2e-13), growing slowly with size, below the 1e-10 promised.
// Density screening (G_change, jk_change only): a quartet adds at most 2 Q_x Q_y max|dD| over the
// six density blocks it touches; it is skipped when that is below density_threshold.
// The SCF rebuilds G in full every few steps, so what is skipped cannot pile up.
//
// Threads: the quartets are cut into a fixed number of chunks (independent of the
// thread count) by bra pair, each chunk sums into a matrix of its own in a fixed order
// and the chunks are added in chunk order, so the result is the same to the last bit
// for any number of threads.
// The builds of G and K from given densities are compiled also for AVX2 and the code chosen
// at load time where the processor has it. Only the vector width differs (no contraction to
// FMA, -ffp-contract=off): the bits are the same either way. Clang takes the default code.
#if defined(__GNUC__) && !defined(__clang__)
#define VELKO_SCATTER_CLONES __attribute__((target_clones("avx2", "default")))
#define VELKO_SCATTER_INLINE __attribute__((always_inline))
#else
#define VELKO_SCATTER_CLONES
#define VELKO_SCATTER_INLINE
#endif

class ScreenedOperator : public TwoElectronOperator {
public:
    static constexpr double default_schwarz_threshold = 1e-12;
    static constexpr double default_density_threshold = 1e-13;
    static constexpr unsigned chunk_count = 16;

    // Computes the Schwarz bounds of the source's pairs and counts the surviving quartets;
    // nothing of their size is allocated until list_quartets() (integral-direct) or store().
    ScreenedOperator(std::shared_ptr<const QuartetSource> source, unsigned functions, unsigned threads,
                     double schwarz_threshold = default_schwarz_threshold,
                     double density_threshold = default_density_threshold);
    // The s/p kernel over `pairs` in build_shell_pairs order (copied).
    ScreenedOperator(const std::vector<ShellPair>& pairs, unsigned functions, unsigned threads,
                     double schwarz_threshold = default_schwarz_threshold,
                     double density_threshold = default_density_threshold);

    // Integrals in the surviving quartets.
    std::uint64_t surviving_integrals() const { return value_begin_.back(); }
    std::uint64_t surviving_quartets() const { return ket_begin_.back(); }
    std::uint64_t total_quartets() const;
    // Bytes that store() would allocate (each quartet as the weighted block the scatter
    // reads, over its four shells' functions: quartet_block in screened.cpp), and bytes held in any case (the quartet list).
    std::uint64_t stored_bytes() const { return block_begin_.back() * sizeof(double); }
    std::uint64_t list_bytes() const;
    // Lists the surviving quartets (list_bytes()); needed before any build.
    void list_quartets();
    // Lists the quartets, computes and keeps their integrals; without it every build
    // is integral-direct. Throws std::bad_alloc when the storage cannot be had.
    void store(const ProgressCallback& progress = nullptr);
    bool stored() const { return !values_.empty() || block_begin_.back() == 0; }

    unsigned functions() const override { return n_; }
    Matrix<double> G(const Matrix<double>& D) const override;
    Matrix<double> G_change(const Matrix<double>& dD) const override;
    bool incremental() const override { return true; }
    JK jk(const std::vector<Matrix<double>>& densities) const override;
    JK jk_change(const std::vector<Matrix<double>>& changes) const override;
    Matrix<double> K(const Matrix<double>& D) const override;
    std::vector<Matrix<double>> G_each(const std::vector<Matrix<double>>& D) const override;
    std::vector<Matrix<double>> K_each(const std::vector<Matrix<double>>& D) const override;
    std::vector<double> block(const std::vector<unsigned>& f) const override;

private:
    template <class Visit>
    VELKO_SCATTER_INLINE inline void for_each_quartet(unsigned chunk, const Matrix<double>* screen_density,
                                                      Visit&& visit) const;
    VELKO_SCATTER_INLINE inline QuartetShells quartet_shells(std::uint32_t x, std::uint32_t y) const;
    using PairScratch = BasicScatterScratch<DoubleLanes>;
    template <class Chunk>
    std::vector<Matrix<double>> scatter_all(unsigned count, unsigned pairs, Chunk&& chunk) const;
    // One chunk of build_each: G (coulomb) or K of the interleaved pairs into pair_halves and
    // of the odd last density, when given, into half.
    VELKO_SCATTER_CLONES void scatter_each_chunk(bool coulomb, unsigned chunk, const Matrix<double>* screen,
                                                 const std::vector<std::vector<DoubleLanes>>& pairs,
                                                 const double* single, double* half,
                                                 DoubleLanes* const* pair_halves) const;
    template <bool coulomb>
    std::vector<Matrix<double>> build_each(const std::vector<Matrix<double>>& D, const Matrix<double>* screen) const;
    JK build_jk(const std::vector<Matrix<double>>& densities, bool density_screened) const;
    std::vector<double> shell_block_max(const Matrix<double>& D) const;

    std::shared_ptr<const QuartetSource> source_;
    const std::vector<PairFunctions>& pairs_;
    std::size_t max_quartet_ = 0;                // integrals of the largest quartet
    unsigned n_;
    unsigned threads_;
    double schwarz_threshold_, density_threshold_;
    unsigned shells_ = 0;
    std::vector<double> Q_;                      // Schwarz bound per shell pair
    std::vector<std::uint32_t> by_bound_;        // pairs by decreasing Q
    bool listed_ = false;
    std::vector<std::uint64_t> ket_begin_;       // kets_ of bra x: ket_begin_[x] .. ket_begin_[x+1]-1
    std::vector<std::uint32_t> kets_;            // surviving ket pairs, ascending, per bra
    std::vector<std::uint64_t> value_begin_;     // first integral of bra x; back(): all integrals
    std::vector<std::uint64_t> block_begin_;     // likewise of the stored blocks' values
    std::vector<std::uint32_t> chunk_begin_;     // bra ranges of the chunks, chunk_count + 1 entries
    std::vector<std::uint32_t> shell_of_;        // shell of each function
    std::vector<std::size_t> shell_first_, shell_size_;  // each shell's contiguous functions
    std::size_t largest_shell_ = 0;
    std::vector<std::uint32_t> pair_block_;      // functions of each pair's two shells, na * nb
    std::vector<double> values_;                 // stored weighted blocks, per quartet in list order
};
