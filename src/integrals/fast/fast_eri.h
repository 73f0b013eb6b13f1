#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "basis/cgf.h"
#include "integrals/eri_table.h"
#include "integrals/fast/shells.h"

// The table of distinct two-electron integrals (ij|kl), i >= j, k >= l, ij >= kl,
// stored at teindex(i, j, k, l): the same values as cgf_repulsion to rounding, by
// McMurchie-Davidson over shell quartets,
//   (ab|cd) = 2 pi^(5/2) / (p q sqrt(p+q)) sum_tuv E^ab_tuv sum_t'u'v' (-1)^(t'+u'+v') E^cd_t'u'v'
//             R_(t+t',u+u',v+v')(pq/(p+q), P - Q),
// pi being the program's rounded value. Every entry of the distinct range is written.
// done(k, total) is called after each row of shell-pair quartets, for a progress display.
using ProgressCallback = std::function<void(std::uint64_t done, std::uint64_t total)>;
void repulsion_table(const std::vector<ShellPair>& pairs, TwoElectronTable& te_table,
                     const ProgressCallback& done = nullptr);
void repulsion_table(const BasisSet& basis, const std::vector<Atom>& atoms, TwoElectronTable& te_table);
// The same table after the shells with moved[shell] set have moved (the others staying):
// only the quartets with such a shell are computed again. A quartet's integrals depend on
// its four centres alone, so the table is the one repulsion_table would write, bit for bit.
void update_repulsion_table(const std::vector<ShellPair>& pairs, const std::vector<bool>& moved,
                            TwoElectronTable& te_table);

// The integrals of one shell quartet: out[f * ket.first.size() + g] = (ij|kl) with
// (i, j) function pair f of bra and (k, l) function pair g of ket.
void shell_quartet(const ShellPair& bra, const ShellPair& ket, double* out);
