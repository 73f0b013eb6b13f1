#include "molecule/atom.h"

#include "molecule/element.h"
#include "molecule/periodic_table.h"

Atom::Atom(const std::string& symbol, double x, double y, double z)
    : element(element_number(symbol)), position(x, y, z) {}

std::string Atom::ps() const {
    if (element >= 1 && element <= static_cast<unsigned>(last_element)) return periodic_symbol(static_cast<int>(element));
    return "?";
}
