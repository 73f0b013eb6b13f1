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
    std::vector<CGF> functions;         // Cartesian, on the shell's atom
    std::vector<std::string> labels;    // "[r] <symbol><atom number>\t (<orbital>)", r counted from 1
    unsigned primitives = 0;            // Gaussian primitives over all functions

    unsigned size() const { return static_cast<unsigned>(functions.size()); }
};

// Places the shells of each atom's element on it. An atom's orbital names count
// its shells of each L from n = L + 1 (1s, 2s, 2p). Throws Failure (unsupported)
// for an element the library does not cover and for a pure shell beyond p (the
// integrals take Cartesian functions).
BasisSet basis_from_shells(const Molecule& mol, const BasisLibrary& library);

// The basis the molecule's input names (a built-in set, see basis.h).
BasisSet molecular_basis(const Molecule& mol);
// Its number of functions.
unsigned function_count(const Molecule& mol);
