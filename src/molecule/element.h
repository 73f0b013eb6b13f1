#pragma once

#include <string>

// The elements a molecule of velko may hold: H ... Kr, the elements the basis-set
// library covers (the built-in STO-3G and STO-6G tables hold H ... Ne). Symbols as
// the periodic table spells them.
constexpr unsigned last_computed_element = 36;

// Atomic number of an element symbol (exact, case-sensitive) H ... Kr; 0 for anything else.
unsigned element_number(const std::string& symbol);
// Symbol of atomic number z = 1 ... 36; "?" for anything else.
std::string element_symbol(unsigned z);
