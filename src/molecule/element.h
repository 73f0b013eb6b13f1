#pragma once

#include <string>

// The elements a molecule of velko may hold: H ... Ne, the elements of the
// built-in STO-3G and STO-6G tables. Symbols as the periodic table spells them.
constexpr unsigned last_computed_element = 10;

// Atomic number of an element symbol (exact, case-sensitive) H ... Ne; 0 for anything else.
unsigned element_number(const std::string& symbol);
// Symbol of atomic number z = 1 ... 10; "?" for anything else.
std::string element_symbol(unsigned z);
