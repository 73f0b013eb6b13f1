#include "molecule/molecule.h"

#include <string>
#include <utility>

void Molecule::addAtom(std::string symbol, double x, double y, double z) {
    atoms.emplace_back(std::move(symbol), x, y, z, basis);
    ++atom_count;
}

long long Molecule::electron_count() const {
    long long electrons = 0;
    for (const Atom& atom : atoms) electrons += atom.nrelecs();
    return electrons - net_charge();
}
