#include "molecule/element.h"

namespace {
const char* const element_symbols[] = {"H", "He", "Li", "Be", "B", "C", "N", "O", "F", "Ne"};
constexpr unsigned element_count = sizeof element_symbols / sizeof element_symbols[0];
}  // namespace

unsigned element_number(const std::string& symbol) {
    for (unsigned z = 1; z <= element_count; ++z)
        if (symbol == element_symbols[z - 1]) return z;
    return 0;
}

std::string element_symbol(unsigned z) {
    if (z >= 1 && z <= element_count) return element_symbols[z - 1];
    return "?";
}
