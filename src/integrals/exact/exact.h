#pragma once

#include <vector>

#include "basis/cgf.h"
#include "molecule/atom.h"
#include "integrals/eri_table.h"
#include "linalg/matrix.h"

// Integral matrices bit-identical to the reference routines (cgf_overlap,
// cgf_kinetic, cgf_nuclear, cgf_repulsion): the same floating-point operations in
// the same order for every primitive value and every contracted sum, so that even
// the noise-level digits of a run (signs of zero coefficients, rotations within
// degenerate orbitals) are those of the reference. The speed comes from computing
// each shared quantity once (primitive-pair data, powers, Boys functions of the
// functions that share exponents and centres) instead of per call, and from no
// allocation in the inner loops. Functions with a Cartesian power above 1 fall back
// to the reference routines.

// Function i is centred on atoms[cgfs[i].atom].

// S[i][j] = cgf_overlap(cgfs[i], cgfs[j]) for all i, j.
Matrix<double> exact_overlap_matrix(const std::vector<CGF>& cgfs, const std::vector<Atom>& atoms);

// T[i][j] = cgf_kinetic(cgfs[i], cgfs[j]) for all i, j; both orders are computed,
// since the reference is not symmetric in the last bit.
Matrix<double> exact_kinetic_matrix(const std::vector<CGF>& cgfs, const std::vector<Atom>& atoms);

// V[k][i][j] = cgf_nuclear(cgfs[i], cgfs[j], nuclei[k]) for all i, j, k.
std::vector<Matrix<double>> exact_nuclear_matrices(const std::vector<CGF>& cgfs, const std::vector<Atom>& atoms,
                                                   const std::vector<Atom>& nuclei);

// Which of the two equal-in-exact-arithmetic orders (ij|kl) and (kl|ij) is computed
// for a distinct integral (i >= j, k >= l). The engine's loop computes the one with
// kl >= ij; the other choice is offered for callers that build the table that way.
enum class PairOrder { ket_not_below_bra, bra_not_below_ket };

// te_table[teindex(i, j, k, l)] = cgf_repulsion(cgfs[i], cgfs[j], cgfs[k], cgfs[l]) for
// every i >= j, k >= l with kl >= ij (or ij >= kl for bra_not_below_ket), where
// ij = i(i+1)/2 + j and kl = k(k+1)/2 + l. The table must already hold at least
// teindex(n-1, n-1, n-1, n-1) + 1 entries; no other entry is written.
void exact_repulsion_table(const std::vector<CGF>& cgfs, const std::vector<Atom>& atoms, TwoElectronTable& te_table,
                           PairOrder order = PairOrder::ket_not_below_bra);
