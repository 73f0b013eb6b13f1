#pragma once

// Building blocks of the bit-exact integral builders (exact.h). Every value here is
// formed by the same floating-point operations, in the same order, as the reference
// routines of overlap.cpp, kinetic.cpp, nuclear.cpp, repulsion.cpp, gamma.cpp and
// func.cpp; only the bookkeeping differs (no allocation, values computed once and
// reused where the reference recomputes them with identical operations).
//
// Two facts carry the whole design:
//  - A library call (pow, exp, log, sqrt) with the same arguments returns the same
//    bits, so its result may be cached. pow(x, 0) = 1 and pow(x, 1) = x are exact and
//    are replaced by their values; every other power stays a pow call.
//  - A sum that starts at +0.0 and only ever has terms added to it is never -0.0 in
//    round-to-nearest (x + y is -0.0 only when both are -0.0). Adding a term that is
//    exactly +-0.0 therefore never changes it, and such terms may be skipped.

#include <vector>

#include "basis/cgf.h"
#include "molecule/atom.h"
#include "common/vec3.h"

namespace exact {

// Highest Cartesian power per direction of a function the fast path takes (s and p);
// a function with a higher power is computed by the reference routine instead.
constexpr int max_power = 1;
// Powers reached on the second function of the kinetic-energy integral (l + 2).
constexpr int max_shifted_power = max_power + 2;
// Highest Boys order: I + J + K over four functions.
constexpr int max_boys = 12 * max_power;

// pow through the library, with the exponent hidden from the optimiser so that no
// constant exponent is ever rewritten (pow(x, 2) into x * x, say).
double library_pow(double x, double y);

// x^e for a small non-negative integer e, as pow(x, (double)e) returns it.
inline double int_pow(double x, int e) {
    if (e == 0) return 1.0;
    if (e == 1) return x;
    return library_pow(x, static_cast<double>(e));
}

// Pascal's triangle up to row 7, in the integers binomial() returns.
struct BinomialTable {
    int v[8][8] = {};
    constexpr BinomialTable() {
        for (int a = 0; a < 8; ++a) {
            v[a][0] = 1;
            for (int b = 1; b <= a; ++b) v[a][b] = v[a - 1][b - 1] + (b < a ? v[a - 1][b] : 0);
        }
    }
};
inline constexpr BinomialTable binomials{};

// C(a, b) * C(c, d) as the reference forms it: an integer product, then converted.
inline double binomial_product(int a, int b, int c, int d) {
    return static_cast<double>(binomials.v[a][b] * binomials.v[c][d]);
}

// binomial_prefactor(s, l_a, l_b, PA, PB) from tabulated powers pa[e] = PA^e, pb[e] = PB^e.
inline double binomial_prefactor_tab(int s, int l_a, int l_b, const double* pa, const double* pb) {
    double sum = 0.0;
    for (int t = 0; t <= s; ++t) {
        if (s - l_a <= t && t <= l_b) sum += binomial_product(l_a, s - t, l_b, t) * pa[l_a - s + t] * pb[l_b - t];
    }
    return sum;
}

// F_m(t) for m = 0 ... m_max at one argument, each exactly as Fgamma(m, t) returns it.
void boys_orders(int m_max, double t, double* F);

// Functions whose primitives share exponents and centres bit for bit (the 2s and 2p
// of one atom, say) form a group: every quantity of a primitive pair or quartet that
// does not depend on the Cartesian powers is shared by all of them.
struct Function {
    int group = -1;  // -1: outside the fast path, use the reference routine
    int l = 0, m = 0, n = 0;
    std::vector<double> c, norm;  // per primitive
};

struct Group {
    std::vector<double> alpha;
    Vec3 centre;
    std::vector<int> members;  // function indices, ascending
    int nprim() const { return static_cast<int>(alpha.size()); }
};

struct GroupedBasis {
    std::vector<Function> functions;
    std::vector<Group> groups;
};

// Groups the functions, centred on their atoms; `limit` is the highest power per
// direction accepted.
GroupedBasis group_functions(const std::vector<CGF>& cgfs, const std::vector<Atom>& atoms, int limit);

// The quantities of a primitive pair (alpha_a, A; alpha_b, B) that every integral
// formula forms identically:
//   gamma = alpha_a + alpha_b, P = gaussian_product_center, rab2 = dist2(A, B),
//   e = exp(((-alpha_a) alpha_b rab2) / gamma), P - A and P - B per direction.
struct Pair {
    double alpha_a = 0.0, alpha_b = 0.0, gamma = 0.0, e = 0.0;
    Vec3 P;
    double pa[3] = {0.0, 0.0, 0.0}, pb[3] = {0.0, 0.0, 0.0};
};
Pair make_pair(double alpha_a, const Vec3& A, double alpha_b, const Vec3& B);

}  // namespace exact
