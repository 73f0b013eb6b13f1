#include "basis/atom.h"

#include <utility>

namespace {
const char* const element_symbols[10] = {"H", "He", "Li", "Be", "B", "C", "N", "O", "F", "Ne"};
const char* const first_row_orbitals[5] = {"1s", "2s", "2px", "2py", "2pz"};
}  // namespace

unsigned element_number(const std::string& symbol) {
    for (unsigned z = 1; z <= 10; ++z)
        if (symbol == element_symbols[z - 1]) return z;
    return 0;
}

Atom::Atom(std::string symbol_, double x, double y, double z, Basis& basis)
    : position(x, y, z), symbol(std::move(symbol_)) {
    nuclear_charge = e2z(symbol);
    electron_count = nuclear_charge;
    addWavefunctions(basis);
}

unsigned Atom::e2z(const std::string& s) const { return element_number(s); }

std::string element_symbol(unsigned z) {
    if (z >= 1 && z <= 10) return element_symbols[z - 1];
    return "?";
}

std::string Atom::ps() const { return element_symbol(nuclear_charge); }

void Atom::addWavefunctions(Basis& basis) {
    unsigned count = 0;
    if (nuclear_charge >= 1 && nuclear_charge <= 2)
        count = 1;
    else if (nuclear_charge >= 3 && nuclear_charge <= 10)
        count = 5;  // one 2sp shell from lithium on, as in the standard STO-nG sets
    for (unsigned k = 0; k < count; ++k) {
        basis.set(first_row_orbitals[k], nuclear_charge, position);
        cgfs.emplace_back(first_row_orbitals[k], nuclear_charge, position, basis.getGTOs());
    }
    orbital_count = count;
}
