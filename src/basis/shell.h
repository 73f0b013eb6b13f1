#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

// A contracted shell of an element's basis as a basis-set table or file gives it:
// angular momentum L, pure (spherical, 2L+1 functions) or Cartesian ((L+1)(L+2)/2
// functions), the exponents and the contraction coefficients of the normalised
// primitives. Every function of the shell shares these primitives.
struct ElementShell {
    unsigned L = 0;
    bool pure = false;
    std::vector<double> exponents;
    std::vector<double> coefficients;  // one per exponent

    unsigned size() const;  // number of functions
};

// The shells of one element, in the order their functions appear in the basis.
using ElementBasis = std::vector<ElementShell>;
// A basis set: the shells of each element it covers, by atomic number.
using BasisLibrary = std::map<unsigned, ElementBasis>;

// A shell placed on atom `atom` of a molecule (its index in input order).
struct Shell : ElementShell {
    unsigned atom = 0;
};

// Functions of a shell of angular momentum L: 2L+1 pure, (L+1)(L+2)/2 Cartesian.
unsigned shell_size(unsigned L, bool pure);

// The letter of angular momentum L: s, p, d, f, g, h, i, then k, l, m, ...
// (j is skipped by convention).
char shell_letter(unsigned L);

// Cartesian powers (l, m, n), l + m + n = L, of function k of a Cartesian shell, in
// Molden's order through g (p: x, y, z; d: xx, yy, zz, xy, xz, yz; f: xxx, yyy, zzz,
// xyy, xxy, xxz, xzz, yzz, yyz, xyz), beyond g x power descending, then y power.
// The one order of Cartesian components in velko: labels, integrals and Molden files.
std::array<unsigned, 3> cartesian_powers(unsigned L, unsigned k);

// The name of function k of a shell: a Cartesian one's powers spelt as axes ("x",
// "xy", "zz"); a pure one's m in Molden's order 0, +1, -1, +2, -2, ... ("0", "+1"),
// pure p functions being x, y, z; empty for an s function.
std::string function_name(unsigned L, bool pure, unsigned k);
