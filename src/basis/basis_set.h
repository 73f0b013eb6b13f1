#pragma once

#include <string>
#include <vector>

#include "basis/cgf.h"
#include "basis/shell.h"
#include "molecule/molecule.h"

// The basis of a molecule: its shells, atom after atom in input order, each atom's
// in the order of its element's shell list, and the functions they expand to.
// Offsets, labels and the functions themselves all follow from the shells here.
struct BasisSet {
    std::vector<Shell> shells;
    std::vector<unsigned> shell_first;  // shell s owns functions shell_first[s] .. shell_first[s+1]-1
    std::vector<unsigned> atom_shells;  // atom a owns shells atom_shells[a] .. atom_shells[a+1]-1
    std::vector<unsigned> first;        // atom a owns functions first[a] .. first[a+1]-1
    std::vector<CGF> functions;         // built-in tables only: Cartesian, on the shell's atom
    std::vector<std::string> labels;    // "[r] <symbol><atom number>\t (<orbital>)", r counted from 1
    unsigned primitives = 0;            // Gaussian primitives over all functions
    // The built-in STO-3G/STO-6G tables of a molecule of H ... Ne: contractions in the
    // tables' convention, integrals from `functions` by the exact or fast path. Any other
    // set (the library, a file) has its contractions normalised as the field does and its
    // integrals from the shell engine (integrals/md); `functions` is then empty.
    bool builtin = true;

    unsigned size() const { return static_cast<unsigned>(labels.size()); }
    // The kind of every shell beyond p of a set of the library or a file: pure or Cartesian.
    bool pure() const { return !shells.empty() && shells.front().pure; }
};

// Places the shells of each atom's element on it. An atom's orbital names count
// its shells of each L from n = L + 1 (1s, 2s, 2p, 3d), then name the function
// (function_name: 2px, 3dxy, 3d+1). Throws Failure (unsupported) for an element the
// library does not cover and, when `builtin`, for a pure shell beyond p.
BasisSet basis_from_shells(const Molecule& mol, const BasisLibrary& library, bool builtin = true);

// The basis the molecule's input names: the built-in table of sto-3g or sto-6g when every
// atom is H ... Ne and no file replaces it; else the set of the library or the file, its
// shells pure or Cartesian as the molecule asks, else as the file declares, else pure.
// A set lacking an element of the molecule is refused (exit status 1), naming both.
BasisSet molecular_basis(const Molecule& mol);
// Its number of functions.
unsigned function_count(const Molecule& mol);
