#include "molecule/element.h"

#include "molecule/periodic_table.h"

unsigned element_number(const std::string& symbol) {
    const int z = periodic_number(symbol);
    if (z < 1 || static_cast<unsigned>(z) > last_computed_element || symbol != periodic_symbol(z)) return 0;
    return static_cast<unsigned>(z);
}

std::string element_symbol(unsigned z) {
    if (z >= 1 && z <= last_computed_element) return periodic_symbol(static_cast<int>(z));
    return "?";
}
