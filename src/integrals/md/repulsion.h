#pragma once

#include <cstddef>
#include <vector>

#include "integrals/md/shell.h"

// Electron repulsion over four contracted shells of any L, chemists' notation,
//   (ab|cd) = sum_pqrs c_p c_q c_r c_s K_ab K_cd 2 pi^(5/2) / (p q sqrt(p + q))
//             sum_tuv E^ab_tuv sum_t'u'v' (-1)^(t'+u'+v') E^cd_t'u'v' R_(t+t')(u+u')(v+v')(pq/(p+q), P - Q),
// McMurchie-Davidson (Helgaker, Jorgensen, Olsen, 9.9.33).

// What every quartet of two shell groups A, B shares, computed once. A group is one or more
// shells on one centre with the same exponents, their functions consecutive (the s and p
// shells of a Pople set, the general contractions of a correlation-consistent one): per
// primitive pair kept, p, P and the Hermite coefficients
//   c_a c_b K_ab / p E^ij_t E^kl_u E^mn_v   (times the component norms of a Cartesian shell)
// over the function pairs of A and B, each pair holding only its terms t <= i + j,
// u <= k + l, v <= m + n, its shells' coefficients c_a c_b in it: one Hermite Coulomb
// table per primitive quartet, up to the groups' highest L, serves every shell pair.
struct RepulsionPair {
    int la = 0, lb = 0;  // the highest L of A and of B
    int na = 0, nb = 0;  // functions of A and of B
    std::vector<double> p, Px, Py, Pz;
    std::vector<double> e;  // terms values per primitive pair
    std::size_t terms = 0;
    // Function pair ab (row-major over A's and B's functions) holds the terms start[ab] to
    // start[ab + 1], index[] their positions in hermite_indices(la + lb).
    std::vector<int> start, index;
    std::size_t primitives() const { return p.size(); }
    int functions() const { return na * nb; }
};

// Primitive pairs whose coefficients are all below this in size are left out: the
// integrals they would add are far below the rounding of the integrals themselves.
constexpr double repulsion_pair_cutoff = 1e-30;

// The groups a[0 .. na) and b[0 .. nb), each of shells sharing centre and exponents.
RepulsionPair repulsion_pair(const GaussianShell* a, std::size_t na, const GaussianShell* b, std::size_t nb);
// Two single shells.
RepulsionPair repulsion_pair(const GaussianShell& a, const GaussianShell& b);

// The block over the groups' functions (pure or Cartesian as each shell is), indices
// a, b, c, d row-major, into out[bra.functions() * ket.functions()]. No allocation
// once a thread has seen a quartet this large.
void repulsion_quartet(const RepulsionPair& bra, const RepulsionPair& ket, double* out);
// The general loops over any L, which repulsion_quartet runs above its kernels for pairs
// through la + lb = 4; the same bits as those kernels where both apply.
void repulsion_quartet_any_l(const RepulsionPair& bra, const RepulsionPair& ket, double* out);

// scale R_tuv, R_tuv = R^0_tuv (hermite.h) for t + u + v <= L at the positions of
// hermite_indices (the same for every L), in work[0 ..]; `work` holds every level of the
// recursion, at least hermite_coulomb_work(L) values, L <= boys_any_max_order. For the
// nuclear derivatives: the Boys values by boys_any_by_products and the recursion unrolled
// for L <= 9, so within rounding of, not equal to, the energy's own terms.
std::size_t hermite_coulomb_work(int L);
void hermite_coulomb_terms(int L, double alpha, double X, double Y, double Z, double scale, double* work);

// The same for four shells, their pair data made on the spot.
std::vector<double> repulsion_block(const GaussianShell& a, const GaussianShell& b, const GaussianShell& c,
                                    const GaussianShell& d);
