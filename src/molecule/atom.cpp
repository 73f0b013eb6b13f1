#include "molecule/atom.h"

#include "molecule/element.h"

Atom::Atom(const std::string& symbol, double x, double y, double z)
    : element(element_number(symbol)), position(x, y, z) {}

std::string Atom::ps() const { return element_symbol(element); }
