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
// the order x before y before z: for L = 1 x, y, z; for L = 2 xx, xy, xz, yy, yz, zz.
std::array<unsigned, 3> cartesian_powers(unsigned L, unsigned k);

// The name of function k of a Cartesian shell: its powers spelt as axes ("x", "xy",
// "zz"); empty for an s function.
std::string cartesian_name(unsigned L, unsigned k);
