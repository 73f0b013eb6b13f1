#pragma once

#include <cstdint>
#include <vector>

#include "basis/basis_set.h"
#include "common/vec3.h"

// The shells of a basis in blocks: consecutive shells of one atom with the same
// exponents (the 2s and 2p shells of an atom) share every primitive pair set-up and
// every Boys evaluation. Only s and p shells are handled.

// One member function of a shell: its row in the matrices, its Cartesian powers
// and, per primitive, the weight c_i N_i that multiplies the unnormalised primitive.
struct ShellFunction {
    unsigned index = 0;
    int power[3] = {0, 0, 0};
    std::vector<double> weight;
};

struct ShellBlock {
    unsigned atom = 0;
    Vec3 centre;
    std::vector<double> alpha;  // exponents, shared by all members
    std::vector<ShellFunction> functions;
    int max_l = 0;  // 0 for an s shell, 1 when a p function is a member
};

// Groups the shells in basis order. Throws Failure (unsupported) for a shell beyond p.
std::vector<ShellBlock> build_shells(const BasisSet& basis, const std::vector<Atom>& atoms);

// A term E * Lambda_tuv of the Hermite expansion of the product of two member
// functions (McMurchie and Davidson, J. Comput. Phys. 26 (1978) 218):
//   phi_a phi_b = sum_tuv E^ab_tuv Lambda_tuv(r; p, P),
// with K_ab = exp(-a b |A-B|^2 / p) and both weights already in e.
struct HermiteTerm {
    std::uint16_t pair;     // function pair within the shell pair
    std::uint8_t compact;   // position of (t,u,v) in ShellPair::hermite
    std::uint8_t flat;      // 25 t + 5 u + v: flat indices add like the (t,u,v)
    double e;               // E^ab_tuv, weights and K_ab included

    // (-1)^(t+u+v) e, the sign the ket side needs; 25 t + 5 u + v has the parity of t + u + v.
    double e_ket() const { return (flat & 1) ? -e : e; }
};

// Data of one primitive pair, computed once and reused by every integral.
struct PrimitivePair {
    double p = 0.0;  // exponent sum a + b
    double P[3] = {0.0, 0.0, 0.0};  // product centre (a A + b B) / p
    unsigned first_term = 0, end_term = 0;  // range in ShellPair::terms
    double magnitude = 0.0;  // sum of |E| over the terms, for screening quartets
};

// The primitive pairs of a shell pair again, for the two-electron integrals: ordered
// by decreasing Schwarz bound and laid out by field, so that the kernels run over
// consecutive values. The Schwarz bound of a primitive pair is
//   bound = max over function pairs ab of sqrt((ab|ab)),
// the integral over this primitive pair alone, weights and K_ab included; then
// |(ab|cd)| <= bound(ab) bound(cd) for every primitive quartet (Cauchy-Schwarz for
// the Coulomb inner product), and tail[k] = bound[k] + bound[k+1] + ... bounds what
// all primitives from k on can add.
struct PrimitiveList {
    std::vector<double> p, inv_p;       // exponent sum and its inverse
    std::vector<double> Px, Py, Pz;     // product centre
    std::vector<double> bound, tail;
    std::vector<unsigned> first_term, end_term;  // range in ShellPair::terms
    std::size_t size() const { return p.size(); }
};

// Two shells A >= B (shell order). The function pairs run over all members of
// A and B, except that for A == B only i >= j is kept.
struct ShellPair {
    unsigned a = 0, b = 0;  // shell indices
    int L = 0;              // max_l(A) + max_l(B)
    std::vector<unsigned> first, second;  // basis indices i >= j of each function pair
    std::vector<std::uint8_t> hermite;   // flat indices of all (t,u,v) with t+u+v <= L
    std::vector<PrimitivePair> prims;   // only pairs with a contribution above the screening bound
    std::vector<HermiteTerm> terms;
    PrimitiveList eri;  // prims again, sorted for the two-electron integrals
};

// Primitive pairs whose largest Hermite coefficient is below this are dropped.
// The integrals they would add are smaller than 1e-20, far below every printed
// digit and below the rounding error of the integrals themselves.
constexpr double primitive_pair_cutoff = 1e-30;

ShellPair build_shell_pair(const std::vector<ShellBlock>& shells, unsigned a, unsigned b);

// All pairs a >= b in the order (0,0), (1,0), (1,1), (2,0), ...
std::vector<ShellPair> build_shell_pairs(const std::vector<ShellBlock>& shells);
