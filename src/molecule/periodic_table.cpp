#include "molecule/periodic_table.h"

#include <cctype>

namespace {
const char* const symbols[last_element] = {
    "H",  "He", "Li", "Be", "B",  "C",  "N",  "O",  "F",  "Ne", "Na", "Mg", "Al", "Si", "P",  "S",  "Cl",
    "Ar", "K",  "Ca", "Sc", "Ti", "V",  "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn", "Ga", "Ge", "As", "Se",
    "Br", "Kr", "Rb", "Sr", "Y",  "Zr", "Nb", "Mo", "Tc", "Ru", "Rh", "Pd", "Ag", "Cd", "In", "Sn", "Sb",
    "Te", "I",  "Xe", "Cs", "Ba", "La", "Ce", "Pr", "Nd", "Pm", "Sm", "Eu", "Gd", "Tb", "Dy", "Ho", "Er",
    "Tm", "Yb", "Lu", "Hf", "Ta", "W",  "Re", "Os", "Ir", "Pt", "Au", "Hg", "Tl", "Pb", "Bi", "Po", "At",
    "Rn", "Fr", "Ra", "Ac", "Th", "Pa", "U",  "Np", "Pu", "Am", "Cm", "Bk", "Cf", "Es", "Fm", "Md", "No",
    "Lr", "Rf", "Db", "Sg", "Bh", "Hs", "Mt", "Ds", "Rg", "Cn", "Nh", "Fl", "Mc", "Lv", "Ts", "Og"};
}  // namespace

const char* periodic_symbol(int z) {
    return symbols[z - 1];
}

int periodic_number(const std::string& symbol) {
    if (symbol.empty() || symbol.size() > 2) return 0;
    std::string canonical(1, static_cast<char>(std::toupper(static_cast<unsigned char>(symbol[0]))));
    if (symbol.size() == 2) canonical += static_cast<char>(std::tolower(static_cast<unsigned char>(symbol[1])));
    for (int z = 1; z <= last_element; ++z)
        if (canonical == symbols[z - 1]) return z;
    return 0;
}
