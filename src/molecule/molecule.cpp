#include "molecule/molecule.h"

#include <string>

void Molecule::addAtom(const std::string& symbol, double x, double y, double z) {
    atoms.emplace_back(symbol, x, y, z);
    ++atom_count;
}

long long Molecule::electron_count() const {
    long long electrons = 0;
    for (const Atom& atom : atoms) electrons += atom.nrelecs();
    return electrons - net_charge();
}
