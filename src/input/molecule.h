#pragma once

#include <string>
#include <vector>

#include "basis/atom.h"
#include "basis/basis.h"

// The molecule to compute: atoms in input order (positions in bohr), the basis
// library every atom draws its functions from, and the header values of the input.
struct Molecule {
    std::vector<Atom> atoms;
    unsigned atom_count = 0;
    Basis basis;
    std::string basis_name;
    int aux_value = 0;

    // Reads the input file; throws Failure naming the file and line when it is malformed.
    void read(std::string path);
    void addAtom(std::string symbol, double x, double y, double z);
    unsigned nratoms() const { return atom_count; }
    const Atom& operator[](unsigned i) const { return atoms[i]; }
};
