#pragma once

#include <optional>
#include <string>

#include "basis/shell.h"

// The canonical name ("sto-3g" or "sto-6g") of a basis-set name written in any
// letter case, with or without the hyphen ("STO-3G", "sto3g", "Sto-6G"); empty
// for any other name.
std::optional<std::string> canonical_basis_name(const std::string& name);
// The name a molecule carries for a basis-set spelling: "sto-3g" or "sto-6g" as
// canonical_basis_name gives it, else the library's conventional name ("6-31g(d)"
// is "6-31G*", see library_set_name); empty for a name the library lacks.
std::optional<std::string> basis_set_name(const std::string& spelling);

// The compiled-in STO-3G and STO-6G sets, H ... Ne: per element a 1s shell, and
// from lithium on a 2s and a 2p shell with the same exponents (the 2sp shell of the
// standard STO-nG sets). Cartesian; the coefficients are those of the published tables.
BasisLibrary sto3g_library();
BasisLibrary sto6g_library();

// The built-in set of a canonical name. Throws Failure("Unrecognized basis set",
// unknown_basis) for any other name.
const BasisLibrary& builtin_basis(const std::string& name);
