// The two-electron table's index: one entry per class of the eight permutations
// (ij|kl) = (ji|kl) = (ij|lk) = (ji|lk) = (kl|ij) = (lk|ij) = (kl|ji) = (lk|ji),
// and the classes fill 0 .. entries(n) - 1 without a gap.
#include "integrals/eri_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <utility>

namespace {

using Quartet = std::array<unsigned, 4>;

// The class of (ij|kl) named by its sorted pairs, independently of the index formula.
std::pair<std::pair<unsigned, unsigned>, std::pair<unsigned, unsigned>> permutation_class(const Quartet& q) {
    std::pair<unsigned, unsigned> a = std::minmax(q[0], q[1]), b = std::minmax(q[2], q[3]);
    return std::minmax(a, b);
}

}  // namespace

TEST(TwoElectronTable, IndexIsOnePerPermutationClassAndDense) {
    for (unsigned n = 1; n <= 6; ++n) {
        SCOPED_TRACE(n);
        // m = n(n+1)/2 pairs, m(m+1)/2 classes of pairs of pairs.
        const std::uint64_t pairs = n * (n + 1) / 2, classes = pairs * (pairs + 1) / 2;
        ASSERT_EQ(TwoElectronTable::entries(n), classes);
        std::map<decltype(permutation_class({})), std::uint64_t> index_of_class;
        std::set<std::uint64_t> used;
        for (unsigned i = 0; i < n; ++i)
            for (unsigned j = 0; j < n; ++j)
                for (unsigned k = 0; k < n; ++k)
                    for (unsigned l = 0; l < n; ++l) {
                        const std::uint64_t x = TwoElectronTable::index(i, j, k, l);
                        ASSERT_LT(x, classes);
                        const Quartet perms[8] = {{i, j, k, l}, {j, i, k, l}, {i, j, l, k}, {j, i, l, k},
                                                  {k, l, i, j}, {l, k, i, j}, {k, l, j, i}, {l, k, j, i}};
                        for (const Quartet& p : perms) ASSERT_EQ(TwoElectronTable::index(p[0], p[1], p[2], p[3]), x);
                        const auto c = permutation_class({i, j, k, l});
                        const auto seen = index_of_class.emplace(c, x);
                        ASSERT_EQ(seen.first->second, x);  // a class keeps one index
                        used.insert(x);
                    }
        // Distinct classes get distinct indices, and every index below entries(n) is used.
        EXPECT_EQ(index_of_class.size(), classes);
        EXPECT_EQ(used.size(), classes);
    }
    EXPECT_EQ(TwoElectronTable::entries(0), 0u);
}

TEST(TwoElectronTable, ReadsByQuartetWhatWasStoredByIndex) {
    TwoElectronTable t(3);
    ASSERT_EQ(t.size(), 21u);
    for (double v : t.values()) EXPECT_EQ(v, -1.0);
    t[TwoElectronTable::index(2, 0, 1, 1)] = 0.25;
    EXPECT_EQ(t(1, 1, 0, 2), 0.25);
    EXPECT_EQ(t(0, 2, 1, 1), 0.25);
    EXPECT_EQ(t.functions(), 3u);
}
