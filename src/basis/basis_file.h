#pragma once

#include <string>

#include "basis/shell.h"

// Basis sets read from files in the two formats of the Basis Set Exchange and
// the large programs' libraries: Gaussian94 and NWChem.

// Largest angular momentum of a shell: h functions (L = 5), as cc-pVQZ and
// def2-QZVP need for the elements to krypton.
constexpr int max_shell_l = 5;

// Pure (spherical-harmonic, 2L+1 functions) or Cartesian ((L+1)(L+2)/2) functions,
// or, for a file that does not say, undeclared.
enum class FunctionKind { undeclared, pure, cartesian };

// A basis set as a file gives it: the shells of each element in the order of the
// file (an SP entry gives an s, then a p shell), with the coefficients as printed
// (those of normalised primitives), each shell pure unless the file declares
// Cartesian functions.
struct BasisFile {
    std::string path;
    FunctionKind kind = FunctionKind::undeclared;
    BasisLibrary elements;
};

// The text of a basis-set file in Gaussian94 format:
//   an optional first line "spherical" or "cartesian" (the function kind);
//   "!" comment lines and blank lines anywhere;
//   element blocks "Sym 0", shells "T n scale" (T one of S P D F G H, or SP/L
//   for s and p sharing exponents) each followed by n lines "exponent coefficient(s)",
//   the block closed by "****".
// Exponents are multiplied by scale^2. Fortran exponents (1.0D-01) are read.
// Refuses malformed text as bad input naming `path`, the line and what was expected.
BasisFile parse_gaussian94(const std::string& text, const std::string& path);

// The text of a basis-set file in NWChem format:
//   "#" comments; blocks opened by BASIS ["name"] [SPHERICAL|CARTESIAN] [PRINT|NOPRINT]
//   and closed by END; in them shells "Sym T" followed by lines "exponent c1 [c2 ...]",
//   each coefficient column one shell (for SP or L, the s and the p column).
BasisFile parse_nwchem(const std::string& text, const std::string& path);

// A basis-set file in either format: NWChem when its first line that is not
// blank or a comment opens a BASIS block, Gaussian94 otherwise.
BasisFile read_basis_file(const std::string& path);
