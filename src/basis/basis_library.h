#pragma once

#include <optional>
#include <string>
#include <vector>

#include "basis/basis_file.h"

// velko's library of standard basis sets: Gaussian94 files in basis/ of the
// source tree, installed to share/velko/basis, for the elements H to Kr that each
// set defines. Each file's first line declares the set's conventional function
// kind as Psi4's library does: the Pople sets through 6-31++G** Cartesian,
// STO-nG, 6-311G**, the correlation-consistent and the def2 sets pure.

struct LibrarySet {
    const char* name;  // conventional spelling, "6-31G*"
    const char* file;  // file in the library directory, "6-31gs.gbs"
};

// Every set of the library, in the order of the README.
const std::vector<LibrarySet>& library_sets();

// The conventional names of the library's sets, for messages: "STO-3G, STO-6G, ..., def2-QZVP".
std::string library_names();

// The conventional name of the set a spelling names, in any letter case, with or
// without blanks, (d) for * and (d,p) for **, and def2 with or without its hyphen
// ("6-31g(d)", "CC-PVDZ", "def2svp"); nothing when no set of the library matches.
std::optional<std::string> library_set_name(const std::string& spelling);

// Where the library is read from: $VELKO_BASIS_DIR when set; else share/velko/basis
// beside the running program's bin/ when it exists (an installed velko); else the
// source tree's basis/ (a velko run from its build tree).
std::string basis_library_directory();

// The set a name spells, read from `directory`. A name no set matches is refused
// with exit status 1: "Unrecognized basis set" and the names of the library.
BasisFile load_library_set(const std::string& spelling, const std::string& directory);

// The shells of element z in `basis`, which `set_name` names in messages. An element
// the set lacks is refused with exit status 1, naming the element and the set.
const ElementBasis& element_shells(const BasisFile& basis, unsigned z, const std::string& set_name);
