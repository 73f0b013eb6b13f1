#pragma once

#include <string>
#include <vector>

#include "basis/atom.h"
#include "basis/cgf.h"

// The basis functions of a molecule, atom after atom in input order, each atom's
// in the order 1s, 2s, 2px, 2py, 2pz, with the labels the reports print.
struct BasisSet {
    std::vector<CGF> functions;
    std::vector<std::string> labels;  // "[r] <symbol><atom number>\t (<orbital>)", r counted from 1
    std::vector<unsigned> first;      // atom a owns functions first[a] .. first[a+1]-1
    unsigned primitives = 0;          // Gaussian primitives over all functions

    unsigned size() const { return static_cast<unsigned>(functions.size()); }
};

BasisSet molecular_basis(const std::vector<Atom>& atoms);
