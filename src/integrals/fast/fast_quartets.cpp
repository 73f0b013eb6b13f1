#include "integrals/fast/fast_quartets.h"

#include <algorithm>
#include <cmath>

#include "integrals/fast/fast_eri.h"

namespace {

// At most 16 function pairs per shell pair (sp with sp): a quartet has at most 256 integrals.
constexpr std::size_t max_quartet_integrals = 256;
// What the kernel's primitive screening can leave out of one integral (fast_eri.cpp).
constexpr double diagonal_leftout = 1e-17;

}  // namespace

FastQuartets::FastQuartets(const std::vector<ShellPair>& pairs) : pairs_(pairs) {
    for (const ShellPair& p : pairs_) functions_.push_back(PairFunctions{p.a, p.b, p.first, p.second});
}

void FastQuartets::quartet(std::size_t bra, std::size_t ket, double* out) const {
    shell_quartet(pairs_[bra], pairs_[ket], out);
}

double FastQuartets::bound(std::size_t x) const {
    double out[max_quartet_integrals];
    shell_quartet(pairs_[x], pairs_[x], out);
    const std::size_t nf = pairs_[x].first.size();
    double largest = 0.0;
    for (std::size_t f = 0; f < nf; ++f) largest = std::max(largest, out[f * nf + f]);
    // The kernel leaves out primitive quartets below 2.5e-19 (at most 1e-17 in all),
    // so a weak pair's own (ab|ab) can come out as 0; the sum of its primitive
    // pairs' bounds (PrimitiveList::tail[0]) bounds it rigorously as well.
    const double primitive_bound = pairs_[x].eri.size() == 0 ? 0.0 : pairs_[x].eri.tail[0];
    return std::min(std::sqrt(largest + diagonal_leftout), primitive_bound);
}
